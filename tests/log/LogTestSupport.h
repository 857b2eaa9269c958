// Helpers of the log tests; the log's path and text and the scratch current
// directory come from ScratchKit.h.
#pragma once
#include <windows.h>
#include <string>

#include "ScratchKit.h"

inline bool logExists() { return exists(logPath()); }
inline void removeLog() { DeleteFileA(logPath().c_str()); }

// The command-line switch that turns the test program into a log writer.
extern const char kAppendChildSwitch[];
int runAppendChild();
