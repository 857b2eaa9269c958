// Desktop shortcuts of the start-menu icons, the setup program's start-up
// value, and the providers' dial-up entries with their shortcuts.
#pragma once

class InstallRecord;

// Desktop shortcuts of the start-menu icons that have one.
void vtxRemoveProgramFilesIcons(const InstallRecord& record);
// The setup program's start-up value "KMISETUP".
void vtxDontRestartSetup(const InstallRecord& record);
// Dial-up phonebook entries of the providers and their desktop shortcuts.
void vtxRemoveDialups(const InstallRecord& record);
