// The progress window in this process, built from the program's own dialog
// template (the resources are linked into this test program).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "app/AppFramework.h"
#include "app/ProgressWindow.h"
#include "res/resource.h"

namespace {
class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(initAppFramework());
        setModuleInstance(GetModuleHandleA(nullptr));
        ASSERT_TRUE(progress.create(nullptr));
        progress.setRange(0, 100);
    }
    void TearDown() override { progress.destroy(); }

    LRESULT toBar(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendDlgItemMessageA(progress.getWindow(), IDC_PROGRESS_BAR, message, wParam,
                                   lParam);
    }
    int position() { return static_cast<int>(toBar(PBM_GETPOS)); }
    std::string itemText(int id) {
        char text[256] = "";
        GetDlgItemTextA(progress.getWindow(), id, text, sizeof text);
        return text;
    }

    ProgressWindow progress;
};

TEST_F(ProgressWindowTest, CreatedHiddenFromTheTemplate) {
    HWND window = progress.getWindow();
    EXPECT_FALSE(IsWindowVisible(window));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_EQ(WS_CAPTION, style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "no system menu, so no close button";
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("VANTIX", text);
    char className[64] = "";
    GetClassNameA(GetDlgItem(window, IDC_PROGRESS_BAR), className, sizeof className);
    EXPECT_STRCASEEQ("msctls_progress32", className);
    EXPECT_NE(nullptr, GetDlgItem(window, IDC_HEADING));
    EXPECT_NE(nullptr, GetDlgItem(window, IDC_STATUS));
    EXPECT_EQ(nullptr, GetDlgItem(window, IDCANCEL));
    EXPECT_FALSE(progress.isCancelRequested());
}

TEST_F(ProgressWindowTest, TextsGoToTheirControls) {
    progress.setHeading("upper");
    progress.setStatus("lower");
    progress.setCaption("title");
    EXPECT_EQ("upper", itemText(IDC_HEADING));
    EXPECT_EQ("lower", itemText(IDC_STATUS));
    char text[64] = "";
    GetWindowTextA(progress.getWindow(), text, sizeof text);
    EXPECT_STREQ("title", text);
}

TEST_F(ProgressWindowTest, PositionMinusOneAndBeyondTheRangeFillTheBar) {
    progress.setPos(40);
    EXPECT_EQ(40, position());
    progress.setPos(-1);
    EXPECT_EQ(100, position());
    progress.setPos(0);
    progress.setPos(150);
    EXPECT_EQ(100, position());
}

TEST_F(ProgressWindowTest, RangeKeepsSixteenBitsOfEachLimit) {
    progress.setRange(5, 70000);
    EXPECT_EQ(70000 & 0xFFFF, static_cast<int>(toBar(PBM_GETRANGE, FALSE)));
    EXPECT_EQ(5, static_cast<int>(toBar(PBM_GETRANGE, TRUE)));
    progress.setPos(-1);
    EXPECT_EQ(70000 & 0xFFFF, position());
}

TEST_F(ProgressWindowTest, SecondCreateReplacesTheFirstWindow) {
    HWND first = progress.getWindow();
    ASSERT_TRUE(progress.create(nullptr));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(progress.getWindow()));
}

TEST_F(ProgressWindowTest, ShowCentresOnTheDesktopAndKeepsOnTop) {
    progress.show(true);
    HWND window = progress.getWindow();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT desktop, client, outer;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(desktop.left + (desktop.right - desktop.left - client.right) / 2, outer.left);
    EXPECT_EQ(desktop.top + (desktop.bottom - desktop.top - client.bottom) / 2, outer.top);
    progress.show(false);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(ProgressWindowTest, CentreOverReferenceThatNoLongerExistsFails) {
    HWND window = progress.getWindow();
    SetWindowPos(window, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ProgressWindow other;
    ASSERT_TRUE(other.create(nullptr));
    HWND gone = other.getWindow();
    other.destroy();
    EXPECT_FALSE(centerWindow(window, gone));
    EXPECT_FALSE(centerWindow(nullptr, nullptr));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(7, outer.left);
    EXPECT_EQ(9, outer.top);
}

TEST_F(ProgressWindowTest, CancelCommandIsRecorded) {
    SendMessageA(progress.getWindow(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(progress.isCancelRequested());
    EXPECT_TRUE(progress.cancel()) << "a second request reports the first";
}

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int windowsOfThisThread() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(ProgressWindowTest, DestroyedWindowIgnoresLaterCalls) {
    HWND window = progress.getWindow();
    progress.destroy();
    EXPECT_FALSE(IsWindow(window));
    const int before = windowsOfThisThread();
    progress.setPos(50);
    progress.setStatus("late");
    progress.show(true);
    EXPECT_EQ(before, windowsOfThisThread()) << "no window made or brought back";
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ProgressWindowTest, WindowOutlivesItsObjectSafely) {
    HWND window;
    {
        ProgressWindow shortLived;
        ASSERT_TRUE(shortLived.create(nullptr));
        window = shortLived.getWindow();
    }
    EXPECT_TRUE(IsWindow(window));
    // Closing makes the dialog send a cancel command; no object receives it.
    SendMessageA(window, WM_CLOSE, 0, 0);
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
}
}  // namespace
