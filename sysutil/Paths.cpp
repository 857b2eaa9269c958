// Path joins, the system's own directories and short path forms.
#include "sysutil/Paths.h"

#include <windows.h>

namespace {

// A directory from a platform call that fills a 260-character buffer; ""
// when the call fails or the path does not fit.
template <class Query>
std::string directoryFrom(Query query) {
    char buffer[MAX_PATH] = "";
    DWORD length = query(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(buffer, length);
}

}  // namespace

std::string concatPath(const std::string& dir, const char* name) {
    std::string path = dir;
    bool dirHasSeam = !dir.empty() && dir.back() == '\\';
    bool nameHasSeam = name[0] == '\\';
    if (!dirHasSeam && !nameHasSeam) path += '\\';
    path += name;
    return path;
}

std::string getWindowsDir() {
    return directoryFrom([](char* b, DWORD n) { return DWORD(GetWindowsDirectoryA(b, n)); });
}

std::string getSystemDir() {
    return directoryFrom([](char* b, DWORD n) { return DWORD(GetSystemDirectoryA(b, n)); });
}

std::string getTempDir() {
    return directoryFrom([](char* b, DWORD n) { return GetTempPathA(n, b); });
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string getShortPath(const std::string& path) {
    if (path.empty()) return "";
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    return std::string(shortPath, length);
}

std::string getModulePath(const char* moduleName) {
    const HMODULE module = GetModuleHandleA(moduleName);
    if (module == nullptr) return "";
    return directoryFrom([module](char* b, DWORD n) { return GetModuleFileNameA(module, b, n); });
}
