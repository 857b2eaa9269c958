// Everything the clean-up needs to know about the installed package: the
// system's directories, the package's directories from the installation
// description in the Windows directory, and the values under the package key.
// Construction never fails outright: status and message tell what went wrong.
#pragma once
#include <string>

class InstallRecord {
public:
    // Indices of optionFlags. The constructor sets setupIniFound and
    // installedSilently from the description; the run then sets these four
    // and clears the other five. Only scheduleSetupTempFiles is read (by the
    // clean-up); setByRun and the unnamed indices are read by nothing.
    enum OptionFlag {
        scheduleSetupTempFiles = 1,  // the setup's temporary files go at the next start
        setByRun = 5,
        installedSilently = 7,  // [SystemInfo] InstallSilently is a non-zero number
        setupIniFound = 8,      // the Windows directory holds brdsetup.ini
    };
    static const int optionFlagCount = 9;

    InstallRecord();
    virtual ~InstallRecord();
    InstallRecord(const InstallRecord&) = delete;
    InstallRecord& operator=(const InstallRecord&) = delete;

    int status;           // 0 complete; 1 no drive letter; 2 no brdsetup.ini; 3 no driver dir
    std::string message;  // at most 259 characters
    std::string toolDir;
    std::string windowsDir;
    std::string systemDir;
    std::string windowsDrive;
    std::string tempDir;
    std::string programDir;
    std::string infDir;
    std::string programGroupDir;
    std::string desktopDir;
    bool optionFlags[optionFlagCount];
    std::string srcPath;
    std::string hardwareTypeDir;
    std::string language;
    std::string languageDll;
    std::string languageDllCpl;
    std::string languageDllCplV2;
    std::string driverType;
    std::string annexType;
    std::string ispSection;
    std::string driverDir;
    int vci;
    int vpi;
    int layer3Protocol;
    int modulation;
    std::string HardwarePlatform;
    std::string HardwareType;
    std::string ModemId;

private:
    // Sets status and the message, printf-style, cut to 259 characters.
    void setStatus(int newStatus, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    void readPackageValues();
};
