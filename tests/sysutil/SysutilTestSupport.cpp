// The scratch registry key of the utility tests.
#include "SysutilTestSupport.h"

#include <cstring>


ScratchKey::ScratchKey(const std::string& name) : path("Software\\" + name) {
    deleteKeyTree(path);
    RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), key.receive());
}

ScratchKey::~ScratchKey() {
    key.reset();
    deleteKeyTree(path);
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
