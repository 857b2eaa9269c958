// The judges of the folders settings name: the program folder, the group,
// and the refusal of a protected folder by removePackageDir.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "ScratchKit.h"
#include "cleanup/FolderJudges.h"
#include "cleanup/SystemKeys.h"
#include "sysutil/Paths.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/ShellFolders.h"
#include "sysutil/TokenList.h"

namespace {

// A program folder another product installed into (its uninstall entry's
// InstallLocation, in any written form) is not emptied; the package's own
// entry and its setup record's do not count.
TEST(ProgramDirGuard, RefusesAFolderAnotherProductInstalledInto) {
    const std::string dir = scratchDir("Shared Program");
    writeFile(dir + "\\LineMon.ini", "[SystemInfo]\r\n");
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
    EXPECT_TRUE(shared.mdmpackAllowed);
    EXPECT_FALSE(shared.lineMonAllowed);
    deleteKeyTree(appPaths);
}

// A program folder goes whole only on proof its setup wrote (LineMon.ini, a
// companion's start-up value starting a program there) and with no hold of
// another product (a path of its uninstall entry, a start-up value); one in
// the start menu never does.
TEST(ProgramDirGuard, GoesWholeOnlyOnProofAndWithoutOthersHold) {
    const std::string dir = scratchDir("Vtx Proof");
    const std::string entry = std::string(uninstallKey) + "\\VtxOtherEntry";
    const std::string runServices = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
    writeFile(dir + "\\KmiCon.exe", "MZ");
    EXPECT_EQ(FolderScope::namedFilesOnly, judgeProgramDir("test", dir, "VtxOwn").scope);
    EXPECT_NE(std::string::npos, logLines().back().find("holds neither LineMon.ini nor"));
    setRegString(startupKey, "LINEMONEXE", "\"" + dir + "\\KmiCon.exe\" /min");
    EXPECT_EQ(FolderScope::whole, judgeProgramDir("test", dir, "VtxOwn").scope);
    const struct {
        std::string key;
        const char* name;
        std::string value;
    } holds[] = {
        {entry, "UninstallString", "\"" + dir + "\\Uninst.exe\" /S"},
        {entry, "DisplayIcon", getShortPath(dir) + "\\other.ico,0"},
        {startupKey, "OtherTray", dir + "\\KmiCon.exe -tray"},
        {runServices, "OtherService", dir + "\\KmiCon.exe"},
    };
    for (const auto& hold : holds) {
        setRegString(hold.key, hold.name, hold.value);
        EXPECT_EQ(FolderScope::namedFilesOnly, judgeProgramDir("test", dir, "VtxOwn").scope)
            << hold.name;
        if (hold.key == entry) deleteKeyTree(entry);
        else regDeleteValue(hold.key, hold.name, HKEY_LOCAL_MACHINE);
    }
    regDeleteValue(startupKey, "LINEMONEXE", HKEY_LOCAL_MACHINE);
    const std::string programs =
        getSpecialFolderPath(personaIsNT() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    CreateDirectoryA((programs + "\\Accessories").c_str(), nullptr);
    writeFile(programs + "\\Accessories\\LineMon.ini", "[SystemInfo]\r\n");
    const ProgramDirVerdict menu = judgeProgramDir("test", programs + "\\Accessories", "VtxOwn");
    EXPECT_EQ(FolderScope::namedFilesOnly, menu.scope);
    EXPECT_FALSE(menu.mdmpackAllowed || menu.lineMonAllowed);
    DeleteFileA((programs + "\\Accessories\\LineMon.ini").c_str());
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


// The layouts of 64-bit Windows and of a machine with several users, laid
// out before the platform's folders are first asked for (once per process).
const std::string programFiles64 = "C:\\vtx64\\Program Files";
const std::string otherProfile = "C:\\vtxprofiles\\Other User";

class OtherLayouts : public ::testing::Environment {
    void SetUp() override {
        const std::string version = "Software\\Microsoft\\Windows\\CurrentVersion";
        for (const std::string& dir :
             {std::string("C:\\vtx64"), programFiles64, programFiles64 + "\\Common Files",
              programFiles64 + "\\Common Files\\Vtx", std::string("C:\\vtxprofiles"), otherProfile,
              otherProfile + "\\Vtx App"})
            CreateDirectoryA(dir.c_str(), nullptr);
        setRegString(version, "ProgramW6432Dir", programFiles64);
        setRegString(version, "CommonW6432Dir", programFiles64 + "\\Common Files");
        const std::string profiles = personaIsNT()
            ? "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-7-7-7-1007"
            : version + "\\ProfileList\\other";
        setRegString(profiles, "ProfileImagePath", otherProfile);
        if (!personaIsNT()) startMenuInWindows();
    }
    // Where Windows 95, 98 and Me keep the start menu (Wine keeps it in the
    // profile, among the user's data).
    static void startMenuInWindows() {
        const std::string menu = getWindowsDir() + "\\Start Menu";
        CreateDirectoryA(menu.c_str(), nullptr);
        CreateDirectoryA((menu + "\\Programs").c_str(), nullptr);
        for (const char* key : {"User Shell Folders", "Shell Folders"}) {
            HKEY folders = nullptr;
            const std::string path = std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\") + key;
            RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &folders);
            const std::string programs = menu + "\\Programs";
            RegSetValueExA(folders, "Programs", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(programs.c_str()), programs.size() + 1);
            RegCloseKey(folders);
        }
    }
};
::testing::Environment* const otherLayouts = ::testing::AddGlobalTestEnvironment(new OtherLayouts);

TEST(ProgramDirGuard, KnowsThe64BitRootsAndEveryUsersProfile) {
    EXPECT_EQ(FolderScope::nothing, judgeProgramDir("test", programFiles64, "VtxOwn").scope);
    writeFile(programFiles64 + "\\Common Files\\Vtx\\LineMon.ini", "[SystemInfo]\r\n");
    EXPECT_EQ(FolderScope::namedFilesOnly,
              judgeProgramDir("test", programFiles64 + "\\Common Files\\Vtx", "VtxOwn").scope);
    writeFile(otherProfile + "\\Vtx App\\LineMon.ini", "[SystemInfo]\r\n");
    const ProgramDirVerdict data = judgeProgramDir("test", otherProfile + "\\Vtx App", "VtxOwn");
    EXPECT_EQ(FolderScope::namedFilesOnly, data.scope);
    EXPECT_FALSE(data.mdmpackAllowed);
}

}  // namespace
