// The package setup's own record.
#pragma once

// Its directory under "InstallShield Installation Information" in the
// platform's Program Files (platformProgramFilesDir) and its uninstall entry.
void vtxRemoveInstallShieldFiles();
