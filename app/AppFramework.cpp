// Process-wide state of the application framework.
#include "app/AppFramework.h"
#include <commctrl.h>

namespace {
HINSTANCE moduleInstance = nullptr;
}  // namespace

bool initAppFramework() {
    HMODULE self = GetModuleHandleA(nullptr);
    if (self == nullptr) return false;
    setResourceSource(self);
    // InitCommonControlsEx is missing from the first Windows 95 release.
    InitCommonControls();
    return true;
}

void setModuleInstance(HINSTANCE instance) { moduleInstance = instance; }

HINSTANCE getModuleInstance() { return moduleInstance; }
