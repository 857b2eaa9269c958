// The platform's own files: its setup's file lists, its profiles, the system
// attribute and File Protection.
#include "sysutil/PlatformFiles.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "res/FileNames.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
#include "sysutil/NameRules.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformKeys.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/WinVersion.h"

namespace {

// Larger files are no INF of the platform's setup.
const long largestLayout = 16L * 1024 * 1024;
const char* const fileSection = "sourcedisksfiles";
// The profiles every Windows reads from its own directory: its settings, its
// drivers' settings and the renames it performs at the start.
const char* const everyPlatformProfile[] = {"win.ini", "system.ini", "wininit.ini"};
// Windows 95, 98 and Me read these too; the NT family lists its own in
// IniFileMapping.
const char* const nineXProfiles[] = {"control.ini", "protocol.ini", "ios.ini", "progman.ini"};
const std::string iniFileMappingKey = windowsNtVersionKey + "\\IniFileMapping";

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "[SourceDisksFiles]" and "[SourceDisksFiles.x86]" name file sections.
bool isFileSection(const std::string& header) {
    const std::string name = lowerCase(trimmed(header));
    return name.compare(0, std::strlen(fileSection), fileSection) == 0 &&
           (name.size() == std::strlen(fileSection) || name[std::strlen(fileSection)] == '.');
}

// The name before "=" on a line of a file section, unquoted.
std::string listedName(const std::string& line) {
    std::string name = trimmed(line.substr(0, line.find_first_of("=;")));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return lowerCase(name);
}

// The text of a file in the platform's code page: an INF saved as UTF-16
// (it starts with FF FE) is converted.
std::string fileText(const std::string& path) {
    StdFile file(fopen(path.c_str(), "rb"));
    if (!file) return "";
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.append(chunk, got);
        if (bytes.size() > static_cast<size_t>(largestLayout)) return "";
    }
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return bytes;
    const int wideLength = static_cast<int>((bytes.size() - 2) / 2);
    std::vector<WCHAR> wide(wideLength + 1, 0);
    std::copy(bytes.begin() + 2, bytes.begin() + 2 + wideLength * 2,
              reinterpret_cast<char*>(wide.data()));
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return "";
    std::string text(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &text[0], length, nullptr, nullptr);
    return text;
}

// Windows File Protection's SfcIsFileProtected, on 2000 and XP (95, 98, Me
// and NT 4 have no sfc.dll).
class FileProtection {
public:
    FileProtection() {
        if (!isWinNT() || getWinMajorVersion() < 5) return;
        library = loadSystemLibrary(sfcLibraryName);
        isFileProtected = systemFunction<IsFileProtectedFunction>(library, "SfcIsFileProtected");
    }
    // A path that cannot be put to the question counts as protected.
    bool guards(const std::string& path) const {
        if (!isFileProtected) return false;
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) return true;
        return isFileProtected(nullptr, widePath) != FALSE;
    }

private:
    typedef BOOL(WINAPI* IsFileProtectedFunction)(HANDLE rpcHandle, LPCWSTR fileName);
    Library library;
    IsFileProtectedFunction isFileProtected = nullptr;
};

// What the platform lists as its own, read once.
class PlatformFiles {
public:
    PlatformFiles() {
        readLayouts();
        for (const char* name : everyPlatformProfile) profiles.push_back(name);
        if (isWinNT()) {
            TokenList mapped;
            regGetSubkeys(iniFileMappingKey, KEY_READ, mapped, HKEY_LOCAL_MACHINE);
            for (size_t i = 0; i < mapped.count(); ++i) profiles.push_back(lowerCase(mapped[i]));
        } else {
            for (const char* name : nineXProfiles) profiles.push_back(name);
        }
        std::sort(layoutNames.begin(), layoutNames.end());
    }
    bool listed(const std::string& name) const {
        return std::binary_search(layoutNames.begin(), layoutNames.end(), lowerCase(name));
    }
    bool isProfile(const std::string& name) const {
        return std::find(profiles.begin(), profiles.end(), lowerCase(name)) != profiles.end();
    }
    const FileProtection& protection() const { return sfc; }

private:
    // Windows 98 and Me split the list over LAYOUT.INF, LAYOUT1.INF and
    // LAYOUT2.INF.
    void readLayouts() {
        const std::string infDir = concatPath(getWindowsDir(), "INF");
        const TokenList names = listDirEntries(infDir, DirEntries::files, "LAYOUT*.INF");
        for (size_t i = 0; i < names.count(); ++i) {
            const std::vector<std::string> listed =
                layoutFileNames(fileText(concatPath(infDir, names[i])));
            layoutNames.insert(layoutNames.end(), listed.begin(), listed.end());
        }
    }

    std::vector<std::string> layoutNames;
    std::vector<std::string> profiles;
    FileProtection sfc;
};

const PlatformFiles& platformFiles() {
    static const PlatformFiles files;
    return files;
}

// The name as the platform reads it, and the long and short names of the
// file when it exists ("SYSTEM~1.INI" may be SYSTEM.INI's short name).
std::vector<std::string> nameForms(const std::string& path, std::string& longPath) {
    const size_t cut = path.find_last_of("\\/");
    const std::string dir = cut == std::string::npos ? std::string() : path.substr(0, cut);
    std::vector<std::string> forms = {withoutTrailingDotsAndBlanks(path.substr(cut + 1))};
    longPath = path;
    WIN32_FIND_DATAA found;
    FindHandle search(FindFirstFileA(path.c_str(), &found));
    if (!search) return forms;
    forms.push_back(found.cFileName);
    if (found.cAlternateFileName[0] != '\0') forms.push_back(found.cAlternateFileName);
    longPath = dir.empty() ? std::string(found.cFileName) : concatPath(dir, found.cFileName);
    return forms;
}

}  // namespace

std::vector<std::string> layoutFileNames(const std::string& infText) {
    std::vector<std::string> names;
    bool inFileSection = false;
    size_t start = 0;
    while (start < infText.size()) {
        size_t end = infText.find('\n', start);
        if (end == std::string::npos) end = infText.size();
        const std::string line = trimmed(infText.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            inFileSection = isFileSection(line.substr(1, line.find(']') - 1));
            continue;
        }
        if (!inFileSection) continue;
        const std::string name = listedName(line);
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

std::string platformFileReason(const std::string& path) {
    const PlatformFiles& files = platformFiles();
    std::string longPath;
    for (const std::string& name : nameForms(path, longPath)) {
        if (files.listed(name)) return "is listed in Windows's LAYOUT.INF";
        if (files.isProfile(name)) return "is a profile Windows reads";
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM))
        return "has the system attribute";
    if (files.protection().guards(longPath)) return "is protected by Windows";
    return "";
}
