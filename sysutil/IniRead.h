// The program's one INI reader, over the platform's profile read.
#pragma once
#include <string>

// INI values are read into buffers of this many characters (values come back
// cut to 511).
constexpr unsigned iniValueBuffer = 512;

// One key of a section of an INI file, into a buffer of bufferSize
// characters (a longer value is cut to bufferSize - 1). A missing file or
// key gives defaultValue. Name a file of the current directory with ".\": a
// bare name is looked for in the Windows directory.
std::string readIniString(const std::string& file, const char* key, const char* section,
                          const char* defaultValue, unsigned bufferSize);
