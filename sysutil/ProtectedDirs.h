// Folders that the clean-up must never empty or remove, whatever the
// installation description says. The rule (ProtectedDirs) works on a layout
// of folders and knows nothing of the platform; the platform's layout is
// asked for once per run (platformFolderLayout).
#pragma once
#include <string>
#include <vector>

// Where a platform keeps its shared folders. Each folder may be listed in
// several written forms (long and short); letter case does not matter.
struct FolderLayout {
    // Special folders of the user and of all users, the program-files root,
    // the profile roots, the system and temporary directories.
    std::vector<std::string> protectedDirs;
    // The Windows directory.
    std::vector<std::string> windowsDirs;
    // The start menu's Programs folders of the user and of all users: a
    // folder strictly below one of them may go even inside the Windows
    // directory (where Windows 95, 98, Me and NT 4 keep the start menu).
    std::vector<std::string> programsDirs;
    // The temporary folders: GetTempPath, <Windows>\TEMP, %TEMP%, %TMP%.
    std::vector<std::string> tempDirs;
    // The Common Files folder: what lies in it is shared by definition.
    std::vector<std::string> commonFilesDirs;
};

class ProtectedDirs {
public:
    explicit ProtectedDirs(const FolderLayout& layout);
    // True when dir is a drive root, is or lies above a protected folder, or
    // lies inside the Windows directory without lying strictly below a
    // Programs folder. dir is taken as written: "/" counts as "\", "." and
    // ".." are resolved, trailing dots, blanks and backslashes dropped. A
    // path that is not absolute ("x:\..." or "\\server\share\...") or is
    // longer than the platform's 259 characters counts as protected.
    bool covers(const std::string& dir) const;
    // True when dir is, or lies below, a temporary folder of the layout. A
    // temporary folder that is a drive root, or holds the Windows directory
    // or a protected folder, counts as none; a dir with a component made
    // only of dots and blanks is refused whatever it resolves to.
    bool isTempFolder(const std::string& dir) const;
    // True when dir is, or lies below, the Common Files folder.
    bool isInCommonFiles(const std::string& dir) const;

private:
    bool holdsSharedFolder(const std::string& root) const;

    std::vector<std::string> protectedDirs;
    std::vector<std::string> windowsDirs;
    std::vector<std::string> programsDirs;
    std::vector<std::string> tempDirs;
    std::vector<std::string> commonFilesDirs;
};

// dir without "." and "..", with "\" for "/", no trailing backslash,
// trailing dots and blanks of each component dropped, in lower case; "" when
// dir is not absolute. A drive root comes back as "c:", a share as
// "\\server\share".
std::string normaliseDirPath(const std::string& dir);
// True when a component of path is made only of dots and blanks (".", "..",
// "...", " "): platforms resolve such components in ways of their own.
bool hasDotsOnlyComponent(const std::string& path);
// True when path is dir or lies below it, both normalised as above.
bool isSameOrBelowDir(const std::string& path, const std::string& dir);

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
