// Stand-in of the remote access library "rasapi32.dll": it records, in order,
// every load (with the path it was loaded from) and every RasDeleteEntryA
// call, as lines of C:\rasapi_calls.txt. Placed in a folder and chosen with
// WINEDLLOVERRIDES=rasapi32=n,b, it shows which copy a program loads and
// which phonebook entries it deletes.
#include <windows.h>
#include <string>
#include "sysutil/Handles.h"

namespace {

const char* const recordPath = "C:\\rasapi_calls.txt";

// One line appended whole; several processes may append at once.
void appendLine(const std::string& line) {
    KernelHandle file(CreateFileA(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string modulePath(HMODULE module) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

}  // namespace

extern "C" DWORD WINAPI rasDeleteEntry(LPCSTR phonebook, LPCSTR entryName) {
    appendLine(std::string("delete ") + (phonebook ? phonebook : "") + "|" +
               (entryName ? entryName : ""));
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) appendLine("load " + modulePath(instance));
    return TRUE;
}
