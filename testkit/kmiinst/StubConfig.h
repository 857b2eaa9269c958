// Settings of the stand-in, read on every call from "kmiinst.cfg" beside it:
//   [Stub]
//   ProgressCalls=2          progress callbacks per uninstall
//   ProgressFigures=25,50    figures handed to them (missing ones: 25 * n)
//   ProgressDelayMs=0        pause before each callback, taking sent messages
//   IsUserAdmin=1            answer of isUserAdmin
//   InitializeStatus=0       result of initialize
//   UninstallStatus=0        result of uninstall
//   UninstallDeletes=        files (full Windows paths, separated by "|") that
//                            uninstall deletes after its progress calls, as a
//                            package's own uninstaller removes its files
#pragma once
#include <string>
#include <vector>

struct StubConfig {
    int progressCalls = 2;
    std::vector<int> progressFigures;
    int progressDelayMs = 0;
    bool isUserAdmin = true;
    int initializeStatus = 0;
    int uninstallStatus = 0;
    std::vector<std::string> uninstallDeletes;

    int figureFor(int callIndex) const;  // callIndex from 0
};

StubConfig readStubConfig();
