// The tool INI ".\VTX.INI" and the presence tests of the two INI files the
// run needs in its start directory.
#pragma once
#include <string>

// Key first, then section. The file is read anew on every call; a missing
// file or key gives defaultValue, a key with an empty value "". Values are
// cut to 511 characters.
std::string getToolIniString(const char* key, const char* section, const char* defaultValue);

// True when ".\VTX.INI" exists; otherwise an error line and false.
bool IsVtIniFile();
// True when ".\brdsetup.ini" exists; otherwise an error line and false.
bool IsVtInstallInitFile();
