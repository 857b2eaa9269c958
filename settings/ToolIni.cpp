// Reads of the tool INI and the start directory's presence tests. Files of
// the start directory are named with ".\": a bare name would make the
// profile API look in the Windows directory.
#include "settings/ToolIni.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/IniRead.h"
#include "sysutil/Paths.h"

namespace {
std::string startDirPath(const char* name) { return std::string(".\\") + name; }
}  // namespace

std::string getToolIniString(const char* key, const char* section, const char* defaultValue) {
    return readIniString(startDirPath(toolIniName), key, section, defaultValue, kIniValueBuffer);
}

bool IsVtIniFile() {
    if (fileExists(startDirPath(toolIniName))) return true;
    runErrorLog.log("IsVtIniFile: %s file missing", toolIniName);
    return false;
}

bool IsVtInstallInitFile() {
    if (fileExists(startDirPath(setupIniName))) return true;
    runErrorLog.log("IsVtInstallInitFile: %s file missing", setupIniName);
    return false;
}
