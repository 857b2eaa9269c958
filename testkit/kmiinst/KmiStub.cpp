// The stand-in's three entry points. They write one line per call to
// "kmiinst.calls" and answer as "kmiinst.cfg" says. The exported decorated
// names are given in the .def files; these are the C functions behind them.
#include <windows.h>
#include <commctrl.h>
#include <cstdint>
#include "ModemOptionsView.h"
#include "StubConfig.h"
#include "StubFiles.h"
#include "../common/LineFields.h"

namespace {

// A text field as the tool passed it; pointers that cannot be read are
// written as such instead of crashing the tool.
std::string fieldText(const char* value) {
    if (value == nullptr) return "<null>";
    if (IsBadStringPtrA(value, 4096)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "<bad pointer %p>", static_cast<const void*>(value));
        return buffer;
    }
    return value;
}

// The progress bar of the calling thread's progress window (a top-level
// window with a progress control 1000), or null.
BOOL CALLBACK findBar(HWND window, LPARAM found) {
    HWND bar = GetDlgItem(window, 1000);
    char className[32] = "";
    if (bar != nullptr) GetClassNameA(bar, className, sizeof className);
    if (lstrcmpiA(className, "msctls_progress32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = bar;
    return FALSE;
}

HWND callerProgressBar() {
    HWND bar = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findBar, reinterpret_cast<LPARAM>(&bar));
    return bar;
}

// Waits, taking the messages that other threads send to the caller's windows
// (so that a watcher's queries are answered); posted messages stay queued.
void pauseTakingSentMessages(int milliseconds) {
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_APP + 0x3F00, WM_APP + 0x3F00, PM_NOREMOVE);
        DWORD now = GetTickCount();
        if (static_cast<int>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_SENDMESSAGE);
    }
}

void reportProgress(int index, int figure) {
    LineFields line("progress");
    line.number("n", index + 1).number("figure", figure);
    HWND bar = callerProgressBar();
    if (bar != nullptr)
        line.number("bar", static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
    else
        line.text("bar", "none");
    appendCallLine(line.str());
}

}  // namespace

extern "C" int __cdecl kmiInitialize(const ModemOptionsView* options) {
    StubConfig config = readStubConfig();
    LineFields line("initialize");
    line.hex("record", reinterpret_cast<uintptr_t>(options));
    if (options == nullptr || IsBadReadPtr(options, sizeof *options)) {
        appendCallLine(line.text("error", "record not readable").str());
        return config.initializeStatus;
    }
    line.text("hwType", fieldText(options->hwType))
        .text("hwChipset", fieldText(options->hwChipset))
        .text("usbCtrlr", fieldText(options->usbCtrlr))
        .text("modemId", fieldText(options->modemId))
        .text("reservedText1", fieldText(options->reservedText1))
        .number("reservedNumber", options->reservedNumber)
        .text("flags", std::to_string(options->reservedFlag1) + "," +
                           std::to_string(options->reservedFlag2) + "," +
                           std::to_string(options->reservedFlag3))
        .text("reservedText2", fieldText(options->reservedText2));
    appendCallLine(line.str());
    return config.initializeStatus;
}

extern "C" int __cdecl kmiUninstall(KmiProgressCallback callback, void* arg) {
    StubConfig config = readStubConfig();
    appendCallLine(LineFields("uninstall")
                       .hex("callback", reinterpret_cast<uintptr_t>(callback))
                       .hex("arg", reinterpret_cast<uintptr_t>(arg))
                       .number("calls", config.progressCalls)
                       .str());
    for (int i = 0; i < config.progressCalls && callback != nullptr; ++i) {
        if (config.progressDelayMs > 0) pauseTakingSentMessages(config.progressDelayMs);
        int figure = config.figureFor(i);
        callback(figure, arg);
        reportProgress(i, figure);
    }
    for (const std::string& path : config.uninstallDeletes) {
        const BOOL deleted = DeleteFileA(path.c_str());
        appendCallLine(
            LineFields("uninstall-deleted").text("path", path).number("deleted", deleted).str());
    }
    appendCallLine(LineFields("uninstall-done").number("status", config.uninstallStatus).str());
    return config.uninstallStatus;
}

// The result is a one-byte boolean: only AL counts. The upper bytes of EAX
// carry a fixed pattern, as a library built by another compiler may leave
// them, so a caller that reads the whole register as BOOL sees "true".
extern "C" uint32_t __cdecl kmiIsUserAdmin() {
    StubConfig config = readStubConfig();
    appendCallLine(LineFields("isUserAdmin").number("result", config.isUserAdmin ? 1 : 0).str());
    return 0x5A5A5A00u | (config.isUserAdmin ? 1u : 0u);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        setStubModule(instance);
        DisableThreadLibraryCalls(instance);
        appendCallLine(LineFields("load").number("pid", GetCurrentProcessId()).str());
    } else if (reason == DLL_PROCESS_DETACH) {
        // reserved is null when FreeLibrary unloads us, non-null at process exit.
        appendCallLine(LineFields("unload").number("freed", reserved == nullptr ? 1 : 0).str());
    }
    return TRUE;
}
