// Keys and directories that belong to everyone are never emptied or deleted.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "ScratchKit.h"
#include "cleanup/Guards.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/ShellFolders.h"

namespace {

TEST(KeyGuard, RefusesSharedKeysHoweverTheyAreWritten) {
    EXPECT_EQ("Software\\Vtx\\Cpl", normaliseKeyPath("\\Software\\\\Vtx\\Cpl\\\\"));
    for (const char* key :
         {"", "\\\\\\", "Software\\", "SYSTEM", "software\\\\classes", "Software\\Policies\\",
          "Software\\Microsoft", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"})
        EXPECT_TRUE(isSharedKey(key)) << key;
    for (const char* key :
         {"Software\\Kelmora", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vtx"})
        EXPECT_FALSE(isSharedKey(key)) << key;
}

TEST(KeyGuard, DeletesAPackageKeyButLeavesASharedOneAlone) {
    setRegString("Software", "VtxSentinel", "keep");
    setRegString("Software\\VtxPkg", "a", "1");
    setRegString("Software\\VtxPkg", "b", "2");
    removePackageKey("test", "Software\\\\");
    EXPECT_TRUE(valueExists("Software", "VtxSentinel"));
    EXPECT_NE(std::string::npos, logText().find("test: key \"Software\\\\\" is shared"));
    removePackageKey("test", "Software\\\\VtxPkg\\");
    EXPECT_FALSE(keyExists("Software\\VtxPkg"));
}

TEST(DirGuard, RefusesStartMenuAndDesktopFoldersOfUserAndAllUsers) {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_DESKTOPDIRECTORY,
                      CSIDL_COMMON_DESKTOPDIRECTORY}) {
        const std::string folder = getSpecialFolderPath(csidl);
        if (folder.empty()) continue;
        EXPECT_TRUE(isProtectedDir(folder + "\\")) << folder;
        EXPECT_FALSE(isProtectedDir(folder + "\\Vantix DSL")) << folder;
    }
    // What an empty product name makes of the program group.
    const std::string programs = getSpecialFolderPath(CSIDL_COMMON_PROGRAMS);
    ASSERT_NE("", programs);
    writeFile(programs + "\\Other.lnk", "x");
    removePackageDir("test", programs);
    EXPECT_TRUE(exists(programs + "\\Other.lnk"));
    EXPECT_NE(std::string::npos, logText().find("test: directory \"" + programs + "\" is not"));
}

TEST(NameGuard, RefusesNamesThatLeaveTheirFolder) {
    for (const char* name : {"..\\boot.ini", "..", ".", " ", ". .", "...", "", "a\\b", "a/b",
                             "C:boot.ini", "\\boot.ini", "file.txt:stream"})
        EXPECT_FALSE(isPlainFileName(name)) << name;
    for (const char* name : {"KmiSetup.log", " KmiSetup.log", "Pathmark Internet.lnk", "a..b",
                             "...lnk", "name."})
        EXPECT_TRUE(isPlainFileName(name)) << name;
    EXPECT_FALSE(acceptFileName("test: Items", "..\\%s%n"));
    EXPECT_NE(std::string::npos,
              logText().find("test: Items \"..\\%s%n\" is not a plain file name, nothing removed"));
}

}  // namespace
