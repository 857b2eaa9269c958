// Token lists, path joins, number conversion and the installation
// description reads.
#include <gtest/gtest.h>

#include <vector>

#include "SysutilTestSupport.h"
#include "sysutil/Numbers.h"
#include "sysutil/Paths.h"
#include "sysutil/SetupIni.h"
#include "sysutil/Tokens.h"

namespace {

std::vector<std::string> tokens(const char* text, const char* separators) {
    TokenList list;
    list.add("left over from before");
    getStrTokens(list, text, separators);
    std::vector<std::string> result;
    for (size_t i = 0; i < list.count(); ++i) result.push_back(list[i]);
    return result;
}

using Strings = std::vector<std::string>;

TEST(GetStrTokens, SplitsAtAnySeparatorAndDropsEmptyTokens) {
    EXPECT_EQ(Strings({"a", "b"}), tokens("a,,b,", ","));
    EXPECT_EQ(Strings(), tokens(",,,", ","));
    EXPECT_EQ(Strings(), tokens("", ","));
    EXPECT_EQ(Strings({" a", " b "}), tokens(" a, b ", ","));
    EXPECT_EQ(Strings({"C:", "Program Files", "X"}), tokens("C:\\Program Files\\X", "\\"));
    EXPECT_EQ(Strings({"USB", "VID_1", "x"}), tokens("USB\\VID_1,x", ",\\"));
    EXPECT_EQ(Strings({"a,b"}), tokens("a,b", ""));
    EXPECT_EQ(Strings({"\x82", "x"}), tokens("\x82,x", ","));  // bytes, not characters
}

TEST(GetStrTokens, LeavesTheCallersTextAlone) {
    char text[] = ",x,y";
    TokenList list;
    getStrTokens(list, text, ",");
    EXPECT_STREQ(",x,y", text);
    EXPECT_EQ(2u, list.count());
}

struct PathCase {
    const char* dir;
    const char* name;
    const char* joined;
};

TEST(ConcatPath, PutsOneBackslashAtTheSeam) {
    const PathCase cases[] = {
        {"C:\\WINDOWS", "wininit.ini", "C:\\WINDOWS\\wininit.ini"},
        {"C:\\", "x", "C:\\x"},
        {"C:\\WINDOWS\\system32", "\\drivers\\", "C:\\WINDOWS\\system32\\drivers\\"},
        {"", "x", "\\x"},
        {"C:\\a", "", "C:\\a\\"},
        {"C:\\a\\", "\\b", "C:\\a\\\\b"},
    };
    for (const PathCase& c : cases) EXPECT_EQ(c.joined, concatPath(c.dir, c.name)) << c.dir << " + " << c.name;
}

TEST(StrToInt, ReadsDecimalAndLowerCaseHexPrefix) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"0x1A", 26}, {"26", 26},   {"0X1A", 0},           {"abc", 0},       {"0x", 0},
        {"0xg", 0},   {"0x 1f", 31}, {"0xFFFFFFFF", -1},   {"  -12x", -12},  {"+7", 7},
        {"", 0},      {"0x0409", 0x409}, {"2147483647", 2147483647}, {"012", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(c.value, strToInt(c.text)) << '"' << c.text << '"';
}

TEST(SetupIni, ReadsTheWindowsDirectoryCopy) {
    std::string longValue(600, 'L');
    SetupIniFile ini("[SystemInfo]\nProductName=Modem X\nInstallSilently= 12 \nBad=x1\nLong=" +
                     longValue + "\n");
    EXPECT_EQ("Modem X", getSetupIniString("ProductName", "SystemInfo", "dflt"));
    EXPECT_EQ("dflt", getSetupIniString("Missing", "SystemInfo", "dflt"));
    EXPECT_EQ("dflt", getSetupIniString("ProductName", "Other", "dflt"));
    EXPECT_EQ(longValue.substr(0, 511), getSetupIniString("Long", "SystemInfo", ""));
    EXPECT_EQ(12, getSetupIniInt("InstallSilently", "SystemInfo"));
    EXPECT_EQ(0, getSetupIniInt("Bad", "SystemInfo"));
    EXPECT_EQ(0, getSetupIniInt("Missing", "SystemInfo"));
}

TEST(SetupIni, MissingFileGivesDefaults) {
    writeSetupIni("");
    EXPECT_EQ("d", getSetupIniString("ProductName", "SystemInfo", "d"));
    EXPECT_EQ("Software\\", getSetupSoftwareKey());
}

TEST(SetupRegistry, ReadsThePackageKeyNamedByTheIni) {
    ScratchKey package("VtxSetupRegTest");
    SetupIniFile ini("[SystemInfo]\nSetupSoftwareKey=VtxSetupRegTest\n");
    package.setString("srcPath", "C:\\pkg");
    package.setString("vci", "35");
    package.setDword("vpi", 8);
    EXPECT_EQ(package.path, getSetupSoftwareKey());
    EXPECT_EQ("C:\\pkg", getSetupRegString("srcPath"));
    EXPECT_EQ(35, getSetupRegInt("vci"));
    EXPECT_EQ(0, getSetupRegInt("vpi"));  // a double-word is not read
    EXPECT_EQ("", getSetupRegString("absent"));
}

}  // namespace
