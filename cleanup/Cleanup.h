// The clean-up actions the removal run calls, in the order it calls them.
// Each logs its own steps; none returns anything the run looks at.
#pragma once

class InstallRecord;

// Setup record directory and uninstall entry of the package's setup.
void vtxRemoveInstallShieldFiles();
// Firmware images in the driver directory.
bool removeDspBin();
// Companion programs, their directories, start-menu group, registry keys,
// start-up values, shortcuts, dial-up entries and temporary files.
void vtxRemoveGuiComponents(const InstallRecord& record);
// Restart marker "KmiRbt.txt" in the Windows directory.
bool removeReboot();
// The Windows-directory copy of "brdsetup.ini".
bool removeCfgIni();
