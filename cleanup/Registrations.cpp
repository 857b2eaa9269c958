// Registrations of other products in the package's program folder.
#include "cleanup/Registrations.h"
#include <windows.h>
#include "cleanup/SystemKeys.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

namespace {

const char* const appPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// text without the quotes around it.
std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// The App Paths entry whose program, or one of whose folders, lies in
// folder; "" when there is none. Real entries often hold only their default
// value, the program's path.
std::string appPathIn(const FolderStanding& folder) {
    TokenList entries;
    regGetSubkeys(appPathsKey, KEY_READ, entries, HKEY_LOCAL_MACHINE);
    for (size_t i = 0; i < entries.count(); ++i) {
        const std::string key = concatPath(appPathsKey, entries[i]);
        TokenList places;
        getStrTokens(places, regGetPath(key, "Path", HKEY_LOCAL_MACHINE), ";");
        places.add(regGetPath(key, "", HKEY_LOCAL_MACHINE));
        for (size_t j = 0; j < places.count(); ++j)
            if (standsIn(unquoted(places[j]), folder)) return "App Paths\\" + entries[i];
    }
    return "";
}

// The uninstall entry, other than the package's own, whose InstallLocation
// lies in folder; "" when there is none.
std::string installLocationIn(const FolderStanding& folder, const std::string& productName) {
    TokenList entries;
    regGetSubkeys(uninstallKey, KEY_READ, entries, HKEY_LOCAL_MACHINE);
    for (size_t i = 0; i < entries.count(); ++i) {
        if (sameText(entries[i], productName) || sameText(entries[i], setupProductCode)) continue;
        const std::string location = regGetPath(concatPath(uninstallKey, entries[i]),
                                                "InstallLocation", HKEY_LOCAL_MACHINE);
        if (standsIn(unquoted(location), folder)) return "Uninstall\\" + entries[i];
    }
    return "";
}

}  // namespace

std::string otherProductIn(const FolderStanding& folder, const std::string& productName) {
    const std::string registration = appPathIn(folder);
    return registration.empty() ? installLocationIn(folder, productName) : registration;
}
