// The clean-up steps that vtxRemoveGuiComponents calls at fixed points.
#pragma once
#include <string>

class InstallRecord;

// Keys below HKEY_LOCAL_MACHINE.
constexpr const char* startupKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* uninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The product code of the package's setup: its record's folder and entry.
constexpr const char* setupProductCode = "{5e1d0c7a-93b2-4f16-8a44-2b7c90d1e6f3}";

// Closes the companion programs' windows and the folders that show them.
void vtxCloseExternalApplications();
// The control-panel program's key (named in "LineMon.ini") and its sub-keys.
void vtxRemoveNewCplRegistry(const InstallRecord& record);
// Desktop shortcuts of the start-menu icons that have one.
void vtxRemoveProgramFilesIcons(const InstallRecord& record);
// The setup program's start-up value "KMISETUP".
void vtxDontRestartSetup(const InstallRecord& record);
// Dial-up phonebook entries of the providers and their desktop shortcuts.
void vtxRemoveDialups(const InstallRecord& record);
// Schedules the setup program's files in the temporary directory and in
// origTmpDir (may be empty) for deletion at the next start.
void scheduleSetupTempFiles(const InstallRecord& record, const std::string& origTmpDir);
