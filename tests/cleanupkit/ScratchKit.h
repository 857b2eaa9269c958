// Scratch files, keys and readings for the clean-up tests.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The Windows version the test runs as ("win98", "winxp", ...; from VTX_EXPECT_WINVER).
std::string persona();
bool personaIsNT();

// A fresh, empty directory C:\vtxtest\<name>.
std::string scratchDir(const std::string& name);
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);  // "" when absent
bool exists(const std::string& path);
// Holds a file open with the given sharing until destroyed.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD share);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    HANDLE handle;
};

// HKEY_LOCAL_MACHINE values and keys.
void setRegString(const std::string& key, const char* name, const std::string& value);
void setRegDword(const std::string& key, const char* name, DWORD value);
bool keyExists(const std::string& key);
bool valueExists(const std::string& key, const char* name);
void deleteKeyTree(const std::string& key);

// The Windows-directory "brdsetup.ini"; "" removes it.
void writeSetupIni(const std::string& content);
// The lines of wininit.ini in the Windows directory (CR LF ends kept).
std::string readWininit();
// The files scheduled through PendingFileRenameOperations, without "\??\".
std::vector<std::string> pendingDeletions();
// What the loggers wrote to VTX.LOG so far.
std::string logText();
