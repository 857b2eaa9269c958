// Restart (or shutdown) of Windows at the end of a run.
#pragma once
#include <windows.h>

// ExitWindowsEx with EWX_REBOOT (shutDown == 0) or EWX_SHUTDOWN; on the NT
// family the shutdown privilege is enabled first, with an error box for each
// step that fails. Returns the platform's result; logs nothing.
BOOL rebootWindows(int shutDown);
