// Path joins, the platform's own directories and the forms of a path.
#pragma once
#include <string>

// dir + name with exactly one backslash added at the seam unless either side
// already has one there.
std::string concatPath(const std::string& dir, const char* name);
inline std::string concatPath(const std::string& dir, const std::string& name) {
    return concatPath(dir, name.c_str());
}

// The platform's directories, asked for in a buffer of 260 characters; ""
// when the platform cannot give one.
std::string getWindowsDir();
std::string getSystemDir();
std::string getTempDir();  // ends with a backslash

// True when path names an existing file or folder (asks for no access).
bool fileExists(const std::string& path);
// The short (8.3) form of an existing path, or "" when there is none.
std::string getShortPath(const std::string& path);
// The file of the module of that name loaded into this process (nullptr:
// the running program itself), or "" when none is.
std::string getModulePath(const char* moduleName);
