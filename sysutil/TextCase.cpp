// Case folding through the platform, so that the code page's letters fold
// as Windows folds them.
#include "sysutil/TextCase.h"

#include <windows.h>

std::string lowerCase(std::string text) {
    if (!text.empty()) CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string upperCase(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool sameText(const std::string& a, const std::string& b) { return lowerCase(a) == lowerCase(b); }
