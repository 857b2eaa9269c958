// The rig itself: a cross-built test program runs under Wine in a 32-bit
// prefix of the build tree.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Rig, RunsInThirtyTwoBitWinePrefix) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_INTEL, info.wProcessorArchitecture);
    char windowsDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    EXPECT_STRCASEEQ("C:\\windows", windowsDir);
}
