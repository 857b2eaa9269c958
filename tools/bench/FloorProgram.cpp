// The benchmark's floor: what a removal run shows, without the removal. The
// same boxes with the same texts and the same progress window with the same
// steps and pauses as vtxremove.exe, in the same order; nothing is read,
// removed or logged. A run's time less this program's time is what the
// clean-up itself costs.
//
//   floorprogram.exe [STEPS]
//
// STEPS: the installer library's progress calls to show (default 2, one
// device with the stand-in's default); each moves the bar by 10 as in the
// run. The texts come from kmtext_english.dll in the current directory.
#include <windows.h>
#include <cstdlib>
#include <string>
#include "app/AppFramework.h"
#include "app/ProgressWindow.h"
#include "res/resource.h"

namespace {
const UINT noticeStyle = MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST;
const UINT questionStyle = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST;

bool ask(const std::string& text, const std::string& caption) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), questionStyle) == IDYES;
}

void notice(UINT textId, const std::string& caption) {
    MessageBoxA(nullptr, loadResString(textId).c_str(), caption.c_str(), noticeStyle);
}

void showWork(ProgressWindow& progress, int steps) {
    int position = 10;
    progress.show(true);
    progress.setPos(position);
    Sleep(5000);
    progress.setStatus(loadResString(IDS_REMOVING));
    for (int i = 0; i < steps; ++i) progress.setPos(position += 10);
    Sleep(2000);
    progress.setPos(100);
    progress.setStatus(loadResString(IDS_COMPLETED));
    Sleep(3000);
    progress.destroy();
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (!initAppFramework()) return 1;
    setModuleInstance(instance);
    const std::string caption = loadResString(IDS_CAPTION);
    HMODULE texts = LoadLibraryA(".\\kmtext_english.dll");
    if (texts == nullptr) return 2;
    setResourceSource(texts);
    const int steps = commandLine && *commandLine ? std::atoi(commandLine) : 2;

    ProgressWindow progress;
    progress.create(nullptr);
    progress.setHeading(loadResString(IDS_HEADING));
    progress.setStatus(loadResString(IDS_PREPARING));
    progress.setRange(0, 100);
    progress.setPos(0);
    progress.setCaption(caption);
    if (ask(loadResString(IDS_CONFIRM_FIRST) + "\n" + loadResString(IDS_CONFIRM_SECOND), caption)) {
        notice(IDS_STARTING, caption);
        showWork(progress, steps);
        if (!ask(loadResString(IDS_COMPLETED) + "...\n" + loadResString(IDS_RESTART_QUESTION), caption))
            notice(IDS_RESTART_LATER, caption);
    }
    progress.destroy();
    FreeLibrary(texts);
    return 0;
}
