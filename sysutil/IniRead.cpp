// The program's one INI reader.
#include "sysutil/IniRead.h"

#include <windows.h>

std::string readIniString(const std::string& file, const char* key, const char* section,
                          const char* defaultValue, unsigned bufferSize) {
    if (bufferSize == 0) return "";
    std::string value(bufferSize, '\0');
    const DWORD length = GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "",
                                                  &value[0], bufferSize, file.c_str());
    value.resize(length < bufferSize ? length : bufferSize - 1);
    return value.c_str();  // up to a NUL the file itself may hold
}
