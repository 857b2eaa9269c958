// Junctions and mount points (reparse points, NT 5 and later): a folder
// reached through one lies elsewhere than its path says (Vista's
// "Documents and Settings" leads to "Users", a mounted volume is a whole
// drive), so no folder is emptied through one.
#pragma once
#include <string>

// True when dir, or a folder on its way down from the drive's root, carries
// FILE_ATTRIBUTE_REPARSE_POINT. A network path is judged by its text only
// and is never asked (false).
bool liesThroughReparsePoint(const std::string& dir);
