// Deleting files and directories at once, copying, and scheduling files for
// deletion at the next start of Windows.
#include "sysutil/FileRemoval.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/Handles.h"
#include "sysutil/IniEntry.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
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

// Bare names of the files (not directories) directly inside dir.
TokenList listFiles(const std::string& dir) {
    TokenList names;
    WIN32_FIND_DATAA entry;
    FindHandle search(FindFirstFileA(concatPath(dir, "*.*").c_str(), &entry));
    if (!search) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.add(entry.cFileName);
    } while (FindNextFileA(search.get(), &entry));
    return names;
}

}  // namespace

TokenList listDirEntries(const std::string& dir) {
    TokenList names;
    WIN32_FIND_DATAA entry;
    FindHandle search(FindFirstFileA(concatPath(dir, "*.*").c_str(), &entry));
    if (!search) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.add(name);
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
    const TokenList names = listFiles(dir);
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
    // WININIT.EXE runs before long file names are available: an entry must be
    // the short form. A file that does not exist has none; its path goes in
    // as given.
    const std::string shortPath = getShortPath(path);
    addIniEntry(concatPath(getWindowsDir(), wininitName), "rename", "NUL",
                shortPath.empty() ? path : shortPath);
}
