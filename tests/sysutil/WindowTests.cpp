// Closing a top-level window by class and title. The windows live on a
// second thread of the test program, which pumps their messages.
#include <gtest/gtest.h>

#include "sysutil/Handles.h"
#include "sysutil/CloseAppWindow.h"

namespace {

const UINT kDestroyNow = WM_APP + 1;

// A hidden top-level window on its own thread; it may refuse to close.
class TestWindow {
public:
    TestWindow(const char* className, const char* title, bool refusesClose)
        : className(className), title(title), refuses(refusesClose),
          created(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread.reset(CreateThread(nullptr, 0, &TestWindow::run, this, 0, nullptr));
        WaitForSingleObject(created.get(), 10000);
    }
    ~TestWindow() {
        if (window != nullptr) PostMessageA(window, kDestroyNow, 0, 0);
        WaitForSingleObject(thread.get(), 10000);
    }
    bool open() const { return window != nullptr && FindWindowA(className, title) == window; }
    // True when the window was destroyed and its thread has ended.
    bool gone() const { return WaitForSingleObject(thread.get(), 2000) == WAIT_OBJECT_0; }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == WM_CLOSE && self != nullptr && self->refuses) return 0;
        if (message == kDestroyNow) DestroyWindow(hwnd);
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(hwnd, message, w, l);
    }
    static DWORD WINAPI run(void* param) {
        auto* self = static_cast<TestWindow*>(param);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = self->className;
        RegisterClassA(&wc);
        HWND hwnd = CreateWindowA(self->className, self->title, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window = hwnd;
        SetEvent(self->created.get());
        MSG msg;
        while (hwnd != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        self->window = nullptr;
        UnregisterClassA(self->className, wc.hInstance);
        return 0;
    }

    const char* className;
    const char* title;
    bool refuses;
    HWND volatile window = nullptr;
    KernelHandle created;
    KernelHandle thread;
};

// Milliseconds that closeAppWindow took.
DWORD timedClose(const char* className, const char* title) {
    DWORD start = GetTickCount();
    closeAppWindow(className, title);
    return GetTickCount() - start;
}

TEST(CloseAppWindow, ClosesAWindowThatAgrees) {
    TestWindow window("VtxAgreesClass", "Agreeing window", false);
    ASSERT_TRUE(window.open()) << "no window: is there an X display?";
    EXPECT_LT(timedClose("VtxAgreesClass", "Agreeing window"), 1500u);
    EXPECT_TRUE(window.gone());
}

TEST(CloseAppWindow, NullClassInAnyCaseSearchesByTitleAlone) {
    TestWindow window("VtxTitleOnlyClass", "Vtx window found by title", false);
    ASSERT_TRUE(window.open());
    EXPECT_LT(timedClose("null", "Vtx window found by title"), 1500u);
    EXPECT_TRUE(window.gone());
}

TEST(CloseAppWindow, ReturnsAtOnceWhenNoWindowMatches) {
    TestWindow other("VtxOtherClass", "Some other title", false);
    EXPECT_LT(timedClose("VtxOtherClass", "Not this title"), 300u);
    EXPECT_LT(timedClose("NULL", "Vtx no such window title"), 300u);
    EXPECT_TRUE(other.open());
}

TEST(CloseAppWindow, GivesUpAfterTenSecondsOnAWindowThatRefuses) {
    TestWindow window("VtxRefusesClass", "Refusing window", true);
    ASSERT_TRUE(window.open());
    DWORD elapsed = timedClose("VtxRefusesClass", "Refusing window");
    EXPECT_GE(elapsed, 9500u);
    EXPECT_LT(elapsed, 12000u);
    EXPECT_TRUE(window.open());
}

}  // namespace
