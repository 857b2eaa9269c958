// Reads of ".\VTX.INI" and the presence tests, in a scratch start directory.
#include <gtest/gtest.h>
#include "settings/ToolIni.h"
#include "ScratchKit.h"

namespace {
class ToolIniTest : public ::testing::Test {
protected:
    ScratchCwd scratch;
};

TEST_F(ToolIniTest, ReadsValuesKeyBeforeSection) {
    scratch.write("VTX.INI",
                  "[SystemInfo]\r\nDeviceId=  A\\B , C\\D  \r\n[Other]\r\nDeviceId=other\r\n");
    EXPECT_EQ("A\\B , C\\D", getToolIniString("DeviceId", "SystemInfo", "x"));
    EXPECT_EQ("other", getToolIniString("DeviceId", "Other", "x"));
}

TEST_F(ToolIniTest, DefaultOnlyForMissingKeyOrFile) {
    EXPECT_EQ("fallback", getToolIniString("DeviceId", "SystemInfo", "fallback"));
    scratch.write("VTX.INI", "[SystemInfo]\r\nDeviceId=\r\n");
    EXPECT_EQ("", getToolIniString("DeviceId", "SystemInfo", "fallback"));
    EXPECT_EQ("fallback", getToolIniString("RemoveFromWinDir", "SystemInfo", "fallback"));
}

TEST_F(ToolIniTest, LongValueIsCutTo511Characters) {
    std::string longValue(700, 'v');
    scratch.write("VTX.INI", "[SystemInfo]\r\nRemoveFromWinDir=" + longValue + "\r\n");
    EXPECT_EQ(std::string(511, 'v'), getToolIniString("RemoveFromWinDir", "SystemInfo", ""));
}

TEST_F(ToolIniTest, ReadsTheStartDirectoryNotTheWindowsDirectory) {
    char windowsDir[MAX_PATH];
    GetWindowsDirectoryA(windowsDir, MAX_PATH);
    std::string windowsIni = std::string(windowsDir) + "\\VTX.INI";
    WritePrivateProfileStringA("SystemInfo", "DeviceId", "fromWindows", windowsIni.c_str());
    std::string value = getToolIniString("DeviceId", "SystemInfo", "absent");
    DeleteFileA(windowsIni.c_str());
    EXPECT_EQ("absent", value);
}

TEST_F(ToolIniTest, PresenceTestsFindFilesOfTheStartDirectory) {
    scratch.write("VTX.INI", "[SystemInfo]\r\n");
    scratch.write("brdsetup.ini", "[SystemInfo]\r\n");
    LogTail log;
    EXPECT_TRUE(IsVtIniFile());
    EXPECT_TRUE(IsVtInstallInitFile());
    EXPECT_EQ("", log.added());
}

TEST_F(ToolIniTest, MissingFilesAreLoggedOnce) {
    LogTail log;
    EXPECT_FALSE(IsVtIniFile());
    EXPECT_FALSE(IsVtInstallInitFile());
    EXPECT_EQ("Vantix->IsVtIniFile: VTX.INI file missing\r\n"
              "Vantix->IsVtInstallInitFile: brdsetup.ini file missing\r\n",
              log.added());
}
}  // namespace
