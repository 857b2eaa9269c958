// A scratch registry key for the utility tests; brdsetup.ini and the log's
// growth come from ScratchKit.h.
#pragma once
#include <windows.h>
#include <string>

#include "ScratchKit.h"
#include "sysutil/Handles.h"

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
