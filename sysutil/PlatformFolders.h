// The protected-folder rule over the running platform's own folders, asked
// for once per run; every test takes a path in the form given and in its
// short (8.3) form.
#pragma once
#include <string>
#include <vector>
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
// (8.3) form, or dir lies through a junction or mount point (ReparsePoints.h).
bool isProtectedDir(const std::string& dir);
// ProtectedDirs::isTempFolder and isInCommonFiles over the platform's
// layout, for dir in the form given or in its short form.
bool isPlatformTempFolder(const std::string& dir);
bool isInCommonFilesDir(const std::string& dir);
// True when path is dir or lies below it, comparing the forms given and
// their short forms (paths normalised as by normaliseDirPath).
bool liesInDir(const std::string& path, const std::string& dir);

// What the platform says of a folder that a setting names, asked at once,
// so that a judge asks once. Every test is made on the form given and on
// its short form.
struct FolderStanding {
    std::string path;                // as the platform reads it (platformDirPath)
    bool dotsOnlyComponent = false;  // as written: "." "..", "...", " "
    bool isProtected = false;        // isProtectedDir
    bool inCommonFiles = false;      // isInCommonFilesDir
    std::string dataFolder;          // the user's data folder it lies in, or ""
    bool belowPrograms = false;      // strictly below a start-menu Programs folder
    std::vector<std::string> forms;  // its normalised long and short forms
};
FolderStanding folderStanding(const std::string& dir);
// liesInDir, for a folder whose standing was asked. A path on a network
// drive or a server is compared as written, never asked of the platform.
bool standsIn(const std::string& path, const FolderStanding& folder);
