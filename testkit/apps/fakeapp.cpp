// fakeapp: a stand-in for a companion program. It owns one top-level window
// of a given class and title and logs the close requests it gets.
//   fakeapp --class CLS --title TITLE [--no-title] [--hidden]
//           [--ignore-close] [--close-delay MS] [--lifetime MS]
//           [--ready FILE] [--log FILE]
// --ready is written (with the process id) once the window exists;
// --log gets one line per close request or session message;
// --ignore-close keeps the window open whatever it is asked;
// --close-delay closes that long after the first request;
// --lifetime ends the program by itself after that long.
// It brings up the prefix's desktop before its window (see Desktop.h) and
// ends with 2 when that fails.
#include <windows.h>
#include <string>
#include "../common/Desktop.h"
#include "AppArgs.h"

namespace {

const UINT_PTR closeTimer = 1;
const UINT_PTR lifetimeTimer = 2;

struct AppState {
    std::string log;
    bool ignoreClose = false;
    int closeDelayMs = 0;
    bool closing = false;
} app;

void logEvent(const char* what) { appendLine(app.log, what); }

// True lets the default handling close the window now; a delayed close
// starts its timer on the first request.
bool takeCloseRequest(HWND window) {
    if (app.ignoreClose) return false;
    if (app.closeDelayMs <= 0) return true;
    if (!app.closing) {
        app.closing = true;
        SetTimer(window, closeTimer, app.closeDelayMs, nullptr);
    }
    return false;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            logEvent("syscommand-close");
            if (!takeCloseRequest(window)) return 0;
        }
        break;
    case WM_CLOSE:
        logEvent("close");
        if (!takeCloseRequest(window)) return 0;
        break;
    case WM_QUERYENDSESSION:
        logEvent("queryendsession");
        return TRUE;
    case WM_ENDSESSION:
        logEvent(wParam ? "endsession" : "endsession-cancelled");
        return 0;
    case WM_TIMER:
        if (wParam == closeTimer || wParam == lifetimeTimer) {
            logEvent(wParam == closeTimer ? "closed-after-delay" : "lifetime-over");
            DestroyWindow(window);
            return 0;
        }
        break;
    case WM_DESTROY:
        logEvent("destroy");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createWindow(HINSTANCE instance, const std::string& className) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className.c_str();
    if (!RegisterClassA(&windowClass)) return nullptr;
    std::string title = optionValue("--title", "fakeapp");
    const char* titleArg = hasFlag("--no-title") ? nullptr : title.c_str();
    HWND window = CreateWindowExA(0, className.c_str(), titleArg, WS_OVERLAPPEDWINDOW, 10, 10, 240,
                                  120, nullptr, nullptr, instance, nullptr);
    if (window != nullptr && !hasFlag("--hidden")) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    app.log = optionValue("--log");
    app.ignoreClose = hasFlag("--ignore-close");
    app.closeDelayMs = optionInt("--close-delay", 0);
    std::string problem;
    if (!awaitDesktop(120000, problem)) return 2;
    HWND window = createWindow(instance, optionValue("--class", "FakeAppClass"));
    if (window == nullptr) return 1;
    int lifetime = optionInt("--lifetime", 0);
    if (lifetime > 0) SetTimer(window, lifetimeTimer, lifetime, nullptr);
    writeFileAtOnce(optionValue("--ready"), std::to_string(GetCurrentProcessId()) + "\n");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    logEvent("exit");
    return 0;
}
