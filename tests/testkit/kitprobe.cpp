// kitprobe: small Windows-side actions for the test kit's own tests, one
// per run, printing what happened on standard output.
//   kitprobe stub [IS_ADMIN_AS_BOOL]   load .\kmiinst.dll and call it
//   kitprobe close CLASS TITLE         ask a window to close, time its end
//   kitprobe delete PATH               DeleteFileA, print the error
//   kitprobe delete-at-reboot PATH     MoveFileExA(..., DELAY_UNTIL_REBOOT)
#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include "sysutil/Handles.h"

namespace {

struct Record {  // the record as the tool lays it out
    const char* hwType;
    const char* hwChipset;
    const char* usbCtrlr;
    const char* modemId;
    const char* reservedText1;
    int32_t reservedNumber;
    uint8_t reservedFlag1, reservedFlag2, reservedFlag3;
    const char* reservedText2;
};
#ifndef _WIN64
static_assert(sizeof(Record) == 32, "record size");  // the 32-bit layout
#endif

typedef int(__cdecl* InitializeFn)(const Record*);
typedef void(__cdecl* CallbackFn)(int, void*);
typedef int(__cdecl* UninstallFn)(CallbackFn, void*);
typedef bool(__cdecl* IsUserAdminFn)();
typedef uint32_t(__cdecl* IsUserAdminAsWordFn)();

// FARPROC to the entry point's real type.
template <class Fn>
Fn entry(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

void __cdecl progressCallback(int figure, void* arg) {
    std::printf("callback figure=%d arg=0x%lx\n", figure, static_cast<unsigned long>(
                                                             reinterpret_cast<uintptr_t>(arg)));
}

int probeStub() {
    Library owner(LoadLibraryA("kmiinst.dll"));
    HMODULE library = owner.get();
    if (library == nullptr) {
        std::printf("load failed %lu\n", GetLastError());
        return 1;
    }
    FARPROC init = GetProcAddress(library, "?initialize@Kmi@@YA?AW4InstallStatus@1@ABUModemOptions@1@@Z");
    FARPROC uninst = GetProcAddress(library, "?uninstall@Kmi@@YA?AW4InstallStatus@1@P6AXHPAX@Z0@Z");
    FARPROC admin = GetProcAddress(library, "?isUserAdmin@Kmi@@YA_NXZ");
    std::printf("exports initialize=%d uninstall=%d isUserAdmin=%d\n", init != nullptr,
                uninst != nullptr, admin != nullptr);
    if (admin != nullptr) {
        bool asBool = entry<IsUserAdminFn>(admin)();
        uint32_t asWord = entry<IsUserAdminAsWordFn>(admin)();
        std::printf("isUserAdmin bool=%d word=0x%08lx\n", asBool ? 1 : 0,
                    static_cast<unsigned long>(asWord));
    }
    if (init != nullptr && uninst != nullptr) {
        Record record = {"B", "A", "B\\C\\D", "", "", 0, 0, 0, 0, ""};
        int status = entry<InitializeFn>(init)(&record);
        std::printf("initialize status=%d\n", status);
        status = entry<UninstallFn>(uninst)(progressCallback,
                                                        reinterpret_cast<void*>(0x1234));
        std::printf("uninstall status=%d\n", status);
    }
    return 0;
}

int probeClose(const char* windowClass, const char* title) {
    HWND window = FindWindowA(windowClass, title);
    if (window == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (FindWindowA(windowClass, title) != nullptr) {
        if (GetTickCount() - start > 5000) {
            std::printf("still open\n");
            return 0;
        }
        Sleep(50);
    }
    std::printf("closed after %lu ms\n", GetTickCount() - start);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "stub") == 0) return probeStub();
    if (argc >= 4 && std::strcmp(argv[1], "close") == 0) return probeClose(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "delete") == 0) {
        BOOL done = DeleteFileA(argv[2]);
        std::printf("delete ok=%d error=%lu\n", done ? 1 : 0, done ? 0 : GetLastError());
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "delete-at-reboot") == 0) {
        BOOL done = MoveFileExA(argv[2], nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        std::printf("scheduled ok=%d\n", done ? 1 : 0);
        return 0;
    }
    std::printf("usage: kitprobe stub | close CLASS TITLE | delete PATH | delete-at-reboot PATH\n");
    return 2;
}
