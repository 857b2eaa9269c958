// Fixtures shared by the utility tests: the Windows-directory installation
// description, a scratch registry key and the text the log gains.
#pragma once
#include <windows.h>
#include <string>

#include "sysutil/Handles.h"

// Writes brdsetup.ini into the Windows directory; removes it again.
class SetupIniFile {
public:
    explicit SetupIniFile(const std::string& text);
    ~SetupIniFile();
    std::string path;
};

// HKEY_LOCAL_MACHINE\Software\<name>, removed with everything below it
// before and after.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& name);
    ~ScratchKey();
    // REG_SZ of size bytes of data; by default the text and its NUL.
    void setString(const char* name, const char* data, DWORD size = MAXDWORD);
    void setDword(const char* name, DWORD value);
    void addSubKey(const char* name);
    DWORD dataSize(const char* name) const;  // as the platform reports it
    DWORD valueCount() const;
    std::string path;  // below HKEY_LOCAL_MACHINE

private:
    RegKey key;
};

// What the Windows directory's VTX.LOG gains after construction.
class LogTail {
public:
    LogTail();
    std::string added() const;

private:
    size_t start;
};
