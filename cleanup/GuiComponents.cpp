// Removal of the companion programs: their windows, directories, start-menu
// group, registry keys and start-up values, and the setup program's
// temporary files. Calls the other clean-up steps at fixed points.
#include "cleanup/Cleanup.h"
#include "cleanup/CleanupSteps.h"
#include "cleanup/Guards.h"
#include "log/Loggers.h"
#include "settings/InstallRecord.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/KmvdUtil.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/RegistryIO.h"

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
    return readIniString(concatPath(programDir, "LineMon.ini"), "SystemInfo", "RegistryKey", "",
                         kRegistryKeyBuffer);
}

// The program directory and its "mdmpack", each refused with its own line
// when the program directory is not the package's.
void removeProgramDirs(const char* action, const std::string& programDir) {
    const std::string driverPackageDir = concatPath(programDir, "mdmpack");
    if (isPackageProgramDir(programDir)) {
        removePackageDir(action, driverPackageDir);
        removePackageDir(action, programDir);
    } else {
        logRefusedDir(action, driverPackageDir);
        logRefusedDir(action, programDir);
    }
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
// root of the current drive.
void scheduleSetupTempFiles(const InstallRecord& record, const std::string& origTmpDir) {
    const bool languageDllPlain =
        !record.languageDll.empty() &&
        acceptFileName("vtxRemoveGuiComponents: languageDll", record.languageDll);
    if (!record.tempDir.empty()) {
        for (const char* name : setupTempFiles) deleteAtReboot(concatPath(record.tempDir, name));
        if (languageDllPlain) scheduleLanguageDllShortPath(record);
    }
    if (origTmpDir.empty()) return;
    for (const char* name : setupTempFiles) deleteAtReboot(concatPath(origTmpDir, name));
    if (languageDllPlain) deleteAtReboot(concatPath(origTmpDir, record.languageDll));
}

void vtxRemoveNewCplRegistry(const InstallRecord& record) {
    runTraceLog.log("vtxRemoveNewCplRegistry");
    const std::string keyName = readCplKeyName(record.programDir);
    if (keyName.empty()) return;
    const std::string cplKey = concatPath("Software", keyName);
    // Checked before the sub-keys are touched: those of a key that is not
    // the package's belong to others.
    if (!acceptPackageKey("vtxRemoveNewCplRegistry", cplKey)) return;
    const std::string key = normaliseKeyPath(cplKey);
    TokenList subkeys;
    if (!regGetSubkeys(key, HKEY_LOCAL_MACHINE, subkeys)) return;
    for (size_t i = 0; i < subkeys.count(); ++i)
        removePackageKey("vtxRemoveNewCplRegistry", concatPath(key, subkeys[i]));
    removePackageKey("vtxRemoveNewCplRegistry", key);
}

void vtxRemoveGuiComponents(const InstallRecord& record) {
    static const char* const action = "vtxRemoveGuiComponents";
    runTraceLog.log("%s", action);
    const std::string packageKey = getSetupSoftwareKey();
    const std::string origTmpDir = readOrigTmpDir(packageKey);

    vtxCloseExternalApplications();
    vtxRemoveNewCplRegistry(record);
    removeProgramDirs(action, record.programDir);
    removePackageDir(action, record.programGroupDir);
    if (!record.languageDllCpl.empty() &&
        acceptFileName("vtxRemoveGuiComponents: languageDllCpl", record.languageDllCpl))
        deleteFile(concatPath(record.systemDir, record.languageDllCpl));
    vtxRemoveProgramFilesIcons(record);
    vtxRemoveDialups(record);

    removePackageKey(action, packageKey);
    removeCompanionStartupValues();
    const std::string productName = getSetupIniString("ProductName", "SystemInfo", "");
    removePackageKey(action, concatPath(uninstallKey, productName));
    vtxDontRestartSetup(record);

    if (record.optionFlags[1]) scheduleSetupTempFiles(record, origTmpDir);
}
