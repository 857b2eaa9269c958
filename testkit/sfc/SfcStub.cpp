// Stand-in of Windows File Protection's "sfc.dll": SfcIsFileProtected says
// yes for the paths listed, one a line, in C:\sfc_protected.txt (any case),
// and no for every other (Wine's own answers no for every file). Placed in
// the system directory and chosen with WINEDLLOVERRIDES=sfc=n,b.
#include <windows.h>
#include <fstream>
#include <string>

namespace {

std::string lowered(std::string text) {
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace

extern "C" BOOL WINAPI sfcIsFileProtected(HANDLE, LPCWSTR fileName) {
    char path[MAX_PATH];
    if (!fileName ||
        !WideCharToMultiByte(CP_ACP, 0, fileName, -1, path, MAX_PATH, nullptr, nullptr))
        return FALSE;
    std::ifstream list("C:\\sfc_protected.txt");
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && lowered(line) == lowered(path)) return TRUE;
    }
    return FALSE;
}
