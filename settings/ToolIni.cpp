// Reads of the tool INI and the start directory's presence tests. Files of
// the start directory are named with ".\": a bare name would make the
// profile API look in the Windows directory.
#include "settings/ToolIni.h"
#include <windows.h>
#include "log/Loggers.h"

namespace {
const char* const toolIniPath = ".\\VTX.INI";

// An existence test that asks for no access rights.
bool fileExists(const char* name) {
    std::string path = std::string(".\\") + name;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

std::string getToolIniString(const char* key, const char* section, const char* defaultValue) {
    char buffer[512];
    DWORD length =
        GetPrivateProfileStringA(section, key, defaultValue, buffer, sizeof buffer, toolIniPath);
    return length == 0 ? std::string() : std::string(buffer, length);
}

bool IsVtIniFile() {
    const char* name = "VTX.INI";
    if (fileExists(name)) return true;
    runErrorLog.log("IsVtIniFile: %s file missing", name);
    return false;
}

bool IsVtInstallInitFile() {
    const char* name = "brdsetup.ini";
    if (fileExists(name)) return true;
    runErrorLog.log("IsVtInstallInitFile: %s file missing", name);
    return false;
}
