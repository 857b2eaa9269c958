// The package setup's own record.
#pragma once

// Its directory under "InstallShield Installation Information" on the Windows
// drive and its uninstall entry.
void vtxRemoveInstallShieldFiles();
