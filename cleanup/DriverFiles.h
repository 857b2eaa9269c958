// Files the driver package left in the Windows and system directories.
#pragma once

// Firmware images in the driver directory: "mdmcode.bin" and the package
// key's FirmwareFiles. Always true.
bool removeDspBin();
// The restart marker "KmiRbt.txt" in the Windows directory: true when it
// existed (and its deletion was attempted).
bool removeReboot();
// The Windows-directory copy of "brdsetup.ini": true when it existed (and its
// deletion was attempted).
bool removeCfgIni();
