// Parses the driver's command line.
#include "Options.h"
#include <cstdlib>

namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

bool parseHold(const std::string& value, DriverOptions& options) {
    size_t colon = value.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= value.size()) return false;
    int box = std::atoi(value.substr(0, colon).c_str());
    if (box <= 0) return false;
    options.holds[box] = value.substr(colon + 1);
    return true;
}

bool validAnswer(const std::string& answer) {
    return answer == "yes" || answer == "no" || answer == "ok" || answer == "cancel";
}

std::string quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
        } else if (c == '"') {
            out.append(slashes + 1, '\\');
            slashes = 0;
        } else {
            slashes = 0;
        }
        out += c;
    }
    out.append(slashes, '\\');
    return out + "\"";
}

}  // namespace

bool parseOptions(int argc, char** argv, DriverOptions& options, std::string& error) {
    int i = 1;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc && arg != "--no-memory-read") {
            error = "option " + arg + " needs a value (or unknown option)";
            return false;
        }
        if (arg == "--cwd") options.cwd = argv[++i];
        else if (arg == "--caption") options.caption = argv[++i];
        else if (arg == "--answers") options.answers = splitList(argv[++i]);
        else if (arg == "--transcript") options.transcript = argv[++i];
        else if (arg == "--timeout") options.timeoutSeconds = std::atoi(argv[++i]);
        else if (arg == "--poll") options.pollMs = std::atoi(argv[++i]);
        else if (arg == "--no-memory-read") options.memoryRead = false;
        else if (arg == "--hold") {
            if (!parseHold(argv[++i], options)) {
                error = "--hold wants BOX:FILE";
                return false;
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (i >= argc) {
        error = "no program given (put it after --)";
        return false;
    }
    options.program = argv[i++];
    for (; i < argc; ++i) options.programArgs.push_back(argv[i]);
    for (const std::string& answer : options.answers) {
        if (!validAnswer(answer)) {
            error = "unknown answer " + answer + " (yes, no, ok, cancel)";
            return false;
        }
    }
    if (options.timeoutSeconds <= 0) options.timeoutSeconds = 120;
    if (options.pollMs <= 0) options.pollMs = 20;
    return true;
}

std::string commandLine(const DriverOptions& options) {
    std::string line = quoted(options.program);
    for (const std::string& arg : options.programArgs) line += " " + quoted(arg);
    return line;
}
