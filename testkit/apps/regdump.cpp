// regdump: reads whole registry subtrees in one start, in place of one
// `reg export` per key. Usage: regdump OUTFILE [-SKIP]... KEY...
// Keys are written "HKLM\...", "HKCU\..." (or with the long root names); a
// key given as "-KEY" is left out of the requested keys it lies below.
//
// Each key is saved by the registry itself (RegSaveKeyW, with the backup
// privilege): one request writes the whole subtree in the text form of the
// prefix's hive files, where listing it key by key and value by value took
// tens of thousands. OUTFILE gets, for each KEY in order, "R <key>" (texts
// are written as their UTF-16LE bytes in hexadecimal, "-" when empty) and
// then one of
//   M                        the key does not exist
//   F <error>                the read failed (the key may exist)
//   parts                    the key was read:
//     H <size>               the next <size> bytes are the saved text of the
//                            current part, then a line break
//     P <path>               the part of the lines below: the key below KEY
//                            at <path> ("-": KEY itself, where parts begin)
//     V <name> <type> <data> a value of the current part
// and "END" last. A key with nothing to leave out below it is one saved part.
// Above a left-out key each key on the way is its values and its other
// subkeys saved whole (the registry's Classes, a megabyte of a snapshot, is
// then neither written nor read). The saved text holds each key where it is
// stored: a link key (Wine's shared Wow6432Node keys, for one) is marked
// "#link" and holds no more than its target, and volatile keys are not saved.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sysutil/Handles.h"

namespace {

struct Root {
    const wchar_t* name;
    HKEY key;
};

const Root roots[] = {
    {L"HKLM", HKEY_LOCAL_MACHINE}, {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKCU", HKEY_CURRENT_USER},  {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKU", HKEY_USERS},          {L"HKEY_USERS", HKEY_USERS},
};

struct LocalFreeTraits {
    using Type = LPWSTR*;
    static Type empty() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { LocalFree(h); }
};

// Bytes in hexadecimal, "-" for none.
std::string hexBytes(const void* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    if (size == 0) return "-";
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string hexText(const std::wstring& text) {
    return hexBytes(text.data(), text.size() * sizeof(wchar_t));
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// RegSaveKeyW asks for the backup privilege, which an administrator holds
// but has not enabled.
bool enableBackupPrivilege() {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.receive()))
        return false;
    TOKEN_PRIVILEGES wanted = {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege", &wanted.Privileges[0].Luid))
        return false;
    return AdjustTokenPrivileges(token.get(), FALSE, &wanted, 0, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
}

bool readWhole(const std::wstring& path, std::string& out) {
    StdFile file(_wfopen(path.c_str(), L"rb"));
    if (!file) return false;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) out.append(buffer, got);
    return !std::ferror(file.get());
}

// The saved text of the open key into text.
LONG saveOpenKey(HKEY key, const std::wstring& scratch, std::string& text) {
    DeleteFileW(scratch.c_str());  // RegSaveKeyW writes only a new file
    LONG status = RegSaveKeyW(key, scratch.c_str(), nullptr);
    if (status == ERROR_SUCCESS && !readWhole(scratch, text)) status = ERROR_READ_FAULT;
    DeleteFileW(scratch.c_str());
    return status;
}

// One read of a requested key: its lines after "R", or the error that
// stopped it (ERROR_FILE_NOT_FOUND: the key does not exist).
class KeyReader {
public:
    KeyReader(const std::wstring& scratch, std::string& lines) : scratch(scratch), lines(lines) {}

    // The open key, at path below the requested key, less the subtrees at
    // skips (their paths relative to this key).
    LONG read(HKEY key, const std::wstring& path, const std::vector<std::wstring>& skips) {
        lines += "P " + hexText(path) + "\n";
        if (skips.empty()) return savePart(key);
        LONG status = writeValues(key);
        return status == ERROR_SUCCESS ? readSubkeys(key, path, skips) : status;
    }

private:
    const std::wstring& scratch;
    std::string& lines;

    LONG savePart(HKEY key) {
        std::string text;
        LONG status = saveOpenKey(key, scratch, text);
        if (status == ERROR_SUCCESS) lines += "H " + std::to_string(text.size()) + "\n" + text + "\n";
        return status;
    }

    LONG writeValues(HKEY key) {
        DWORD count = 0, longestName = 0, longestData = 0;
        LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       &count, &longestName, &longestData, nullptr, nullptr);
        std::vector<wchar_t> name(longestName + 1);
        std::vector<BYTE> data(longestData + 1);
        for (DWORD i = 0; status == ERROR_SUCCESS && i < count; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size());
            DWORD type = 0;
            status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
            if (status == ERROR_SUCCESS)
                lines += "V " + hexText(std::wstring(name.data(), nameLength)) + " " +
                         std::to_string(type) + " " + hexBytes(data.data(), size) + "\n";
        }
        return status;
    }

