// The platform's folder layout, asked for once per run, and the protected
// folder tests over it.
#include "sysutil/PlatformFolders.h"
#include <windows.h>
#include <shlobj.h>
#include "sysutil/NetworkPaths.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformKeys.h"
#include "sysutil/ProgramFiles.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/ReparsePoints.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/ShellFolders.h"
#include "sysutil/TokenList.h"

namespace {

// Profiles of the NT family and of Windows 95, 98 and Me (user profiles on).
const std::string profileListKeys[] = {
    windowsNtVersionKey + "\\ProfileList",
    windowsVersionKey + "\\ProfileList",
};
// The special-folder ids run from CSIDL_DESKTOP (0) to CSIDL_COMPUTERSNEARME
// (0x3D), the highest any shell defines; an id a shell does not know just
// fails. (Ids above are none of Windows's; Wine answers some of them with
// folders of its own and writes defaults into the registry as it does.)
const int lastFolderId = 0x3D;

// dir and, when the platform gives one that differs, its short form.
void addForms(std::vector<std::string>& list, const std::string& dir) {
    if (dir.empty()) return;  // a folder this platform does not have
    list.push_back(dir);
    const std::string shortForm = getShortPath(dir);
    if (!shortForm.empty() && shortForm != dir) list.push_back(shortForm);
}

void addSpecialFolders(std::vector<std::string>& list) {
    for (int id = 0; id <= lastFolderId; ++id) addForms(list, getSpecialFolderPath(id));
}

// The profile folders the platform lists, and on the NT family the folder
// that holds them with its "All Users" and "Default User" profiles (later
// systems name their shared profile folders in full).
void addProfileRoots(std::vector<std::string>& list) {
    for (const std::string& listKey : profileListKeys) {
        TokenList profiles;
        if (regGetSubkeys(listKey, KEY_READ, profiles, HKEY_LOCAL_MACHINE))
            for (size_t i = 0; i < profiles.count(); ++i)
                addForms(list, regGetPath(concatPath(listKey, profiles[i]), "ProfileImagePath",
                                          HKEY_LOCAL_MACHINE));
        for (const char* name : {"ProgramData", "Public"})
            addForms(list, regGetPath(listKey, name, HKEY_LOCAL_MACHINE));
        const std::string root = regGetPath(listKey, "ProfilesDirectory", HKEY_LOCAL_MACHINE);
        if (root.empty()) continue;
        addForms(list, root);
        for (const char* name : {"AllUsersProfile", "DefaultUserProfile"}) {
            const std::string profile = regGetPath(listKey, name, HKEY_LOCAL_MACHINE);
            if (!profile.empty()) addForms(list, concatPath(root, profile));
        }
    }
}

// The user profiles the platform lists (ProfileList), each one user's data.
void addListedProfiles(std::vector<std::string>& list) {
    for (const std::string& listKey : profileListKeys) {
        TokenList profiles;
        if (!regGetSubkeys(listKey, KEY_READ, profiles, HKEY_LOCAL_MACHINE)) continue;
        for (size_t i = 0; i < profiles.count(); ++i)
            addForms(list, regGetPath(concatPath(listKey, profiles[i]), "ProfileImagePath",
                                      HKEY_LOCAL_MACHINE));
    }
}

// On 64-bit Windows a 32-bit program is shown "Program Files (x86)" as its
// program-files root; the 64-bit roots are named by values of their own.
void addWow64Folders(FolderLayout& layout) {
    const std::string programFiles =
        regGetPath(windowsVersionKey, "ProgramW6432Dir", HKEY_LOCAL_MACHINE);
    const std::string commonFiles = regGetPath(windowsVersionKey, "CommonW6432Dir", HKEY_LOCAL_MACHINE);
    addForms(layout.protectedDirs, programFiles);
    addForms(layout.protectedDirs, commonFiles);
    addForms(layout.programFilesDirs, programFiles);
    addForms(layout.commonFilesDirs, commonFiles);
}

// A variable's value, or "" when it is not set (ExpandEnvironmentStrings
// then gives the text back as written).
std::string environmentFolder(const char* variable) {
    const std::string written = std::string("%") + variable + "%";
    char value[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsA(written.c_str(), value, MAX_PATH);
    if (length == 0 || length > MAX_PATH || written == value) return "";
    return value;
}

// Where the platform puts temporary files: GetTempPath, <Windows>\TEMP and
// the two variables GetTempPath reads.
void addTempFolders(std::vector<std::string>& list, const std::string& windowsDir) {
    addForms(list, getTempDir());
    if (!windowsDir.empty()) addForms(list, concatPath(windowsDir, "TEMP"));
    addForms(list, environmentFolder("TEMP"));
    addForms(list, environmentFolder("TMP"));
}

// The user's data, as the shell reports it (a folder a platform lacks is
// just not there).
const int dataFolderIds[] = {
    CSIDL_PERSONAL,     CSIDL_MYPICTURES,    CSIDL_MYMUSIC,      CSIDL_MYVIDEO,
    CSIDL_APPDATA,      CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_COMMON_DOCUMENTS,
    CSIDL_FAVORITES,    CSIDL_COMMON_FAVORITES,
};

// Both forms of path that the platform gives; a network path only as
// written (asking for its short form could wait for a network time-out).
std::vector<std::string> formsOf(const std::string& path) {
    if (isNetworkPath(path)) return {path};
    std::vector<std::string> forms;
    addForms(forms, path);
    return forms;
}

}  // namespace

FolderLayout queryFolderLayout() {
    FolderLayout layout;
    const std::string systemDir = getSystemDir();
    const std::string windowsDir = getWindowsDir();
    addForms(layout.windowsDirs, windowsDir);
    addForms(layout.programsDirs, getSpecialFolderPath(CSIDL_PROGRAMS));
    addForms(layout.programsDirs, getSpecialFolderPath(CSIDL_COMMON_PROGRAMS));
    std::vector<std::string>& shared = layout.protectedDirs;
    addForms(shared, systemDir);
    if (!systemDir.empty()) addForms(shared, concatPath(systemDir, "drivers"));
    addForms(shared, getTempDir());
    addForms(shared, platformProgramFilesDir());
    const std::string commonFiles = platformCommonFilesDir();
    addForms(shared, commonFiles);
    addSpecialFolders(shared);
    addProfileRoots(shared);
    addTempFolders(layout.tempDirs, windowsDir);
    addForms(layout.commonFilesDirs, commonFiles);
    addForms(layout.commonFilesDirs, getSpecialFolderPath(CSIDL_PROGRAM_FILES_COMMON));
    for (const int id : dataFolderIds) addForms(layout.dataDirs, getSpecialFolderPath(id));
    addForms(layout.profileDirs, getSpecialFolderPath(CSIDL_PROFILE));
    addListedProfiles(layout.profileDirs);
    addWow64Folders(layout);
    addForms(layout.programFilesDirs, platformProgramFilesDir());
    addForms(layout.programFilesDirs, getSpecialFolderPath(CSIDL_PROGRAM_FILES));
    return layout;
}

const ProtectedDirs& platformProtectedDirs() {
    static const ProtectedDirs dirs(queryFolderLayout());
    return dirs;
}

bool isProtectedDir(const std::string& dir) {
    if (liesThroughReparsePoint(dir)) return true;
    const ProtectedDirs& rule = platformProtectedDirs();
    if (rule.covers(dir)) return true;
    const std::string shortForm = getShortPath(dir);
    return !shortForm.empty() && rule.covers(shortForm);
}

// The written form decides on dots: its short form may already be resolved.
bool isPlatformTempFolder(const std::string& dir) {
    if (hasDotsOnlyComponent(dir) || liesThroughReparsePoint(dir)) return false;
    for (const std::string& form : formsOf(dir))
        if (platformProtectedDirs().isTempFolder(form)) return true;
    return false;
}

bool isInCommonFilesDir(const std::string& dir) {
    for (const std::string& form : formsOf(dir))
        if (platformProtectedDirs().isInCommonFiles(form)) return true;
    return false;
}

FolderStanding folderStanding(const std::string& dir) {
    const ProtectedDirs& rule = platformProtectedDirs();
    FolderStanding standing;
    standing.path = platformDirPath(dir);
    standing.dotsOnlyComponent = hasDotsOnlyComponent(dir);
    standing.isProtected = isProtectedDir(dir);
    for (const std::string& form : formsOf(dir)) {
        standing.forms.push_back(normaliseDirPath(form));
        standing.inCommonFiles = standing.inCommonFiles || rule.isInCommonFiles(form);
        if (standing.dataFolder.empty()) standing.dataFolder = rule.dataFolderHolding(form);
        standing.belowPrograms = standing.belowPrograms || rule.isBelowPrograms(form);
    }
    return standing;
}

bool standsIn(const std::string& path, const FolderStanding& folder) {
    for (const std::string& inner : formsOf(path))
        for (const std::string& outer : folder.forms)
            if (isSameOrBelowDir(inner, outer)) return true;
    return false;
}

bool liesInDir(const std::string& path, const std::string& dir) {
    for (const std::string& inner : formsOf(path))
        for (const std::string& outer : formsOf(dir))
            if (isSameOrBelowDir(inner, outer)) return true;
    return false;
}
