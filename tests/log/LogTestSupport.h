// Helpers of the log tests: the log file's path and text, and a scratch
// current directory that may hold a tool INI.
#pragma once
#include <windows.h>
#include <string>

std::string logPath();
std::string readLog();  // raw bytes, "" when the file is absent
bool logExists();
void removeLog();

// Switches the current directory to a fresh scratch folder for its lifetime.
class ScratchCwd {
public:
    ScratchCwd();
    ~ScratchCwd();
    // Writes .\VTX.INI with the given text.
    void writeToolIni(const std::string& text);

private:
    std::string previous;
    std::string folder;
};

// The command-line switch that turns the test program into a log writer.
extern const char kAppendChildSwitch[];
int runAppendChild();
