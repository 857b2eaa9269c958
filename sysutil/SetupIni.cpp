// The program's one INI reader; reads of the installation description
// "brdsetup.ini" in the Windows directory and of the package key it names.
#include "sysutil/KmvdUtil.h"

#include <windows.h>

#include "sysutil/RegistryIO.h"

std::string readIniString(const std::string& file, const char* section, const char* key,
                          const char* defaultValue, unsigned bufferSize) {
    if (bufferSize == 0) return "";
    std::string value(bufferSize, '\0');
    const DWORD length = GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "",
                                                  &value[0], bufferSize, file.c_str());
    value.resize(length < bufferSize ? length : bufferSize - 1);
    return value.c_str();  // up to a NUL the file itself may hold
}

std::string getSetupIniString(const char* key, const char* section, const char* defaultValue) {
    return readIniString(concatPath(getWindowsDir(), "brdsetup.ini"), section, key, defaultValue,
                         kIniValueBuffer);
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
