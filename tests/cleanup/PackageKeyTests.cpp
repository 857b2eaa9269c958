// What the registry sees when the package's keys go: every value of a key is
// deleted before the key itself (on Windows 2000 and XP a key that keeps a
// sub-key cannot be deleted, and its values must not stay behind), and the
// control-panel key named in a LineMon.ini that lies in a folder not the
// package's is never touched.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "ImportPatch.h"
#include "ScratchKit.h"
#include "cleanup/FolderJudges.h"
#include "cleanup/Guards.h"
#include "cleanup/Registrations.h"
#include "cleanup/SharedDlls.h"
#include "cleanup/GuiComponents.h"
#include "settings/InstallRecord.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/ShellFolders.h"
#include <shlobj.h>

namespace {

// The registry deletions the product makes, in order: "value NAME" and
// "key PATH".
std::vector<std::string> deletions;
ImportPatch* deleteValuePatch = nullptr;
ImportPatch* deleteKeyPatch = nullptr;

LONG WINAPI recordDeleteValue(HKEY key, LPCSTR name) {
    deletions.push_back(std::string("value ") + (name ? name : "<null>"));
    return deleteValuePatch->original<decltype(&RegDeleteValueA)>()(key, name);
}

LONG WINAPI recordDeleteKey(HKEY root, LPCSTR path) {
    deletions.push_back(std::string("key ") + (path ? path : "<null>"));
    return deleteKeyPatch->original<decltype(&RegDeleteKeyA)>()(root, path);
}

class RegistryDeletions : public ::testing::Test {
protected:
    void SetUp() override {
        deletions.clear();
        deleteValuePatch = &valuePatch;
        deleteKeyPatch = &keyPatch;
        ASSERT_TRUE(valuePatch.active() && keyPatch.active()) << "registry imports not found";
    }
    void TearDown() override {
        deleteValuePatch = nullptr;
        deleteKeyPatch = nullptr;
    }
    ImportPatch valuePatch{"ADVAPI32.dll", "RegDeleteValueA",
                           reinterpret_cast<const void*>(&recordDeleteValue)};
    ImportPatch keyPatch{"ADVAPI32.dll", "RegDeleteKeyA",
                         reinterpret_cast<const void*>(&recordDeleteKey)};
};

std::string listed(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += "\n  " + item;
    return text;
}

TEST_F(RegistryDeletions, EmptiesThePackageKeyThenDeletesIt) {
    const std::string key = "Software\\VtxOrder\\PM100";
    setRegString(key, "Alpha", "1");
    setRegDword(key, "Beta", 2);
    setRegString(key, "", "default");
    removePackageKey("test", "\\Software\\VtxOrder\\\\PM100\\");
    const std::vector<std::string> expected = {"value ", "value Alpha", "value Beta",
                                               "key Software\\VtxOrder\\PM100"};
    std::vector<std::string> values(deletions.begin(), deletions.end());
    std::sort(values.begin(), values.end() - (values.empty() ? 0 : 1));
    EXPECT_EQ(expected, values) << "got:" << listed(deletions) << "\nexpected (values in any "
                                << "order, then the key):" << listed(expected);
    EXPECT_FALSE(keyExists(key)) << "key " << key << " still there";
    deleteKeyTree("Software\\VtxOrder");
}

TEST_F(RegistryDeletions, KeyWithASubKeyLosesItsValuesAndStays) {
    const std::string key = "Software\\VtxOrder\\Kept";
    setRegString(key, "Alpha", "1");
    setRegString(key + "\\Child", "c", "1");
    removePackageKey("test", key);
    // Not even asked for: Windows 95, 98 and Me would delete the whole tree.
    EXPECT_TRUE(keyExists(key + "\\Child")) << "key " << key << "\\Child gone";
    EXPECT_EQ(std::vector<std::string>{"value Alpha"}, deletions) << "got:" << listed(deletions);
    EXPECT_FALSE(valueExists(key, "Alpha")) << "value Alpha of " << key << " still there";
    deleteKeyTree("Software\\VtxOrder");
}

// A LineMon.ini in a drive root, the Windows directory, the user's data or
// a folder shared with others is not the package's to follow: the key it names stays, and nothing is
// deleted in the registry at all.
TEST_F(RegistryDeletions, LineMonIniOutsideThePackageNamesNoKey) {
    const std::string key = "Software\\VtxLineMonGuard\\Panel";
    const std::string letters = getSpecialFolderPath(CSIDL_PERSONAL) + "\\Letters";
    CreateDirectoryA(letters.c_str(), nullptr);
    // A folder shared with others (Common Files) may hold another product's
    // LineMon.ini.
    const std::string shared = getSpecialFolderPath(CSIDL_PROGRAM_FILES_COMMON) + "\\VtxShared";
    CreateDirectoryA(shared.c_str(), nullptr);
    for (const std::string& programDir : {std::string("C:\\"), getWindowsDir(), letters, shared}) {
        setRegString(key, "v", "1");
        setRegString(key + "\\Sub", "v", "1");
        const std::string lineMon = concatPath(programDir, "LineMon.ini");
        writeFile(lineMon, "[SystemInfo]\r\nRegistryKey=VtxLineMonGuard\\Panel\r\n");
        InstallRecord record;
        record.programDir = programDir;
        deletions.clear();
        vtxRemoveNewCplRegistry(record);
        DeleteFileA(lineMon.c_str());
        EXPECT_TRUE(valueExists(key + "\\Sub", "v")) << "program folder " << programDir;
        EXPECT_TRUE(valueExists(key, "v")) << "program folder " << programDir;
        EXPECT_EQ(std::vector<std::string>(), deletions)
            << "program folder " << programDir << ", deletions:" << listed(deletions);
    }
    deleteKeyTree("Software\\VtxLineMonGuard");
}

// Paths on a server are judged by their text: asking the platform about one
// that cannot be reached costs a network time-out while the progress window
// takes no messages.
std::vector<std::string> networkAsks;
ImportPatch* shortPathPatch = nullptr;
ImportPatch* attributesPatch = nullptr;

bool onServer(LPCSTR path) { return path && (path[0] == '\\' || path[0] == '/') && path[1] == path[0]; }

DWORD WINAPI recordShortPath(LPCSTR path, LPSTR shortPath, DWORD size) {
    if (!onServer(path))
        return shortPathPatch->original<decltype(&GetShortPathNameA)>()(path, shortPath, size);
    networkAsks.push_back(path);
    SetLastError(ERROR_BAD_NETPATH);
    return 0;
}

DWORD WINAPI recordAttributes(LPCSTR path) {
    if (!onServer(path)) return attributesPatch->original<decltype(&GetFileAttributesA)>()(path);
    networkAsks.push_back(path);
    SetLastError(ERROR_BAD_NETPATH);
    return INVALID_FILE_ATTRIBUTES;
}

TEST(NetworkPaths, AreNeverAskedOfThePlatform) {
    ImportPatch shortPath{"KERNEL32.dll", "GetShortPathNameA",
                          reinterpret_cast<const void*>(&recordShortPath)};
    ImportPatch attributes{"KERNEL32.dll", "GetFileAttributesA",
                           reinterpret_cast<const void*>(&recordAttributes)};
    ASSERT_TRUE(shortPath.active() && attributes.active()) << "file imports not found";
    shortPathPatch = &shortPath;
    attributesPatch = &attributes;
    const std::string server = "\\\\vtx-unreachable\\share";
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\VtxNet.exe";
    const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VtxNet";
    const std::string run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::string sharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    setRegString(appPaths, "", server + "\\net.exe");
    setRegString(appPaths, "Path", server + ";" + server + "\\bin");
    setRegString(entry, "UninstallString", "\"" + server + "\\setup.exe\" /u");
    setRegString(entry, "InstallLocation", server);
    setRegString(entry, "DisplayIcon", server + "\\net.exe,0");
    setRegString(run, "VtxNetTray", server + "\\tray.exe -x");
    setRegString(run, "KMICONEXE", server + "\\KmiCon.exe /tray");
    const std::string dir = scratchDir("Vtx Network");
    writeFile(dir + "\\own.dll", "x");
    setRegDword(sharedDlls, (server + "\\own.dll").c_str(), 2);
    networkAsks.clear();
    const ProgramDirVerdict verdict = judgeProgramDir("test", dir, "VtxOwn");
    PackagePlaces places;
    places.folders = {verdict.standing};
    EXPECT_FALSE(judgeStartupValue("test", "KMICONEXE", places));
    EXPECT_EQ("", releaseSharedFile(dir + "\\own.dll"));
    EXPECT_EQ(std::vector<std::string>(), networkAsks) << "asked:" << listed(networkAsks);
    shortPathPatch = attributesPatch = nullptr;
    for (const std::string& key : {appPaths, entry, sharedDlls}) deleteKeyTree(key);
    for (const char* name : {"VtxNetTray", "KMICONEXE"}) regDeleteValue(run, name, HKEY_LOCAL_MACHINE);
}

// A junction (as Vista's "Documents and Settings") or a mount point: the
// platform marks it FILE_ATTRIBUTE_REPARSE_POINT, which Wine never shows.
std::string junction;

DWORD WINAPI junctionAttributes(LPCSTR path) {
    const DWORD attributes = attributesPatch->original<decltype(&GetFileAttributesA)>()(path);
    if (path == nullptr || lstrcmpiA(path, junction.c_str()) != 0) return attributes;
    return attributes | 0x400;
}

TEST(ReparsePoints, NoFolderIsEmptiedThroughOne) {
    ImportPatch attributes{"KERNEL32.dll", "GetFileAttributesA",
                           reinterpret_cast<const void*>(&junctionAttributes)};
    ASSERT_TRUE(attributes.active()) << "file imports not found";
    attributesPatch = &attributes;
    junction = scratchDir("Vtx Junction");
    const std::string app = junction + "\\Kelmora\\PM100";
    CreateDirectoryA((junction + "\\Kelmora").c_str(), nullptr);
    CreateDirectoryA(app.c_str(), nullptr);
    writeFile(app + "\\LineMon.ini", "[SystemInfo]\r\n");
    EXPECT_EQ(FolderScope::nothing, judgeProgramDir("test", app, "VtxOwn").scope);
    EXPECT_EQ(FolderScope::nothing, judgeProgramDir("test", junction, "VtxOwn").scope);
    removePackageDir("test", app);
    EXPECT_TRUE(exists(app + "\\LineMon.ini"));
    junction = getTempDir() + "VtxJunction";
    CreateDirectoryA(junction.c_str(), nullptr);
    CreateDirectoryA((junction + "\\IS1").c_str(), nullptr);
    EXPECT_FALSE(isPlatformTempFolder(junction + "\\IS1"));
    attributesPatch = nullptr;
}

}  // namespace
