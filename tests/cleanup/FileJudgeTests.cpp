// The file judge: names that leave their folder, devices, and the
// platform's own files, with LAYOUT.INF files laid out as Windows 98 (three files, the file list longer than the 32 KB a
// profile read gives) and XP (one file, saved as UTF-16) have them; Wine has
// none. The judge reads them once per process, so they are laid out first.
#include <gtest/gtest.h>
#include <string>
#include "ScratchKit.h"
#include "cleanup/FileJudge.h"
#include "sysutil/Paths.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/TextCase.h"

namespace {

std::string infDir() { return getWindowsDir() + "\\INF"; }

std::string filler(size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) text += "drv" + std::to_string(i) + ".sys=1,,4096\r\n";
    return text;
}

std::string utf16(const std::string& text) {
    std::string wide = "\xFF\xFE";
    for (const char c : text) wide += std::string(1, c) + '\0';
    return wide;
}

class PlatformLayout : public ::testing::Environment {
    void SetUp() override {
        CreateDirectoryA(infDir().c_str(), nullptr);
        if (personaIsNT()) {
            writeFile(infDir() + "\\layout.inf",
                      utf16("[Version]\r\n[SourceDisksFiles]\r\nstdole2.tlb=1\r\n"
                            "[SourceDisksFiles.x86]\r\nunicode.nls=1\r\nVtxLongLayoutName.dll=1\r\n"));
            setRegString("Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\msacm.ini",
                         "", "USR:Software\\Microsoft\\Multimedia");
        } else {
            writeFile(infDir() + "\\LAYOUT.INF", "[SourceDisksFiles]\r\nVtxLongLayoutName.dll=1\r\n");
            writeFile(infDir() + "\\LAYOUT1.INF", "[SourceDisksFiles]\r\nUNICODE.NLS=1\r\n");
            writeFile(infDir() + "\\LAYOUT2.INF", "[SourceDisksFiles]\r\n" + filler(40000) +
                                                       "CP_1252.NLS=1\r\nSTDOLE2.TLB=1\r\n");
        }
    }
};
::testing::Environment* const layout = ::testing::AddGlobalTestEnvironment(new PlatformLayout);

struct Row {
    std::string dir;
    std::string name;
    const char* why;  // nullptr: accepted
};

