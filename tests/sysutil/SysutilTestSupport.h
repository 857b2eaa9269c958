// Fixtures shared by the utility tests: the Windows-directory installation
// description, a scratch registry key and the text the log gains.
#pragma once
#include <windows.h>
#include <string>

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
    void setString(const char* name, const char* data, DWORD size);
    void setString(const char* name, const std::string& text);
    void setDword(const char* name, DWORD value);
    void addSubKey(const char* name);
    bool hasValue(const std::string& name) const;
    DWORD valueCount() const;
    DWORD dataSize(const char* name) const;  // as the platform reports it
    std::string path;  // below HKEY_LOCAL_MACHINE

private:
    HKEY key;
};

void deleteKeyTree(HKEY root, const std::string& path);

// What the Windows directory's VTX.LOG gains after construction.
class LogTail {
public:
    LogTail();
    std::string added() const;

private:
    long start;
};
