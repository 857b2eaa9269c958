// Small helpers shared by the kit's stand-in programs: option lookup in the
// C runtime's argument vector, and files written all at once.
#pragma once
#include <windows.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "sysutil/Handles.h"

// Value of "--name VALUE", or fallback.
inline std::string optionValue(const char* name, const char* fallback = "") {
    for (int i = 1; i + 1 < __argc; ++i)
        if (std::string(__argv[i]) == name) return __argv[i + 1];
    return fallback;
}

inline bool hasFlag(const char* name) {
    for (int i = 1; i < __argc; ++i)
        if (std::string(__argv[i]) == name) return true;
    return false;
}

inline int optionInt(const char* name, int fallback) {
    std::string value = optionValue(name);
    return value.empty() ? fallback : std::atoi(value.c_str());
}

inline bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes text to path + ".tmp" and renames it into place, so that a reader
// who sees the file sees all of it.
inline void writeFileAtOnce(const std::string& path, const std::string& text) {
    if (path.empty()) return;
    std::string temp = path + ".tmp";
    {
        KernelHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;
        DWORD written = 0;
        WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// Appends one line to path (opened and closed for the line).
inline void appendLine(const std::string& path, const std::string& line) {
    if (path.empty()) return;
    KernelHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
