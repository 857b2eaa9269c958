// Shortcut targets. OLE32 is loaded by its full path when a link is read, so
// that the program imports nothing from it; the link object itself is the
// shell's (SHELL32 4.0 has it on every Windows 95 and NT 4.0).
#include "sysutil/ShellLinks.h"
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include "sysutil/IniRead.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/TextCase.h"

namespace {

// Spelled here so that no GUID library is linked.
const CLSID shellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID shellLinkAInterface = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID persistFileInterface = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

using CoInitializeFunction = HRESULT(WINAPI*)(LPVOID);
using CoUninitializeFunction = void(WINAPI*)();
using CoCreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// One reference to a COM object, released with the owner.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (object != nullptr) object->Release();
    }
    void** receive() { return reinterpret_cast<void**>(&object); }
    Interface* operator->() const { return object; }
    explicit operator bool() const { return object != nullptr; }

private:
    Interface* object = nullptr;
};

// COM for this thread while the owner lives (OLE32 loaded for it).
class ComApartment {
public:
    ComApartment() : ole(loadSystemLibrary("ole32.dll")) {
        const auto initialize = systemFunction<CoInitializeFunction>(ole, "CoInitialize");
        uninitialize = systemFunction<CoUninitializeFunction>(ole, "CoUninitialize");
        create = systemFunction<CoCreateInstanceFunction>(ole, "CoCreateInstance");
        entered = initialize != nullptr && uninitialize != nullptr && create != nullptr &&
                  SUCCEEDED(initialize(nullptr));
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (entered) uninitialize();
    }
    bool createShellLink(ComRef<IShellLinkA>& link) const {
        return entered && SUCCEEDED(create(shellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                           shellLinkAInterface, link.receive()));
    }

private:
    Library ole;
    CoUninitializeFunction uninitialize = nullptr;
    CoCreateInstanceFunction create = nullptr;
    bool entered = false;
};

std::string linkTarget(const std::string& path) {
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) == 0) return "";
    const ComApartment com;
    ComRef<IShellLinkA> link;
    if (!com.createShellLink(link)) return "";
    ComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(persistFileInterface, file.receive())) ||
        FAILED(file->Load(widePath, STGM_READ)))
        return "";
    char target[MAX_PATH] = "";
    if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK) return "";
    target[MAX_PATH - 1] = '\0';
    return target;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "file:///C:/Program%20Files/x.txt" (or "file://C:\...", "file:C:/...") as
// "C:\Program Files\x.txt"; "" for a URL of another scheme or without a
// drive (a share).
std::string localPathOfFileUrl(const std::string& url) {
    static const char scheme[] = "file:";
    if (url.size() < sizeof scheme || !sameText(url.substr(0, sizeof scheme - 1), scheme))
        return "";
    size_t at = sizeof scheme - 1;
    while (at < url.size() && (url[at] == '/' || url[at] == '\\')) ++at;
    std::string path;
    for (; at < url.size(); ++at) {
        const char c = url[at];
        const bool escaped = c == '%' && at + 2 < url.size() && hexDigit(url[at + 1]) >= 0 &&
                             hexDigit(url[at + 2]) >= 0;
        if (escaped) {
            const int decoded = hexDigit(url[at + 1]) * 16 + hexDigit(url[at + 2]);
            if (decoded < 0x20) return "";  // no control character is part of a path
            path += static_cast<char>(decoded);
            at += 2;
        } else {
            path += c == '/' ? '\\' : c;
        }
    }
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    return drive ? path : "";
}

bool endsWith(const std::string& text, const char* ending) {
    const std::string end(ending);
    return text.size() > end.size() && sameText(text.substr(text.size() - end.size()), end);
}

}  // namespace

std::string shortcutTarget(const std::string& path) {
    if (endsWith(path, ".lnk")) return linkTarget(path);
    if (endsWith(path, ".url"))
        return localPathOfFileUrl(readIniString(path, "URL", "InternetShortcut", "", 1024));
    return "";
}
