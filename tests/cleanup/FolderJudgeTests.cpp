// The judges of the folders settings name: the program folder, the group,
// and the refusal of a protected folder by removePackageDir.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "ScratchKit.h"
#include "cleanup/FolderJudges.h"
#include "cleanup/SystemKeys.h"
#include "sysutil/Paths.h"
#include "sysutil/ShellFolders.h"
#include "sysutil/TokenList.h"

namespace {

// A program folder another product installed into (its uninstall entry's
// InstallLocation, in any written form) is not emptied; the package's own
// entry and its setup record's do not count.
TEST(ProgramDirGuard, RefusesAFolderAnotherProductInstalledInto) {
    const std::string dir = scratchDir("Shared Program");
    const std::string entries = std::string(uninstallKey) + "\\";
    setRegString(entries + "VtxOwn", "InstallLocation", dir);
    setRegString(entries + setupProductCode, "InstallLocation", dir);
    EXPECT_EQ(FolderScope::whole, judgeProgramDir("test", dir, "vtxown").scope);
    setRegString(entries + "VtxOther", "InstallLocation", "\"" + getShortPath(dir) + "\\\"");
    EXPECT_EQ(FolderScope::namedFilesOnly, judgeProgramDir("test", dir + "\\", "VtxOwn").scope);
    for (const char* entry : {"VtxOwn", "VtxOther", setupProductCode})
        deleteKeyTree(entries + entry);
    // An App Paths entry often holds only its default value: the program.
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VtxOther.exe";
    setRegString(appPaths, "", dir + "\\VtxOther.exe");
    const ProgramDirVerdict shared = judgeProgramDir("test", dir, "VtxOwn");
    EXPECT_EQ(FolderScope::namedFilesOnly, shared.scope);
    EXPECT_TRUE(shared.mdmpackAllowed && shared.lineMonAllowed);
    deleteKeyTree(appPaths);
}

// A group lies strictly below a start-menu Programs folder, without a
// component made only of dots.
TEST(GroupGuard, LiesBelowTheProgramsFolder) {
    const std::string programs =
        getSpecialFolderPath(personaIsNT() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    const TokenList none;
    EXPECT_EQ(FolderScope::whole, judgeGroup("test", programs + "\\Vtx\\Group", none).scope);
    EXPECT_EQ(FolderScope::nothing, judgeGroup("test", programs + "\\..\\Vtx Group", none).scope);
    const std::string outside = scratchDir("Vtx Group");
    EXPECT_EQ(FolderScope::nothing, judgeGroup("test", outside, none).scope);
    EXPECT_EQ("Vantix->test: ProductName group \"" + outside +
                  "\" lies outside the programs folder, not removed",
              logLines().back());
}

// What an empty product name makes of the program group: the programs
// folder itself, refused whole.
TEST(RemovePackageDir, RefusesTheProgramsFolderItself) {
    const std::string programs = getSpecialFolderPath(CSIDL_COMMON_PROGRAMS);
    ASSERT_NE("", programs);
    writeFile(programs + "\\Other.lnk", "x");
    removePackageDir("test", programs);
    EXPECT_TRUE(exists(programs + "\\Other.lnk"));
    EXPECT_NE(std::string::npos, logText().find("test: directory \"" + programs + "\" is not"));
}


}  // namespace
