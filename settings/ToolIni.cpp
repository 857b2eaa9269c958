// Reads of the tool INI and the start directory's presence tests (files of
// the start directory are named through inStartFolder).
#include "settings/ToolIni.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/IniRead.h"
#include "sysutil/Paths.h"

std::string getToolIniString(const char* key, const char* section, const char* defaultValue) {
    return readIniString(inStartFolder(toolIniName), key, section, defaultValue, iniValueBuffer);
}

bool IsVtIniFile() {
    if (fileExists(inStartFolder(toolIniName))) return true;
    runErrorLog.log("IsVtIniFile: %s file missing", toolIniName);
    return false;
}

bool IsVtInstallInitFile() {
    if (fileExists(inStartFolder(setupIniName))) return true;
    runErrorLog.log("IsVtInstallInitFile: %s file missing", setupIniName);
    return false;
}
