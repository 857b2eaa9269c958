// The closing table of the companion programs with a window for every row:
// each row closes its window, in table order, and the windows of the two rows
// that search the same class or title are each closed by one of them.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ScratchKit.h"
#include "cleanup/CompanionApps.h"

namespace {

struct Row {
    const char* className;  // "#32770": a dialog
    const char* title;
};

// The companion windows in table order, as the installation description
// below names them.
const Row rows[] = {
    {"CabinetWClass", "Control Panel"},
    {"#32770", "Pathmark 100 Control Panel"},
    {"Vtx Tray Class", "Vtx Tray Window"},
    {"#32770", "Pathmark 100 Control Panel"},
    {"Kelmora Control Panel", "SysTrayWnd"},
    {"Kelmora Control Panel", "Kelmora status"},
    {"CabinetWClass", "Dial-Up Networking"},
    {"LINEWATCHAPP", "LINEWATCH"},
    {"Kelbridge DSL Post-Installation Class", "Kelbridge DSL Post-Installation"},
};
const size_t rowCount = sizeof rows / sizeof rows[0];

// Another program's windows, owned by another thread. Each window notes its
// "class|title" when it is destroyed; the dialogs close when asked, as the
// applet's does. The applet's dialog comes up again when the tray program
// goes (which is why the table looks for it twice): the second dialog is
// made when the tray window is destroyed. One instance at a time.
class CompanionWindows {
public:
    CompanionWindows() {
        InitializeCriticalSection(&lock);
        current = this;
        ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, run, this, 0, &threadId);
        WaitForSingleObject(ready, 10000);
    }
    ~CompanionWindows() {
        PostThreadMessageA(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(ready);
        current = nullptr;
        DeleteCriticalSection(&lock);
    }
    CompanionWindows(const CompanionWindows&) = delete;
    CompanionWindows& operator=(const CompanionWindows&) = delete;

    std::vector<std::string> destroyed() {
        EnterCriticalSection(&lock);
        std::vector<std::string> copy = destroyedRows;
        LeaveCriticalSection(&lock);
        return copy;
    }
    size_t created = 0;  // windows made (the second dialog included)

private:
    static CompanionWindows* current;

    static bool isDialog(const Row& row) { return std::string(row.className) == "#32770"; }

    static void note(HWND window) {
        char className[128] = "";
        char title[128] = "";
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, title, sizeof title);
        EnterCriticalSection(&current->lock);
        current->destroyedRows.push_back(std::string(className) + "|" + title);
        LeaveCriticalSection(&current->lock);
    }
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_DESTROY) {
            note(window);
            char className[128] = "";
            GetClassNameA(window, className, sizeof className);
            if (lstrcmpA(className, rows[2].className) == 0) make(rows[3]);
        }
        return DefWindowProcA(window, message, w, l);
    }
    static LRESULT CALLBACK dialogProc(HWND window, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_CLOSE) return DestroyWindow(window), 0;
        if (message == WM_DESTROY) note(window);
        return DefDlgProcA(window, message, w, l);
    }
    static void make(const Row& row) {
        if (!isDialog(row)) {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = windowProc;
            windowClass.lpszClassName = row.className;
            RegisterClassA(&windowClass);  // a class of two rows: the second call fails
        }
        HWND window = CreateWindowA(row.className, row.title, WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
        if (window == nullptr) return;
        if (isDialog(row))
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(dialogProc));
        ++current->created;
    }
    static DWORD WINAPI run(void* context) {
        CompanionWindows& windows = *static_cast<CompanionWindows*>(context);
        for (size_t i = 0; i < rowCount; ++i)
            if (i != 3) make(rows[i]);
        SetEvent(windows.ready);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        return 0;
    }

    CRITICAL_SECTION lock;
    std::vector<std::string> destroyedRows;
    HANDLE ready;
    HANDLE thread;
    DWORD threadId = 0;
};

CompanionWindows* CompanionWindows::current = nullptr;

std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += "\n  " + item;
    return text;
}

TEST(ClosingTable, ClosesTheWindowOfEveryRowInTableOrder) {
    writeSetupIni(
        "[SystemInfo]\r\nCplWindowName=Pathmark 100 Control Panel\r\n"
        "SysTrayClassName=Vtx Tray Class\r\nSysTrayWindowName=Vtx Tray Window\r\n");
    std::vector<std::string> expected;
    for (const Row& row : rows) expected.push_back(std::string(row.className) + "|" + row.title);
    {
        CompanionWindows windows;
        ASSERT_EQ(rowCount - 1, windows.created) << "windows made before the run";
        vtxCloseExternalApplications();
        const std::vector<std::string> got = windows.destroyed();
        EXPECT_EQ(expected, got) << "windows closed, got:" << joined(got)
                                 << "\nexpected:" << joined(expected);
    }
    writeSetupIni("");
}

}  // namespace
