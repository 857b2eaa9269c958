// The registry unit on a scratch key below HKEY_LOCAL_MACHINE\Software.
#include <gtest/gtest.h>

#include "SysutilTestSupport.h"
#include "sysutil/Handles.h"
#include "sysutil/RegistryIO.h"

namespace {

class RegistryIO : public testing::Test {
protected:
    RegistryIO() : key("VtxRegistryIOTest") {}
    ScratchKey key;
    LogTail log;
};

TEST_F(RegistryIO, DeleteValuesRemovesEveryValueButKeepsTheKey) {
    for (const char* name : {"", "one", "two", "three", "four"}) key.setString(name, "v");
    key.addSubKey("child");
    regDeleteValues(key.path, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(0u, key.valueCount());
    RegKey child;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.path + "\\child").c_str(), child.receive()));
    regDeleteValues(key.path, HKEY_LOCAL_MACHINE);  // nothing left: nothing to say
    regDeleteValues(key.path + "\\absent", HKEY_LOCAL_MACHINE);
    EXPECT_EQ("", log.added());
}

TEST_F(RegistryIO, OverlongValueNameStopsDeleteValuesBeforeAnyDeletion) {
    key.setString("first", "1");
    key.setString(std::string(300, 'n').c_str(), "long");
    key.setString("last", "2");
    regDeleteValues(key.path, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(3u, key.valueCount());
    EXPECT_EQ("RegistryIO:->Can't remove registry values\r\n", log.added());
}

TEST_F(RegistryIO, DeleteValueAndValueExists) {
    key.setString("KMICONEXE", "x.exe");
    EXPECT_TRUE(regValueExists(key.path, "KMICONEXE", HKEY_LOCAL_MACHINE));
    regDeleteValue(key.path, "KMICONEXE", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(regValueExists(key.path, "KMICONEXE", HKEY_LOCAL_MACHINE));
    regDeleteValue(key.path, "KMICONEXE", HKEY_LOCAL_MACHINE);
    regDeleteValue(key.path + "\\absent", "KMICONEXE", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(regValueExists(key.path + "\\absent", "KMICONEXE", HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", log.added());
}

TEST_F(RegistryIO, DeleteKeyRefusesAKeyWithSubKeys) {
    key.addSubKey("child");
    EXPECT_NE(ERROR_SUCCESS, regDeleteKey(key.path, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(ERROR_SUCCESS, regDeleteKey(key.path + "\\child", HKEY_LOCAL_MACHINE));
    EXPECT_EQ(ERROR_SUCCESS, regDeleteKey(key.path, HKEY_LOCAL_MACHINE));
    EXPECT_NE(ERROR_SUCCESS, regDeleteKey(key.path, HKEY_LOCAL_MACHINE));
}

TEST_F(RegistryIO, GetStringReadsPlainStrings) {
    key.setString("srcPath", "C:\\100%s\\pkg");
    key.setString("noNul", "abcX", 3);  // the byte after the value is not NUL either
    key.setString("empty", "", 0);
    ASSERT_EQ(3u, key.dataSize("noNul"));
    ASSERT_EQ(0u, key.dataSize("empty"));
    std::string text = "stale";
    EXPECT_TRUE(regGetString(key.path, "srcPath", text, HKEY_LOCAL_MACHINE));
    EXPECT_EQ("C:\\100%s\\pkg", text);
    EXPECT_TRUE(regGetString(key.path, "noNul", text, HKEY_LOCAL_MACHINE));
    EXPECT_EQ("abc", text);
    text = "stale";
    EXPECT_TRUE(regGetString(key.path, "empty", text, HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", text);
    EXPECT_EQ("", log.added());
}

TEST_F(RegistryIO, GetStringFailureIsEmptyWithOneThreeLineEntry) {
    key.setDword("vci", 35);
    std::string text = "stale";
    EXPECT_FALSE(regGetString(key.path, "vci", text, HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", text);
    EXPECT_EQ("RegistryIO:->Can't get registry value:\r\nkey=" + key.path + "\r\nvalue=vci\r\n",
              log.added());

    LogTail next;
    text = "stale";
    EXPECT_FALSE(regGetString(key.path + "\\%n%s", "x", text, HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", text);
    EXPECT_EQ("RegistryIO:->Can't get registry value:\r\nkey=" + key.path + "\\%n%s\r\nvalue=x\r\n",
              next.added());
}

// The folder reads of the protected-folder layout: REG_SZ and REG_EXPAND_SZ
// (expanded), anything else empty, and never a log line.
TEST_F(RegistryIO, GetPathReadsBothTextTypesQuietly) {
    key.setString("Plain", "C:\\Program Files");
    const std::string expandable = "%SystemRoot%\\Profiles";
    RegKey raw;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, key.path.c_str(), raw.receive()));
    RegSetValueExA(raw.get(), "Expand", 0, REG_EXPAND_SZ,
                   reinterpret_cast<const BYTE*>(expandable.c_str()),
                   static_cast<DWORD>(expandable.size() + 1));
    key.setDword("Number", 5);
    EXPECT_EQ("C:\\Program Files", regGetPath(key.path, "Plain", HKEY_LOCAL_MACHINE));
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(windows) + "\\Profiles",
              regGetPath(key.path, "Expand", HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", regGetPath(key.path, "Number", HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", regGetPath(key.path, "Absent", HKEY_LOCAL_MACHINE));
    EXPECT_EQ("", log.added());
}

TEST_F(RegistryIO, GetSubkeysListsNamesOrSaysTheKeyIsMissing) {
    key.addSubKey("One");
    key.addSubKey("Two");
    TokenList names;
    ASSERT_TRUE(regGetSubkeys(key.path, KEY_ALL_ACCESS, names, HKEY_LOCAL_MACHINE));
    ASSERT_EQ(2u, names.count());
    EXPECT_EQ("One", names[0]);
    EXPECT_EQ("Two", names[1]);
    EXPECT_FALSE(regGetSubkeys(key.path + "\\Absent", KEY_READ, names, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(0u, names.count());
}

}  // namespace
