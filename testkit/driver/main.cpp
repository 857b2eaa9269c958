// vtxdriver: plays the user of a GUI program from outside. Brings up the
// prefix's desktop and makes sure a window can be shown there, starts the
// program, answers its message boxes, samples its progress window, and
// writes a transcript of what it saw. Exit code 0 when the program ended,
// 2 on a usage error, 3 on a timeout (the program is then ended), 4 when
// the program cannot be started, 5 when the prefix cannot show a window
// (the program is then not started).
#include <windows.h>
#include <cstdio>
#include "../common/Desktop.h"
#include "BoxAnswerer.h"
#include "Options.h"
#include "ProcessWindows.h"
#include "ProgressWatch.h"
#include "Transcript.h"
#include "sysutil/Handles.h"

namespace {

// How long the desktop may take to come up, and a copy of the driver to
// show its window, on a loaded machine.
const DWORD desktopTimeoutMs = 120000;
const DWORD showWindowTimeoutMs = 60000;
const int desktopTries = 3;
const char showWindowOption[] = "--show-window";

// What a copy of the driver started with --show-window does: shows a small
// window and ends, 0 when it was shown. It fails where the program under
// test could create no window either.
int showWindow() {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "vtxdriver", WS_POPUP, 0, 0, 16, 16,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    bool shown = IsWindowVisible(window) != FALSE;
    DestroyWindow(window);
    return shown ? 0 : 1;
}

// The proof is made in a process of its own: the driver itself never owns a
// window, so a session end that ends the programs with windows spares it.
bool windowCanBeShown(std::string& problem) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) {
        problem = "the driver cannot find its own program file";
        return false;
    }
    std::string line = "\"" + std::string(self, length) + "\" " + showWindowOption;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        problem = "the window test could not be started (error " + std::to_string(GetLastError()) +
                  ")";
        return false;
    }
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(process.get(), showWindowTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 255);
        problem = "the window test did not end";
        return false;
    }
    GetExitCodeProcess(process.get(), &code);
    if (code != 0) problem = "no window can be shown in this prefix";
    return code == 0;
}

// The desktop up and a window shown before the program starts: a program
// that started without them could show nothing, and its first question
// would count as declined. A desktop whose last program ended a moment ago
// may be closing as the proof begins (its explorer still answers, then
// ends): the next try starts a new one.
bool desktopReady(std::string& problem) {
    for (int attempt = 0; attempt < desktopTries; ++attempt) {
        if (!awaitDesktop(desktopTimeoutMs, problem)) return false;
        if (windowCanBeShown(problem)) return true;
    }
    return false;
}

bool prepareDesktop(Transcript& transcript) {
    DWORD began = GetTickCount();
    std::string problem;
    if (!desktopReady(problem)) {
        transcript.write(LineFields("error").text("message", problem));
        transcript.write(LineFields("end").text("result", "error"));
        return false;
    }
    transcript.write(LineFields("desktop").number("ms", GetTickCount() - began));
    return true;
}

bool startProgram(const DriverOptions& options, PROCESS_INFORMATION& info) {
    std::string line = commandLine(options);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                          options.cwd.empty() ? nullptr : options.cwd.c_str(), &startup,
                          &info) != FALSE;
}

bool isWatchedCaption(const std::string& caption, const DriverOptions& options) {
    return caption == options.caption || caption == "Error";
}

// Reports every other top-level window of the program once (an unexpected
// dialog shows up in the transcript instead of going unnoticed).
void noteOtherWindow(HWND window, Transcript& transcript) {
    static std::vector<HWND> noted;
    for (HWND seen : noted)
        if (seen == window) return;
    if (!IsWindowVisible(window)) return;
    noted.push_back(window);
    transcript.write(LineFields("window")
                         .text("class", windowClass(window))
                         .text("caption", windowText(window)));
}

void pollWindows(DWORD processId, const DriverOptions& options, BoxAnswerer& boxes,
                 ProgressWatch& progress, Transcript& transcript) {
    std::vector<HWND> windows = topLevelWindowsOf(processId);
    boxes.prune(windows);
    for (HWND window : windows) {
        HWND bar = progressBarOf(window);
        if (bar != nullptr) {
            progress.onWindow(window, bar);
        } else if (isMessageBox(window) && isWatchedCaption(windowText(window), options)) {
            if (IsWindowVisible(window)) boxes.onBox(window);
        } else {
            noteOtherWindow(window, transcript);
        }
    }
    progress.endOfPoll();
}

// Delivers the answers of asynchronous queries (see ProgressWatch).
void takeMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

int watch(const DriverOptions& options, Transcript& transcript) {
    if (!prepareDesktop(transcript)) return 5;
    PROCESS_INFORMATION info;
    if (!startProgram(options, info)) {
        transcript.write(LineFields("error").text("message", "cannot start program")
                             .number("code", GetLastError()));
        transcript.write(LineFields("end").text("result", "error"));
        return 4;
    }
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    transcript.write(LineFields("start").text("program", options.program)
                         .text("cwd", options.cwd).number("pid", info.dwProcessId));
    BoxAnswerer boxes(transcript, options.answers, options.holds);
    ProgressWatch progress(transcript, process.get(), options.memoryRead);
    DWORD deadline = GetTickCount() + static_cast<DWORD>(options.timeoutSeconds) * 1000;
    for (;;) {
        takeMessages();
        pollWindows(info.dwProcessId, options, boxes, progress, transcript);
        if (WaitForSingleObject(process.get(), options.pollMs) == WAIT_OBJECT_0) break;
        if (static_cast<int>(deadline - GetTickCount()) <= 0) {
            transcript.write(LineFields("timeout").number("seconds", options.timeoutSeconds));
            TerminateProcess(process.get(), 255);
            WaitForSingleObject(process.get(), 5000);
            transcript.write(LineFields("end").text("result", "timeout"));
            return 3;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    transcript.write(LineFields("exit").number("code", code));
    transcript.write(LineFields("end").text("result", "exit").number("boxes", boxes.boxCount()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == showWindowOption) return showWindow();
    DriverOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vtxdriver: %s\n", error.c_str());
        return 2;
    }
    Transcript transcript;
    if (!transcript.open(options.transcript)) {
        std::fprintf(stderr, "vtxdriver: cannot write %s\n", options.transcript.c_str());
        return 2;
    }
    return watch(options, transcript);
}
