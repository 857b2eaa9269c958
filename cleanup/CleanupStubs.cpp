// Placeholders until the clean-up actions land.
#include "cleanup/Cleanup.h"

void vtxRemoveInstallShieldFiles() {}
bool removeDspBin() { return true; }
void vtxRemoveGuiComponents(const InstallRecord&) {}
bool removeReboot() { return false; }
bool removeCfgIni() { return false; }
