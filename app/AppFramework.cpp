// Process-wide state of the application framework and string loading.
#include "app/AppFramework.h"
#include <commctrl.h>

namespace {
HINSTANCE moduleInstance = nullptr;
HMODULE resourceSource = nullptr;

// Long enough for every text of the program and its language libraries.
const int stringBufferSize = 1024;
}  // namespace

bool initAppFramework() {
    HMODULE self = GetModuleHandleA(nullptr);
    if (self == nullptr) return false;
    resourceSource = self;
    // InitCommonControlsEx is missing from the first Windows 95 release.
    InitCommonControls();
    return true;
}

void setModuleInstance(HINSTANCE instance) { moduleInstance = instance; }

HINSTANCE getModuleInstance() { return moduleInstance; }

void setResourceSource(HMODULE module) { resourceSource = module; }

HMODULE getResourceSource() { return resourceSource; }

std::string loadResString(UINT id) {
    char buffer[stringBufferSize];
    int length = LoadStringA(resourceSource, id, buffer, stringBufferSize);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}
