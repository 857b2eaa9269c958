// Removal of the companion programs and what they left: windows, directories,
// start-menu group, control-panel key, start-up values, shortcuts, dial-up
// entries and the setup program's temporary files.
#pragma once
#include <string>

class InstallRecord;

// Closes the companion programs, then removes all of the above; calls the
// steps of CompanionApps.h and ShortcutsDialups.h at fixed points.
void vtxRemoveGuiComponents(const InstallRecord& record);
// The control-panel program's key (named in "LineMon.ini") and its sub-keys.
void vtxRemoveNewCplRegistry(const InstallRecord& record);
// Schedules the setup program's files in the temporary directory and in
// origTmpDir (may be empty) for deletion at the next start, the language
// library languageDllName (may be empty) after them.
void scheduleSetupTempFiles(const InstallRecord& record, const std::string& origTmpDir,
                            const std::string& languageDllName);
