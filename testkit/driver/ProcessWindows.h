// The top-level windows of one process, and what the driver reads of them
// without sending messages (window texts of another process come from the
// window manager's copy, so a busy program cannot block the driver).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

std::vector<HWND> topLevelWindowsOf(DWORD processId);

std::string windowText(HWND window);
std::string windowClass(HWND window);
std::string dialogItemText(HWND dialog, int id);

// A dialog with a progress control 1000 (the tool's progress window).
HWND progressBarOf(HWND window);
// A dialog ("#32770") without a progress control: a message box.
bool isMessageBox(HWND window);
