// The current source of string resources: the program itself at start, the
// chosen language library once the language selection has installed it.
// The application framework sets the first, the language selection the
// second; every text the program shows is loaded from here.
#pragma once
#include <windows.h>
#include <string>

// Every later string load by number is taken from module.
void setResourceSource(HMODULE module);
HMODULE getResourceSource();

// String resource id of the current resource source; "" when it is absent.
std::string loadResString(UINT id);
