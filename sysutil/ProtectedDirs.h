// Folders that the clean-up must never empty or remove, whatever the
// installation description says: the rule over a layout of folders. It knows
// nothing of the platform; PlatformFolders.h applies it to the platform's
// own layout.
#pragma once
#include <string>
#include <vector>
#include "sysutil/FolderLayout.h"

class ProtectedDirs {
public:
    explicit ProtectedDirs(const FolderLayout& layout);
    // True when dir is a drive root, is or lies above a protected folder, or
    // lies inside the Windows directory without lying strictly below a
    // Programs folder. dir is taken as written: "/" counts as "\", trailing
    // dots, blanks and backslashes are dropped. A path that is not absolute
    // ("x:\..." or "\\server\share\..."), is longer than the platform's
    // 259 characters, or has a component made only of dots and blanks
    // (Windows 95 reads "..." as two folders up) counts as protected.
    bool covers(const std::string& dir) const;
    // True when dir is, or lies below, a temporary folder of the layout. A
    // temporary folder that is a drive root, or holds the Windows directory
    // or a protected folder, counts as none; a dir with a component made
    // only of dots and blanks is refused whatever it resolves to.
    bool isTempFolder(const std::string& dir) const;
    // True when dir is, or lies below, the Common Files folder.
    bool isInCommonFiles(const std::string& dir) const;
    // The data folder (normalised) that dir is or lies in, or "": one of the
    // layout's data folders, or the user's profile unless dir lies in a
    // program-files root. A data folder that is a drive root counts as none.
    std::string dataFolderHolding(const std::string& dir) const;
    // True when dir lies strictly below a start-menu Programs folder.
    bool isBelowPrograms(const std::string& dir) const;

private:
    bool holdsSharedFolder(const std::string& root) const;

    // The layout's folders, normalised; temporary folders that count as
    // none, and data folders that are drive roots, left out.
    FolderLayout folders;
};

// dir as the platform reads it: "." and ".." resolved, "\" for "/", no
// doubled or trailing backslash, trailing dots and blanks of each component
// dropped; "" when dir is not absolute. A drive root comes back as "c:", a
// share as "\\server\share".
std::string platformDirPath(const std::string& dir);
// platformDirPath in lower case.
std::string normaliseDirPath(const std::string& dir);
// True when a component of path is made only of dots and blanks (".", "..",
// "...", " "): platforms resolve such components in ways of their own.
bool hasDotsOnlyComponent(const std::string& path);
// True when path is dir or lies below it, both normalised as above.
bool isSameOrBelowDir(const std::string& path, const std::string& dir);
