// Special folder lookup through the shell. The item list is freed through the
// shell's allocator (SHGetMalloc), so that the program imports nothing from
// OLE32; SHGetSpecialFolderPathA is avoided because the first Windows 95
// shell lacks it.
#include "sysutil/ShellFolders.h"
#include <windows.h>
#include <shlobj.h>

namespace {

void freeItemList(LPITEMIDLIST list) {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
        allocator->Free(list);
        allocator->Release();
    }
}

}  // namespace

std::string getSpecialFolderPath(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr) return "";
    char path[MAX_PATH] = "";
    const BOOL found = SHGetPathFromIDListA(list, path);
    freeItemList(list);
    path[MAX_PATH - 1] = '\0';
    return found ? std::string(path) : std::string();
}
