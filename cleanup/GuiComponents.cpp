// Removal of the companion programs: their windows, directories, start-menu
// group, registry keys and start-up values, and the setup program's
// temporary files. Calls the other clean-up steps at fixed points. Each
// folder and file name taken from a setting is judged once (FolderJudges.h,
// FileJudge.h); only what a verdict allows is removed, at its path.
#include "cleanup/GuiComponents.h"
#include <windows.h>
#include "cleanup/CompanionApps.h"
#include "cleanup/FileJudge.h"
#include "cleanup/FolderJudges.h"
#include "cleanup/Guards.h"
#include "cleanup/GroupShortcuts.h"
#include "cleanup/Registrations.h"
#include "cleanup/SharedDlls.h"
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

const char* const action = "vtxRemoveGuiComponents";
const char* const setupTempFiles[] = {"KmiInst.exe", "KmiInst.dll", "hires.bmp", "lores.bmp"};
const unsigned registryKeyBuffer = 256;

std::string readOrigTmpDir(const std::string& packageKey) {
    if (!regValueExists(packageKey, "OrigTmpDir", HKEY_LOCAL_MACHINE)) return "";
    return getSetupRegString("OrigTmpDir");
}

// [SystemInfo] RegistryKey of "LineMon.ini" in the program directory, when
// the folder's verdict lets its LineMon.ini name a key.
std::string readCplKeyName(const ProgramDirVerdict& programDir) {
    if (!programDir.lineMonAllowed) return "";
    return readIniString(concatPath(programDir.path, lineMonIniName), "RegistryKey", systemInfoSection,
                         "", registryKeyBuffer);
}

std::vector<FolderStanding> packageFolders(const ProgramDirVerdict& programDir);
void deleteUnlessShared(const std::string& path);

// An uninstall entry that RegistryKey names needs the proof of the entry
// ProductName names: a path in it into the package's folders.
bool showsCplUninstallEntry(const std::string& cplKey, const ProgramDirVerdict& programDir) {
    const std::string key = normaliseKeyPath(cplKey);
    if (!isUninstallEntryKey(key) || uninstallEntryPointsInto(key, packageFolders(programDir)))
        return true;
    runErrorLog.log("vtxRemoveNewCplRegistry: RegistryKey \"%s\": uninstall entry points into "
                    "neither the program folder nor the tool's, not deleted", cplKey.c_str());
    return false;
}

void removeCplRegistry(const ProgramDirVerdict& programDir) {
    runTraceLog.log("vtxRemoveNewCplRegistry");
    const std::string keyName = readCplKeyName(programDir);
    if (keyName.empty()) return;
    const std::string cplKey = concatPath("Software", keyName);
    // Checked before the sub-keys are touched: those of a key that is not
    // the package's, or of a vendor's key, belong to others.
    if (!acceptWalkedKey("vtxRemoveNewCplRegistry", "RegistryKey", cplKey)) return;
    if (!showsCplUninstallEntry(cplKey, programDir)) return;
    const std::string key = normaliseKeyPath(cplKey);
    TokenList subkeys;
    if (!regGetSubkeys(key, KEY_ALL_ACCESS, subkeys, HKEY_LOCAL_MACHINE)) return;
    for (size_t i = 0; i < subkeys.count(); ++i)
        removePackageKey("vtxRemoveNewCplRegistry", concatPath(key, subkeys[i]));
    removePackageKey("vtxRemoveNewCplRegistry", key);
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
    const TokenList companions = companionPrograms();
    for (size_t i = 0; i < companions.count(); ++i) {
        const std::string name = nameDirectlyIn(companions[i], programDir);
        if (!name.empty()) deleteUnlessShared(concatPath(programDir, name));
    }
}

void emptyAndRemove(const std::string& dir) {
    deleteDirFiles(dir);
    removeDir(dir);
}

// A file of the package's folders goes unless others count on it in
// SharedDLLs (its count is then lowered, one error line).
void deleteUnlessShared(const std::string& path) {
    const std::string why = releaseSharedFile(path);
    if (why.empty()) {
        deleteFile(path);
        return;
    }
    runErrorLog.log("%s: %s %s, not removed", action, path.c_str(), why.c_str());
}

// deleteDirFiles, file by file through deleteUnlessShared.
void deletePackageFiles(const std::string& dir) {
    if (isProtectedDir(dir)) return deleteDirFiles(dir);  // refuses with its line
    const TokenList files = listDirEntries(dir, DirEntries::files);
    for (size_t i = 0; i < files.count(); ++i) deleteUnlessShared(concatPath(dir, files[i]));
}

