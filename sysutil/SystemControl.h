// Restart of Windows and closing of other programs' windows.
#pragma once
#include <windows.h>

// ExitWindowsEx with EWX_REBOOT (shutDown == 0) or EWX_SHUTDOWN; on the NT
// family the shutdown privilege is enabled first. Returns the platform's result.
BOOL rebootWindows(int shutDown);
// Posts SC_CLOSE and WM_CLOSE to the first top-level window of that class
// ("NULL" in any case: any class) and title (nullptr: any title), then waits
// up to 10 seconds for every matching window to be gone.
void closeAppWindow(const char* className, const char* title);
