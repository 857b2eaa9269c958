// The program's small application framework: the module instance handle and
// the common controls the progress bar needs. The source of string
// resources it starts with (the program itself) lives in
// res/ResourceSource.h, where the language selection replaces it.
#pragma once
#include <windows.h>
#include "res/ResourceSource.h"

// Takes the running module's own handle as the resource source and registers
// the common controls. False when the module handle cannot be had.
bool initAppFramework();

// The module instance handle WinMain received: the source of dialog
// templates, also after a language library has become the string source.
void setModuleInstance(HINSTANCE instance);
HINSTANCE getModuleInstance();
