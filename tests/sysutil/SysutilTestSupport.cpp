// Fixtures shared by the utility tests.
#include "SysutilTestSupport.h"

#include <cstdio>

#include "sysutil/Handles.h"
#include "sysutil/KmvdUtil.h"

SetupIniFile::SetupIniFile(const std::string& text) : path(concatPath(getWindowsDir(), "brdsetup.ini")) {
    StdFile file(fopen(path.c_str(), "w"));
    if (file) fputs(text.c_str(), file.get());
}

SetupIniFile::~SetupIniFile() { DeleteFileA(path.c_str()); }

void deleteKeyTree(HKEY root, const std::string& path) {
    RegKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return;
    char name[MAX_PATH];
    while (RegEnumKeyA(key.get(), 0, name, MAX_PATH) == ERROR_SUCCESS)
        deleteKeyTree(root, path + "\\" + name);
    key.reset();
    RegDeleteKeyA(root, path.c_str());
}

ScratchKey::ScratchKey(const std::string& name) : path("Software\\" + name), key(nullptr) {
    deleteKeyTree(HKEY_LOCAL_MACHINE, path);
    RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key);
}

ScratchKey::~ScratchKey() {
    RegCloseKey(key);
    deleteKeyTree(HKEY_LOCAL_MACHINE, path);
}

void ScratchKey::setString(const char* name, const char* data, DWORD size) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
}

void ScratchKey::setString(const char* name, const std::string& text) {
    setString(name, text.c_str(), DWORD(text.size() + 1));
}

void ScratchKey::setDword(const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ScratchKey::addSubKey(const char* name) {
    RegKey sub;
    RegCreateKeyA(key, name, sub.receive());
}

bool ScratchKey::hasValue(const std::string& name) const {
    return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

DWORD ScratchKey::dataSize(const char* name) const {
    DWORD size = MAXDWORD;
    RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    return size;
}

DWORD ScratchKey::valueCount() const {
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                     nullptr, nullptr, nullptr);
    return count;
}

static std::string logPath() { return concatPath(getWindowsDir(), "VTX.LOG"); }

LogTail::LogTail() : start(0) {
    StdFile file(fopen(logPath().c_str(), "rb"));
    if (file && fseek(file.get(), 0, SEEK_END) == 0) start = ftell(file.get());
}

std::string LogTail::added() const {
    std::string text;
    StdFile file(fopen(logPath().c_str(), "rb"));
    if (!file || fseek(file.get(), start, SEEK_SET) != 0) return text;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file.get())) > 0;) text.append(chunk, n);
    return text;
}
