// What the platform's registrations say of the package: whether another
// product registered a program in its program folder, which programs its
// start-up values start, and whether an uninstall entry points into the
// package. Registrations are only read here, never changed.
#pragma once
#include <string>
#include <vector>
#include "sysutil/PlatformFolders.h"

class TokenList;

// The program a start-up command starts: the quoted text when it begins
// with a quote, otherwise the longest run before a blank that names an
// existing file (the whole command when none does).
std::string startupProgram(const std::string& command);
// The programs the start-up values KMICONEXE, LINEMONEXE and LINEWATCHEXE
// start: the package's companion programs ("" for a value that is absent).
TokenList companionPrograms();

// The registration of another product in folder, or "" when there is none:
// "App Paths\<entry>" for an App Paths entry whose program (its default
// value) or one of whose Path folders lies in it, "Uninstall\<entry>" for an
// uninstall entry whose InstallLocation, or a path of whose UninstallString
// or DisplayIcon (as uninstallEntryPointsInto reads them), lies in it,
// "Run\<value>" or "RunServices\<value>" for a start-up value other than
// the package's that starts a program there. The package's own do not
// count: its uninstall entry (productName), its setup record's, its start-up
// values, and the App Paths entry of a companion program (the entry's name
// is the file name of a program a start-up value starts, and its program is
// that program, in folder).
std::string otherProductIn(const FolderStanding& folder, const std::string& productName);
// The companion start-up value (KMICONEXE, LINEMONEXE, LINEWATCHEXE) that
// starts a program in folder, or "": proof the package's setup wrote.
std::string companionIn(const FolderStanding& folder);

// The absolute paths a command line or value holds: each "X:\..." that
// starts it or follows a blank, a quote, a comma or a switch such as "-f"
// (InstallShield's -f"<log>"), up to the next quote.
std::vector<std::string> pathsIn(const std::string& text);
// True when the uninstall entry (a key below HKEY_LOCAL_MACHINE) points into
// one of folders: a path in its UninstallString (the program or an
// argument, quoted or not, long or short form), its InstallLocation or its
// DisplayIcon lies in one of them.
bool uninstallEntryPointsInto(const std::string& entryKey,
                              const std::vector<FolderStanding>& folders);
// True when the uninstall entry's UninstallString starts, from an absolute
// path, a program of toolProgram's file name (long or short) from a folder
// that holds the same VTX.INI and brdsetup.ini, byte for byte, as
// toolProgram's folder: the maker's copy of the tool that the user ran from
// elsewhere (a CD, a download). A folder that is shared or the system's (a
// drive root, the Windows folder) proves nothing, as for the tool's own.
bool uninstallEntryStartsToolCopy(const std::string& entryKey, const std::string& toolProgram);

// The places the package's start-up values may start a program from: its
// folders (each whole) and its files in folders it shares.
struct PackagePlaces {
    std::vector<FolderStanding> folders;
    std::vector<std::string> files;
};
// True when the start-up value (of startupKey) is the package's and may be
// deleted: the program its command starts lies in one of places' folders,
// is one of its files, or (written with a local drive) no longer exists. Two
// makers' packages of one kit share these value names, so any other program
// keeps its value, with one error line: "<action>: start-up value <name>
// starts <program>, which is not the package's, not deleted". A program on a
// network path is judged by its text only. An absent value is false, with no
// line.
bool judgeStartupValue(const char* action, const char* valueName, const PackagePlaces& places);
// The tool's own folder, unless it is a shared or system folder (a drive
// root such as a CD's, the Windows folder): none, or one.
std::vector<FolderStanding> toolFolder();
