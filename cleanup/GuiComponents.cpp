// Removal of the companion programs: their windows, directories, start-menu
// group, registry keys and start-up values, and the setup program's
// temporary files. Calls the other clean-up steps at fixed points.
#include "cleanup/GuiComponents.h"
#include <windows.h>
#include "cleanup/CompanionApps.h"
#include "cleanup/Guards.h"
#include "cleanup/ShortcutsDialups.h"
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "settings/InstallRecord.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/IniRead.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/SetupIni.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

namespace {

const char* const setupTempFiles[] = {"KmiInst.exe", "KmiInst.dll", "hires.bmp", "lores.bmp"};
const char* const companionStartupValues[] = {"KMICONEXE", "LINEMONEXE", "LINEWATCHEXE"};
const unsigned kRegistryKeyBuffer = 256;

std::string readOrigTmpDir(const std::string& packageKey) {
    if (!regValueExists(packageKey, "OrigTmpDir", HKEY_LOCAL_MACHINE)) return "";
    return getSetupRegString("OrigTmpDir");
}

// The program directory holds the package's own files only when it is not a
// drive root or a system folder (an empty ProgramFilesDir makes it "C:\"):
// otherwise its "mdmpack" and "LineMon.ini" are someone else's.
bool isPackageProgramDir(const std::string& programDir) {
    return !programDir.empty() && !isProtectedDir(programDir);
}

// [SystemInfo] RegistryKey of "LineMon.ini" in the program directory.
std::string readCplKeyName(const std::string& programDir) {
    if (!isPackageProgramDir(programDir)) return "";
    return readIniString(concatPath(programDir, lineMonIniName), "RegistryKey", "SystemInfo", "",
                         kRegistryKeyBuffer);
}

// The program a start-up command starts: the quoted text when it begins
// with a quote, otherwise the longest run before a blank that names an
// existing file (the whole command when none does).
std::string startupProgram(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        const size_t close = command.find('"', 1);
        return command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    std::string program = command;
    while (!fileExists(program)) {
        const size_t blank = program.rfind(' ');
        if (blank == std::string::npos) return command;
        program.erase(blank);
    }
    return program;
}

// The name of a file that lies directly in dir, or "" for any other path.
std::string nameDirectlyIn(const std::string& path, const std::string& dir) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos || hasDotsOnlyComponent(path)) return "";
    const std::string parent = path.substr(0, cut);
    const std::string name = path.substr(cut + 1);
    if (!isPlainFileName(name) || !liesInDir(parent, dir) || !liesInDir(dir, parent)) return "";
    return name;
}

// In a program folder that others share only the package's named files go:
// its LineMon.ini and the companion programs its start-up values start from
// there.
void removeNamedProgramFiles(const std::string& programDir) {
    deleteFile(concatPath(programDir, lineMonIniName));
    for (const char* value : companionStartupValues) {
        const std::string command = regGetPath(startupKey, value, HKEY_LOCAL_MACHINE);
        const std::string name = nameDirectlyIn(startupProgram(command), programDir);
        if (!name.empty()) deleteFile(concatPath(programDir, name));
    }
}

// The program directory and its "mdmpack", each refused with its own line
// when the program directory is not the package's. A program directory that
// others share keeps everything but the package's named files.
void removeProgramDirs(const char* action, const std::string& programDir,
                       const std::string& productName) {
    const std::string driverPackageDir = concatPath(programDir, "mdmpack");
    if (!isPackageProgramDir(programDir)) {
        logRefusedDir(action, driverPackageDir);
        logRefusedDir(action, programDir);
        return;
    }
    removePackageDir(action, driverPackageDir);
    if (acceptProgramDirToEmpty(action, programDir, productName))
        removePackageDir(action, programDir);
    else
        removeNamedProgramFiles(programDir);
}

// <Description>.lnk of each icon section: the shortcuts the package put into
// its start-menu group.
TokenList packageShortcutNames() {
    TokenList sections;
    getStrTokens(sections, getSetupIniString("StartMenuIconSections", "SystemInfo", ""), ",");
    TokenList names;
    for (size_t i = 0; i < sections.count(); ++i)
        names.add(getSetupIniString("Description", sections[i].c_str(), "") + ".lnk");
    return names;
}

bool isListed(const std::string& name, const TokenList& names) {
    for (size_t i = 0; i < names.count(); ++i)
        if (sameText(name, names[i])) return true;
    return false;
}

