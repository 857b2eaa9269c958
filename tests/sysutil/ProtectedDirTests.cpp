// The protected-folder rule: over tables of the layouts of real Windows 98,
// NT 4 and XP (Wine keeps the start menu outside the Windows directory, real
// Windows 95 to NT 4 do not), over the parts of a layout those tables do not
// reach, and over this prefix's own folders in the forms the platform gives.
#include <gtest/gtest.h>
#include <map>
#include <vector>
#include "ScratchKit.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/TextCase.h"

namespace {

struct Row {
    const char* path;
    bool refused;
    const char* why;
};

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

FolderLayout minimalLayout() {
    FolderLayout layout;
    layout.windowsDirs = {"C:\\WINDOWS"};
    layout.programsDirs = {"C:\\WINDOWS\\Start Menu\\Programs"};
    layout.protectedDirs = {"D:\\Data\\Shared\\Temp"};
    return layout;
}

TEST(FolderRule, RefusesEveryFolderAboveAProtectedOne) {
    const ProtectedDirs rule(minimalLayout());
    for (const char* dir : {"D:\\Data\\Shared", "d:\\data\\", "D:\\Data\\Shared\\Temp\\.."})
        EXPECT_TRUE(rule.covers(dir)) << dir << ": got allowed, expected refused (above Temp)";
    for (const char* dir : {"D:\\Data\\Other", "D:\\Data\\Shared\\Temp2", "D:\\Data\\Sha"})
        EXPECT_FALSE(rule.covers(dir)) << dir << ": got refused, expected allowed (beside Temp)";
}

TEST(FolderRule, ProgramsFolderItselfIsRefusedInsideTheWindowsDirectory) {
    const ProtectedDirs rule(minimalLayout());
    EXPECT_TRUE(rule.covers("C:\\WINDOWS\\Start Menu\\Programs\\"))
        << "the Programs folder: got allowed, expected refused";
    EXPECT_FALSE(rule.covers("C:\\WINDOWS\\Start Menu\\Programs\\Pathmark"))
        << "a group below it: got refused, expected allowed";
}

TEST(FolderRule, RecognisesAProtectedFolderWrittenHalfShort) {
    const std::string root = "C:\\Program Files";
    const std::string shortRoot = getShortPath(root);
    ASSERT_NE("", shortRoot) << root << " has no short form";
    ASSERT_NE(lowerCase(root), lowerCase(shortRoot)) << "no distinct short form";
    ASSERT_TRUE(exists(root + "\\Common Files")) << "no common-files folder in this prefix";
    const std::string halfShort = shortRoot + "\\Common Files";
    EXPECT_TRUE(isProtectedDir(halfShort)) << halfShort << ": got allowed, expected refused";
    EXPECT_FALSE(isProtectedDir(shortRoot + "\\Common Files\\Kelmora"))
        << shortRoot << "\\Common Files\\Kelmora: got refused, expected allowed";
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
}

TEST(ProtectedDirs, CoverSystemFoldersTheirAncestorsAndDriveRoots) {
    const std::string windowsDir = getWindowsDir();
    const std::string tempDir = getTempDir();
    // An empty path counts as protected: the short form must be there to
    // test anything.
    const std::string programFilesShort = getShortPath("C:\\Program Files");
    ASSERT_NE("", programFilesShort);
    for (const std::string& dir :
         {std::string("C:\\"), std::string("c:"), std::string(""), windowsDir + "\\\\",
          getSystemDir() + "\\DRIVERS", windowsDir + "\\system32\\..", tempDir,
          tempDir.substr(0, tempDir.find('\\', 3)), programFilesShort, windowsDir + "\\inf\\x"})
        EXPECT_TRUE(isProtectedDir(dir)) << dir;
    for (const std::string& dir : {tempDir + "vtx", std::string("C:\\vtxtest\\pkg")})
        EXPECT_FALSE(isProtectedDir(dir)) << dir;
}

}  // namespace
