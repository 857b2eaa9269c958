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

private:
    std::vector<std::string> protectedDirs;
    std::vector<std::string> windowsDirs;
    std::vector<std::string> programsDirs;
};

// dir without "." and "..", with "\" for "/", no trailing backslash,
// trailing dots and blanks of each component dropped, in lower case; "" when
// dir is not absolute. A drive root comes back as "c:", a share as
// "\\server\share".
std::string normaliseDirPath(const std::string& dir);

// The platform's layout: every special folder the shell reports a path for
// (all ids, user and all users), the program-files and common-files roots,
// the user-profile roots, the Windows, system, drivers and temporary
// directories; each in its long and short form.
FolderLayout queryFolderLayout();
// The rule over the platform's layout, built on first use and kept for the
// rest of the run.
const ProtectedDirs& platformProtectedDirs();
// True when the platform's rule covers dir in the form given or in its short
// (8.3) form.
bool isProtectedDir(const std::string& dir);
