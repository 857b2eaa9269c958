// Entry of the log tests. Started with kAppendChildSwitch the program is the
// second writer of the two-process append test instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "LogTestSupport.h"

std::string logPath() {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\VTX.LOG";
}

std::string readLog() {
    std::string text;
    FILE* file = fopen(logPath().c_str(), "rb");
    if (file == nullptr) return text;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    fclose(file);
    return text;
}

bool logExists() { return GetFileAttributesA(logPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

void removeLog() { DeleteFileA(logPath().c_str()); }

ScratchCwd::ScratchCwd() {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    previous = buffer;
    GetTempPathA(MAX_PATH, buffer);
    folder = std::string(buffer) + "vtx-log-tests";
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA((folder + "\\VTX.INI").c_str());
    SetCurrentDirectoryA(folder.c_str());
}

ScratchCwd::~ScratchCwd() {
    SetCurrentDirectoryA(previous.c_str());
    DeleteFileA((folder + "\\VTX.INI").c_str());
    RemoveDirectoryA(folder.c_str());
}

void ScratchCwd::writeToolIni(const std::string& text) {
    FILE* file = fopen(".\\VTX.INI", "w");
    fputs(text.c_str(), file);
    fclose(file);
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], kAppendChildSwitch) == 0) return runAppendChild();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