TEST(FileJudge, RefusesThePlatformsOwnFilesInEveryFormItReadsThem) {
    const std::string windows = getWindowsDir();
    const std::string system = getSystemDir();
    writeFile(system + "\\VtxLongLayoutName.dll", "x");
    const std::string shortName = getShortPath(system + "\\VtxLongLayoutName.dll").substr(system.size() + 1);
    writeFile(windows + "\\vtxsys.dat", "x");
    SetFileAttributesA((windows + "\\vtxsys.dat").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    const char* const listed = "is listed in Windows's LAYOUT.INF";
    const char* const profile = "is a profile Windows reads";
    const Row rows[] = {
        {windows, "SYSTEM.INI", profile},
        {windows, "win.ini . ", profile},
        {windows, "WININIT.INI", profile},
        {windows, personaIsNT() ? "MSACM.INI" : "control.ini", profile},
        {system, "UNICODE.NLS", listed},
        {system, "cp_1252.nls", personaIsNT() ? nullptr : listed},
        {system, "STDOLE2.TLB ", listed},
        {system, shortName, listed},
        {windows, "vtxsys.dat", "has the system attribute"},
        {system, "KmiLine.dll", nullptr},
        {windows, "PM100Usb.ini", nullptr},
    };
    for (const Row& row : rows) {
        const FileVerdict verdict = judgeFile("test: List", row.dir, row.name);
        EXPECT_EQ(row.why == nullptr, verdict.accepted) << row.name;
        if (row.why == nullptr) continue;
        const std::string line = logLines().back();
        EXPECT_EQ("Vantix->test: List \"" + row.name + "\": ", line.substr(0, 23 + row.name.size()));
        EXPECT_NE(std::string::npos, line.find(std::string(row.why) + ", not removed")) << line;
    }
    EXPECT_NE(shortName, "VtxLongLayoutName.dll");
}

TEST(NameGuard, RefusesNamesThatLeaveTheirFolder) {
    for (const char* name : {"..\\boot.ini", "..", ".", " ", ". .", "...", "", "a\\b", "a/b",
                             "C:boot.ini", "\\boot.ini", "file.txt:stream", "*.nls", "kernel?2.dll",
                             "a\"b", "a<b", "a>b", "a|b"})
        EXPECT_FALSE(isPlainFileName(name)) << name;
    for (const char* name : {"KmiSetup.log", " KmiSetup.log", "Pathmark Internet.lnk", "a..b",
                             "...lnk", "name."})
        EXPECT_TRUE(isPlainFileName(name)) << name;
    EXPECT_FALSE(judgeFile("test: Items", getWindowsDir(), "..\\%s%n").accepted);
    EXPECT_NE(std::string::npos,
              logText().find("test: Items \"..\\%s%n\" is not a plain file name, nothing removed"));
}

// A device name opens the device in every folder, with any extension.
TEST(NameGuard, RefusesDeviceNamesAndGivesThePathThePlatformReads) {
    const std::string dir = scratchDir("Devices");
    for (const char* name : {"NUL", "con.txt", "Nul .lnk", "COM1.bin", "lpt9", "CLOCK$", "conout$."}) {
        EXPECT_FALSE(judgeFirmwareFile("test: Firmware", dir, name).accepted) << name;
        const std::string line = logLines().back();
        EXPECT_EQ(0u, line.find(std::string("Vantix->test: Firmware \"") + name + "\": " + dir)) << line;
        EXPECT_NE(std::string::npos, line.find(" names a device, not removed")) << line;
    }
    const FileVerdict file = judgeFile("test: Items", dir, "KmiSetup.log . ");
    EXPECT_TRUE(file.accepted);
    EXPECT_EQ(dir + "\\KmiSetup.log", file.path);
    EXPECT_EQ("KmiSetup.log", file.name);
}

const std::string sharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

void setRegBinary(const std::string& key, const std::string& name, const std::string& bytes) {
    HKEY handle = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, key.c_str(), &handle);
    RegSetValueExA(handle, name.c_str(), 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    RegCloseKey(handle);
}

// A file that others count on in SharedDLLs (under its long or short name,
// in any case, as a DWORD, binary or text) is released, not deleted; a
// folder named as a file is refused.
TEST(FileJudge, ReleasesSharedFilesAndRefusesFolders) {
    const std::string dir = scratchDir("Vtx Shared Files");
    for (const char* name : {"mscomctl.ocx", "msvbvm60.dll", "mfc42.dll", "lastuse.dll",
                             "LongSharedName.ocx", "Mixed Shared.ocx", "own.dll"})
        writeFile(dir + "\\" + name, "x");
    CreateDirectoryA((dir + "\\Fonts").c_str(), nullptr);
    const std::string shortDir = getShortPath(dir);
    setRegDword(sharedDlls, (dir + "\\mscomctl.ocx").c_str(), 3);
    setRegBinary(sharedDlls, lowerCase(dir) + "\\MSVBVM60.DLL", std::string("\2\0\0\0", 4));
    setRegString(sharedDlls, (shortDir + "\\mfc42.dll").c_str(), "2");
    setRegDword(sharedDlls, (dir + "\\lastuse.dll").c_str(), 1);
    setRegBinary(sharedDlls, getShortPath(dir + "\\LongSharedName.ocx"), std::string("\1", 1));
    setRegDword(sharedDlls, (shortDir + "\\Mixed Shared.ocx").c_str(), 4);
    const char* const lowered = "is counted in SharedDLLs by other products";
    const struct {
        const char* name;
        const char* why;  // nullptr: accepted
    } rows[] = {
        {"mscomctl.ocx", lowered}, {"msvbvm60.dll", lowered}, {"mfc42.dll", lowered},
        {"lastuse.dll", nullptr},  {"LongSharedName.ocx", nullptr}, {"own.dll", nullptr},
        {"Mixed Shared.ocx", lowered},
        {"Fonts", "is a folder"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.why == nullptr, judgeFile("test: List", dir, row.name).accepted) << row.name;
        if (row.why == nullptr) continue;
        EXPECT_NE(std::string::npos, logLines().back().find(row.why)) << logLines().back();
    }
    // Named again (here by its short name), a file is released only once.
    EXPECT_FALSE(judgeFile("test: List", shortDir, "mfc42.dll").accepted);
    std::string count;
    regGetString(sharedDlls, shortDir + "\\mfc42.dll", count, HKEY_LOCAL_MACHINE);
    EXPECT_EQ("1", count);
    EXPECT_NE(std::string::npos, logText().find(dir + "\\mscomctl.ocx is counted in SharedDLLs by "
                                                "other products (count 3, lowered by one), not removed"));
    EXPECT_TRUE(valueExists(sharedDlls, (lowerCase(dir) + "\\MSVBVM60.DLL").c_str()));
    EXPECT_FALSE(valueExists(sharedDlls, (dir + "\\lastuse.dll").c_str()));
    EXPECT_FALSE(valueExists(sharedDlls, getShortPath(dir + "\\LongSharedName.ocx").c_str()));
    deleteKeyTree(sharedDlls);
}

}  // namespace
