// A small GUI program with the tool's kind of dialogue, for the driver's own
// tests: a question, a notice, a progress window that changes while the
// program takes no messages, then a closing notice.
//   scenario [--caption TEXT] [--restart] [--pause MS] [--fill-pause MS]
// Exit code: 7 when the question is declined, 3 after the closing notice.
// --restart asks Windows to restart after the progress window is gone.
// --fill-pause keeps the window with its template's texts for a while after
// its creation, as a busy program may.
#include <windows.h>
#include <commctrl.h>
#include <cstdlib>
#include <string>

namespace {

std::string optionValue(const char* name, const char* fallback) {
    for (int i = 1; i + 1 < __argc; ++i)
        if (std::string(__argv[i]) == name) return __argv[i + 1];
    return fallback;
}

bool hasFlag(const char* name) {
    for (int i = 1; i < __argc; ++i)
        if (std::string(__argv[i]) == name) return true;
    return false;
}

INT_PTR CALLBACK dialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void setProgress(HWND dialog, const char* status, int pos) {
    if (status != nullptr) SetDlgItemTextA(dialog, 1003, status);
    SendDlgItemMessageA(dialog, 1000, PBM_SETPOS, pos, 0);
}

// The progress phase: the program sleeps between changes without taking
// messages, as the tool does.
void progressPhase(HINSTANCE instance, const std::string& caption, int pauseMs, int fillPauseMs) {
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(102), nullptr, dialogProc, 0);
    if (dialog == nullptr) return;
    Sleep(fillPauseMs);
    SetDlgItemTextA(dialog, 1002, "Heading");
    setProgress(dialog, "Status A", 0);
    SendDlgItemMessageA(dialog, 1000, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SetWindowTextA(dialog, caption.c_str());
    ShowWindow(dialog, SW_SHOW);
    setProgress(dialog, nullptr, 10);
    Sleep(pauseMs);
    setProgress(dialog, "Status B", 40);
    Sleep(pauseMs);
    setProgress(dialog, "Done", 100);
    Sleep(pauseMs);
    DestroyWindow(dialog);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    std::string caption = optionValue("--caption", "Pathmark 100 ADSL Router USB Driver Remove");
    int pauseMs = std::atoi(optionValue("--pause", "600").c_str());
    int fillPauseMs = std::atoi(optionValue("--fill-pause", "0").c_str());
    const UINT question = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST;
    const UINT notice = MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST;
    int answer = MessageBoxA(nullptr, "Go on?\nSecond line", caption.c_str(), question);
    if (answer == IDNO || answer == IDCANCEL) return 7;
    MessageBoxA(nullptr, "Starting", caption.c_str(), notice);
    progressPhase(instance, caption, pauseMs, fillPauseMs);
    if (hasFlag("--restart")) {
        ExitWindowsEx(EWX_REBOOT, 0);
        Sleep(1000);
    }
    MessageBoxA(nullptr, "Finished", caption.c_str(), notice);
    return 3;
}
