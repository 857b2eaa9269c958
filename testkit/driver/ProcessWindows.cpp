// Finds and reads the windows of the watched program.
#include "ProcessWindows.h"

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string windowText(HWND window) {
    char buffer[4096];
    int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string windowClass(HWND window) {
    char buffer[256];
    int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

std::string dialogItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item != nullptr ? windowText(item) : std::string();
}

HWND progressBarOf(HWND window) {
    HWND bar = GetDlgItem(window, 1000);
    if (bar == nullptr) return nullptr;
    return lstrcmpiA(windowClass(bar).c_str(), "msctls_progress32") == 0 ? bar : nullptr;
}

bool isMessageBox(HWND window) {
    return windowClass(window) == "#32770" && progressBarOf(window) == nullptr;
}