    LONG readSubkeys(HKEY key, const std::wstring& path, const std::vector<std::wstring>& skips) {
        std::vector<std::wstring> names;
        wchar_t name[256];
        LONG status = ERROR_SUCCESS;
        for (DWORD i = 0; status == ERROR_SUCCESS; ++i) {
            DWORD length = 256;
            status = RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_SUCCESS) names.emplace_back(name, length);
        }
        if (status != ERROR_NO_MORE_ITEMS) return status;
        for (const std::wstring& child : names) {
            std::vector<std::wstring> below;
            bool left = false;
            for (const std::wstring& skip : skips) {
                size_t slash = skip.find(L'\\');
                if (!sameText(skip.substr(0, slash), child)) continue;
                if (slash == std::wstring::npos) left = true;
                else below.push_back(skip.substr(slash + 1));
            }
            if (left) continue;
            // A link key is opened as itself: saved whole it is marked and
            // empty, as in the save of its parent.
            RegKey sub;
            status = RegOpenKeyExW(key, child.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, sub.receive());
            if (status == ERROR_SUCCESS)
                status = read(sub.get(), path.empty() ? child : path + L"\\" + child, below);
            if (status != ERROR_SUCCESS) return status;
        }
        return ERROR_SUCCESS;
    }
};

// The root key of path and the path below it; false for an unknown root.
bool splitRoot(const std::wstring& path, HKEY& root, std::wstring& rest) {
    size_t slash = path.find(L'\\');
    for (const Root& known : roots) {
        if (!sameText(path.substr(0, slash), known.name)) continue;
        root = known.key;
        rest = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
        return true;
    }
    return false;
}

// The path of key below base, whatever spelling of the root each has, or
// false when key does not lie below base.
bool below(const std::wstring& key, const std::wstring& base, std::wstring& path) {
    HKEY keyRoot, baseRoot;
    std::wstring keyRest, baseRest;
    if (!splitRoot(key, keyRoot, keyRest) || !splitRoot(base, baseRoot, baseRest) ||
        keyRoot != baseRoot)
        return false;
    if (baseRest.empty()) {
        path = keyRest;
        return !path.empty();
    }
    if (keyRest.size() <= baseRest.size() + 1 || keyRest[baseRest.size()] != L'\\' ||
        !sameText(keyRest.substr(0, baseRest.size()), baseRest))
        return false;
    path = keyRest.substr(baseRest.size() + 1);
    return true;
}

// Reads the requested key into lines (its parts, see above).
LONG readKey(const std::wstring& path, const std::vector<std::wstring>& leftOut,
             const std::wstring& scratch, std::string& lines) {
    HKEY root;
    std::wstring rest;
    if (!splitRoot(path, root, rest)) return ERROR_INVALID_PARAMETER;
    RegKey key;
    LONG status = RegOpenKeyExW(root, rest.c_str(), 0, KEY_READ, key.receive());
    if (status != ERROR_SUCCESS) return status;
    std::vector<std::wstring> skips;
    std::wstring relative;
    for (const std::wstring& skip : leftOut)
        if (below(skip, path, relative)) skips.push_back(relative);
    return KeyReader(scratch, lines).read(key.get(), L"", skips);
}

std::wstring withoutTrailingSlashes(std::wstring key) {
    while (!key.empty() && key.back() == L'\\') key.pop_back();
    return key;
}

int usage() {
    std::fputs("usage: regdump OUTFILE [-SKIP]... KEY...\n", stderr);
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    ScopedHandle<LocalFreeTraits> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    if (!argv || argc < 3) return usage();
    std::wstring output = argv.get()[1];
    std::vector<std::wstring> keys, leftOut;
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv.get()[i];
        if (arg[0] == L'-') leftOut.push_back(withoutTrailingSlashes(arg.substr(1)));
        else keys.push_back(withoutTrailingSlashes(arg));
    }
    if (keys.empty()) return usage();
    StdFile file(_wfopen(output.c_str(), L"wb"));
    if (!file) return usage();
    bool privileged = enableBackupPrivilege();
    std::wstring scratch = output + L".hive";
    for (const std::wstring& key : keys) {
        std::string parts;
        LONG status = privileged ? readKey(key, leftOut, scratch, parts) : ERROR_PRIVILEGE_NOT_HELD;
        std::string lines = "R " + hexText(key) + "\n";
        if (status == ERROR_FILE_NOT_FOUND) lines += "M\n";
        else if (status != ERROR_SUCCESS) lines += "F " + std::to_string(status) + "\n";
        else lines += parts;
        std::fwrite(lines.data(), 1, lines.size(), file.get());
    }
    std::fputs("END\n", file.get());
    return std::ferror(file.get()) ? 1 : 0;
}
