// Closing the companion programs closes theirs and no one else's windows.
#include <gtest/gtest.h>
#include "ScratchKit.h"
#include "cleanup/CompanionApps.h"

namespace {

const char* const trayClass = "Kelbridge Cpl Window Class";

// Windows of another thread, as another program would have them: the tray
// program's window and an untitled dialog that closes when asked to.
class ForeignWindows {
public:
    ForeignWindows() {
        ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, run, this, 0, &threadId);
        WaitForSingleObject(ready, 10000);
    }
    ~ForeignWindows() {
        PostThreadMessageA(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(ready);
    }
    HWND tray = nullptr;
    HWND untitled = nullptr;

private:
    static LRESULT CALLBACK closingDialog(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_CLOSE) return DestroyWindow(window), 0;
        return DefDlgProcA(window, message, w, l);
    }
    static DWORD WINAPI run(void* self) {
        ForeignWindows& windows = *static_cast<ForeignWindows*>(self);
        WNDCLASSA trayWindowClass = {};
        trayWindowClass.lpfnWndProc = DefWindowProcA;
        trayWindowClass.lpszClassName = trayClass;
        RegisterClassA(&trayWindowClass);
        windows.tray = CreateWindowA(trayClass, "Kelbridge Cpl Target Window", WS_POPUP, 0, 0, 10,
                                     10, nullptr, nullptr, nullptr, nullptr);
        windows.untitled = CreateWindowA("#32770", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         nullptr, nullptr);
        SetWindowLongPtrA(windows.untitled, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(closingDialog));
        SetEvent(windows.ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        return 0;
    }
    HANDLE ready;
    HANDLE thread;
    DWORD threadId = 0;
};

// A window that no search finds any more may still be finishing its
// destruction on its own thread: its handle goes a moment later.
bool destroyedSoon(HWND window) {
    for (int step = 0; step < 40 && IsWindow(window); ++step) Sleep(50);
    return !IsWindow(window);
}

TEST(CloseExternalApplications, ClosesTheTrayWindowButNoUntitledDialog) {
    writeSetupIni("[SystemInfo]\r\nCplWindowName=\r\n");
    ForeignWindows windows;
    ASSERT_TRUE(IsWindow(windows.untitled));
    vtxCloseExternalApplications();
    EXPECT_TRUE(destroyedSoon(windows.tray));
    EXPECT_TRUE(IsWindow(windows.untitled));
}

TEST(CloseExternalApplications, TakesNoUntitledWindowForAnyClassTray) {
    writeSetupIni("[SystemInfo]\r\nSysTrayClassName=null\r\nSysTrayWindowName=\r\n");
    ForeignWindows windows;
    vtxCloseExternalApplications();
    EXPECT_TRUE(IsWindow(windows.untitled));
    writeSetupIni("");
}

}  // namespace
