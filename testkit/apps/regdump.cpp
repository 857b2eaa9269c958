// regdump: reads whole registry subtrees in one start, in place of one
// `reg export` per key. Usage: regdump OUTFILE KEY...
// Keys are written "HKLM\...", "HKCU\..." (or with the long root names).
//
// Each key is saved by the registry itself (RegSaveKeyW, with the backup
// privilege): one request writes the whole subtree in the text form of the
// prefix's hive files, where listing it key by key and value by value took
// tens of thousands. OUTFILE gets, for each KEY in order, "R <key>" (the
// key's UTF-16LE bytes in hexadecimal) and then one of
//   M                        the key does not exist
//   F <error>                the read failed (the key may exist)
//   H <size>                 the key was saved: the next <size> bytes are
//                            the saved text, then a line break
// and "END" last. The saved text holds each key where it is stored: a link
// key (Wine's shared Wow6432Node keys, for one) is marked "#link" and holds
// no more than its target, and volatile keys are not saved.
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

std::string hexText(const std::wstring& text) {
    static const char digits[] = "0123456789abcdef";
    if (text.empty()) return "-";
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::string out;
    for (size_t i = 0; i < text.size() * sizeof(wchar_t); ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
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

// The saved text of one key into text; the error that stopped the read
// (ERROR_FILE_NOT_FOUND: the key does not exist).
LONG saveKey(const std::wstring& path, const std::wstring& scratch, std::string& text) {
    size_t slash = path.find(L'\\');
    std::wstring rootName = path.substr(0, slash);
    for (const Root& root : roots) {
        if (!sameText(rootName, root.name)) continue;
        RegKey key;
        std::wstring rest = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
        LONG status = RegOpenKeyExW(root.key, rest.c_str(), 0, KEY_READ, key.receive());
        if (status != ERROR_SUCCESS) return status;
        DeleteFileW(scratch.c_str());  // RegSaveKeyW writes only a new file
        status = RegSaveKeyW(key.get(), scratch.c_str(), nullptr);
        if (status == ERROR_SUCCESS && !readWhole(scratch, text)) status = ERROR_READ_FAULT;
        DeleteFileW(scratch.c_str());
        return status;
    }
    return ERROR_INVALID_PARAMETER;
}

int usage() {
    std::fputs("usage: regdump OUTFILE KEY...\n", stderr);
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    ScopedHandle<LocalFreeTraits> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    if (!argv || argc < 3) return usage();
    std::wstring output = argv.get()[1];
    StdFile file(_wfopen(output.c_str(), L"wb"));
    if (!file) return usage();
    bool privileged = enableBackupPrivilege();
    std::wstring scratch = output + L".hive";
    for (int i = 2; i < argc; ++i) {
        std::wstring key = argv.get()[i];
        while (!key.empty() && key.back() == L'\\') key.pop_back();
        std::string text;
        LONG status = privileged ? saveKey(key, scratch, text) : ERROR_PRIVILEGE_NOT_HELD;
        std::string lines = "R " + hexText(key) + "\n";
        if (status == ERROR_FILE_NOT_FOUND) lines += "M\n";
        else if (status != ERROR_SUCCESS) lines += "F " + std::to_string(status) + "\n";
        else lines += "H " + std::to_string(text.size()) + "\n" + text + "\n";
        std::fwrite(lines.data(), 1, lines.size(), file.get());
    }
    std::fputs("END\n", file.get());
    return std::ferror(file.get()) ? 1 : 0;
}
