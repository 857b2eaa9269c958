// Restart (or shutdown) of Windows at the end of a run.
#include "sysutil/RebootWindows.h"

#include "sysutil/Handles.h"
#include "sysutil/WinVersion.h"

namespace {

void errorBox(const char* text) {
    MessageBoxA(nullptr, text, "Error", MB_OK);
}

// The NT family refuses ExitWindowsEx unless the caller has enabled the
// shutdown privilege in its token.
void enableShutdownPrivilege() {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive()))
        errorBox("Error: Can't open process token");

    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;

    // AdjustTokenPrivileges succeeds even when the privilege was not granted
    // and tells so only through the last error (ERROR_NOT_ALL_ASSIGNED).
    SetLastError(ERROR_SUCCESS);
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    if (GetLastError() != ERROR_SUCCESS) errorBox("Error: Can't adjust token privileges");
}

}  // namespace

// The restart is requested whatever happened before; no force flag.
BOOL rebootWindows(int shutDown) {
    if (isWinNT()) enableShutdownPrivilege();
    return ExitWindowsEx(shutDown != 0 ? EWX_SHUTDOWN : EWX_REBOOT, 0);
}
