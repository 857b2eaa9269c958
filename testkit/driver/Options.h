// Command line of the driver:
//   vtxdriver [--cwd DIR] [--caption TEXT] [--answers yes,no,...]
//             [--transcript FILE] [--timeout SECONDS] [--poll MS]
//             [--hold N:FILE]... [--no-memory-read] -- PROGRAM [ARGS...]
#pragma once
#include <map>
#include <string>
#include <vector>

struct DriverOptions {
    std::string program;
    std::vector<std::string> programArgs;
    std::string cwd;  // empty: the driver's own
    std::string caption = "Pathmark 100 ADSL Router USB Driver Remove";
    std::vector<std::string> answers;    // for boxes with more than one button
    std::string transcript;              // empty: standard output
    int timeoutSeconds = 120;
    int pollMs = 20;
    std::map<int, std::string> holds;    // box number -> file that releases it
    bool memoryRead = true;              // read the bar position without messages
};

// Fills options from argv; on a usage error returns false with a message.
bool parseOptions(int argc, char** argv, DriverOptions& options, std::string& error);

// The program and its arguments as one command line, quoted where needed.
std::string commandLine(const DriverOptions& options);
