// Guards that keep the clean-up to the package's own places: directories,
// registry keys and file names built from settings are checked before they
// are emptied or deleted, since an empty or hostile setting could otherwise
// name a folder, key or file that is not the package's.
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
// deleteDirFiles, then removeDir. A protected directory (see ProtectedDirs)
// is left alone with one error line naming it.
void removePackageDir(const char* action, const std::string& dir);
// The error line of a directory that is not the package's.
void logRefusedDir(const char* action, const std::string& dir);

// True for a file name that stays inside the folder it is joined to: it holds
// no "\", "/" or ":", and it is not made of dots and blanks alone (the
// platform drops trailing dots and blanks, so "..", "." and " " name the
// parent folder or the folder itself).
bool isPlainFileName(const std::string& name);
// isPlainFileName; a refused name gets one error line, "<setting> "<name>" is
// not a plain file name, nothing removed", and the caller deletes and
// schedules nothing for it.
bool acceptFileName(const char* setting, const std::string& name);

// True when dir may hold the setup's temporary files: it is, or lies below,
// a temporary folder of the platform (see isPlatformTempFolder). A refused
// dir gets one error line, "<setting> "<dir>" is not a temporary folder,
// nothing scheduled there".
bool acceptSetupTempDir(const char* setting, const std::string& dir);
// True when the program folder dir may be emptied: it does not lie in the
// Common Files folder, and no other product registered a program in it (an
// App Paths entry, or the InstallLocation of an uninstall entry other than
// productName's and the setup record's). A refused folder gets one error
// line naming the setting.
bool acceptProgramDirToEmpty(const char* action, const std::string& dir,
                             const std::string& productName);
