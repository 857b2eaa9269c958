// Reads of the installation description "brdsetup.ini" in the Windows
// directory and of the package key it names.
#pragma once
#include <string>

// Key first, then section. Values are cut to 511 characters; a missing file
// or key gives defaultValue.
std::string getSetupIniString(const char* key, const char* section, const char* defaultValue);
// The value read as decimalToInt reads it; 0 when missing.
int getSetupIniInt(const char* key, const char* section);

// "Software\" + [SystemInfo] SetupSoftwareKey of the installation description.
std::string getSetupSoftwareKey();
// A REG_SZ value of the package key under HKEY_LOCAL_MACHINE, or "" (the
// registry unit logs the failure).
std::string getSetupRegString(const char* valueName);
// getSetupRegString read as decimalToInt reads it.
int getSetupRegInt(const char* valueName);
