// Loading the platform's own libraries by their full path.
#include "sysutil/SystemLibrary.h"
#include <string>
#include "sysutil/Paths.h"

Library loadSystemLibrary(const char* fileName) {
    const std::string systemDir = getSystemDir();
    if (systemDir.empty()) return Library();
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    Library library(LoadLibraryA(concatPath(systemDir, fileName).c_str()));
    SetErrorMode(oldMode);
    return library;
}
