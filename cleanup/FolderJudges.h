// The judges of the folders that settings name: the program folder, the
// start-menu group and the setup's temporary folder. The clean-up asks each
// once, then empties or removes only what the verdict allows, at the path
// the verdict gives (the removal utilities keep their own last-line checks).
#pragma once
#include <string>
#include "sysutil/PlatformFolders.h"

class TokenList;

// How much of a folder goes.
enum class FolderScope {
    nothing,         // not the package's: left whole
    namedFilesOnly,  // shared with others: only the package's named files go
    whole,           // the package's: its files, then the folder
};

struct ProgramDirVerdict {
    FolderScope scope = FolderScope::nothing;
    std::string path;             // as the platform reads it
    bool mdmpackAllowed = false;  // its "mdmpack" may be emptied
    bool lineMonAllowed = false;  // its "LineMon.ini" may name the control-panel key
    FolderStanding standing;      // what the platform said of it, for later proofs
};

// The program folder (the Windows drive joined with ProgramFilesDir). Nothing
// of it goes, with one error line, when it is empty, a drive root, a shared or
// system folder, or written with a component made only of dots and blanks.
// Only the package's named files go, with one error line, when it lies in the
// user's data or the start menu (then neither its mdmpack nor what its
// LineMon.ini names), in Common Files, where another product registered a
// program, or when nothing the package's setup wrote points into it (its
// LineMon.ini, a program a companion's start-up value starts). Its
// LineMon.ini names a key only when the folder goes whole.
ProgramDirVerdict judgeProgramDir(const char* action, const std::string& programDir,
                                  const std::string& productName);

struct GroupVerdict {
    FolderScope scope = FolderScope::nothing;
    std::string path;
};

// The start-menu group (the programs folder joined with ProductName). It must
// lie strictly below a start-menu Programs folder, without a component made
// only of dots and blanks, and not be a shared folder; otherwise nothing of
// it goes (one error line). A group that holds anything besides the package's
// shortcuts (names in shortcuts) keeps it: only those go (one error line).
GroupVerdict judgeGroup(const char* action, const std::string& groupDir,
                        const TokenList& shortcuts);

// True when dir may hold the setup's temporary files: it is, or lies below,
// a temporary folder of the platform (isPlatformTempFolder). A refused dir
// gets one error line, "<setting> "<dir>" is not a temporary folder, nothing
// scheduled there".
bool judgeTempDir(const char* setting, const std::string& dir);

// deleteDirFiles, then removeDir. A protected directory (see ProtectedDirs)
// is left alone with one error line naming it.
void removePackageDir(const char* action, const std::string& dir);
// The error line of a directory that is not the package's:
// "<action>: directory "<dir>" is not the package's, not removed".
void logRefusedDir(const char* action, const std::string& dir);
