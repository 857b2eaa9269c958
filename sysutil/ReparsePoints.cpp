// Folders reached through a junction or a mount point.
#include "sysutil/ReparsePoints.h"
#include <windows.h>
#include "sysutil/NetworkPaths.h"
#include "sysutil/ProtectedDirs.h"

namespace {

// Absent from the headers for Windows 95 and NT 4, which never set it.
const DWORD reparsePointAttribute = 0x400;

bool isReparsePoint(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & reparsePointAttribute) != 0;
}

}  // namespace

// The root itself ("c:") is the drive, not a folder on the way.
bool liesThroughReparsePoint(const std::string& dir) {
    if (isNetworkPath(dir)) return false;
    const std::string path = platformDirPath(dir);
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        const size_t end = path.find('\\', at + 1);
        if (isReparsePoint(path.substr(0, end))) return true;
    }
    return false;
}
