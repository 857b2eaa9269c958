// Files beside the stand-in DLL, found through the DLL's own module name.
#include "StubFiles.h"
#include "sysutil/Handles.h"

static HMODULE stubModule = nullptr;

void setStubModule(HMODULE module) { stubModule = module; }

std::string stubFilePath(const char* fileName) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(stubModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return fileName;
    std::string dir(path, length);
    size_t slash = dir.find_last_of("\\/");
    dir.erase(slash == std::string::npos ? 0 : slash + 1);
    return dir + fileName;
}

static void appendUnlocked(const std::string& line) {
    std::string path = stubFilePath("kmiinst.calls");
    KernelHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Copies of the tool started together append at the same moment (both end
// with an "unload" line): Wine may serve an append-only handle by a seek to
// the end before each write, so two such writes can land at one offset and
// one line is lost. The appends of all processes take turns.
void appendCallLine(const std::string& line) {
    KernelHandle lock(CreateMutexA(nullptr, FALSE, "vtx_kmiinst_calls_lock"));
    const bool held = lock && WaitForSingleObject(lock.get(), 5000) != WAIT_TIMEOUT;
    appendUnlocked(line);
    if (held) ReleaseMutex(lock.get());
}
