// The shared-file counts under SharedDLLs.
#include "cleanup/SharedDlls.h"
#include <windows.h>
#include <cstdlib>
#include <vector>
#include "sysutil/Handles.h"
#include "sysutil/NetworkPaths.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/PlatformKeys.h"
#include "sysutil/TextCase.h"

namespace {

const std::string sharedDllsKey = windowsVersionKey + "\\SharedDLLs";
const DWORD valueNameBuffer = 260;
const DWORD countBuffer = 32;

struct Count {
    std::string valueName;
    DWORD type = REG_NONE;
    bool readable = false;
    unsigned long users = 0;
};

std::string fileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A count as old setups wrote it: a DWORD, up to four bytes of binary (low
// byte first) or decimal text.
Count readCount(HKEY key, const std::string& valueName) {
    Count count;
    count.valueName = valueName;
    BYTE data[countBuffer + 1] = {};
    DWORD size = countBuffer;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &count.type, data, &size) != ERROR_SUCCESS)
        return count;
    if ((count.type == REG_DWORD || count.type == REG_BINARY) && size >= 1 && size <= 4) {
        for (DWORD i = size; i > 0; --i) count.users = (count.users << 8) | data[i - 1];
        count.readable = true;
    } else if (count.type == REG_SZ && size >= 1) {
        char* end = nullptr;
        const char* text = reinterpret_cast<const char*>(data);
        count.users = std::strtoul(text, &end, 10);
        count.readable = end != text;
    }
    return count;
}

// The count written back in the type it had.
void writeCount(HKEY key, const Count& count) {
    const DWORD users = count.users;
    if (count.type == REG_SZ) {
        const std::string text = std::to_string(users);
        RegSetValueExA(key, count.valueName.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()), text.size() + 1);
        return;
    }
    const BYTE bytes[4] = {BYTE(users), BYTE(users >> 8), BYTE(users >> 16), BYTE(users >> 24)};
    RegSetValueExA(key, count.valueName.c_str(), 0, count.type, bytes, sizeof bytes);
}

// True when valueName names the file at path: the same text but for case,
// or (asked of the platform only when the file names agree) the same file
// in its long or short form.
bool namesFile(const std::string& valueName, const std::string& path,
               const std::string& shortPath) {
    if (sameText(valueName, path) || (!shortPath.empty() && sameText(valueName, shortPath)))
        return true;
    if (isNetworkPath(valueName)) return false;
    const std::string name = fileNameOf(valueName);
    if (!sameText(name, fileNameOf(path)) &&
        (shortPath.empty() || !sameText(name, fileNameOf(shortPath))))
        return false;
    return liesInDir(valueName, path) && liesInDir(path, valueName);
}

std::vector<Count> countsOf(HKEY key, const std::string& path) {
    const std::string shortPath = getShortPath(path);
    std::vector<Count> counts;
    for (DWORD index = 0;; ++index) {
        char name[valueNameBuffer];
        DWORD length = valueNameBuffer;
        const LONG result =
            RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS || (result != ERROR_SUCCESS && result != ERROR_MORE_DATA))
            break;
        if (result != ERROR_SUCCESS) continue;  // a name longer than any path
        const std::string valueName(name, length);
        if (namesFile(valueName, path, shortPath)) counts.push_back(readCount(key, valueName));
    }
    return counts;
}

// The counts this run lowered: a file the lists name twice (or once by its
// short name) is released once, so that a second judgement neither lowers
// another product's count again nor takes its last user for the package's.
std::vector<std::string>& loweredCounts() {
    static std::vector<std::string> names;
    return names;
}

bool wasLowered(const Count& count) {
    for (const std::string& name : loweredCounts())
        if (sameText(name, count.valueName)) return true;
    return false;
}

}  // namespace

std::string releaseSharedFile(const std::string& path) {
    RegKey key;
    if (path.empty() || RegOpenKeyExA(HKEY_LOCAL_MACHINE, sharedDllsKey.c_str(), 0, KEY_ALL_ACCESS,
                                      key.receive()) != ERROR_SUCCESS)
        return "";
    const std::vector<Count> counts = countsOf(key.get(), path);
    for (const Count& count : counts)
        if (!count.readable) return "is counted in SharedDLLs (count unreadable)";
    for (const Count& count : counts)
        if (wasLowered(count))
            return "is counted in SharedDLLs by other products (count " +
                   std::to_string(count.users) + ", already lowered by one)";
    for (Count count : counts) {
        if (count.users <= 1) continue;
        loweredCounts().push_back(count.valueName);
        const unsigned long before = count.users--;
        writeCount(key.get(), count);
        return "is counted in SharedDLLs by other products (count " + std::to_string(before) +
               ", lowered by one)";
    }
    for (const Count& count : counts) RegDeleteValueA(key.get(), count.valueName.c_str());
    return "";
}