void emptyAndRemovePackageDir(const std::string& dir) {
    deletePackageFiles(dir);
    removeDir(dir);
}

bool isSameFile(const std::string& a, const std::string& b) {
    return liesInDir(a, b) && liesInDir(b, a);
}

// The files left in dir that are loaded into this process: the tool itself,
// its installer library and its language library, when the tool lies in
// the package's program folder. They cannot go while it runs; they go at the
// next start. True when there was one.
bool scheduleLoadedFiles(const std::string& dir) {
    bool scheduled = false;
    const TokenList left = listDirEntries(dir, DirEntries::files);
    for (size_t i = 0; i < left.count(); ++i) {
        const std::string path = concatPath(dir, left[i]);
        const std::string module = getModulePath(left[i].c_str());
        if (module.empty() || !isSameFile(module, path)) continue;
        deleteAtReboot(path);
        scheduled = true;
    }
    return scheduled;
}

// The program folder as a whole: its files, then the folder. Where the tool
// runs from it, its own files and (on NT) the folder go at the next start.
void removeWholeProgramDir(const std::string& dir) {
    deletePackageFiles(dir);
    const bool toolInside = scheduleLoadedFiles(dir);
    removeDir(dir);
    if (toolInside && fileExists(dir)) removeDirAtReboot(dir);
}

// The program directory and its "mdmpack", as far as the verdict allows.
void removeProgramDirs(const ProgramDirVerdict& programDir) {
    if (programDir.scope == FolderScope::nothing) return;
    if (programDir.mdmpackAllowed)
        emptyAndRemovePackageDir(concatPath(programDir.path, driverPackageDirName));
    if (programDir.scope == FolderScope::whole)
        removeWholeProgramDir(programDir.path);
    else
        removeNamedProgramFiles(programDir.path);
}

// The folders an uninstall entry of the package points into: the program
// folder (unless refused as no folder of the package's) and the tool's own
// folder (unless it is a shared or system folder).
std::vector<FolderStanding> packageFolders(const ProgramDirVerdict& programDir) {
    std::vector<FolderStanding> folders = toolFolder();
    if (programDir.scope != FolderScope::nothing) folders.insert(folders.begin(), programDir.standing);
    return folders;
}

// The uninstall entry ProductName names is the package's only when it
// points into the package: its name and DisplayName come from the same
// setting and prove nothing. Judged while the program folder is still there
// (its short form is asked of it).
bool judgeUninstallEntry(const std::string& productName, const ProgramDirVerdict& programDir) {
    const std::string entry = concatPath(uninstallKey, productName);
    if (!acceptPackageKey(action, entry)) return false;
    if (uninstallEntryPointsInto(normaliseKeyPath(entry), packageFolders(programDir))) return true;
    if (uninstallEntryStartsToolCopy(normaliseKeyPath(entry), getModulePath(nullptr))) {
        runTraceLog.log("%s: ProductName \"%s\": uninstall entry starts a copy of this tool",
                        action, productName.c_str());
        return true;
    }
    runErrorLog.log("%s: ProductName \"%s\": uninstall entry points into neither the program "
                    "folder nor the tool's, not deleted", action, productName.c_str());
    return false;
}

// <Description>.lnk of each icon section: the shortcuts the package put into
// its start-menu group.
TokenList packageShortcutNames() {
    TokenList sections;
    getStrTokens(sections, getSetupIniString("StartMenuIconSections", systemInfoSection, ""), ",");
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

// The group's shortcuts: those the icon sections list, and those that start
// a file in one of the package's folders (a setup's "Uninstall" shortcut).
TokenList groupShortcutNames(const std::string& groupDir,
                             const std::vector<FolderStanding>& folders) {
    TokenList names = packageShortcutNames();
    const TokenList byTarget = packageShortcutsByTarget(action, groupDir, names, folders);
    for (size_t i = 0; i < byTarget.count(); ++i) names.add(byTarget[i]);
    return names;
}

// A group that others share loses only those of its entries that are the
// package's shortcuts.
void removeProgramGroup(const std::string& groupDir, const std::vector<FolderStanding>& folders) {
    const TokenList shortcuts = groupShortcutNames(groupDir, folders);
    const GroupVerdict group = judgeGroup(action, groupDir, shortcuts);
    if (group.scope == FolderScope::whole) emptyAndRemove(group.path);
    if (group.scope != FolderScope::namedFilesOnly) return;
    const TokenList entries = listDirEntries(group.path);
    for (size_t i = 0; i < entries.count(); ++i)
        if (isListed(entries[i], shortcuts)) deleteFile(concatPath(group.path, entries[i]));
}

void removeCplLanguageLibrary(const InstallRecord& record) {
    if (record.languageDllCpl.empty()) return;
    const FileVerdict library = judgeFile("vtxRemoveGuiComponents: languageDllCpl",
                                          record.systemDir, record.languageDllCpl);
    if (library.accepted) deleteFile(library.path);
}

void scheduleShortPath(const std::string& longPath) {
    const std::string shortPath = getShortPath(longPath);
    if (shortPath.empty()) {
        runTraceLog.log("vtxRemoveGuiComponents: no short path for %s, not scheduled",
                        longPath.c_str());
        return;
    }
    deleteAtReboot(shortPath);
}

// The companions' start-up values that are the package's, judged while the
// programs they start are still there.
TokenList judgeCompanionStartupValues(const ProgramDirVerdict& programDir) {
    PackagePlaces places;
    places.folders = packageFolders(programDir);
    TokenList values;
    for (const char* value : companionStartupValues)
        if (judgeStartupValue(action, value, places)) values.add(value);
    return values;
}

void removeCompanionStartupValues(const TokenList& values) {
    for (size_t i = 0; i < values.count(); ++i)
        regDeleteValue(startupKey, values[i], HKEY_LOCAL_MACHINE);
}

}  // namespace

