// Case folding in the ANSI code page (the platform's CharLowerBuffA and
// CharUpperBuffA, which leave double-byte characters alone).
#pragma once
#include <string>

std::string lowerCase(std::string text);
std::string upperCase(std::string text);
// True when the two texts are equal but for letter case.
bool sameText(const std::string& a, const std::string& b);
