// Files the driver package left in the Windows and system directories: the
// firmware images, the restart marker and the installation description copy.
// Nothing here is scheduled for the next start.
#include "cleanup/DriverFiles.h"
#include <windows.h>
#include "cleanup/FileJudge.h"
#include "cleanup/Guards.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Paths.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/SetupIni.h"
#include "sysutil/Tokens.h"
#include "sysutil/WinVersion.h"

namespace {

// The system directory's "drivers" folder on the NT family, the system
// directory itself otherwise; ends with a backslash.
std::string driverDir() {
    return concatPath(getSystemDir(), isWinNT() ? "\\drivers\\" : "\\");
}

// The file name in the Windows directory, logged and deleted when present.
bool removeWindowsFile(const char* label, const char* fileName) {
    runTraceLog.log("%s:", label);
    const std::string path = getWindowsDir() + "\\" + fileName;
    if (!fileExists(path)) return false;
    runTraceLog.log("%s: %s removed", label, path.c_str());
    deleteFile(path);
    return true;
}

}  // namespace

bool removeDspBin() {
    const std::string dir = driverDir();
    const std::string fixedImage = concatPath(dir, firmwareImageName);
    runTraceLog.log("removeDspBin: %s", fixedImage.c_str());
    deleteFile(fixedImage);

    if (!fileExists(getWindowsDir() + "\\" + setupIniName)) return true;
    runTraceLog.log("removeDspBin: Parsing %s", "FirmwareFiles");
    const std::string packageKey = getSetupSoftwareKey();
    if (!regValueExists(packageKey, "FirmwareFiles", HKEY_LOCAL_MACHINE)) return true;
    // A key that does not show it is the package's names nothing to delete.
    if (!judgePackageKey("removeDspBin", packageKey)) return true;
    const std::string list = getSetupRegString("FirmwareFiles");
    if (list.empty()) return true;

    TokenList names;
    getStrTokens(names, list, ",");
    for (size_t i = 0; i < names.count(); ++i) {
        const FileVerdict image = judgeFirmwareFile("removeDspBin: FirmwareFiles", dir, names[i]);
        if (!image.accepted) continue;
        runTraceLog.log("removeDspBin: %s removed", image.path.c_str());
        deleteFile(image.path);
    }
    return true;
}

bool removeReboot() { return removeWindowsFile("removeReboot", rebootMarkerName); }

bool removeCfgIni() { return removeWindowsFile("removeCfgIni", setupIniName); }
