// What the platform's registrations say of the package's program folder:
// whether another product registered a program in it. Registrations are only
// read, never changed.
#pragma once
#include <string>

struct FolderStanding;

// The registration of another product in folder, or "" when there is none:
// "App Paths\<entry>" for an App Paths entry whose program (its default
// value) or one of whose Path folders lies in it, "Uninstall\<entry>" for an
// uninstall entry whose InstallLocation lies in it. The package's own
// uninstall entry (productName) and its setup record's do not count.
std::string otherProductIn(const FolderStanding& folder, const std::string& productName);
