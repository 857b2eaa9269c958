// File removal, copying and removal at the next start of Windows.
#pragma once
#include <windows.h>
#include <string>
#include "sysutil/TokenList.h"

// Attributes reset to normal, then DeleteFileA. Non-zero when deleted; a
// file that exists and stays gets one error line. The last error is kept.
BOOL deleteFile(const std::string& path);
// The long names of the files and folders directly inside dir, without "."
// and "..", in the order the platform lists them.
TokenList listDirEntries(const std::string& dir);
// Deletes the files directly inside dir; sub-directories are not entered.
void deleteDirFiles(const std::string& dir);
// Removes dir, then its parents while they are empty.
void removeDir(const std::string& dir);
// Copies source over target (a file path, or an existing directory to copy
// into), resetting the attributes of the destination before and after.
void copyFileTo(const std::string& source, const std::string& target);
// The short (8.3) form of an existing path, or "" when there is none.
std::string getShortPath(const std::string& path);
// NT: MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT). 9x: a "NUL=path"
// line in [rename] of the Windows directory's wininit.ini.
void deleteAtReboot(const std::string& path);
// Adds "key=value" at the end of the section of an INI file, creating the
// section at the end when it is absent.
void addIniEntry(const std::string& iniPath, const char* section, const char* key,
                 const std::string& value);
// Finds "[section]" (any case, trailing blanks ignored) in lines; lastLine is
// the index of the section's last line.
bool findIniSection(const char* section, const TokenList& lines, size_t& lastLine);
