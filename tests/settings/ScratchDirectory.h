// Test helper: a fresh, empty current directory for the life of the object;
// the earlier current directory is restored and the scratch files removed.
#pragma once
#include <windows.h>
#include <fstream>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory() {
        char buffer[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, buffer);
        previous = buffer;
        GetTempPathA(MAX_PATH, buffer);
        path = std::string(buffer) + "vtx_scratch_" + std::to_string(GetCurrentProcessId());
        removeAll();
        CreateDirectoryA(path.c_str(), nullptr);
        SetCurrentDirectoryA(path.c_str());
    }
    ~ScratchDirectory() {
        SetCurrentDirectoryA(previous.c_str());
        removeAll();
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path + "\\" + name, std::ios::binary) << text;
    }
    bool copyIn(const std::string& source, const std::string& name) const {
        return CopyFileA(source.c_str(), (path + "\\" + name).c_str(), FALSE) != FALSE;
    }
    const std::string& getPath() const { return path; }

private:
    void removeAll() const {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name != "." && name != "..") DeleteFileA((path + "\\" + name).c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(path.c_str());
    }

    std::string previous;
    std::string path;
};
