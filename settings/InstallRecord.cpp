// Builds the installation record from the platform's directories, the
// installation description in the Windows directory and the package key.
#include "settings/InstallRecord.h"
#include <windows.h>
#include <shlobj.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include "res/FileNames.h"
#include "sysutil/Paths.h"
#include "sysutil/SetupIni.h"
#include "sysutil/ShellFolders.h"
#include "sysutil/TextCase.h"
#include "sysutil/WinVersion.h"

namespace {


// Drive and directory (with its trailing backslash) of the first word of the
// command line: the tool's program file as it was started.
std::string commandDir() {
    const char* line = GetCommandLineA();
    std::string word;
    if (*line == '"') {
        const char* end = strchr(line + 1, '"');
        word = end ? std::string(line + 1, end) : std::string(line + 1);
    } else {
        const char* end = line + strcspn(line, " \t");
        word.assign(line, end);
    }
    const size_t separator = word.find_last_of("\\/");
    if (separator != std::string::npos) return word.substr(0, separator + 1);
    return word.size() >= 2 && word[1] == ':' ? word.substr(0, 2) : std::string();
}

// The driver directory key for the running version; anything newer than
// 2000 counts as XP.
const char* driverDirKey() {
    if (isWin95()) return "DriverDir95";
    if (isWin98()) return "DriverDir98";
    if (isWinMe()) return "DriverDirMe";
    if (isWin2000()) return "DriverDir2k";
    return "DriverDirXP";
}

std::string joinedFolder(int csidl, const std::string& name) {
    const std::string folder = getSpecialFolderPath(csidl);
    return folder.empty() ? std::string() : concatPath(folder, name);
}

}  // namespace

InstallRecord::InstallRecord()
    : status(0), optionFlags(), vci(0), vpi(0), layer3Protocol(0), modulation(0) {
    windowsDir = getWindowsDir();
    systemDir = getSystemDir();
    tempDir = getTempDir();
    windowsDrive = windowsDir.substr(0, 2);
    if (windowsDrive.size() < 2 || windowsDrive[1] != ':') {
        setStatus(1, "Can't get windows drive letter from GetWindowsDirectory");
        return;
    }
    toolDir = commandDir();

    const std::string setupIni = concatPath(windowsDir, setupIniName);
    if (!fileExists(setupIni)) {
        setStatus(2, "Can't find INI_FILE, %s, in winDir", setupIni.c_str());
        return;
    }
    optionFlags[setupIniFound] = true;

    programDir = concatPath(windowsDrive, getSetupIniString("ProgramFilesDir", systemInfoSection, ""));
    infDir = concatPath(windowsDir, "inf");
    const bool nt = isWinNT();
    programGroupDir = joinedFolder(nt ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                                   getSetupIniString("ProductName", systemInfoSection, ""));
    desktopDir = getSpecialFolderPath(nt ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
    HardwareType = upperCase(getSetupIniString("HardwareType", systemInfoSection, ""));
    HardwarePlatform = upperCase(getSetupIniString("HardwarePlatform", systemInfoSection, ""));

    hardwareTypeDir = getSetupIniString(driverDirKey(), systemInfoSection, "");
    if (hardwareTypeDir.empty()) setStatus(3, "Can't get driver directory");

    ModemId = getSetupIniString("ModemId", systemInfoSection, "");
    if (ModemId.empty()) ModemId = getSetupIniString("UsbCtrlrId", systemInfoSection, "");
    ModemId = upperCase(ModemId);
    if (getSetupIniInt("InstallSilently", systemInfoSection) != 0)
        optionFlags[installedSilently] = true;

    readPackageValues();
}

InstallRecord::~InstallRecord() = default;

void InstallRecord::setStatus(int newStatus, const char* format, ...) {
    char text[260];  // the message holds at most 259 characters
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    text[sizeof text - 1] = '\0';
    status = newStatus;
    message = text;
}

void InstallRecord::readPackageValues() {
    srcPath = getSetupRegString("srcPath");
    hardwareTypeDir = getSetupRegString("hardwareTypeDir");
    language = getSetupRegString("language");
    languageDll = getSetupRegString("languageDll");
    languageDllCpl = getSetupRegString("languageDllCpl");
    languageDllCplV2 = getSetupRegString("languageDllCplV2");
    driverType = getSetupRegString("driverType");
    annexType = getSetupRegString("annexType");
    ispSection = getSetupRegString("ispSection");
    driverDir = getSetupRegString("driverDir");
    vci = getSetupRegInt("vci");
    vpi = getSetupRegInt("vpi");
    layer3Protocol = getSetupRegInt("layer3Protocol");
    modulation = getSetupRegInt("modulation");
}
