// Text to number conversions: decimal as the INI and registry values are
// written, hexadecimal behind a lower-case "0x" in the language table.
#pragma once
#include <string>

// "0x" prefix: hexadecimal; otherwise decimal like decimalToInt.
int strToInt(const char* text);
inline int strToInt(const std::string& text) { return strToInt(text.c_str()); }
// Leading blanks, optional sign, decimal digits up to the first other byte;
// no digits give 0.
int decimalToInt(const char* text);
