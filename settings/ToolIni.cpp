// Reads of the tool INI and the start directory's presence tests. Files of
// the start directory are named with ".\": a bare name would make the
// profile API look in the Windows directory.
#include "settings/ToolIni.h"
#include <windows.h>
#include "log/Loggers.h"
#include "sysutil/KmvdUtil.h"

namespace {
const char* const toolIniPath = ".\\VTX.INI";

bool startDirFileExists(const char* name) { return fileExists(std::string(".\\") + name); }
}  // namespace

std::string getToolIniString(const char* key, const char* section, const char* defaultValue) {
    return readIniString(toolIniPath, section, key, defaultValue, kIniValueBuffer);
}

bool IsVtIniFile() {
    const char* name = "VTX.INI";
    if (startDirFileExists(name)) return true;
    runErrorLog.log("IsVtIniFile: %s file missing", name);
    return false;
}

bool IsVtInstallInitFile() {
    const char* name = "brdsetup.ini";
    if (startDirFileExists(name)) return true;
    runErrorLog.log("IsVtInstallInitFile: %s file missing", name);
    return false;
}
