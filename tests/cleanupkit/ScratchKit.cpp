// Scratch folders, files and keys, and readings of the log and the schedule.
#include "ScratchKit.h"
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "sysutil/Paths.h"

std::string persona() {
    const char* value = getenv("VTX_EXPECT_WINVER");
    return value ? value : "";
}

bool personaIsNT() {
    const std::string p = persona();
    return p == "winxp" || p == "win2k" || p == "nt40";
}

std::string scratchDir(const std::string& name) {
    CreateDirectoryA("C:\\vtxtest", nullptr);
    const std::string dir = "C:\\vtxtest\\" + name;
    if (exists(dir)) system(("cmd /c rd /s /q \"" + dir + "\" >NUL 2>NUL").c_str());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

namespace {

void removeFilesAndFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

ScratchCwd::ScratchCwd() : folder(scratchDir("cwd" + std::to_string(GetCurrentProcessId()))) {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    previous = buffer;
    SetCurrentDirectoryA(folder.c_str());
}

ScratchCwd::~ScratchCwd() {
    SetCurrentDirectoryA(previous.c_str());
    removeFilesAndFolder(folder);
}

void ScratchCwd::write(const std::string& name, const std::string& text) const {
    writeFile(folder + "\\" + name, text);
}

bool ScratchCwd::copyIn(const std::string& source, const std::string& name) const {
    return CopyFileA(source.c_str(), (folder + "\\" + name).c_str(), FALSE) != FALSE;
}

void writeFile(const std::string& path, const std::string& content) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HeldFile::HeldFile(const std::string& path, DWORD share)
    : handle(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}

HeldFile::~HeldFile() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

namespace {

void setValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
}

}  // namespace

void setRegString(const std::string& key, const char* name, const std::string& value) {
    setValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void setRegDword(const std::string& key, const char* name, DWORD value) {
    setValue(key, name, REG_DWORD, &value, sizeof value);
}

bool keyExists(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

bool valueExists(const std::string& key, const char* name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    const bool found =
        RegQueryValueExA(handle, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(handle);
    return found;
}

void deleteKeyTree(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &handle) !=
        ERROR_SUCCESS)
        return;
    char name[260];
    while (RegEnumKeyA(handle, 0, name, sizeof name) == ERROR_SUCCESS)
        deleteKeyTree(key + "\\" + name);
    RegCloseKey(handle);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
}

void writeSetupIni(const std::string& content) {
    const std::string path = concatPath(getWindowsDir(), "brdsetup.ini");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    if (content.empty())
        DeleteFileA(path.c_str());
    else
        writeFile(path, content);
}

std::string readWininit() { return readFile(concatPath(getWindowsDir(), "wininit.ini")); }

std::vector<std::string> pendingDeletions() {
    std::vector<std::string> files;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &handle) != ERROR_SUCCESS)
        return files;
    std::vector<char> data(65536);
    DWORD size = static_cast<DWORD>(data.size() - 2);
    const LONG result = RegQueryValueExA(handle, "PendingFileRenameOperations", nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return files;
    // Pairs of source and target; a deletion has an empty target.
    for (size_t at = 0; at < size && data[at] != '\0';) {
        std::string source = data.data() + at;
        at += source.size() + 1;
        std::string target = data.data() + at;
        at += target.size() + 1;
        if (source.compare(0, 4, "\\??\\") == 0) source.erase(0, 4);
        if (target.empty()) files.push_back(source);
    }
    return files;
}

std::string logPath() { return concatPath(getWindowsDir(), "VTX.LOG"); }

std::string logText() { return readFile(logPath()); }

std::vector<std::string> logLines() {
    std::vector<std::string> lines;
    std::istringstream text(logText());
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string LogTail::added() const {
    const std::string text = logText();
    return text.size() > start ? text.substr(start) : std::string();
}