// A group that holds anything besides the package's shortcuts (a file or a
// folder) loses only those shortcuts and stays; one that holds nothing else
// goes whole.
void removeProgramGroup(const char* action, const std::string& groupDir) {
    const TokenList shortcuts = packageShortcutNames();
    const TokenList entries = listDirEntries(groupDir);
    bool holdsOthers = false;
    for (size_t i = 0; i < entries.count(); ++i)
        if (!isListed(entries[i], shortcuts)) holdsOthers = true;
    if (!holdsOthers || isProtectedDir(groupDir)) {
        removePackageDir(action, groupDir);
        return;
    }
    runErrorLog.log("%s: ProductName group \"%s\" holds what is not the package's, only its "
                    "shortcuts removed", action, groupDir.c_str());
    for (size_t i = 0; i < entries.count(); ++i)
        if (isListed(entries[i], shortcuts)) deleteFile(concatPath(groupDir, entries[i]));
}

void scheduleLanguageDllShortPath(const InstallRecord& record) {
    const std::string longPath = concatPath(record.tempDir, record.languageDll);
    const std::string shortPath = getShortPath(longPath);
    if (shortPath.empty()) {
        runTraceLog.log("vtxRemoveGuiComponents: no short path for %s, not scheduled",
                        longPath.c_str());
        return;
    }
    deleteAtReboot(shortPath);
}

void removeCompanionStartupValues() {
    for (const char* value : companionStartupValues)
        regDeleteValue(startupKey, value, HKEY_LOCAL_MACHINE);
}

}  // namespace

// The language library's name comes from the package key: one that is empty
// (the directory itself) or leads out of the directory is not scheduled. An
// unknown temporary directory schedules nothing: its names would land in the
// root of the current drive; nor does one that is no temporary folder of the
// platform.
void scheduleSetupTempFiles(const InstallRecord& record, const std::string& origTmpDir) {
    const bool languageDllPlain =
        !record.languageDll.empty() &&
        acceptFileName("vtxRemoveGuiComponents: languageDll", record.languageDll);
    if (!record.tempDir.empty() &&
        acceptSetupTempDir("vtxRemoveGuiComponents: GetTempPath", record.tempDir)) {
        for (const char* name : setupTempFiles) deleteAtReboot(concatPath(record.tempDir, name));
        if (languageDllPlain) scheduleLanguageDllShortPath(record);
    }
    // Scheduling reaches past the protection an open file has: the folder
    // must show that it is a temporary one.
    if (origTmpDir.empty() ||
        !acceptSetupTempDir("vtxRemoveGuiComponents: OrigTmpDir", origTmpDir))
        return;
    for (const char* name : setupTempFiles) deleteAtReboot(concatPath(origTmpDir, name));
    if (languageDllPlain) deleteAtReboot(concatPath(origTmpDir, record.languageDll));
}

void vtxRemoveNewCplRegistry(const InstallRecord& record) {
    runTraceLog.log("vtxRemoveNewCplRegistry");
    const std::string keyName = readCplKeyName(record.programDir);
    if (keyName.empty()) return;
    const std::string cplKey = concatPath("Software", keyName);
    // Checked before the sub-keys are touched: those of a key that is not
    // the package's, or of a vendor's key, belong to others.
    if (!acceptWalkedKey("vtxRemoveNewCplRegistry", "RegistryKey", cplKey)) return;
    const std::string key = normaliseKeyPath(cplKey);
    TokenList subkeys;
    if (!regGetSubkeys(key, KEY_ALL_ACCESS, subkeys, HKEY_LOCAL_MACHINE)) return;
    for (size_t i = 0; i < subkeys.count(); ++i)
        removePackageKey("vtxRemoveNewCplRegistry", concatPath(key, subkeys[i]));
    removePackageKey("vtxRemoveNewCplRegistry", key);
}

void vtxRemoveGuiComponents(const InstallRecord& record) {
    static const char* const action = "vtxRemoveGuiComponents";
    runTraceLog.log("%s", action);
    const std::string packageKey = getSetupSoftwareKey();
    const std::string origTmpDir = readOrigTmpDir(packageKey);
    const std::string productName = getSetupIniString("ProductName", "SystemInfo", "");

    vtxCloseExternalApplications();
    vtxRemoveNewCplRegistry(record);
    removeProgramDirs(action, record.programDir, productName);
    removeProgramGroup(action, record.programGroupDir);
    if (!record.languageDllCpl.empty() &&
        acceptFileName("vtxRemoveGuiComponents: languageDllCpl", record.languageDllCpl))
        deleteFile(concatPath(record.systemDir, record.languageDllCpl));
    vtxRemoveProgramFilesIcons(record);
    vtxRemoveDialups(record);

    removePackageKey(action, packageKey);
    removeCompanionStartupValues();
    removePackageKey(action, concatPath(uninstallKey, productName));
    vtxDontRestartSetup(record);

    if (record.optionFlags[InstallRecord::scheduleSetupTempFiles])
        scheduleSetupTempFiles(record, origTmpDir);
}
