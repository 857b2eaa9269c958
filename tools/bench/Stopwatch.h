// Elapsed time from the performance counter, for the benchmark programs.
#pragma once
#include <windows.h>

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency);
        restart();
    }
    void restart() { QueryPerformanceCounter(&started); }
    double elapsedMs() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - started.QuadPart) * 1000.0 /
               static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER frequency;
    LARGE_INTEGER started;
};
