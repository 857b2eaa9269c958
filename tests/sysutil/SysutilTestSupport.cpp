// Fixtures shared by the utility tests.
#include "SysutilTestSupport.h"

#include <cstdio>
#include <cstring>

#include "sysutil/KmvdUtil.h"

namespace {

void deleteKeyTree(HKEY root, const std::string& path) {
    RegKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
    char name[MAX_PATH];
    while (RegEnumKeyA(key.get(), 0, name, MAX_PATH) == ERROR_SUCCESS) deleteKeyTree(root, path + "\\" + name);
    key.reset();
    RegDeleteKeyA(root, path.c_str());
}

std::string readLog() {
    std::string text;
    StdFile file(fopen(concatPath(getWindowsDir(), "VTX.LOG").c_str(), "rb"));
    char chunk[4096];
    for (size_t n; file && (n = fread(chunk, 1, sizeof chunk, file.get())) > 0;) text.append(chunk, n);
    return text;
}

}  // namespace

SetupIniFile::SetupIniFile(const std::string& text) : path(concatPath(getWindowsDir(), "brdsetup.ini")) {
    StdFile file(fopen(path.c_str(), "w"));
    if (file) fputs(text.c_str(), file.get());
}

SetupIniFile::~SetupIniFile() { DeleteFileA(path.c_str()); }

ScratchKey::ScratchKey(const std::string& name) : path("Software\\" + name) {
    deleteKeyTree(HKEY_LOCAL_MACHINE, path);
    RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), key.receive());
}

ScratchKey::~ScratchKey() {
    key.reset();
    deleteKeyTree(HKEY_LOCAL_MACHINE, path);
}

void ScratchKey::setString(const char* name, const char* data, DWORD size) {
    if (size == MAXDWORD) size = DWORD(std::strlen(data) + 1);
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
}

void ScratchKey::setDword(const char* name, DWORD value) {
    RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ScratchKey::addSubKey(const char* name) {
    RegKey sub;
    RegCreateKeyA(key.get(), name, sub.receive());
}

DWORD ScratchKey::dataSize(const char* name) const {
    DWORD size = MAXDWORD;
    RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, &size);
    return size;
}

DWORD ScratchKey::valueCount() const {
    DWORD count = MAXDWORD;
    RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    return count;
}

LogTail::LogTail() : start(readLog().size()) {}

std::string LogTail::added() const { return readLog().substr(start); }
