// Test helper: the lines appended to the Windows directory's VTX.LOG since
// the helper was made. Tests run without a VTX.INI in their start directory,
// so every logger writes.
#pragma once
#include <windows.h>
#include <fstream>
#include <iterator>
#include <string>

class LogTail {
public:
    LogTail() : start(currentText().size()) {}

    std::string appended() const {
        std::string text = currentText();
        return text.size() > start ? text.substr(start) : std::string();
    }

private:
    static std::string logPath() {
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, MAX_PATH);
        return std::string(dir) + "\\VTX.LOG";
    }
    static std::string currentText() {
        std::ifstream file(logPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    size_t start;
};
