// Adding one entry to a section of an INI file by rewriting the whole file:
// wininit.ini, whose [rename] section holds the key "NUL" many times over.
#pragma once
#include <string>
#include "sysutil/TokenList.h"

// Adds "key=value" after the last line of the section of iniPath, creating
// the section at the end when it is absent. One error line "addIniEntry: ..."
// names the file when it is left unchanged (it holds more than text, cannot
// be read or replaced, or no temporary copy can be written) and when the
// rewritten content cannot be put in place (naming the copy that keeps it).
void addIniEntry(const std::string& iniPath, const char* section, const char* key,
                 const std::string& value);
// Finds "[section]" (any case, trailing blanks ignored) in lines; lastLine is
// the index of the section's last line.
bool findIniSection(const char* section, const TokenList& lines, size_t& lastLine);
