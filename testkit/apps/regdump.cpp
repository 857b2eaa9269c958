// regdump: reads whole registry subtrees in one start, in place of one
// `reg export` per key. Usage: regdump OUTFILE KEY... [/skip KEY...]
// Keys are written "HKLM\...", "HKCU\..." (or with the long root names);
// the keys after /skip are left out with everything below them.
//
// OUTFILE gets, for each KEY in order, "R <key>" and then one of
//   M                        the key does not exist
//   F <error>                the read failed (the key may exist)
//   K <path>                 a key of the subtree (the requested key first)
//   V <type> <name> <data>   a value of the key on the K line above
// and "END" last. Paths, names and data are hexadecimal bytes (paths and
// names in UTF-16LE, data raw; "-" when empty), so every type and every
// character reads back exactly. A key's lines are written only when its
// whole subtree was read: a failed read never looks like a missing key.
// A sub-key that vanishes between listing and opening is gone, not failed.
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

struct FileTraits {
    using Type = std::FILE*;
    static Type empty() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { std::fclose(h); }
};

void appendHex(std::string& out, const void* data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    if (size == 0) {
        out += '-';
        return;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
}

void appendText(std::string& out, const std::wstring& text) {
    appendHex(out, text.data(), text.size() * sizeof(wchar_t));
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

class Dumper {
public:
    explicit Dumper(const std::vector<std::wstring>& skipped) : skipped(skipped) {}

    // The lines of one requested key into out; the error that stopped the
    // read (ERROR_FILE_NOT_FOUND: the key does not exist).
    LONG dump(const std::wstring& path, std::string& out) {
        size_t slash = path.find(L'\\');
        std::wstring rootName = path.substr(0, slash);
        for (const Root& root : roots) {
            if (!sameText(rootName, root.name)) continue;
            RegKey key;
            std::wstring rest = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
            LONG status = RegOpenKeyExW(root.key, rest.c_str(), 0, KEY_READ, key.receive());
            if (status != ERROR_SUCCESS) return status;
            return subtree(key.get(), path, out);
        }
        return ERROR_INVALID_PARAMETER;
    }

private:
    bool isSkipped(const std::wstring& path) const {
        for (const std::wstring& skip : skipped)
            if (sameText(skip, path)) return true;
        return false;
    }

    LONG subtree(HKEY key, const std::wstring& path, std::string& out) {
        out += "K ";
        appendText(out, path);
        out += '\n';
        LONG status = values(key, out);
        if (status != ERROR_SUCCESS) return status;
        std::vector<std::wstring> names;
        status = subkeyNames(key, names);
        if (status != ERROR_SUCCESS) return status;
        for (const std::wstring& name : names) {
            std::wstring child = path + L"\\" + name;
            if (isSkipped(child)) continue;
            RegKey sub;
            status = RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, sub.receive());
            if (status == ERROR_FILE_NOT_FOUND) continue;  // deleted since the listing
            if (status != ERROR_SUCCESS) return status;
            status = subtree(sub.get(), child, out);
            if (status != ERROR_SUCCESS) return status;
        }
        return ERROR_SUCCESS;
    }

    static LONG subkeyNames(HKEY key, std::vector<std::wstring>& names) {
        std::vector<wchar_t> name(256);
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(name.size());
            LONG status = RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr,
                                        nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (status == ERROR_INVALID_HANDLE && index == 0) return ERROR_SUCCESS;  // see values
            if (status == ERROR_MORE_DATA && name.size() < 32768) {
                name.resize(32768);
                --index;
                continue;
            }
            if (status != ERROR_SUCCESS) return status;
            names.emplace_back(name.data(), length);
        }
    }

    static LONG values(HKEY key, std::string& out) {
        std::vector<wchar_t> name(16384);
        std::vector<BYTE> data(4096);
        for (DWORD index = 0;;) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = 0;
            LONG status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                                        data.data(), &size);
            if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            // The performance-text keys (Perflib\009 and the like) answer
            // queries of named values only; listing their values or sub-keys
            // fails with this error on every read, and reg.exe shows them
            // as keys without either.
            if (status == ERROR_INVALID_HANDLE && index == 0) return ERROR_SUCCESS;
            if (status == ERROR_MORE_DATA && data.size() < (64u << 20)) {
                // The same value again with room for its data.
                data.resize(size > data.size() ? size : data.size() * 2);
                continue;
            }
            if (status != ERROR_SUCCESS) return status;
            char head[16];
            std::snprintf(head, sizeof head, "V %lu ", static_cast<unsigned long>(type));
            out += head;
            appendText(out, std::wstring(name.data(), nameLength));
            out += ' ';
            appendHex(out, data.data(), size);
            out += '\n';
            ++index;
        }
    }

    const std::vector<std::wstring>& skipped;
};

int usage() {
    std::fputs("usage: regdump OUTFILE KEY... [/skip KEY...]\n", stderr);
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    ScopedHandle<LocalFreeTraits> argv(CommandLineToArgvW(GetCommandLineW(), &argc));
    if (!argv || argc < 3) return usage();
    std::vector<std::wstring> keys, skipped;
    bool skipping = false;
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv.get()[i];
        if (sameText(arg, L"/skip")) {
            skipping = true;
            continue;
        }
        while (!arg.empty() && arg.back() == L'\\') arg.pop_back();
        (skipping ? skipped : keys).push_back(arg);
    }
    ScopedHandle<FileTraits> file(_wfopen(argv.get()[1], L"wb"));
    if (!file) return usage();
    Dumper dumper(skipped);
    for (const std::wstring& key : keys) {
        std::string head = "R ";
        appendText(head, key);
        head += '\n';
        std::string lines;
        LONG status = dumper.dump(key, lines);
        if (status == ERROR_FILE_NOT_FOUND) lines = "M\n";
        else if (status != ERROR_SUCCESS) lines = "F " + std::to_string(status) + "\n";
        std::fwrite(head.data(), 1, head.size(), file.get());
        std::fwrite(lines.data(), 1, lines.size(), file.get());
    }
    std::fputs("END\n", file.get());
    return std::ferror(file.get()) ? 1 : 0;
}
