// Reads of the installation description "brdsetup.ini" in the Windows
// directory and of the package key it names.
#include "sysutil/SetupIni.h"

#include <windows.h>

#include "res/FileNames.h"
#include "sysutil/IniRead.h"
#include "sysutil/Numbers.h"
#include "sysutil/Paths.h"
#include "sysutil/RegistryIO.h"

std::string getSetupIniString(const char* key, const char* section, const char* defaultValue) {
    return readIniString(concatPath(getWindowsDir(), setupIniName), key, section, defaultValue,
                         iniValueBuffer);
}

int getSetupIniInt(const char* key, const char* section) {
    return decimalToInt(getSetupIniString(key, section, "").c_str());
}

std::string getSetupSoftwareKey() {
    return "Software\\" + getSetupIniString("SetupSoftwareKey", systemInfoSection, "");
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
