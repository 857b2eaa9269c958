// The restart request. Under Wine it ends every process of the prefix that
// owns windows and performs the scheduled deletions, so this program runs
// only in a fresh prefix of its own.
#include <gtest/gtest.h>

#include <cstdio>

#include "sysutil/Handles.h"
#include "sysutil/Paths.h"
#include "sysutil/RebootWindows.h"

namespace {

// Watches for an "Error" message box of this process while armed; answers
// any it finds with OK and remembers its text.
class ErrorBoxWatch {
public:
    ErrorBoxWatch() : stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread.reset(CreateThread(nullptr, 0, &ErrorBoxWatch::run, this, 0, nullptr));
    }
    std::string finish() {
        SetEvent(stop.get());
        WaitForSingleObject(thread.get(), 10000);
        return seen;
    }

private:
    static DWORD WINAPI run(void* param) {
        auto* self = static_cast<ErrorBoxWatch*>(param);
        while (WaitForSingleObject(self->stop.get(), 50) == WAIT_TIMEOUT) {
            HWND box = FindWindowA("#32770", "Error");
            if (box == nullptr) continue;
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            self->seen += std::string(text) + ";";
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            Sleep(500);
        }
        return 0;
    }

    KernelHandle stop;
    KernelHandle thread;
    std::string seen;
};

TEST(RebootWindows, RequestsTheRestartWithoutAnyBox) {
    std::string probe = concatPath(getTempDir(), "vtx-reboot-probe.txt");
    StdFile(fopen(probe.c_str(), "w"));
    ASSERT_TRUE(MoveFileExA(probe.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));

    ErrorBoxWatch watch;
    EXPECT_NE(0, rebootWindows(0));
    EXPECT_EQ("", watch.finish());
    // The platform performs the scheduled deletions after the request returns.
    for (int i = 0; i < 100 && GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(probe.c_str())) << "not deleted: " << probe;
}

}  // namespace
