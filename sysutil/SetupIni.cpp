// Reads of the installation description "brdsetup.ini" in the Windows
// directory, and of the package's registry key that it names.
#include "sysutil/KmvdUtil.h"

#include <windows.h>

#include "sysutil/RegistryIO.h"

namespace {

const DWORD kIniValueBuffer = 512;  // values come back cut to 511 characters

}  // namespace

std::string getSetupIniString(const char* key, const char* section, const char* defaultValue) {
    std::string file = concatPath(getWindowsDir(), "brdsetup.ini");
    char value[kIniValueBuffer] = "";
    GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "", value, kIniValueBuffer,
                             file.c_str());
    value[kIniValueBuffer - 1] = '\0';
    return value;
}

int getSetupIniInt(const char* key, const char* section) {
    return decimalToInt(getSetupIniString(key, section, "").c_str());
}

std::string getSetupSoftwareKey() {
    return "Software\\" + getSetupIniString("SetupSoftwareKey", "SystemInfo", "");
}

// Only REG_SZ values read; anything else, or an absent key or value, is "".
std::string getSetupRegString(const char* valueName) {
    std::string value;
    regGetString(getSetupSoftwareKey(), valueName, value, HKEY_LOCAL_MACHINE);
    return value;
}

int getSetupRegInt(const char* valueName) {
    return decimalToInt(getSetupRegString(valueName).c_str());
}
