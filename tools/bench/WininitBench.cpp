// wininitbench: schedules files for deletion at the next start with
// deleteAtReboot on Windows 95, 98 or Me, where each call adds a "NUL=" line
// to [rename] of wininit.ini in the Windows directory by rewriting the
// file, and prints the time of each call, measured with the performance
// counter. The caller lays out wininit.ini beforehand.
//
//   wininitbench.exe [CALLS]      (default 5)
//
// The scheduled files are made in the temporary directory first (long
// names, so that each call looks up a short form) and deleted afterwards.
// Output lines: lines_before=, one call_ms= per call, lines_after=. Exit 0;
// 1 when not every call added its line; 2 on a usage error; 3 on the NT
// family, where the call writes no wininit.ini.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
#include "sysutil/KmvdUtil.h"
#include "sysutil/WinVersion.h"
#include "tools/bench/LineCount.h"
#include "tools/bench/Stopwatch.h"

namespace {

const int kDefaultCalls = 5;

std::vector<std::string> makeFiles(int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        std::string path = getTempDir() + "scheduled by the benchmark " + std::to_string(i) + ".tmp";
        KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::atoi(argv[1]) : kDefaultCalls;
    if (argc > 2 || calls <= 0) {
        std::fprintf(stderr, "usage: wininitbench [CALLS]\n");
        return 2;
    }
    if (isWinNT()) {
        std::fprintf(stderr, "wininitbench: needs Windows 95, 98 or Me\n");
        return 3;
    }
    const std::string wininit = concatPath(getWindowsDir(), "wininit.ini");
    const std::vector<std::string> files = makeFiles(calls);
    const long before = countLines(wininit);
    std::printf("lines_before=%ld\n", before);

    for (const std::string& path : files) {
        Stopwatch watch;
        deleteAtReboot(path);
        std::printf("call_ms=%.3f\n", watch.elapsedMs());
    }

    const long after = countLines(wininit);
    std::printf("lines_after=%ld\n", after);
    for (const std::string& path : files) DeleteFileA(path.c_str());
    return after == before + calls ? 0 : 1;
}
