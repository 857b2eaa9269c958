// Samples the watched program's progress window (a dialog with progress
// control 1000 and text lines 1002 and 1003) and records every change.
//
// The program runs no message loop while it works, so a PBM_GETPOS sent to
// its bar would wait until it next takes messages. The position is therefore
// read from the progress control's own state in the program's memory (the
// layout of Wine's control, checked against the control's handle before it
// is trusted); where that check fails, PBM_GETPOS is sent without waiting
// (SendMessageCallback) and the answer is taken whenever it comes.
#pragma once
#include <windows.h>
#include <string>
#include "Transcript.h"

class ProgressWatch {
public:
    ProgressWatch(Transcript& transcript, HANDLE process, bool memoryRead);

    void onWindow(HWND window, HWND bar);
    // Called once per poll after all windows were seen.
    void endOfPoll();

private:
    struct Sample {
        bool visible = false;
        std::string caption, heading, status;
        int pos = -1;         // -1: not known
        int low = 0, high = -1;  // range, when known
        bool operator!=(const Sample& other) const;
    };

    Sample read(HWND window, HWND bar);
    bool readFromMemory(HWND bar, Sample& sample);
    void queryByMessage(HWND bar);
    static void CALLBACK onPosAnswer(HWND bar, UINT message, ULONG_PTR self, LRESULT result);

    Transcript& transcript;
    HANDLE process;
    bool memoryRead;
    HWND window = nullptr;
    bool seenThisPoll = false;
    int windowNumber = 0;
    Sample last;
    bool queryPending = false;
    int answeredPos = -1;
};
