// The judges of the folders settings name: the program folder, the group,
// and the refusal of a protected folder by removePackageDir.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include <objbase.h>
#include <shlobj.h>
#include "ScratchKit.h"
#include "cleanup/FolderJudges.h"
#include "cleanup/GroupShortcuts.h"
#include "cleanup/SystemKeys.h"
#include "sysutil/Paths.h"
#include "sysutil/ProgramFiles.h"
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


// A shortcut written by the platform's own link object.
void writeShellLink(const std::string& path, const std::string& target) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    link->SetPath(target.c_str());
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    EXPECT_TRUE(file != nullptr && SUCCEEDED(file->Save(widePath, TRUE)));
    if (file != nullptr) file->Release();
    link->Release();
    CoUninitialize();
}

// A group's shortcut the icon sections do not list is the package's when
// what it starts lies in a folder of the package; one whose target cannot
// be read, lies elsewhere or is no local file is not.
TEST(GroupShortcuts, AreThePackagesByTheirTarget) {
    const std::string package = scratchDir("Vtx Pkg"), outside = scratchDir("Vtx Shortcuts") + "\\";
    const std::string group =
        getSpecialFolderPath(personaIsNT() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS) + "\\Vtx Group\\";
    CreateDirectoryA(group.c_str(), nullptr);
    const std::string url = "[InternetShortcut]\r\nURL=";
    writeFile(package + "\\vtxremove.exe", "MZ");
    writeShellLink(group + "Uninstall.lnk", package + "\\vtxremove.exe");
    writeShellLink(group + "Listed.lnk", package + "\\vtxremove.exe");
    writeShellLink(group + "Notepad.lnk", getWindowsDir() + "\\notepad.exe");
    writeFile(group + "Readme.url", url + "file:///C:/vtxtest/Vtx%20Pkg/Readme.txt\r\n");
    writeFile(group + "Escape.url", url + "file:///C:/vtxtest/Vtx%20Pkg/../../x\r\n");
    writeFile(group + "Site.url", url + "http://vtxtest/Vtx%20Pkg/\r\n");
    writeFile(group + "Broken.lnk", std::string("L\0\0\0garbage", 11));
    TokenList listed;
    listed.add("listed.LNK");
    const TokenList found = packageShortcutsByTarget("test", group, listed, {folderStanding(package)});
    std::vector<std::string> names;
    for (size_t i = 0; i < found.count(); ++i) names.push_back(found[i]);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"Readme.url", "Uninstall.lnk"}), names);
    writeShellLink(outside + "Uninstall.lnk", package + "\\vtxremove.exe");  // no group
    EXPECT_EQ(0u, packageShortcutsByTarget("test", outside, listed, {folderStanding(package)}).count());
}

// Program Files and Common Files as the platform names them, on any drive;
// a Windows that names none (the first Windows 95) has the English names.
TEST(ProgramFiles, AreThePlatformsOwn) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    const std::string files = platformProgramFilesDir(), common = platformCommonFilesDir();
    setRegString(key, "ProgramFilesDir", "D:\\Programas");
    EXPECT_EQ("D:\\Programas", platformProgramFilesDir());
    for (const char* name : {"ProgramFilesDir", "CommonFilesDir"})
        regDeleteValue(key, name, HKEY_LOCAL_MACHINE);
    const std::string english = getWindowsDir().substr(0, 2) + "\\Program Files";
    EXPECT_EQ(english, platformProgramFilesDir());
    EXPECT_EQ(english + "\\Common Files", platformCommonFilesDir());
    setRegString(key, "ProgramFilesDir", files);
    setRegString(key, "CommonFilesDir", common);
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
