// Splitting a text into a TokenList at a set of separator bytes.
#pragma once
#include <string>
#include "sysutil/TokenList.h"
#include "sysutil/XKmi.h"

// Fills list with the runs of text between separator bytes; empty runs are
// dropped, blanks are kept. Throws XKmi("Out of memory in getStrTokens").
void getStrTokens(TokenList& list, const char* text, const char* separators);
inline void getStrTokens(TokenList& list, const std::string& text, const char* separators) {
    getStrTokens(list, text.c_str(), separators);
}
