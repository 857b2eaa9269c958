// Counts the lines of a text file, for the benchmark programs' checks that
// the work they timed was done.
#pragma once
#include <cstdio>
#include <string>
#include "sysutil/Handles.h"

// The number of line feeds, plus one for a last line without one; 0 for a
// file that cannot be read.
inline long countLines(const std::string& path) {
    StdFile file(std::fopen(path.c_str(), "rb"));
    if (!file) return 0;
    long lines = 0;
    int last = '\n';
    for (int c; (c = std::fgetc(file.get())) != EOF; last = c)
        if (c == '\n') ++lines;
    return last == '\n' ? lines : lines + 1;
}
