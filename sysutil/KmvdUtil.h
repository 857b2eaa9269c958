// Text tools of the utility module: token lists, path joins, reads of the
// installation description in the Windows directory and of the package's
// registry key, number conversion.
#pragma once
#include <string>
#include "sysutil/TokenList.h"
#include "sysutil/XKmi.h"

// Fills list with the runs of text between separator bytes; empty runs are
// dropped, blanks are kept. Throws XKmi("Out of memory in getStrTokens").
void getStrTokens(TokenList& list, const char* text, const char* separators);
inline void getStrTokens(TokenList& list, const std::string& text, const char* separators) {
    getStrTokens(list, text.c_str(), separators);
}

// dir + name with exactly one backslash added at the seam unless either side
// already has one there.
std::string concatPath(const std::string& dir, const char* name);
inline std::string concatPath(const std::string& dir, const std::string& name) {
    return concatPath(dir, name.c_str());
}

std::string getWindowsDir();
std::string getSystemDir();
std::string getTempDir();  // ends with a backslash

// Windows-directory "brdsetup.ini". Key first, then section. Values are cut
// to 511 characters.
std::string getSetupIniString(const char* key, const char* section, const char* defaultValue);
int getSetupIniInt(const char* key, const char* section);

// "0x" prefix: hexadecimal; otherwise decimal like getSetupIniInt.
int strToInt(const char* text);
inline int strToInt(const std::string& text) { return strToInt(text.c_str()); }
// Leading blanks, optional sign, decimal digits up to the first other byte;
// no digits give 0.
int decimalToInt(const char* text);

// "Software\" + [SystemInfo] SetupSoftwareKey of the installation description.
std::string getSetupSoftwareKey();
// A REG_SZ value of the package key under HKEY_LOCAL_MACHINE, or "" (the
// registry unit logs the failure).
std::string getSetupRegString(const char* valueName);
int getSetupRegInt(const char* valueName);
