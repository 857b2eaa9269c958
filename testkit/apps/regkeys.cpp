// regkeys: tells which registry keys exist, one line per key given: "1"
// when it exists, "0" when it does not, "?" when that cannot be told (a
// root it does not know, any other error). The test kit asks it which keys
// laying out a package makes; a failed look must never pass for a missing
// key. Keys are written "HKLM\...", "HKCU\..." or with the long root names.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "sysutil/Handles.h"

namespace {

struct Root {
    const char* name;
    HKEY key;
};

const Root roots[] = {
    {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCU", HKEY_CURRENT_USER},  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
};

char answerFor(const char* path) {
    const char* slash = std::strchr(path, '\\');
    if (slash == nullptr) return '?';
    for (const Root& root : roots) {
        size_t length = static_cast<size_t>(slash - path);
        if (std::strlen(root.name) != length || _strnicmp(root.name, path, length) != 0) continue;
        RegKey key;
        LONG status = RegOpenKeyExA(root.key, slash + 1, 0, KEY_READ, key.receive());
        if (status == ERROR_SUCCESS) return '1';
        return status == ERROR_FILE_NOT_FOUND ? '0' : '?';
    }
    return '?';
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) std::printf("%c\n", answerFor(argv[i]));
    return 0;
}
