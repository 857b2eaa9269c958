// Entry of vtxremove.exe: start line, framework, the removal run, end line.
#include <windows.h>
#include "app/AppFramework.h"
#include "app/RemovalRun.h"
#include "log/Loggers.h"

namespace {
// month/day/year - hour:minute:second, without leading zeros.
void logLocalTime(const char* arrow) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    startLog.log("%s : %d/%d/%d - %d:%d:%d", arrow, now.wMonth, now.wDay, now.wYear, now.wHour,
                 now.wMinute, now.wSecond);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    logLocalTime("===>");
    int exitCode = 1;
    if (initAppFramework()) {
        setModuleInstance(instance);
        vtxRemoveDevice();
        exitCode = 0;
    }
    logLocalTime("<===");
    return exitCode;
}
