// The protected-directory test behind deleteDirFiles and removeDir.
#include "sysutil/ProtectedDirs.h"
#include <windows.h>
#include <shlobj.h>
#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
#include "sysutil/KmvdUtil.h"
#include "sysutil/ShellFolders.h"

namespace {

// HKLM\Software\Microsoft\Windows\CurrentVersion "ProgramFilesDir", or "".
std::string readProgramFilesRoot() {
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_READ, key.receive()) != ERROR_SUCCESS)
        return "";
    char value[MAX_PATH] = "";
    DWORD type = 0;
    DWORD size = sizeof value - 1;
    if (RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, &type,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return "";
    if (type != REG_SZ && type != REG_EXPAND_SZ) return "";
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    return value;
}

// "c:" and "\\server\share" (after normalisation) name a whole drive.
bool isDriveRoot(const std::string& normalised) {
    if (normalised.size() <= 2) return true;
    if (normalised.compare(0, 2, "\\\\") != 0) return false;
    const size_t shareSeparator = normalised.find('\\', 2);
    return shareSeparator == std::string::npos ||
           normalised.find('\\', shareSeparator + 1) == std::string::npos;
}

// True when candidate equals protectedDir or lies above it.
bool isSameOrAncestor(const std::string& candidate, const std::string& protectedDir) {
    if (candidate.size() > protectedDir.size()) return false;
    if (protectedDir.compare(0, candidate.size(), candidate) != 0) return false;
    return candidate.size() == protectedDir.size() || protectedDir[candidate.size()] == '\\';
}

// The normalised long form and, when the platform gives one that differs,
// the normalised short form.
std::vector<std::string> formsOf(const std::string& dir) {
    std::vector<std::string> result;
    const std::string longForm = normaliseDirPath(dir);
    if (longForm.empty()) return result;
    result.push_back(longForm);
    const std::string shortForm = normaliseDirPath(getShortPath(dir));
    if (!shortForm.empty() && shortForm != longForm) result.push_back(shortForm);
    return result;
}

}  // namespace

std::string normaliseDirPath(const std::string& dir) {
    if (dir.empty()) return "";
    // "C:" alone is the current directory of drive C to the platform; here it
    // is what a climb from "C:\x" arrives at: the drive itself.
    if (dir.size() == 2 && dir[1] == ':') {
        std::string drive = dir;
        CharLowerBuffA(&drive[0], 2);
        return drive;
    }
    char full[MAX_PATH];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(dir.c_str(), MAX_PATH, full, &filePart);
    if (length == 0 || length >= MAX_PATH) return "";
    std::string result(full, length);
    while (!result.empty() && (result.back() == '\\' || result.back() == '/')) result.pop_back();
    for (char& c : result)
        if (c == '/') c = '\\';
    if (!result.empty()) CharLowerBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

ProtectedDirs::ProtectedDirs() {
    const std::string systemDir = getSystemDir();
    add(getWindowsDir());
    add(systemDir);
    add(concatPath(systemDir, "drivers"));
    add(getTempDir());
    add(readProgramFilesRoot());
    add(getSpecialFolderPath(CSIDL_PROGRAMS));
    add(getSpecialFolderPath(CSIDL_COMMON_PROGRAMS));
    add(getSpecialFolderPath(CSIDL_DESKTOPDIRECTORY));
    add(getSpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY));
}

void ProtectedDirs::add(const std::string& dir) {
    if (dir.empty()) return;  // a folder this platform does not have
    for (const std::string& form : formsOf(dir)) forms.push_back(form);
}

bool ProtectedDirs::covers(const std::string& dir) const {
    const std::vector<std::string> candidates = formsOf(dir);
    if (candidates.empty()) return true;
    for (const std::string& candidate : candidates) {
        if (isDriveRoot(candidate)) return true;
        for (const std::string& form : forms)
            if (isSameOrAncestor(candidate, form)) return true;
    }
    return false;
}

bool isProtectedDir(const std::string& dir) { return ProtectedDirs().covers(dir); }
