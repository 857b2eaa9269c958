// logbench: writes a number of entries through a Logger to VTX.LOG in the
// Windows directory and prints the time per entry, measured with the
// performance counter. Each entry is one locked open/append/close of the
// log, as in the tool.
//
//   logbench.exe [ENTRIES]        (default 2000)
//
// The log level comes from .\VTX.INI as in the tool (TRACE without one).
// Output lines: entries=, total_ms=, entry_ms=, lines=. Exit 0; 1 when the
// log does not hold every entry; 2 on a usage error; 3 when logging is off.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "log/Logger.h"
#include "sysutil/KmvdUtil.h"
#include "tools/bench/LineCount.h"
#include "tools/bench/Stopwatch.h"

namespace {

const int kDefaultEntries = 2000;
// A typical line of a run.
const char kSamplePath[] = "C:\\WINDOWS\\system32\\drivers\\dspcode1.bin";

std::string logPath() {
    return concatPath(getWindowsDir(), "VTX.LOG");
}

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : kDefaultEntries;
    if (argc > 2 || entries <= 0) {
        std::fprintf(stderr, "usage: logbench [ENTRIES]\n");
        return 2;
    }
    ErrorLogger logger("Bench");
    if (!logger.isEnabled()) {
        std::fprintf(stderr, "logbench: logging is off (see .\\VTX.INI)\n");
        return 3;
    }
    DeleteFileA(logPath().c_str());

    Stopwatch watch;
    for (int i = 0; i < entries; ++i) logger.log("removeDspBin: %s removed (%d)", kSamplePath, i);
    const double totalMs = watch.elapsedMs();

    const long lines = countLines(logPath());
    std::printf("entries=%d\ntotal_ms=%.3f\nentry_ms=%.5f\nlines=%ld\n", entries, totalMs,
                totalMs / entries, lines);
    return lines == entries ? 0 : 1;
}
