// The driver's transcript: one event per line, the seconds since the start,
// a tab, then the event's fields (see LineFields). Every line goes straight
// to the file with its own write, so the transcript survives a killed driver.
#pragma once
#include <windows.h>
#include <string>
#include "../common/LineFields.h"
#include "sysutil/Handles.h"

class Transcript {
public:
    // Empty path: standard output.
    bool open(const std::string& path);
    void write(const LineFields& line);

private:
    KernelHandle ownFile;
    HANDLE target = nullptr;
    DWORD startTick = GetTickCount();
};
