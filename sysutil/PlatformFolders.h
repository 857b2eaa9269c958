// The protected-folder rule over the running platform's own folders, asked
// for once per run; every test takes a path in the form given and in its
// short (8.3) form.
#pragma once
#include <string>
#include "sysutil/FolderLayout.h"

class ProtectedDirs;

// The platform's layout: every special folder the shell reports a path for
// (all ids, user and all users), the program-files and common-files roots,
// the user-profile roots, the Windows, system, drivers and temporary
// directories, the temporary folders and the Common Files folder; each in
// its long and short form.
FolderLayout queryFolderLayout();
// The rule over the platform's layout, built on first use and kept for the
// rest of the run.
const ProtectedDirs& platformProtectedDirs();
// True when the platform's rule covers dir in the form given or in its short
// (8.3) form.
bool isProtectedDir(const std::string& dir);
// ProtectedDirs::isTempFolder and isInCommonFiles over the platform's
// layout, for dir in the form given or in its short form.
bool isPlatformTempFolder(const std::string& dir);
bool isInCommonFilesDir(const std::string& dir);
// True when path is dir or lies below it, comparing the forms given and
// their short forms (paths normalised as by normaliseDirPath).
bool liesInDir(const std::string& path, const std::string& dir);
