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

// Case folding in the ANSI code page (the platform's CharLowerBuffA and
// CharUpperBuffA, which leave double-byte characters alone).
std::string lowerCase(std::string text);
std::string upperCase(std::string text);
// True when the two texts are equal but for letter case.
bool sameText(const std::string& a, const std::string& b);

// True when path names an existing file or folder (asks for no access).
bool fileExists(const std::string& path);

// The platform's directories, asked for in a buffer of 260 characters; ""
// when the platform cannot give one.
std::string getWindowsDir();
std::string getSystemDir();
std::string getTempDir();  // ends with a backslash

// INI values are read into buffers of this many characters (values come back
// cut to 511).
constexpr unsigned kIniValueBuffer = 512;

// One key of an INI file through the platform's profile read, into a buffer
// of bufferSize characters (a longer value is cut to bufferSize - 1). A
// missing file or key gives defaultValue. Name a file of the current
// directory with ".\": a bare name is looked for in the Windows directory.
std::string readIniString(const std::string& file, const char* section, const char* key,
                          const char* defaultValue, unsigned bufferSize);

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
