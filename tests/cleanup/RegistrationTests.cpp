// Registrations as proof: the paths an uninstall entry holds and the App
// Paths entries of the package's companions.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ScratchKit.h"
#include "cleanup/Registrations.h"
#include "cleanup/SystemKeys.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/RegistryIO.h"

namespace {

using Strings = std::vector<std::string>;

TEST(PathsIn, FindsEveryAbsolutePathOfACommand) {
    const struct {
        const char* text;
        Strings paths;
    } rows[] = {
        {"C:\\PM100Remove\\vtxremove.exe", {"C:\\PM100Remove\\vtxremove.exe"}},
        {"\"C:\\Program Files\\PM100\\Uninst.exe\" /S", {"C:\\Program Files\\PM100\\Uninst.exe"}},
        {"C:\\WINDOWS\\IsUninst.exe -f\"C:\\Program Files\\PM100\\Uninst.isu\"",
         {"C:\\WINDOWS\\IsUninst.exe -f", "C:\\Program Files\\PM100\\Uninst.isu"}},
        {"IsUninst.exe -fC:\\PROGRA~1\\PM100\\UNINST.ISU", {"C:\\PROGRA~1\\PM100\\UNINST.ISU"}},
        {"rundll32.exe d:/pm100/kmicpl.dll,Uninstall", {"d:/pm100/kmicpl.dll,Uninstall"}},
        {"setup.exe /uninstall", {}},
        {"abc:\\x %ProgramFiles%\\PM100", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(row.paths, pathsIn(row.text)) << row.text;
}

// An uninstall entry is the package's only by a path into the package, in
// any of the forms an entry writes it.
TEST(UninstallEntryProof, NeedsAPathIntoAFolderOfThePackage) {
    const std::string dir = scratchDir("Vtx Package");
    scratchDir("Vtx Package Extra");
    const std::string entry = std::string(uninstallKey) + "\\VtxProof";
    const std::vector<FolderStanding> folders = {folderStanding(dir)};
    const struct {
        const char* value;
        std::string text;
        bool proof;
    } rows[] = {
        {"UninstallString", "\"" + dir + "\\Uninst.exe\" /S", true},
        {"UninstallString", "C:\\WINDOWS\\IsUninst.exe -f\"" + getShortPath(dir) + "\\u.isu\"", true},
        {"InstallLocation", dir + "\\", true},
        {"DisplayIcon", dir + "\\KmiCon.exe,0", true},
        {"UninstallString", dir + " Extra\\Uninst.exe", false},
        {"UninstallString", "C:\\Program Files\\Other Vendor\\Other App\\uninst.exe", false},
        {"DisplayName", dir, false},
    };
    for (const auto& row : rows) {
        deleteKeyTree(entry);
        setRegString(entry, row.value, row.text);
        EXPECT_EQ(row.proof, uninstallEntryPointsInto(entry, folders)) << row.value << "=" << row.text;
    }
    deleteKeyTree(entry);
}

// The App Paths entry of a companion the start-up values name, with its
// program in the folder, is the package's; any other entry there is not.
TEST(AppPaths, CountOnlyOtherProductsEntries) {
    const std::string dir = scratchDir("Vtx Companions");
    const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    setRegString(startupKey, "KMICONEXE", "\"" + dir + "\\KmiCon.exe\" /tray");
    setRegString(appPaths + "KmiCon.exe", "", dir + "\\KmiCon.exe");
    EXPECT_EQ("", otherProductIn(folderStanding(dir), "VtxOwn"));
    setRegString(appPaths + "Other.exe", "", dir + "\\KmiCon.exe");
    EXPECT_EQ("App Paths\\Other.exe", otherProductIn(folderStanding(dir), "VtxOwn"));
    deleteKeyTree(appPaths + "Other.exe");
    setRegString(startupKey, "KMICONEXE", "C:\\Elsewhere\\KmiCon.exe");
    EXPECT_EQ("App Paths\\KmiCon.exe", otherProductIn(folderStanding(dir), "VtxOwn"));
    deleteKeyTree(appPaths + "KmiCon.exe");
    regDeleteValue(startupKey, "KMICONEXE", HKEY_LOCAL_MACHINE);
}

// A maker's entry that starts the tool from its own folder is the package's
// when the user runs a copy: the same file name, the same VTX.INI and
// brdsetup.ini byte for byte.
TEST(UninstallEntryProof, StartsACopyOfTheToolWithTheSameSettings) {
    const std::string maker = scratchDir("Vtx Maker") + "\\", copy = scratchDir("Vtx Copy") + "\\";
    const std::string entry = std::string(uninstallKey) + "\\VtxCopy", ini = "[SystemInfo]\r\n";
    writeFile(maker + "vtxremove.exe", "MZ");
    writeFile(copy + "VTX.INI", ini);
    writeFile(copy + "brdsetup.ini", ini + "a");
    const struct {
        std::string command, vtxIni, brdsetupIni;  // the maker's; "-": none
        bool proof;
    } rows[] = {
        {maker + "vtxremove.exe", ini, ini + "a", true},
        {"\"" + maker + "VTXREMOVE.EXE\" /x", ini, ini + "a", true},
        {maker + "vtxremove.exe", ini + " ", ini + "a", false},
        {maker + "vtxremove.exe", ini, ini + "A", false},
        {maker + "vtxremove.exe", ini, "-", false},
        {maker + "setup.exe", ini, ini + "a", false},
        {"vtxremove.exe", ini, ini + "a", false},
    };
    for (const auto& row : rows) {
        for (const char* name : {"VTX.INI", "brdsetup.ini"}) DeleteFileA((maker + name).c_str());
        if (row.vtxIni != "-") writeFile(maker + "VTX.INI", row.vtxIni);
        if (row.brdsetupIni != "-") writeFile(maker + "brdsetup.ini", row.brdsetupIni);
        setRegString(entry, "UninstallString", row.command);
        EXPECT_EQ(row.proof, uninstallEntryStartsToolCopy(entry, copy + "vtxremove.exe"))
            << row.command << " [" << row.vtxIni << "] [" << row.brdsetupIni << "]";
    }
    deleteKeyTree(entry);
}

// Two makers' kits share the start-up value names: a value is the
// package's only when its program lies in the package's places or is gone;
// a program on a network path is never asked of the platform.
TEST(StartupValues, GoOnlyWhenTheyStartThePackagesProgram) {
    const std::string dir = scratchDir("Vtx Start Place");
    const std::string other = scratchDir("Vtx Other Maker");
    writeFile(dir + "\\KmiCon.exe", "MZ");
    writeFile(other + "\\KmiCon.exe", "MZ");
    writeFile(other + "\\KmiInst.exe", "MZ");
    PackagePlaces places;
    places.folders = {folderStanding(dir)};
    places.files = {other + "\\KmiInst.exe"};
    const struct {
        std::string command;
        bool goes;
    } rows[] = {
        {"\"" + dir + "\\KmiCon.exe\" /tray", true},
        {getShortPath(dir) + "\\KMICON.EXE", true},
        {other + "\\KmiInst.exe /restart", true},
        {other + "\\Gone.exe", true},
        {other + "\\KmiCon.exe", false},
        {"\\\\vtx-unreachable\\share\\KmiCon.exe /tray", false},
        {"KmiCon.exe", false},
    };
    for (const auto& row : rows) {
        setRegString(startupKey, "KMICONEXE", row.command);
        EXPECT_EQ(row.goes, judgeStartupValue("test", "KMICONEXE", places)) << row.command;
    }
    EXPECT_EQ("Vantix->test: start-up value KMICONEXE starts KmiCon.exe, which is not the "
              "package's, not deleted", logLines().back());
    regDeleteValue(startupKey, "KMICONEXE", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(judgeStartupValue("test", "KMICONEXE", places));
}

}  // namespace
