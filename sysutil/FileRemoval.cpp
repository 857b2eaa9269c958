// Deleting files and directories at once, copying, and scheduling files for
// deletion at the next start of Windows.
#include "sysutil/FileRemoval.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/Handles.h"
#include "sysutil/IniEntry.h"
#include "sysutil/NameRules.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/Tokens.h"
#include "sysutil/WinVersion.h"

namespace {

// Name and extension of a path: what follows its last "\", "/" or ":".
std::string fileNameOf(const std::string& path) {
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool isDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "." and ".." are never listed; folders only when asked for.
bool isListed(const WIN32_FIND_DATAA& entry, DirEntries which) {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    const std::string name = entry.cFileName;
    return which == DirEntries::filesAndFolders && name != "." && name != "..";
}

// True when every component of dir after its drive is an 8.3 name.
bool isShortPath(const std::string& dir) {
    TokenList components;
    getStrTokens(components, dir, "\\");
    for (size_t i = 1; i < components.count(); ++i)
        if (!isShortName(components[i])) return false;
    return components.count() > 0 && components[0].size() == 2 && components[0][1] == ':';
}

// The form of path that WININIT, which reads 8.3 names before Windows has
// started, takes for that file: its short form; for a file that does not
// exist (it has none), its folder's short form joined with its name when
// that is an 8.3 name. "" when there is no such form: a long name written
// as it is may be read as another file's ("kernel32.dll.old" as
// KERNEL32.DLL).
std::string wininitPath(const std::string& path) {
    const std::string shortPath = getShortPath(path);
    if (!shortPath.empty()) return shortPath;
    const size_t cut = path.rfind('\\');
    if (cut == std::string::npos || !isShortName(path.substr(cut + 1))) return "";
    const std::string folder = path.substr(0, cut);
    std::string shortFolder = getShortPath(folder);
    if (shortFolder.empty() && isShortPath(folder)) shortFolder = folder;
    return shortFolder.empty() ? "" : concatPath(shortFolder, path.substr(cut + 1));
}

}  // namespace

TokenList listDirEntries(const std::string& dir, DirEntries which, const char* pattern) {
    TokenList names;
    WIN32_FIND_DATAA entry;
    FindHandle search(FindFirstFileA(concatPath(dir, pattern).c_str(), &entry));
    if (!search) return names;
    do {
        if (isListed(entry, which)) names.add(entry.cFileName);
    } while (FindNextFileA(search.get(), &entry));
    return names;
}

// A file that exists but stays (in use, protected) is named in the log, so
// that what a removal left behind can be found; an absent one is not.
BOOL deleteFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const BOOL deleted = DeleteFileA(path.c_str());
    if (!deleted) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            utilErrorLog.log("deleteFile: %s not deleted, error %lu", path.c_str(), error);
    }
    return deleted;
}

void deleteDirFiles(const std::string& dir) {
    if (isProtectedDir(dir)) {
        utilErrorLog.log("deleteDirFiles: %s is a protected directory, not emptied", dir.c_str());
        return;
    }
    const TokenList names = listDirEntries(dir, DirEntries::files);
    for (size_t i = 0; i < names.count(); ++i) deleteFile(concatPath(dir, names[i]));
}

void removeDir(const std::string& dir) {
    if (dir.find('\\') == std::string::npos) {
        utilErrorLog.logText("Can't remove directory:\n" + dir);
        return;
    }
    if (isProtectedDir(dir)) {
        utilErrorLog.log("removeDir: %s is a protected directory, not removed", dir.c_str());
        return;
    }
    RemoveDirectoryA(dir.c_str());
    // Climb while the parents come away empty; stop before a protected one.
    std::string parent = dir;
    for (;;) {
        const size_t cut = parent.rfind('\\');
        if (cut == std::string::npos) break;
        parent.erase(cut);
        if (isProtectedDir(parent)) break;
        if (!RemoveDirectoryA(parent.c_str())) break;
    }
}

void copyFileTo(const std::string& source, const std::string& target) {
    const std::string destination =
        isDirectory(target) ? concatPath(target, fileNameOf(source)) : target;
    SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    CopyFileA(source.c_str(), destination.c_str(), FALSE);
    SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void deleteAtReboot(const std::string& path) {
    if (path.empty()) return;
    if (isWinNT()) {
        MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    const std::string entry = wininitPath(path);
    if (entry.empty()) {
        utilErrorLog.log("deleteAtReboot: %s has no short name, not scheduled", path.c_str());
        return;
    }
    addIniEntry(concatPath(getWindowsDir(), wininitName), "rename", "NUL", entry);
}

// WININIT removes files only: on Windows 95, 98 and Me a folder cannot be
// scheduled.
void removeDirAtReboot(const std::string& dir) {
    if (!dir.empty() && isWinNT()) MoveFileExA(dir.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
