// Files the driver package left in the Windows and system directories: the
// firmware images, the restart marker and the installation description copy.
// Nothing here is scheduled for the next start.
#include "cleanup/DriverFiles.h"
#include <windows.h>
#include <cstdio>
#include "cleanup/Guards.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
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

// Windows File Protection's SfcIsFileProtected, on 2000 and XP (95, 98, Me
// and NT 4 have no sfc.dll). The library is loaded from the system directory
// by its full path: a copy in the package folder must not answer.
class FileProtection {
public:
    FileProtection() {
        if (!isWinNT() || getWinMajorVersion() < 5) return;
        const std::string systemDir = getSystemDir();
        if (systemDir.empty()) return;
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        library.reset(LoadLibraryA(concatPath(systemDir, sfcLibraryName).c_str()));
        SetErrorMode(oldMode);
        if (!library) return;
        const FARPROC entry = GetProcAddress(library.get(), "SfcIsFileProtected");
        isFileProtected =
            reinterpret_cast<IsFileProtectedFunction>(reinterpret_cast<void (*)()>(entry));
    }
    // A path that cannot be put to the question counts as protected.
    bool guards(const std::string& path) const {
        if (!isFileProtected) return false;
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) return true;
        return isFileProtected(nullptr, widePath) != FALSE;
    }

private:
    typedef BOOL(WINAPI* IsFileProtectedFunction)(HANDLE rpcHandle, LPCWSTR fileName);
    Library library;
    IsFileProtectedFunction isFileProtected = nullptr;
};

// Firmware is data loaded into the modem: a file that starts with "MZ" is an
// executable image (a driver, a library, a program). A file that exists but
// cannot be read cannot show that it is not one.
bool mayBeExecutableImage(const std::string& path) {
    StdFile file(fopen(path.c_str(), "rb"));
    if (!file) return fileExists(path);
    char head[2] = {0, 0};
    return fread(head, 1, sizeof head, file.get()) == sizeof head && head[0] == 'M' &&
           head[1] == 'Z';
}

// A name of FirmwareFiles goes only when its file is firmware: neither an
// executable image nor a file Windows protects. A refusal gets one line.
bool acceptFirmwareFile(const std::string& name, const std::string& path,
                        const FileProtection& protection) {
    const char* why = mayBeExecutableImage(path) ? "is an executable image or cannot be read"
                      : protection.guards(path)  ? "is protected by Windows"
                                                 : nullptr;
    if (why == nullptr) return true;
    runErrorLog.log("removeDspBin: FirmwareFiles \"%s\": %s %s, not removed", name.c_str(),
                    path.c_str(), why);
    return false;
}

}  // namespace

bool removeDspBin() {
    const std::string dir = driverDir();
    const std::string fixedImage = concatPath(dir, firmwareImageName);
    runTraceLog.log("removeDspBin: %s", fixedImage.c_str());
    deleteFile(fixedImage);

    if (!fileExists(getWindowsDir() + "\\" + setupIniName)) return true;
    runTraceLog.log("removeDspBin: Parsing %s", "FirmwareFiles");
    if (!regValueExists(getSetupSoftwareKey(), "FirmwareFiles", HKEY_LOCAL_MACHINE)) return true;
    const std::string list = getSetupRegString("FirmwareFiles");
    if (list.empty()) return true;

    TokenList names;
    getStrTokens(names, list, ",");
    const FileProtection protection;
    for (size_t i = 0; i < names.count(); ++i) {
        if (!acceptFileName("removeDspBin: FirmwareFiles", names[i])) continue;
        const std::string path = concatPath(dir, names[i]);
        if (!acceptFirmwareFile(names[i], path, protection)) continue;
        runTraceLog.log("removeDspBin: %s removed", path.c_str());
        deleteFile(path);
    }
    return true;
}

bool removeReboot() { return removeWindowsFile("removeReboot", rebootMarkerName); }

bool removeCfgIni() { return removeWindowsFile("removeCfgIni", setupIniName); }
