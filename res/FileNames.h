// The files the program reads, writes or deletes by name, whatever the
// settings say; every folder of the program, the log included, takes the
// names from here.
#pragma once
#include <string>

constexpr const char* toolIniName = "VTX.INI";        // the tool's settings, start directory
constexpr const char* setupIniName = "brdsetup.ini";  // installation description: start and
                                                      // Windows directories
constexpr const char* installerLibraryName = "kmiinst.dll";  // through the library search
constexpr const char* logFileName = "VTX.LOG";               // Windows directory
constexpr const char* wininitName = "wininit.ini";  // Windows directory (95, 98, Me)
constexpr const char* lineMonIniName = "LineMon.ini";  // the package's program directory
constexpr const char* driverPackageDirName = "mdmpack";  // the package's program directory
constexpr const char* rebootMarkerName = "KmiRbt.txt";  // Windows directory
constexpr const char* firmwareImageName = "mdmcode.bin";  // driver directory
constexpr const char* cplLanguageLibraryName = "panelen.dll";  // system directory
constexpr const char* rasLibraryName = "rasapi32.dll";  // system directory
constexpr const char* sfcLibraryName = "sfc.dll";       // system directory (2000, XP)
constexpr const char* setupProgramName = "KmiInst.exe";  // the setup's temporary folders

// The section of VTX.INI, brdsetup.ini and LineMon.ini that holds their
// settings.
constexpr const char* systemInfoSection = "SystemInfo";

// A file of the start folder (the package's folder the tool is started
// from), named with an explicit ".\" so that the profile functions do not
// look for it in the Windows directory.
constexpr const char* startFolder = ".\\";
inline std::string inStartFolder(const char* name) { return std::string(startFolder) + name; }