// The language library's name comes from the package key: it is judged once
// (in the first folder that may hold it) and schedules nothing when refused
// or empty. An unknown temporary directory schedules nothing: its names would
// land in the root of the current drive; nor does one that is no temporary
// folder of the platform (scheduling reaches past the protection an open
// file has).
void scheduleSetupTempFiles(const InstallRecord& record, const std::string& origTmpDir,
                            const std::string& languageDllName) {
    const bool inTemp = !record.tempDir.empty() &&
                        judgeTempDir("vtxRemoveGuiComponents: GetTempPath", record.tempDir);
    const bool inOrig =
        !origTmpDir.empty() && judgeTempDir("vtxRemoveGuiComponents: OrigTmpDir", origTmpDir);
    FileVerdict languageDll;
    if (!languageDllName.empty() && (inTemp || inOrig))
        languageDll = judgeFile("vtxRemoveGuiComponents: languageDll",
                                inTemp ? record.tempDir : origTmpDir, languageDllName);
    if (inTemp) {
        for (const char* name : setupTempFiles) deleteAtReboot(concatPath(record.tempDir, name));
        if (languageDll.accepted) scheduleShortPath(concatPath(record.tempDir, languageDll.name));
    }
    if (!inOrig) return;
    for (const char* name : setupTempFiles) deleteAtReboot(concatPath(origTmpDir, name));
    if (languageDll.accepted) deleteAtReboot(concatPath(origTmpDir, languageDll.name));
}

void vtxRemoveNewCplRegistry(const InstallRecord& record) {
    removeCplRegistry(judgeProgramDir("vtxRemoveNewCplRegistry", record.programDir,
                                      getSetupIniString("ProductName", systemInfoSection, "")));
}

// The package key's names (OrigTmpDir, languageDll) steer deletions only
// when the key shows that it is the package's.
void vtxRemoveGuiComponents(const InstallRecord& record) {
    runTraceLog.log("%s", action);
    const std::string packageKey = getSetupSoftwareKey();
    const bool packageKeyShown = judgePackageKey(action, packageKey);
    const std::string origTmpDir = packageKeyShown ? readOrigTmpDir(packageKey) : "";
    const std::string productName = getSetupIniString("ProductName", systemInfoSection, "");

    vtxCloseExternalApplications();
    const ProgramDirVerdict programDir = judgeProgramDir(action, record.programDir, productName);
    const bool uninstallEntryShown = judgeUninstallEntry(productName, programDir);
    // Asked while the program folder is still there (its short form).
    const std::vector<FolderStanding> ownFolders = packageFolders(programDir);
    const TokenList startupValues = judgeCompanionStartupValues(programDir);
    removeCplRegistry(programDir);
    removeProgramDirs(programDir);
    removeProgramGroup(record.programGroupDir, ownFolders);
    removeCplLanguageLibrary(record);
    vtxRemoveProgramFilesIcons(record);
    vtxRemoveDialups(record);

    if (packageKeyShown) removePackageKey(action, packageKey);
    removeCompanionStartupValues(startupValues);
    if (uninstallEntryShown) removePackageKey(action, concatPath(uninstallKey, productName));
    vtxDontRestartSetup(record);

    if (record.optionFlags[InstallRecord::scheduleSetupTempFiles])
        scheduleSetupTempFiles(record, origTmpDir, packageKeyShown ? record.languageDll : "");
}
