// Key and directory guards of the clean-up actions.
#include "cleanup/Guards.h"
#include <windows.h>
#include "log/Loggers.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/KmvdUtil.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/RegistryIO.h"

namespace {

const char* const sharedKeys[] = {
    "Software",
    "Software\\Classes",
    "Software\\Policies",
    "Software\\Microsoft",
    "Software\\Microsoft\\Windows",
    "Software\\Microsoft\\Windows\\CurrentVersion",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
};

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

bool isSharedKey(const std::string& keyPath) {
    const std::string key = normaliseKeyPath(keyPath);
    if (key.find('\\') == std::string::npos) return true;  // empty or top level
    for (const char* shared : sharedKeys)
        if (lstrcmpiA(key.c_str(), shared) == 0) return true;
    return false;
}

void removePackageKey(const char* action, const std::string& keyPath) {
    if (isSharedKey(keyPath)) {
        runErrorLog.log("%s: key \"%s\" is shared, not deleted", action, keyPath.c_str());
        return;
    }
    const std::string key = normaliseKeyPath(keyPath);
    regDeleteValues(key, HKEY_LOCAL_MACHINE);
    regDeleteKey(key, HKEY_LOCAL_MACHINE);
}

void removePackageDir(const char* action, const std::string& dir) {
    if (isProtectedDir(dir)) {
        runErrorLog.log("%s: directory \"%s\" is not the package's, not removed", action,
                        dir.c_str());
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
