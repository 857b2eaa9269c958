// shortname: prints the short (8.3) form of each path given, one line each,
// as the platform reports it to any program of the prefix; an empty line
// when it has none (the path does not exist).
#include <windows.h>
#include <cstdio>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        char shortPath[MAX_PATH] = "";
        const DWORD length = GetShortPathNameA(argv[i], shortPath, MAX_PATH);
        std::printf("%s\n", length > 0 && length < MAX_PATH ? shortPath : "");
    }
    return 0;
}
