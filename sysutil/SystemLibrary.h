// Libraries of the platform loaded at run time by their full path in the
// system directory: a library of the same name in the package's folder (often
// a download folder) must never run with the tool's rights, and a library
// that a system lacks must not keep the program from starting.
#pragma once
#include "sysutil/Handles.h"

// <system directory>\fileName, loaded without the platform's error boxes; an
// empty Library when the system has none.
Library loadSystemLibrary(const char* fileName);

// The entry point name of library as a function of type Function, or null.
template <class Function>
Function systemFunction(const Library& library, const char* name) {
    if (!library) return nullptr;
    const FARPROC entry = GetProcAddress(library.get(), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(entry));
}
