// Brings up the prefix's desktop (see Desktop.h).
#include "Desktop.h"

namespace {

std::string systemFile(const char* name) {
    char dir[MAX_PATH];
    UINT length = GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir, length < sizeof dir ? length : 0) + "\\" + name;
}

std::string windowsDirectory() {
    char dir[MAX_PATH];
    UINT length = GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir, length < sizeof dir ? length : 0);
}

}  // namespace

bool awaitDesktop(DWORD timeoutMs, std::string& problem) {
    // The command line Wine itself uses for the desktop process. When a
    // desktop process is already there, this one finds the desktop taken
    // and ends.
    std::string explorer = systemFile("explorer.exe");
    std::string line = "\"" + explorer + "\" /desktop";
    std::string windows = windowsDirectory();
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    if (!CreateProcessA(explorer.c_str(), &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, windows.empty() ? nullptr : windows.c_str(), &startup, &info)) {
        problem = "explorer.exe could not be started (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    CloseHandle(info.hThread);
    DWORD started = GetTickCount();
    bool ready = false;
    for (;;) {
        // 0: the process waits for messages, its desktop set up, or it has
        // ended. It cannot be waited for before it has started far enough
        // (WAIT_FAILED): then it is asked again, unless it has ended
        // meanwhile, which it does at once when the desktop was taken.
        DWORD waited = WaitForInputIdle(info.hProcess, 500);
        if (waited == 0 || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
            ready = true;
            break;
        }
        if (GetTickCount() - started >= timeoutMs) break;
        if (waited == WAIT_FAILED) Sleep(50);
    }
    CloseHandle(info.hProcess);
    if (!ready)
        problem = "the desktop (explorer.exe) did not come up within " +
                  std::to_string(timeoutMs / 1000) + " s";
    return ready;
}
