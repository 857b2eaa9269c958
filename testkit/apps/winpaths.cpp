// winpaths: prints the folders a program sees in this prefix, one
// "name=path" line each, for the test kit to lay out files where the
// program under test will look for them; and the locale it runs in.
#include <windows.h>
#include <shlobj.h>
#include <cstdio>

namespace {

void printFolder(const char* name, int csidl) {
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE)) path[0] = '\0';
    std::printf("%s=%s\n", name, path);
}

}  // namespace

int main() {
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    std::printf("windows=%s\n", path);
    GetSystemDirectoryA(path, MAX_PATH);
    std::printf("system=%s\n", path);
    GetTempPathA(MAX_PATH, path);
    std::printf("temp=%s\n", path);
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    std::printf("platform=%lu\nversion=%lu.%lu\n", version.dwPlatformId, version.dwMajorVersion,
                version.dwMinorVersion);
    printFolder("programs", CSIDL_PROGRAMS);
    printFolder("common_programs", CSIDL_COMMON_PROGRAMS);
    printFolder("desktop", CSIDL_DESKTOPDIRECTORY);
    printFolder("common_desktop", CSIDL_COMMON_DESKTOPDIRECTORY);
    printFolder("program_files", CSIDL_PROGRAM_FILES);
    printFolder("personal", CSIDL_PERSONAL);
    printFolder("appdata", CSIDL_APPDATA);
    std::printf("locale=%04lx\n", static_cast<unsigned long>(GetThreadLocale()));
    return 0;
}
