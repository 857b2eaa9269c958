// Guards that keep the clean-up to the package's own registry keys: a key
// built from a setting is checked before it is emptied or deleted, since an
// empty or hostile setting could otherwise name a key that is not the
// package's. The judges of file names and folders are FileJudge.h and
// FolderJudges.h.
#pragma once
#include <string>

// The key path with leading, trailing and doubled backslashes dropped.
std::string normaliseKeyPath(const std::string& keyPath);
// True for a key of HKEY_LOCAL_MACHINE that a package may own, judged by its
// shape after normalisation: below "Software" with at least one more
// component, the first of them not a root that programs share ("Microsoft",
// "Classes", "Policies", "InstallShield", ...). Registry paths are names:
// "." and ".." are components like any other. Below
// "Software\Microsoft" only a key directly below
// "Software\Microsoft\Windows\CurrentVersion\Uninstall" (an uninstall entry)
// is allowed. Letter case does not matter.
bool isPackageKey(const std::string& keyPath);
// True for a key directly below the Uninstall key (an uninstall entry), by
// its shape after normalisation; letter case does not matter.
bool isUninstallEntryKey(const std::string& keyPath);

// True for a package key whose sub-keys may be walked and deleted: at least
// two levels below "Software", since the key of a vendor alone holds all of
// its products.
bool isWalkableKey(const std::string& keyPath);
// acceptPackageKey, then isWalkableKey; a key too close to "Software" gets
// one error line naming the setting.
bool acceptWalkedKey(const char* action, const char* setting, const std::string& keyPath);

// regDeleteValues, then regDeleteKey, on a key of HKEY_LOCAL_MACHINE. A key
// that is not the package's is left alone, values and sub-keys included, and
// a key that still has sub-keys after its values went stays; either with one
// error line naming it.
void removePackageKey(const char* action, const std::string& keyPath);
// isPackageKey; a refused key gets its error line.
bool acceptPackageKey(const char* action, const std::string& keyPath);

// The package key (SetupSoftwareKey) shows that it is the package's: it is
// shaped like a package's key (acceptPackageKey, with its line) and holds at
// least two of the values only a modem's setup writes (vpi, vci,
// layer3Protocol, modulation, driverType, annexType), of any type. A key
// that holds fewer gets one error line, "<action>: SetupSoftwareKey "<key>"
// holds fewer than two of vpi, vci, layer3Protocol, modulation, driverType,
// annexType, not used"; a key that does not exist, none. Only a key that
// shows it is the package's is emptied and deleted, and only its names
// (FirmwareFiles, OrigTmpDir, languageDll) steer a deletion.
bool judgePackageKey(const char* action, const std::string& keyPath);
