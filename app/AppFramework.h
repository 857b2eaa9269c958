// The program's small application framework: the module instance handle,
// the common controls the progress bar needs, and the current source of
// string resources (the program at start, the chosen language library once
// the language selection has installed it).
#pragma once
#include <windows.h>
#include <string>

// Takes the running module's own handle as the resource source and registers
// the common controls. False when the module handle cannot be had.
bool initAppFramework();

// The module instance handle WinMain received: the source of dialog
// templates, also after a language library has become the string source.
void setModuleInstance(HINSTANCE instance);
HINSTANCE getModuleInstance();

// Every later string load by number is taken from module.
void setResourceSource(HMODULE module);
HMODULE getResourceSource();

// String resource id of the current resource source; "" when it is absent.
std::string loadResString(UINT id);
