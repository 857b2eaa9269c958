// Asking another program's top-level window to close, with a bounded wait.
#include "sysutil/CloseAppWindow.h"
#include <windows.h>
#include "sysutil/TextCase.h"

namespace {

const int waitRounds = 20;
const DWORD waitStepMs = 500;

}  // namespace

// The other program is never terminated: a window still there after
// 10 seconds is left running.
void closeAppWindow(const char* className, const char* title) {
    const char* searchClass =
        (className == nullptr || sameText(className, "NULL")) ? nullptr : className;
    HWND window = FindWindowA(searchClass, title);
    if (window != nullptr) {
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    for (int round = 0; round < waitRounds; ++round) {
        if (FindWindowA(searchClass, title) == nullptr) return;
        Sleep(waitStepMs);
    }
}
