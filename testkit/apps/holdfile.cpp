// holdfile: keeps files in use. Opens every given file without sharing, so
// that other processes can neither delete, move, copy nor read them, and
// holds them until the stop file appears or the program is ended.
//   holdfile [--ready FILE] [--stop FILE] PATH...
// The ready file lists one line per path: "held PATH" or "failed PATH CODE".
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "AppArgs.h"

namespace {

std::vector<std::string> heldPaths() {
    std::vector<std::string> paths;
    for (int i = 1; i < __argc; ++i) {
        std::string arg = __argv[i];
        if (arg == "--ready" || arg == "--stop") {
            ++i;
            continue;
        }
        paths.push_back(arg);
    }
    return paths;
}

}  // namespace

int main() {
    std::vector<std::unique_ptr<KernelHandle>> handles;
    std::string report;
    for (const std::string& path : heldPaths()) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            report += "failed " + path + " " + std::to_string(GetLastError()) + "\n";
            continue;
        }
        handles.emplace_back(new KernelHandle(file));
        report += "held " + path + "\n";
    }
    writeFileAtOnce(optionValue("--ready"), report);
    std::string stop = optionValue("--stop");
    for (;;) {
        if (!stop.empty() && fileExists(stop)) break;
        Sleep(50);
    }
    return 0;
}
