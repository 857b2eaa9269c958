// The registry unit: delete keys and values, test and read values. Each call
// opens its own key and closes it before returning.
#include "sysutil/RegistryIO.h"

#include <memory>
#include <new>

#include "log/Loggers.h"
#include "sysutil/Handles.h"
#include "sysutil/TokenList.h"

namespace {

const DWORD valueNameBuffer = 260;

LONG openKey(const std::string& keyPath, REGSAM access, RegKey& key, HKEY root) {
    return RegOpenKeyExA(root, keyPath.c_str(), 0, access, key.receive());
}

// Every value name of the key, in enumeration order. False when the
// enumeration fails other than by running out of values (for instance on a
// name longer than the buffer).
bool gatherValueNames(HKEY key, TokenList& names) {
    for (DWORD index = 0;; ++index) {
        char name[valueNameBuffer];
        DWORD length = valueNameBuffer;
        LONG result = RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) return true;
        if (result != ERROR_SUCCESS) return false;
        names.add(std::string(name, length < valueNameBuffer ? length : valueNameBuffer - 1));
    }
}

// The text of an open key's REG_SZ value, taken up to its first NUL and
// never beyond the size the platform reports: a value stored without a
// terminating NUL, or of size 0, still reads safely.
// expandable: REG_EXPAND_SZ is read too, its %variables% left as stored.
bool readStringValue(HKEY key, const std::string& valueName, std::string& text,
                     bool expandable = false) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    const bool textType = type == REG_SZ || (expandable && type == REG_EXPAND_SZ);
    if (!textType || size == MAXDWORD) return false;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 1]);
    if (!buffer) return false;
    DWORD filled = size;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.get()),
                         &filled) != ERROR_SUCCESS)
        return false;
    if (filled > size) filled = size;
    buffer[filled] = '\0';
    text = buffer.get();
    return true;
}

// %variables% of a REG_EXPAND_SZ text replaced by their values; the text
// as stored when they cannot be.
std::string expanded(const std::string& text) {
    char buffer[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer, MAX_PATH);
    if (length == 0 || length > MAX_PATH) return text;
    return buffer;
}

}  // namespace

LONG regDeleteKey(const std::string& keyPath, HKEY root) {
    return RegDeleteKeyA(root, keyPath.c_str());
}

void regDeleteValue(const std::string& keyPath, const std::string& valueName, HKEY root) {
    RegKey key;
    if (openKey(keyPath, KEY_ALL_ACCESS, key, root) != ERROR_SUCCESS) return;
    if (!key) {
        registryErrorLog.logText("Can't delete value: " + keyPath);
        return;
    }
    RegDeleteValueA(key.get(), valueName.c_str());  // an absent value is no error
}

// Names are gathered first and deleted afterwards: deleting while enumerating
// by index would shift the rest down and skip every second value.
void regDeleteValues(const std::string& keyPath, HKEY root) {
    TokenList names;
    {
        RegKey key;
        if (openKey(keyPath, KEY_ALL_ACCESS, key, root) != ERROR_SUCCESS || !key) return;
        if (!gatherValueNames(key.get(), names)) {
            key.reset();
            registryErrorLog.logText("Can't remove registry values");
            return;
        }
    }
    for (size_t i = 0; i < names.count(); ++i) regDeleteValue(keyPath, names[i], root);
}

// A caller without write access to the key always gets false.
bool regValueExists(const std::string& keyPath, const std::string& valueName, HKEY root) {
    RegKey key;
    if (openKey(keyPath, KEY_ALL_ACCESS, key, root) != ERROR_SUCCESS || !key) return false;
    DWORD size = 0;
    return RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, &size) ==
           ERROR_SUCCESS;
}

bool regGetString(const std::string& keyPath, const std::string& valueName, std::string& result,
                  HKEY root) {
    result.clear();
    bool ok = false;
    {
        RegKey key;
        if (openKey(keyPath, KEY_READ, key, root) == ERROR_SUCCESS && key)
            ok = readStringValue(key.get(), valueName, result);
    }
    if (!ok) {
        result.clear();
        registryErrorLog.logText("Can't get registry value:\nkey=" + keyPath + "\nvalue=" + valueName);
    }
    return ok;
}

bool regGetSubkeys(const std::string& keyPath, REGSAM access, TokenList& names, HKEY root) {
    names.clear();
    RegKey key;
    if (openKey(keyPath, access, key, root) != ERROR_SUCCESS || !key) return false;
    for (DWORD index = 0;; ++index) {
        char name[valueNameBuffer];
        DWORD length = valueNameBuffer;
        if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.add(std::string(name, length < valueNameBuffer ? length : valueNameBuffer - 1));
    }
    return true;
}

bool regGetValueNames(const std::string& keyPath, TokenList& names, HKEY root) {
    RegKey key;
    TokenList gathered;
    if (openKey(keyPath, KEY_READ, key, root) != ERROR_SUCCESS || !key ||
        !gatherValueNames(key.get(), gathered))
        return false;
    names = gathered;
    return true;
}

std::string regGetPath(const std::string& keyPath, const std::string& valueName, HKEY root) {
    std::string text;
    RegKey key;
    if (openKey(keyPath, KEY_READ, key, root) != ERROR_SUCCESS || !key) return "";
    if (!readStringValue(key.get(), valueName, text, true)) return "";
    return expanded(text);
}
