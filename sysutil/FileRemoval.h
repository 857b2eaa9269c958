// File removal, copying and removal at the next start of Windows.
#pragma once
#include <windows.h>
#include <string>
#include "sysutil/TokenList.h"

// Attributes reset to normal, then DeleteFileA; returns its result (the last
// error kept). A file that exists and stays gets the error line
// "deleteFile: <path> not deleted, error <code>"; an absent one none.
BOOL deleteFile(const std::string& path);
enum class DirEntries { files, filesAndFolders };
// The long names of the entries directly inside dir that match pattern (the
// platform's wildcards), without "." and "..", in the order the platform
// lists them: files only, or files and folders.
TokenList listDirEntries(const std::string& dir, DirEntries which = DirEntries::filesAndFolders,
                         const char* pattern = "*.*");
// Deletes the files directly inside dir; sub-directories are not entered. A
// protected dir (isProtectedDir) is left alone with the error line
// "deleteDirFiles: <dir> is a protected directory, not emptied".
void deleteDirFiles(const std::string& dir);
// Removes dir, then its parents while they are empty, stopping before a
// protected one. Error lines: "Can't remove directory:\n<dir>" for a dir
// without a backslash, "removeDir: <dir> is a protected directory, not
// removed" for a protected dir.
void removeDir(const std::string& dir);
// Copies source over target (a file path, or an existing directory to copy
// into), resetting the attributes of the destination before and after.
void copyFileTo(const std::string& source, const std::string& target);
// NT: MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT). 9x: a "NUL=path"
// line in [rename] of the Windows directory's wininit.ini, through
// addIniEntry, with the file's short form; for a file that does not exist,
// its folder's short form and its name when that is an 8.3 name. A path
// with no such form gets the error line "deleteAtReboot: <path> has no
// short name, not scheduled". An empty path schedules nothing.
void deleteAtReboot(const std::string& path);
// NT: the empty folder dir removed at the next start (MoveFileExA with no
// target). 9x: nothing, since wininit.ini removes files only.
void removeDirAtReboot(const std::string& dir);
