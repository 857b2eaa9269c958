// The platform's Program Files and Common Files: asked of the platform, with
// the English names only as the fallback of a Windows that names none.
#include "sysutil/ProgramFiles.h"
#include <windows.h>
#include "sysutil/Paths.h"
#include "sysutil/PlatformKeys.h"
#include "sysutil/RegistryIO.h"

std::string platformProgramFilesDir() {
    const std::string named = regGetPath(windowsVersionKey, "ProgramFilesDir", HKEY_LOCAL_MACHINE);
    if (!named.empty()) return named;
    const std::string windowsDir = getWindowsDir();
    if (windowsDir.size() < 2 || windowsDir[1] != ':') return "";
    return windowsDir.substr(0, 2) + "\\Program Files";
}

std::string platformCommonFilesDir() {
    const std::string named = regGetPath(windowsVersionKey, "CommonFilesDir", HKEY_LOCAL_MACHINE);
    if (!named.empty()) return named;
    const std::string programFiles = platformProgramFilesDir();
    return programFiles.empty() ? "" : concatPath(programFiles, "Common Files");
}
