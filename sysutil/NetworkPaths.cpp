// Paths on other machines, told by their text and their drive's type.
#include "sysutil/NetworkPaths.h"
#include <windows.h>

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool isNetworkPath(const std::string& path) {
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) return true;
    if (path.size() < 2 || !isDriveLetter(path[0]) || path[1] != ':') return false;
    const char root[] = {path[0], ':', '\\', '\0'};
    return GetDriveTypeA(root) == DRIVE_REMOTE;
}
