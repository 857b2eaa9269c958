// The guards over tables of keys and folders: a key is the package's only by
// its shape; a folder is refused by the folder rule, which runs here with the
// layouts of real Windows 98, NT 4 and XP (Wine keeps the start menu outside
// the Windows directory, real Windows 95 to NT 4 do not).
#include <gtest/gtest.h>
#include <map>
#include "ScratchKit.h"
#include "cleanup/FileJudge.h"
#include "cleanup/FolderJudges.h"
#include "cleanup/Guards.h"
#include "cleanup/SystemKeys.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/ShellFolders.h"
#include "sysutil/TokenList.h"
#include <shlobj.h>

namespace {

struct Row {
    const char* path;
    bool refused;
    const char* why;
};

TEST(KeyGuard, AllowsKeysByTheirShape) {
    const Row rows[] = {
        {"Software\\Kelmora\\PM100", false, "a vendor's key below Software"},
        {"\\software\\\\KELMORA\\PM100 Panel\\", false, "case, outer and doubled backslashes"},
        {"Software\\Kelmora", false, "a vendor's key: kept while it has sub-keys"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pathmark 100", false,
         "exactly one uninstall entry"},
        {"Software\\microsoft\\WINDOWS\\currentversion\\uninstall\\{5e1d0c7a}\\", false,
         "an uninstall entry in any case, trailing backslash"},
        {"Software\\Kelmora/PM100", false, "a slash belongs to the key's name"},
        {"", true, "empty"},
        {"\\\\\\", true, "backslashes only"},
        {"Software", true, "Software itself"},
        {"Software\\\\", true, "Software with trailing backslashes"},
        {"SYSTEM\\CurrentControlSet\\Services", true, "not below Software"},
        {"Software\\Classes\\TypeLib", true, "shared root Classes"},
        {"software\\CLASSES", true, "shared root in another case"},
        {"Software\\Clients\\Mail", true, "shared root Clients"},
        {"Software\\Policies\\Kelmora", true, "shared root Policies"},
        {"Software\\ODBC\\ODBC.INI", true, "shared root ODBC"},
        {"Software\\Wow6432Node\\Kelmora", true, "shared root Wow6432Node"},
        {"Software\\RegisteredApplications", true, "shared root RegisteredApplications"},
        {"Software\\Secure", true, "shared root Secure"},
        {"Software\\Description\\Microsoft\\Rpc", true, "shared root Description"},
        {"Software\\Program Groups", true, "shared root Program Groups"},
        {"Software\\InstallShield\\Kelmora", true, "shared root InstallShield"},
        {"SOFTWARE\\installshield\\", true, "InstallShield in another case"},
        {"Software\\Microsoft", true, "Microsoft itself"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", true,
         "below Microsoft but not an uninstall entry"},
        {"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", true,
         "below Microsoft but not an uninstall entry"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true, "the Uninstall key"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pkg\\Sub", true,
         "below an uninstall entry"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\x\\y", true,
         "as deep as an uninstall entry, elsewhere"},
        {"Software/Kelmora", true, "one component named Software/Kelmora, not Software"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.refused, !isPackageKey(row.path)) << "\"" << row.path << "\": " << row.why;
}

// Only a key two levels below Software has its sub-keys walked: those of a
// vendor's key are its other products.
TEST(KeyGuard, WalksOnlyKeysTwoLevelsBelowSoftware) {
    EXPECT_TRUE(isWalkableKey("\\software\\\\KELMORA\\Panel\\"));
    for (const char* key : {"Software\\Kelmora", "SOFTWARE\\\\kelmora\\\\", "Software\\Classes\\X"})
        EXPECT_FALSE(isWalkableKey(key)) << key;
}

// The key of another program keeps its values and sub-keys, on either
// family (on 9x one key deletion would take the whole subtree).
TEST(KeyGuard, LeavesARefusedKeyWhole) {
    const std::string other = "Software\\Classes\\VtxGuardTest";
    setRegString(other, "keep", "1");
    setRegString(other + "\\Sub", "keep", "2");
    removePackageKey("test", other + "\\");
    EXPECT_TRUE(valueExists(other, "keep"));
    EXPECT_TRUE(valueExists(other + "\\Sub", "keep"));
    const std::string line = "test: key \"" + other + "\\\" is not the package's, not deleted";
    const std::string log = logText();
    EXPECT_NE(std::string::npos, log.find(line));
    EXPECT_EQ(log.find(line), log.rfind(line)) << "one line";
    deleteKeyTree(other);

    setRegString("Software\\VtxPkg", "a", "1");
    removePackageKey("test", "Software\\VtxPkg\\Sub\\..");  // a name, never the parent
    EXPECT_TRUE(valueExists("Software\\VtxPkg", "a"));
    removePackageKey("test", "Software\\\\VtxPkg\\");
    EXPECT_FALSE(keyExists("Software\\VtxPkg"));
}

// refused: what the rule (covers by default) says of each row's path.
template <class Refuses>
void expectRows(const FolderLayout& layout, const std::vector<Row>& rows, Refuses refuses) {
    const ProtectedDirs rule(layout);
    for (const Row& row : rows)
        EXPECT_EQ(row.refused, refuses(rule, row.path)) << "\"" << row.path << "\": " << row.why;
}

void expectRows(const FolderLayout& layout, const std::vector<Row>& rows) {
    expectRows(layout, rows,
               [](const ProtectedDirs& rule, const char* p) { return rule.covers(p); });
}

// Rows of the temporary-folder rule: refused means no place for setup files.
void expectTempRows(const FolderLayout& layout, const std::vector<Row>& rows) {
    expectRows(layout, rows,
               [](const ProtectedDirs& rule, const char* p) { return !rule.isTempFolder(p); });
}

// A program folder inside Common Files (both forms listed) is never emptied.
void expectCommonFilesRows(FolderLayout layout) {
    layout.commonFilesDirs = {"C:\\Program Files\\Common Files", "C:\\PROGRA~1\\COMMON~1"};
    expectRows(layout,
               {{"c:\\progra~1\\common~1\\kelmora\\", true, "short form, case"},
                {"C:/Program Files/Common Files./System", true, "slashes, trailing dot"},
                {"C:\\Program Files\\Common Files\\..\\Kelmora", false, ".. out of it"},
                {"C:\\Program Files\\Common", false, "beside it"}},
               [](const ProtectedDirs& rule, const char* p) { return rule.isInCommonFiles(p); });
}

const std::string tooLong = "C:\\Program Files\\" + std::string(250, 'P');

// Rows that hold on every layout: drive roots, unresolvable paths, shares.
const std::vector<Row> everywhere = {
    {"C:\\", true, "drive root"},
    {"c:", true, "drive root without backslash"},
    {"C:\\..\\..", true, ".. stops at the drive root"},
    {"D:/", true, "another drive's root, forward slash"},
    {"", true, "empty"},
    {"Program Files\\Kelmora", true, "relative"},
    {"C:Kelmora", true, "relative to the drive's current folder"},
    {"\\Kelmora", true, "no drive"},
    {tooLong.c_str(), true, "beyond the platform's path limit"},
    {"\\\\server\\share\\", true, "root of a share"},
    {"\\\\server\\share\\pkg", false, "a folder on a share"},
    {"C:\\Program Files\\Kelmora\\PM100", false, "the program folder"},
    {"C:\\Program Files\\Kelmora\\PM100\\mdmpack", false, "its mdmpack"},
    {"C:\\PROGRA~1\\Kelmora\\PM100\\", false, "short form, trailing backslash"},
    {"C:\\Program Files\\InstallShield Installation Information\\{5e1d0c7a}", false,
     "the setup record's folder"},
    {"C:\\Program Files", true, "the program-files root"},
    {"c:\\progra~1\\", true, "its short form, case, trailing backslash"},
    {"C:\\Program Files\\Kelmora\\..\\.", true, ".. and . back to the root"},
    {"C:\\Program Files\\Common Files", true, "the common-files root"},
    {"C:\\Program Files\\Kelmora\\PM100\\....", true, "dots only: three levels up on 95"},
    {"C:\\Program Files\\Kelmora\\. \\PM100", true, "a dot and a blank"},
};

std::vector<Row> withEverywhere(std::vector<Row> rows) {
    rows.insert(rows.end(), everywhere.begin(), everywhere.end());
    return rows;
}

TEST(DirGuard, Windows98Layout) {
    FolderLayout layout;
    layout.windowsDirs = {"C:\\WINDOWS"};
    layout.programsDirs = {"C:\\WINDOWS\\Start Menu\\Programs", "C:\\WINDOWS\\STARTM~1\\PROGRAMS"};
    layout.protectedDirs = {
        "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\TEMP", "C:\\Program Files", "C:\\PROGRA~1",
        "C:\\Program Files\\Common Files", "C:\\WINDOWS\\Desktop",
        "C:\\WINDOWS\\Start Menu", "C:\\WINDOWS\\STARTM~1",
        "C:\\WINDOWS\\Start Menu\\Programs", "C:\\WINDOWS\\STARTM~1\\PROGRAMS",
        "C:\\WINDOWS\\Start Menu\\Programs\\StartUp", "C:\\WINDOWS\\STARTM~1\\PROGRAMS\\STARTUP",
        "C:\\WINDOWS\\Favorites", "C:\\My Documents", "C:\\WINDOWS\\Application Data",
        "C:\\WINDOWS\\ShellNew", "C:\\WINDOWS\\SendTo", "C:\\WINDOWS\\Recent", "C:\\WINDOWS\\Fonts"};
    expectRows(layout, withEverywhere({
        {"C:\\WINDOWS\\Start Menu\\Programs\\Pathmark 100 ADSL Router", false, "program group"},
        {"c:\\windows\\start menu\\programs\\pathmark 100 adsl router\\", false,
         "program group, case, trailing backslash"},
        {"C:\\WINDOWS\\STARTM~1\\PROGRAMS\\PATHMA~1", false, "program group, short form"},
        {"C:/WINDOWS/Start Menu/Programs/Pathmark", false, "program group, forward slashes"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\Kelmora\\Pathmark", false, "a group's sub-group"},
        {"C:\\WINDOWS\\Start Menu\\Programs", true, "the Programs folder itself"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\", true, "Programs, trailing backslash"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\StartUp", true, "special folder below Programs"},
        {"C:\\WINDOWS\\STARTM~1\\PROGRAMS\\STARTUP\\", true, "the same, short form"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\Pathmark\\..\\StartUp", true, ".. into StartUp"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\..", true, ".. up to the Start Menu"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\..\\Pathmark", true,
         "beside Programs: inside the Windows directory"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\..\\..\\inf", true, ".. into inf"},
        {"C:\\WINDOWS", true, "the Windows directory"},
        {"C:\\WINDOWS.", true, "trailing dot"},
        {"C:\\WINDOWS ", true, "trailing blank"},
        {"c:\\windows \\help", true, "trailing blank inside"},
        {"C:\\WINDOWS\\INF", true, "inside the Windows directory"},
        {"C:\\windows\\help\\", true, "inside the Windows directory, case"},
        {"C:\\WINDOWS\\Command\\EBD", true, "deep inside the Windows directory"},
        {"C:\\WINDOWS\\Desktop", true, "the desktop"},
        {"C:\\WINDOWS\\SYSTEM\\..\\Fonts", true, ".. into Fonts"},
        {"C:\\My Documents", true, "My Documents"},
        {"C:\\My Documents\\Pathmark", false, "inside My Documents, outside the Windows directory"},
    }));
    layout.tempDirs = {"C:\\WINDOWS\\TEMP\\", "C:\\WINDOWS\\TEMP", "c:\\windows\\temp"};
    expectTempRows(layout, {
        {"c:\\windows\\temp\\", false, "TEMP itself, case, trailing backslash"},
        {"C:/WINDOWS/TEMP./_ISTMP1.DIR ", false, "slashes, trailing dot and blank"},
        {"C:\\WINDOWS", true, "the Windows directory"},
        {"C:\\WINDOWS\\TEMP\\_ISTMP1.DIR\\..", true, "a .. (even one that stays inside)"},
        {"C:\\WINDOWS\\TEMP\\...\\SYSTEM", true, "... (two levels up on Windows 9x)"},
        {"C:\\WINDOWS\\TEMPORARY", true, "beside TEMP"},
        {(std::string("C:\\WINDOWS\\TEMP\\") + std::string(250, 'T')).c_str(), true,
         "beyond the platform's path limit"},
    });
    expectCommonFilesRows(layout);
}

TEST(DirGuard, WindowsNT4Layout) {
    const std::string common = "C:\\WINNT\\Profiles\\All Users\\Start Menu\\Programs";
    const std::string user = "C:\\WINNT\\Profiles\\Administrator\\Start Menu\\Programs";
    FolderLayout layout;
    layout.windowsDirs = {"C:\\WINNT"};
    layout.programsDirs = {common, user};
    layout.protectedDirs = {
        "C:\\WINNT\\system32", "C:\\TEMP", "C:\\Program Files", "C:\\PROGRA~1",
        "C:\\Program Files\\Common Files", common, user, common + "\\Startup", user + "\\Startup",
        common + "\\Administrative Tools (Common)", "C:\\WINNT\\Profiles\\All Users\\Desktop",
        "C:\\WINNT\\Profiles\\Administrator\\Desktop", "C:\\WINNT\\Profiles\\Administrator",
        "C:\\WINNT\\Profiles\\All Users", "C:\\WINNT\\Profiles\\Default User"};
    expectRows(layout, withEverywhere({
        {(common + "\\Pathmark 100 ADSL Router").c_str(), false, "program group of all users"},
        {(user + "\\Pathmark 100 ADSL Router\\").c_str(), false, "program group of the user"},
        {(common + "\\Administrative Tools (Common)").c_str(), true, "special folder below Programs"},
        {(common + "\\startup\\").c_str(), true, "Startup, case, trailing backslash"},
        {(common + "\\Pathmark\\..\\..").c_str(), true, ".. up to the Start Menu"},
        {"C:\\WINNT\\Profiles", true, "above the profiles"},
        {"C:\\WINNT\\Profiles\\Administrator\\Favorites\\Links", true,
         "inside the Windows directory, outside Programs"},
        {"C:\\WINNT\\inf", true, "inside the Windows directory"},
        {"C:\\WINNT\\Help", true, "inside the Windows directory"},
        {"C:\\WINNT\\system32\\drivers", true, "the drivers folder"},
        {"C:\\TEMP", true, "the temporary directory"},
        {"C:\\TEMP\\_ISTMP1.DIR", false, "a folder inside it"},
    }));
    layout.tempDirs = {"C:\\TEMP\\", "C:\\WINNT\\TEMP", "C:\\TEMP"};
    expectTempRows(layout, {{"C:\\WINNT\\Temp\\_ISTMP1.DIR", false, "the Windows directory's TEMP"},
                            {"C:\\WINNT\\system32\\", true, "the system directory"}});
}

TEST(DirGuard, WindowsXPLayout) {
    const std::string profiles = "C:\\Documents and Settings";
    const std::string common = profiles + "\\All Users\\Start Menu\\Programs";
    const std::string user = profiles + "\\Administrator\\Start Menu\\Programs";
    FolderLayout layout;
    layout.windowsDirs = {"C:\\WINDOWS"};
    layout.programsDirs = {common, user, "C:\\DOCUME~1\\ALLUSE~1\\STARTM~1\\PROGRAMS"};
    layout.protectedDirs = {
        "C:\\WINDOWS\\system32", profiles + "\\Administrator\\Local Settings\\Temp",
        "C:\\Program Files", "C:\\PROGRA~1", "C:\\Program Files\\Common Files", common, user,
        common + "\\Startup", common + "\\Administrative Tools", profiles + "\\All Users\\Desktop",
        profiles + "\\Administrator\\My Documents", profiles + "\\Administrator\\Application Data",
        profiles, "C:\\DOCUME~1", profiles + "\\Administrator", profiles + "\\All Users",
        profiles + "\\Default User"};
    expectRows(layout, withEverywhere({
        {(common + "\\Pathmark 100 ADSL Router").c_str(), false, "program group"},
        {"C:\\DOCUME~1\\ALLUSE~1\\STARTM~1\\PROGRAMS\\PATHMA~1", false, "program group, short"},
        {(common + "\\Administrative Tools").c_str(), true, "special folder below Programs"},
        {(common + "\\STARTUP").c_str(), true, "Startup in capitals"},
        {(common + "\\..\\..\\..").c_str(), true, ".. up to the profiles folder"},
        {"C:\\Documents and Settings\\Default User\\", true, "a profile"},
        {"c:\\docume~1", true, "the profiles folder, short form"},
        {(profiles + "\\Administrator\\Local Settings\\Temp").c_str(), true, "temporary dir"},
        {"C:\\WINDOWS\\Help", true, "inside the Windows directory"},
        {"C:\\WINDOWS\\inf\\", true, "inside the Windows directory"},
        {"C:\\windows\\system32\\..\\inf", true, ".. into inf"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\Pathmark", true,
         "9x place of Programs: inside the Windows directory here"},
    }));
    // GetTempPath and %TEMP% give the short form, the profile list the long.
    layout.tempDirs = {"C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\",
                       profiles + "\\Administrator\\Local Settings\\Temp", "C:\\WINDOWS\\TEMP"};
    expectTempRows(layout, {
        {"C:\\DOCUME~1\\ADMINI~1\\LOCALS~1\\Temp\\_ISTMP1.DIR", false, "short form"},
        {(profiles + "\\Administrator\\Local Settings\\TEMP\\_ISTMP1.DIR").c_str(), false,
         "long form, case"},
        {(profiles + "\\Administrator\\Local Settings").c_str(), true, "above TEMP"},
    });
    expectCommonFilesRows(layout);
}

// The user's data holds no program folder, whatever lies inside it; a data
// folder that is a drive root (documents moved to C:\) counts as none, and
// the profile does not hold a program-files root inside it.
TEST(DirGuard, DataFoldersHoldNoProgramFolder) {
    const std::string user = "C:\\Documents and Settings\\Administrator";
    FolderLayout layout;
    layout.dataDirs = {"C:\\My Documents", user + "\\Application Data", "C:\\",
                       "C:\\Documents and Settings\\All Users\\Application Data"};
    layout.profileDirs = {user};
    layout.programFilesDirs = {user + "\\Program Files"};
    const ProtectedDirs rule(layout);
    struct DataRow {
        std::string path;
        bool refused;
        const char* why;
    };
    const DataRow rows[] = {
        {"C:\\My Documents\\Letters", true, "inside My Documents"},
        {"C:\\My Documents \\Letters", true, "trailing blank"},
        {user + "\\Application Data\\Microsoft\\Protect\\S-1-5-21", true,
         "the user's keys"},
        {"C:\\Documents and Settings\\All Users\\Application Data\\Microsoft\\Crypto\\RSA",
         true, "all users' keys"},
        {user + "\\Kelmora", true, "in the profile"},
        {user + "\\Program Files\\Kelmora", false, "a program-files root in the profile"},
        {"C:\\Program Files\\Kelmora\\PM100", false, "below the root, not in a data folder"},
        {"C:\\My Documents Old\\PM100", false, "beside My Documents"},
    };
    for (const DataRow& row : rows)
        EXPECT_EQ(row.refused, !rule.dataFolderHolding(row.path).empty()) << row.path << ": " << row.why;
}

// A temporary folder that is a drive root (GetTempPath on Windows 9x without
// TEMP gives the current folder), the Windows directory (on NT without TEMP)
// or a profile is no temporary folder at all.
TEST(DirGuard, TemporaryFoldersThatHoldSharedOnesCountAsNone) {
    FolderLayout layout;
    layout.windowsDirs = {"C:\\WINDOWS"};
    layout.protectedDirs = {"C:\\Profile\\Desktop"};
    layout.tempDirs = {"C:\\", "C:\\WINDOWS", "C:\\Profile", "D:\\Temp"};
    expectTempRows(layout, {{"C:\\Setup", true, "below a drive root"},
                            {"C:\\WINDOWS\\SYSTEM", true, "below the Windows directory"},
                            {"C:\\Profile\\Setup", true, "below a profile"},
                            {"D:\\Temp\\Setup", false, "below a temporary folder"}});
}

// The folders of the shell's Shell Folders keys, read from the registry
// rather than through the lookup the rule itself uses (names in braces are
// known folders of later Windows versions, without a folder id here).
std::map<std::string, std::string> shellFolders() {
    std::map<std::string, std::string> folders;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key = nullptr;
        RegOpenKeyExA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      0, KEY_READ, &key);
        char name[260], data[MAX_PATH];
        DWORD nameSize = sizeof name, dataSize = sizeof data;
        for (DWORD i = 0; RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(data), &dataSize) == 0;
             ++i, nameSize = sizeof name, dataSize = sizeof data)
            if (name[0] != '{') folders[name] = data;
        if (key) RegCloseKey(key);
    }
    return folders;
}

TEST(DirGuard, RefusesEveryFolderOfTheShellFoldersKeys) {
    auto folders = shellFolders();
    EXPECT_GT(folders.size(), 20u);
    for (const auto& folder : folders)
        EXPECT_TRUE(isProtectedDir(folder.second + "\\")) << folder.first << " " << folder.second;
    for (const char* name : {"Programs", "Common Programs"})
        EXPECT_FALSE(isProtectedDir(folders[name] + "\\Vantix DSL")) << name;
    EXPECT_TRUE(isProtectedDir(getWindowsDir() + "\\inf"));

    // What an empty product name makes of the program group.
    const std::string programs = folders["Common Programs"];
    ASSERT_NE("", programs);
    writeFile(programs + "\\Other.lnk", "x");
    removePackageDir("test", programs);
    EXPECT_TRUE(exists(programs + "\\Other.lnk"));
    EXPECT_NE(std::string::npos, logText().find("test: directory \"" + programs + "\" is not"));
}

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

}  // namespace
