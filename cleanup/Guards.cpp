// Key and directory guards of the clean-up actions.
#include "cleanup/Guards.h"
#include <windows.h>
#include "log/Loggers.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/KmvdUtil.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/RegistryIO.h"

namespace {

// Roots below "Software" that many programs, or the platform, share.
const char* const sharedRoots[] = {
    "Microsoft", "Classes", "Clients", "Policies", "ODBC", "Wow6432Node",
    "RegisteredApplications", "Secure", "Description", "Program Groups",
};
// Software\Microsoft\Windows\CurrentVersion\Uninstall\<one entry>.
const char* const uninstallEntryShape[] = {"Software", "Microsoft", "Windows", "CurrentVersion",
                                           "Uninstall"};
const size_t uninstallEntryDepth = 6;

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
    for (size_t i = 0; i < parts.count(); ++i)
        if (parts[i] == "." || parts[i] == "..") return false;
    if (sameText(parts[1], "Microsoft")) return isUninstallEntry(parts);
    return !isSharedRoot(parts[1]);
}

bool acceptPackageKey(const char* action, const std::string& keyPath) {
    if (isPackageKey(keyPath)) return true;
    runErrorLog.log("%s: key \"%s\" is not the package's, not deleted", action, keyPath.c_str());
    return false;
}

void removePackageKey(const char* action, const std::string& keyPath) {
    if (!acceptPackageKey(action, keyPath)) return;
    const std::string key = normaliseKeyPath(keyPath);
    regDeleteValues(key, HKEY_LOCAL_MACHINE);
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
