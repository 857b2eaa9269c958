// The tests' one home for scratch folders, scratch files and keys, the
// Windows-directory brdsetup.ini and readings of the log and the schedule.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The Windows version the test runs as ("win98", "winxp", ...; from VTX_EXPECT_WINVER).
std::string persona();
bool personaIsNT();

// A fresh, empty directory C:\vtxtest\<name>.
std::string scratchDir(const std::string& name);

// A fresh, empty current directory for the life of the object; the earlier
// current directory comes back and the scratch files go.
class ScratchCwd {
public:
    ScratchCwd();
    ~ScratchCwd();
    ScratchCwd(const ScratchCwd&) = delete;
    ScratchCwd& operator=(const ScratchCwd&) = delete;
    void write(const std::string& name, const std::string& text) const;
    bool copyIn(const std::string& source, const std::string& name) const;
    const std::string& path() const { return folder; }

private:
    std::string previous;
    std::string folder;
};

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
// The same for the life of the object.
class SetupIniFile {
public:
    explicit SetupIniFile(const std::string& content) { writeSetupIni(content); }
    ~SetupIniFile() { writeSetupIni(""); }
    SetupIniFile(const SetupIniFile&) = delete;
    SetupIniFile& operator=(const SetupIniFile&) = delete;
};
// The lines of wininit.ini in the Windows directory (CR LF ends kept).
std::string readWininit();
// The files scheduled through PendingFileRenameOperations, without "\??\".
std::vector<std::string> pendingDeletions();
// The Windows directory's VTX.LOG and what the loggers wrote to it so far
// ("" when absent).
std::string logPath();
std::string logText();
std::vector<std::string> logLines();  // without their line ends
// What VTX.LOG gains after the object is made.
class LogTail {
public:
    LogTail() : start(logText().size()) {}
    std::string added() const;

private:
    size_t start;
};
