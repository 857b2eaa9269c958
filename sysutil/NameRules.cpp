// How the platform reads a file name.
#include "sysutil/NameRules.h"
#include <cstring>
#include "sysutil/TextCase.h"

namespace {

const char* const deviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",   "COM5",    "COM6",
    "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5",   "LPT6",    "LPT7",
    "LPT8", "LPT9", "CLOCK$", "CONIN$", "CONOUT$",
};

// Characters no 8.3 name may hold, besides control characters.
const char* const notInShortNames = " \"*+,./:;<=>?[\\]|";

bool isShortPart(const std::string& part, size_t longest) {
    if (part.empty() || part.size() > longest) return false;
    for (const char c : part) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (code < 0x20 || std::strchr(notInShortNames, c) != nullptr) return false;
    }
    return true;
}

}  // namespace

std::string withoutTrailingDotsAndBlanks(const std::string& name) {
    const size_t last = name.find_last_not_of(". ");
    return last == std::string::npos ? std::string() : name.substr(0, last + 1);
}

// The platform looks at the part before the first dot, blanks dropped from
// its end: "nul .txt" and "COM1.bin" are devices too.
bool isDeviceName(const std::string& name) {
    std::string base = withoutTrailingDotsAndBlanks(name);
    base = base.substr(0, base.find('.'));
    const size_t last = base.find_last_not_of(' ');
    base.erase(last == std::string::npos ? 0 : last + 1);
    for (const char* device : deviceNames)
        if (sameText(base, device)) return true;
    return false;
}

bool isShortName(const std::string& name) {
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return isShortPart(name, 8);
    return isShortPart(name.substr(0, dot), 8) && isShortPart(name.substr(dot + 1), 3);
}
