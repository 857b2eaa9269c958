// Paths of the shell's special folders (start-menu programs, desktop).
#pragma once
#include <string>

// The file-system path of a CSIDL_* folder, or "" when the shell has none.
std::string getSpecialFolderPath(int csidl);
