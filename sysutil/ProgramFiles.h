// The platform's Program Files and Common Files folders, as the platform
// names them.
#pragma once
#include <string>

// ProgramFilesDir under the CurrentVersion key: the folder setups install
// into, localized ("C:\Programme", "C:\Archivos de programa") or on another
// drive. A Windows without that value (the first Windows 95) uses the
// English default, "Program Files" on the Windows drive; "" when neither is
// known.
std::string platformProgramFilesDir();
// CommonFilesDir under the CurrentVersion key; without it "Common Files" in
// platformProgramFilesDir (the English default), or "".
std::string platformCommonFilesDir();
