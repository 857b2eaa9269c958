// Keys of the platform below HKEY_LOCAL_MACHINE that the program reads or
// changes, each spelled once (registry names ignore case; these are written
// as the platform's own documentation writes them, and so appear in the log).
#pragma once
#include <string>

// Where Windows keeps its settings of installed programs.
inline const std::string windowsVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
// Programs started at every start of Windows, one value each.
inline const std::string startupKey = windowsVersionKey + "\\Run";
// The list of installed programs, one entry (sub-key) each.
inline const std::string uninstallKey = windowsVersionKey + "\\Uninstall";
// Programs registered by their file name.
inline const std::string appPathsKey = windowsVersionKey + "\\App Paths";
// The settings of the NT family.
inline const std::string windowsNtVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
