// The installation record built from the Windows-directory description and
// the package key, on each Windows version.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstring>
#include <map>
#include "ImportPatch.h"
#include "ScratchKit.h"
#include "settings/InstallRecord.h"
#include "sysutil/ShellFolders.h"

namespace {

const char* const packageKey = "Software\\VtxRecordTest";

std::string systemInfo(const std::string& lines) {
    return "[SystemInfo]\r\nSetupSoftwareKey=VtxRecordTest\r\n" + lines;
}

// The driver directory key that the running version must use.
std::string expectedDriverKey() {
    static const std::map<std::string, std::string> keys = {
        {"win95", "DriverDir95"}, {"nt40", "DriverDir95"}, {"win98", "DriverDir98"},
        {"winme", "DriverDirMe"}, {"win2k", "DriverDir2k"}, {"winxp", "DriverDirXP"}};
    return keys.at(persona());
}

class InstallRecordTest : public ::testing::Test {
protected:
    void TearDown() override {
        writeSetupIni("");
        deleteKeyTree(packageKey);
    }
};

TEST_F(InstallRecordTest, FillsFieldsFromDescriptionAndPackageKey) {
    writeSetupIni(systemInfo(
        "ProgramFilesDir=Program Files\\Vantix\r\nProductName=Vantix DSL\r\n"
        "HardwareType=usb\r\nHardwarePlatform=Pm100\r\nUsbCtrlrId=Usb\\Vid_1a2b\r\n"
        "InstallSilently=0x1\r\n" + expectedDriverKey() + "=drv\r\n"));
    setRegString(packageKey, "languageDll", "setupen.dll");
    setRegString(packageKey, "hardwareTypeDir", "fromkey");
    setRegString(packageKey, "vpi", "35");
    setRegDword(packageKey, "vci", 8);

    const InstallRecord record;
    EXPECT_EQ(0, record.status) << record.message;
    EXPECT_EQ("C:", record.windowsDrive);
    EXPECT_EQ("C:\\Program Files\\Vantix", record.programDir);
    EXPECT_STRCASEEQ("C:\\windows\\inf", record.infDir.c_str());
    EXPECT_EQ('\\', record.toolDir.back());
    EXPECT_EQ('\\', record.tempDir.back());
    const int programs = personaIsNT() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    EXPECT_EQ(getSpecialFolderPath(programs) + "\\Vantix DSL", record.programGroupDir);
    const int desktop = personaIsNT() ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY;
    EXPECT_EQ(getSpecialFolderPath(desktop), record.desktopDir);
    EXPECT_EQ("USB", record.HardwareType);
    EXPECT_EQ("PM100", record.HardwarePlatform);
    EXPECT_EQ("USB\\VID_1A2B", record.ModemId);  // UsbCtrlrId stands in for ModemId
    EXPECT_FALSE(record.optionFlags[InstallRecord::installedSilently]);  // "0x1": no decimal
    EXPECT_TRUE(record.optionFlags[InstallRecord::setupIniFound]);
    EXPECT_EQ("setupen.dll", record.languageDll);
    EXPECT_EQ("fromkey", record.hardwareTypeDir);
    EXPECT_EQ(35, record.vpi);
    EXPECT_EQ(0, record.vci);  // a double-word value is not read
}

TEST_F(InstallRecordTest, ReadsTheDriverDirectoryKeyOfTheRunningVersion) {
    const std::string own = expectedDriverKey();
    std::string others;
    for (const char* key : {"DriverDir95", "DriverDir98", "DriverDirMe", "DriverDir2k",
                            "DriverDirXP"})
        if (own != key) others += std::string(key) + "=drv\r\n";
    writeSetupIni(systemInfo(others + "ModemId=m1\r\nInstallSilently=2\r\n"));
    const InstallRecord without;
    EXPECT_EQ(3, without.status);
    EXPECT_EQ("Can't get driver directory", without.message);
    EXPECT_EQ("M1", without.ModemId);  // later steps still ran
    EXPECT_TRUE(without.optionFlags[InstallRecord::installedSilently]);

    writeSetupIni(systemInfo(own + "=drv\r\n"));
    EXPECT_EQ(0, InstallRecord().status);
}

TEST_F(InstallRecordTest, WithoutDescriptionReportsStatusTwoAndReadsNothing) {
    writeSetupIni("");
    setRegString("Software\\VtxRecordTest", "languageDll", "setupen.dll");
    const InstallRecord record;
    EXPECT_EQ(2, record.status);
    EXPECT_STRCASEEQ("Can't find INI_FILE, C:\\windows\\brdsetup.ini, in winDir",
                     record.message.c_str());
    EXPECT_FALSE(record.optionFlags[InstallRecord::setupIniFound]);
    EXPECT_NE("", record.toolDir);
    EXPECT_EQ("", record.programDir);
    EXPECT_EQ("", record.programGroupDir);
    EXPECT_EQ("", record.desktopDir);
    EXPECT_EQ("", record.languageDll);
}

// GetWindowsDirectoryA as the platform answers it for a Windows directory of
// 243 characters: the message naming its missing brdsetup.ini would be 288.
UINT WINAPI longWindowsDirectory(LPSTR buffer, UINT size) {
    const std::string dir = "C:\\" + std::string(240, 'w');
    if (size <= dir.size()) return static_cast<UINT>(dir.size() + 1);
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}

TEST_F(InstallRecordTest, CutsALongMessageTo259Characters) {
    ImportPatch patch("KERNEL32.dll", "GetWindowsDirectoryA",
                      reinterpret_cast<const void*>(&longWindowsDirectory));
    ASSERT_TRUE(patch.active()) << "GetWindowsDirectoryA is not imported";
    const InstallRecord record;
    EXPECT_EQ(2, record.status);
    EXPECT_EQ(259u, record.message.size());
    EXPECT_EQ(0u, record.message.find("Can't find INI_FILE, C:\\www"));
}

}  // namespace
