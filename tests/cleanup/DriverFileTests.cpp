// Firmware images named by the package key, in the driver directory of the
// running Windows family.
#include <gtest/gtest.h>
#include "ImportPatch.h"
#include "ScratchKit.h"
#include "cleanup/DriverFiles.h"
#include "sysutil/Paths.h"

namespace {

class RemoveDspBin : public ::testing::Test {
protected:
    void SetUp() override {
        dir = getSystemDir() + (personaIsNT() ? "\\drivers\\" : "\\");
        for (const char* name : {"mdmcode.bin", "a.bin", "b.bin", " c.bin", "keep.bin"})
            writeFile(dir + name, "x");
        SetFileAttributesA((dir + "a.bin").c_str(), FILE_ATTRIBUTE_READONLY);
        writeSetupIni("[SystemInfo]\r\nSetupSoftwareKey=VtxDsp\r\n");
        // The values that show the key is a modem package's.
        setRegString("Software\\VtxDsp", "vpi", "8");
        setRegString("Software\\VtxDsp", "vci", "35");
    }
    void TearDown() override {
        writeSetupIni("");
        deleteKeyTree("Software\\VtxDsp");
    }
    std::string dir;
};

TEST_F(RemoveDspBin, DeletesTheFixedImageAndEveryListedOne) {
    setRegString("Software\\VtxDsp", "FirmwareFiles", "a.bin,,b.bin, c.bin,mdmcode.bin");
    removeDspBin();
    for (const char* name : {"mdmcode.bin", "a.bin", "b.bin", " c.bin"})
        EXPECT_FALSE(exists(dir + name)) << name;
    EXPECT_TRUE(exists(dir + "keep.bin"));
    EXPECT_NE(std::string::npos, logText().find("removeDspBin: " + dir + " c.bin removed"));
}

// A driver is no firmware, whatever the list says.
TEST_F(RemoveDspBin, KeepsAnExecutableImage) {
    writeFile(dir + "vtxhub.sys", std::string("MZ\x90\0\3\0", 6));
    setRegString("Software\\VtxDsp", "FirmwareFiles", "vtxhub.sys,a.bin");
    removeDspBin();
    EXPECT_TRUE(exists(dir + "vtxhub.sys"));
    EXPECT_FALSE(exists(dir + "a.bin"));
    EXPECT_NE(std::string::npos, logText().find("removeDspBin: FirmwareFiles \"vtxhub.sys\": " +
                                                dir + "vtxhub.sys is an executable image"));
    DeleteFileA((dir + "vtxhub.sys").c_str());
}

// A file that exists but cannot be read cannot show that it is no program.
TEST_F(RemoveDspBin, KeepsAFileThatCannotBeRead) {
    setRegString("Software\\VtxDsp", "FirmwareFiles", "b.bin,a.bin");
    const LogTail tail;
    {
        const HeldFile held(dir + "b.bin", 0);
        removeDspBin();
    }
    const std::string log = tail.added();
    EXPECT_NE(std::string::npos, log.find("removeDspBin: FirmwareFiles \"b.bin\": " + dir +
                                          "b.bin is an executable image or cannot be read"));
    EXPECT_EQ(std::string::npos, log.find("removeDspBin: " + dir + "b.bin removed"));
    EXPECT_FALSE(exists(dir + "a.bin"));
}

// A file that opens but whose first bytes another process holds locked
// (LockFile) cannot be read either. Wine lets the locking process's own
// reads through, so the read of the image's head fails as Windows fails it.
ImportPatch* readPatch = nullptr;

BOOL WINAPI lockedRead(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED overlapped) {
    if (size != 2) return readPatch->original<decltype(&ReadFile)>()(file, buffer, size, got, overlapped);
    if (got) *got = 0;
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
}

TEST_F(RemoveDspBin, KeepsAFileWhoseStartIsLocked) {
    setRegString("Software\\VtxDsp", "FirmwareFiles", "b.bin");
    const LogTail tail;
    {
        ImportPatch read{"KERNEL32.dll", "ReadFile", reinterpret_cast<const void*>(&lockedRead)};
        ASSERT_TRUE(read.active());
        readPatch = &read;
        removeDspBin();
        readPatch = nullptr;
    }
    EXPECT_NE(std::string::npos, tail.added().find("removeDspBin: FirmwareFiles \"b.bin\": " + dir +
                                                   "b.bin is an executable image or cannot be read"));
    EXPECT_TRUE(exists(dir + "b.bin"));
}

TEST_F(RemoveDspBin, DeletesOnlyTheFixedImageWithoutAUsableList) {
    setRegDword("Software\\VtxDsp", "FirmwareFiles", 7);
    removeDspBin();
    setRegString("Software\\VtxDsp", "FirmwareFiles", "a.bin");
    writeSetupIni("");  // without the description the list is not consulted
    removeDspBin();
    EXPECT_FALSE(exists(dir + "mdmcode.bin"));
    EXPECT_TRUE(exists(dir + "a.bin"));
}

}  // namespace
