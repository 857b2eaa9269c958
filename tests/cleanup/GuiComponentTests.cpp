// The control-panel key with its sub-keys, and the order in which the setup
// program's temporary files are scheduled for the next start.
#include <gtest/gtest.h>
#include "ScratchKit.h"
#include "cleanup/GuiComponents.h"
#include "settings/InstallRecord.h"
#include "sysutil/NameRules.h"
#include "sysutil/Paths.h"
#include "sysutil/Tokens.h"

namespace {

TEST(RemoveNewCplRegistry, RemovesTheKeyWithBothSubkeysAndNothingBeside) {
    InstallRecord record;
    record.programDir = scratchDir("cpl");
    const std::string lineMon = record.programDir + "\\LineMon.ini";
    writeFile(lineMon, "[SystemInfo]\r\nRegistryKey=VtxMaker\\Cpl\r\n");
    for (const char* key :
         {"Software\\VtxMaker", "Software\\VtxMaker\\Cpl", "Software\\VtxMaker\\Cpl\\One",
          "Software\\VtxMaker\\Cpl\\Two", "Software\\VtxMaker\\Other"})
        setRegString(key, "v", "1");
    vtxRemoveNewCplRegistry(record);
    EXPECT_FALSE(keyExists("Software\\VtxMaker\\Cpl"));
    EXPECT_TRUE(valueExists("Software\\VtxMaker\\Other", "v"));

    // A key name of backslashes only would name "Software" itself.
    writeFile(lineMon, "[SystemInfo]\r\nRegistryKey=\\\\\r\n");
    vtxRemoveNewCplRegistry(record);
    EXPECT_TRUE(valueExists("Software\\VtxMaker\\Other", "v"));
    EXPECT_TRUE(valueExists("Software\\VtxMaker", "v"));
    deleteKeyTree("Software\\VtxMaker");
}

// The platform's temporary folder and a setup folder in the Windows
// directory's TEMP, where the setup leaves its files.
class ScheduleSetupTempFiles : public ::testing::Test {
protected:
    void SetUp() override {
        record.tempDir = getTempDir();
        orig = concatPath(getWindowsDir(), "TEMP\\_VtxTest.DIR");
        CreateDirectoryA(orig.c_str(), nullptr);
        writeFile(record.tempDir + "Setup Language.dll", "x");
        DeleteFileA(concatPath(getWindowsDir(), "wininit.ini").c_str());
        pendingBefore = pendingDeletions().size();
    }
    // What the platform holds for the next start, in order, as long paths
    // would be written (on 9x the 8.3 forms WININIT reads: a file's short
    // form, or its folder's and its name when it is gone; a gone file
    // without an 8.3 name is not written).
    std::vector<std::string> scheduled() const {
        std::vector<std::string> entries;
        if (personaIsNT()) {
            const std::vector<std::string> all = pendingDeletions();
            entries.assign(all.begin() + static_cast<std::ptrdiff_t>(pendingBefore), all.end());
        } else {
            TokenList lines;
            getStrTokens(lines, readWininit(), "\r\n");
            for (size_t i = 1; i < lines.count(); ++i) entries.push_back(lines[i].substr(4));
        }
        return entries;
    }
    std::vector<std::string> expected(const std::vector<std::string>& paths) const {
        std::vector<std::string> entries;
        for (const std::string& path : paths) {
            const size_t cut = path.rfind('\\');
            const std::string shortPath = getShortPath(path);
            if (personaIsNT())
                entries.push_back(path);
            else if (!shortPath.empty())
                entries.push_back(shortPath);
            else if (isShortName(path.substr(cut + 1)))
                entries.push_back(getShortPath(path.substr(0, cut)) + path.substr(cut));
        }
        return entries;
    }
    InstallRecord record;
    std::string orig;
    size_t pendingBefore = 0;
};

TEST_F(ScheduleSetupTempFiles, SchedulesFixedNamesThenLanguageLibraryInOrder) {
    record.languageDll = "Setup Language.dll";
    const std::string t = record.tempDir;
    scheduleSetupTempFiles(record, orig, record.languageDll);
    EXPECT_EQ(expected({t + "KmiInst.exe", t + "KmiInst.dll", t + "hires.bmp", t + "lores.bmp",
                        getShortPath(t + "Setup Language.dll"), orig + "\\KmiInst.exe",
                        orig + "\\KmiInst.dll", orig + "\\hires.bmp", orig + "\\lores.bmp",
                        orig + "\\Setup Language.dll"}),
              scheduled());
}

TEST_F(ScheduleSetupTempFiles, SchedulesNothingUndefinedForTheLanguageLibrary) {
    const std::string t = record.tempDir;
    record.languageDll = "";
    scheduleSetupTempFiles(record, orig, record.languageDll);
    record.languageDll = "gone.dll";  // no short form: it no longer exists
    scheduleSetupTempFiles(record, "", record.languageDll);
    record.tempDir = "";  // unknown: its names would land in the drive's root
    scheduleSetupTempFiles(record, "", record.languageDll);
    std::vector<std::string> paths;
    for (const std::string& dir : {t, orig + "\\", t})
        for (const char* name : {"KmiInst.exe", "KmiInst.dll", "hires.bmp", "lores.bmp"})
            paths.push_back(dir + name);
    EXPECT_EQ(expected(paths), scheduled());
}

// A setup folder must show that it is a temporary one: the Windows and
// system directories, a drive root, a climb out of TEMP get nothing, each
// with one line.
TEST_F(ScheduleSetupTempFiles, SchedulesNothingOutsideATemporaryFolder) {
    record.languageDll = "SYSTEM.INI";
    record.tempDir = "";
    for (const std::string& dir : {getWindowsDir(), getSystemDir() + "\\", std::string("C:\\"),
                                   orig + "\\..\\.."}) {
        LogTail tail;
        scheduleSetupTempFiles(record, dir, record.languageDll);
        EXPECT_NE(std::string::npos, tail.added().find("OrigTmpDir \"" + dir + "\" is not a "
                                                       "temporary folder")) << dir;
    }
    EXPECT_EQ(std::vector<std::string>(), scheduled());
}

}  // namespace
