// The registry key guards of the clean-up actions.
#include "cleanup/Guards.h"
#include <windows.h>
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
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

// Values the installation record reads that only a modem's setup writes.
const char* const modemValues[] = {"vpi", "vci", "layer3Protocol", "modulation", "driverType",
                                   "annexType"};
const int modemValuesShown = 2;

bool hasSubkeys(const std::string& key) {
    TokenList subkeys;
    return regGetSubkeys(key, KEY_READ, subkeys, HKEY_LOCAL_MACHINE) && subkeys.count() > 0;
}

bool isSharedRoot(const std::string& name) {
    for (const char* shared : sharedRoots)
        if (sameText(name, shared)) return true;
    return false;
}

// uninstallKey\<one entry>.
bool isUninstallEntry(const TokenList& parts) {
    TokenList shape;
    getStrTokens(shape, uninstallKey, "\\");
    if (parts.count() != shape.count() + 1) return false;
    for (size_t i = 0; i < shape.count(); ++i)
        if (!sameText(parts[i], shape[i])) return false;
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

bool isUninstallEntryKey(const std::string& keyPath) {
    TokenList parts;
    getStrTokens(parts, keyPath, "\\");
    return isUninstallEntry(parts);
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

bool judgePackageKey(const char* action, const std::string& keyPath) {
    if (!acceptPackageKey(action, keyPath)) return false;
    const std::string key = normaliseKeyPath(keyPath);
    TokenList subkeys;
    if (!regGetSubkeys(key, KEY_READ, subkeys, HKEY_LOCAL_MACHINE)) return false;
    int shown = 0;
    for (const char* value : modemValues)
        if (regValueExists(key, value, HKEY_LOCAL_MACHINE)) ++shown;
    if (shown >= modemValuesShown) return true;
    runErrorLog.log("%s: SetupSoftwareKey \"%s\" holds fewer than two of vpi, vci, layer3Protocol, "
                    "modulation, driverType, annexType, not used", action, keyPath.c_str());
    return false;
}
