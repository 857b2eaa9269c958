// Windows version tests. Each asks the platform afresh.
#pragma once
#include <windows.h>

bool isWinNT();  // platform id VER_PLATFORM_WIN32_NT (NT 4.0, 2000, XP)
DWORD getWinMajorVersion();
DWORD getWinMinorVersion();
bool isWin95();    // 4.0 on either platform (so NT 4.0 too)
bool isWin98();    // 4.10
bool isWinMe();    // 4.90
bool isWin2000();  // 5.0
