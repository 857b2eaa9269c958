// The key guards: a key is the package's only by its shape, a package key
// only by the values a modem's setup writes.
#include <gtest/gtest.h>
#include "ScratchKit.h"
#include "cleanup/Guards.h"

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

TEST(PackageKeyProof, NeedsTwoValuesOnlyAModemsSetupWrites) {
    const std::string key = "Software\\VtxVendor\\VtxProof";
    EXPECT_FALSE(judgePackageKey("test", key));  // absent: nothing to say
    setRegString(key, "FirmwareFiles", "a.bin");
    setRegString(key, "vpi", "8");
    const LogTail tail;
    EXPECT_FALSE(judgePackageKey("test", key));
    EXPECT_NE(std::string::npos, tail.added().find("test: SetupSoftwareKey \"" + key +
                                                   "\" holds fewer than two of vpi"));
    setRegDword(key, "modulation", 0);
    EXPECT_TRUE(judgePackageKey("test", key));
    setRegString("Software\\Classes\\VtxProof", "vpi", "8");
    setRegString("Software\\Classes\\VtxProof", "vci", "35");
    EXPECT_FALSE(judgePackageKey("test", "Software\\Classes\\VtxProof"));
    deleteKeyTree("Software\\VtxVendor");
    deleteKeyTree("Software\\Classes\\VtxProof");
}

}  // namespace
