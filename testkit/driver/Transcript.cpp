// Writes the driver's transcript line by line.
#include "Transcript.h"
#include <cstdio>

bool Transcript::open(const std::string& path) {
    if (path.empty()) {
        target = GetStdHandle(STD_OUTPUT_HANDLE);
        return target != INVALID_HANDLE_VALUE && target != nullptr;
    }
    ownFile.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    target = ownFile.get();
    return ownFile.valid();
}

void Transcript::write(const LineFields& line) {
    DWORD elapsed = GetTickCount() - startTick;
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%lu.%03lu\t", elapsed / 1000, elapsed % 1000);
    std::string text = stamp + line.str() + "\n";
    DWORD written = 0;
    WriteFile(target, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
