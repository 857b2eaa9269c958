// Windows version tests on the platform's version record, asked afresh on
// every call. Should the query fail, the record reads as all zeros: neither
// the NT family nor any of the tested versions (callers then treat it as XP).
#include "sysutil/WinVersion.h"

namespace {

OSVERSIONINFOA queryVersion() {
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        ZeroMemory(&info, sizeof info);
    }
    return info;
}

// The minor version is asked for only when the major one matches.
bool isVersion(DWORD major, DWORD minor) {
    return getWinMajorVersion() == major && getWinMinorVersion() == minor;
}

}  // namespace

bool isWinNT() { return queryVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }
DWORD getWinMajorVersion() { return queryVersion().dwMajorVersion; }
DWORD getWinMinorVersion() { return queryVersion().dwMinorVersion; }

// The platform id is not looked at, so NT 4.0 counts as Windows 95 here.
bool isWin95() { return isVersion(4, 0); }
bool isWin98() { return isVersion(4, 10); }
bool isWinMe() { return isVersion(4, 90); }
bool isWin2000() { return isVersion(5, 0); }
