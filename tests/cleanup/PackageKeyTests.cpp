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
#include "cleanup/Guards.h"
#include "cleanup/GuiComponents.h"
#include "settings/InstallRecord.h"
#include "sysutil/Paths.h"
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

// A LineMon.ini in a drive root, the Windows directory or the user's data is
// not the package's to follow: the key it names stays, and nothing is
// deleted in the registry at all.
TEST_F(RegistryDeletions, LineMonIniOutsideThePackageNamesNoKey) {
    const std::string key = "Software\\VtxLineMonGuard\\Panel";
    const std::string letters = getSpecialFolderPath(CSIDL_PERSONAL) + "\\Letters";
    CreateDirectoryA(letters.c_str(), nullptr);
    for (const std::string& programDir : {std::string("C:\\"), getWindowsDir(), letters}) {
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

}  // namespace
