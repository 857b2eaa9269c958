// Key and directory guards of the clean-up actions.
#include "cleanup/Guards.h"
#include <windows.h>
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

namespace {

// Roots below "Software" that many programs, or the platform, share.
const char* const sharedRoots[] = {
    "Microsoft", "Classes", "Clients", "Policies", "ODBC", "Wow6432Node",
    "RegisteredApplications", "Secure", "Description", "Program Groups", "InstallShield",
};
// Software\Microsoft\Windows\CurrentVersion\Uninstall\<one entry>.
const char* const uninstallEntryShape[] = {"Software", "Microsoft", "Windows", "CurrentVersion",
                                           "Uninstall"};
const size_t uninstallEntryDepth = 6;

const char* const appPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// text without the quotes around it.
std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// The App Paths entry whose program, or one of whose folders, lies in dir;
// "" when there is none.
std::string appPathInside(const std::string& dir) {
    TokenList entries;
    regGetSubkeys(appPathsKey, KEY_READ, entries, HKEY_LOCAL_MACHINE);
    for (size_t i = 0; i < entries.count(); ++i) {
        const std::string key = concatPath(appPathsKey, entries[i]);
        TokenList places;
        getStrTokens(places, regGetPath(key, "Path", HKEY_LOCAL_MACHINE), ";");
        places.add(regGetPath(key, "", HKEY_LOCAL_MACHINE));
        for (size_t j = 0; j < places.count(); ++j)
            if (liesInDir(unquoted(places[j]), dir)) return "App Paths\\" + entries[i];
    }
    return "";
}

// The uninstall entry, other than the package's own, whose InstallLocation
// lies in dir; "" when there is none.
std::string installLocationInside(const std::string& dir, const std::string& productName) {
    TokenList entries;
    regGetSubkeys(uninstallKey, KEY_READ, entries, HKEY_LOCAL_MACHINE);
    for (size_t i = 0; i < entries.count(); ++i) {
        if (sameText(entries[i], productName) || sameText(entries[i], setupProductCode)) continue;
        const std::string location = regGetPath(concatPath(uninstallKey, entries[i]),
                                                "InstallLocation", HKEY_LOCAL_MACHINE);
        if (liesInDir(unquoted(location), dir)) return "Uninstall\\" + entries[i];
    }
    return "";
}

bool hasSubkeys(const std::string& key) {
    TokenList subkeys;
    return regGetSubkeys(key, KEY_READ, subkeys, HKEY_LOCAL_MACHINE) && subkeys.count() > 0;
}

bool isSharedRoot(const std::string& name) {
    for (const char* shared : sharedRoots)
        if (sameText(name, shared)) return true;
    return false;
}

bool isUninstallEntry(const TokenList& parts) {
    if (parts.count() != uninstallEntryDepth) return false;
    for (size_t i = 0; i + 1 < uninstallEntryDepth; ++i)
        if (!sameText(parts[i], uninstallEntryShape[i])) return false;
    return true;
}

}  // namespace

std::string normaliseKeyPath(const std::string& keyPath) {
    TokenList parts;
    getStrTokens(parts, keyPath, "\\");
    std::string result;
    for (size_t i = 0; i < parts.count(); ++i) {
        if (i > 0) result += '\\';
        result += parts[i];
    }
    return result;
}

bool isPackageKey(const std::string& keyPath) {
    TokenList parts;
    getStrTokens(parts, keyPath, "\\");
    if (parts.count() < 2 || !sameText(parts[0], "Software")) return false;
    if (sameText(parts[1], "Microsoft")) return isUninstallEntry(parts);
    return !isSharedRoot(parts[1]);
}

bool acceptPackageKey(const char* action, const std::string& keyPath) {
    if (isPackageKey(keyPath)) return true;
    runErrorLog.log("%s: key \"%s\" is not the package's, not deleted", action, keyPath.c_str());
    return false;
}

bool isWalkableKey(const std::string& keyPath) {
    TokenList parts;
    getStrTokens(parts, keyPath, "\\");
    return isPackageKey(keyPath) && parts.count() >= 3;
}

bool acceptWalkedKey(const char* action, const char* setting, const std::string& keyPath) {
    if (!acceptPackageKey(action, keyPath)) return false;
    if (isWalkableKey(keyPath)) return true;
    runErrorLog.log("%s: %s \"%s\" lies less than two levels below Software, not deleted",
                    action, setting, keyPath.c_str());
    return false;
}

// Windows 95, 98 and Me delete a key with everything below it: a key that
// still has sub-keys keeps them, and itself, on every platform.
void removePackageKey(const char* action, const std::string& keyPath) {
    if (!acceptPackageKey(action, keyPath)) return;
    const std::string key = normaliseKeyPath(keyPath);
    regDeleteValues(key, HKEY_LOCAL_MACHINE);
    if (hasSubkeys(key)) {
        runErrorLog.log("%s: key \"%s\" still has sub-keys, not deleted", action, key.c_str());
        return;
    }
    regDeleteKey(key, HKEY_LOCAL_MACHINE);
}

void logRefusedDir(const char* action, const std::string& dir) {
    runErrorLog.log("%s: directory \"%s\" is not the package's, not removed", action,
                    dir.c_str());
}

void removePackageDir(const char* action, const std::string& dir) {
    if (isProtectedDir(dir)) {
        logRefusedDir(action, dir);
        return;
    }
    deleteDirFiles(dir);
    removeDir(dir);
}

bool isPlainFileName(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return false;
    return name.find_first_not_of(". ") != std::string::npos;
}

bool acceptFileName(const char* setting, const std::string& name) {
    if (isPlainFileName(name)) return true;
    runErrorLog.log("%s \"%s\" is not a plain file name, nothing removed", setting, name.c_str());
    return false;
}

bool acceptSetupTempDir(const char* setting, const std::string& dir) {
    if (isPlatformTempFolder(dir)) return true;
    runErrorLog.log("%s \"%s\" is not a temporary folder, nothing scheduled there", setting,
                    dir.c_str());
    return false;
}

bool acceptProgramDirToEmpty(const char* action, const std::string& dir,
                             const std::string& productName) {
    std::string why;
    if (isInCommonFilesDir(dir)) {
        why = "lies in Common Files";
    } else {
        std::string registration = appPathInside(dir);
        if (registration.empty()) registration = installLocationInside(dir, productName);
        if (registration.empty()) return true;
        why = "holds a program of another product (" + registration + ")";
    }
    runErrorLog.log("%s: ProgramFilesDir \"%s\" %s, only the package's files removed", action,
                    dir.c_str(), why.c_str());
    return false;
}
