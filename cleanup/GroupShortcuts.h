// The start-menu group's shortcuts that the installation description does
// not list but that are the package's by what they start.
#pragma once
#include <string>
#include <vector>

class TokenList;
struct FolderStanding;

// The names of the shortcuts (".lnk", ".url") directly in groupDir, other
// than those listed, whose target (shortcutTarget) lies in one of the
// package's folders: a setup's "Uninstall ..." shortcut or web link. A
// shortcut whose target cannot be read is not among them; nor is any in a
// groupDir that judgeGroup refuses whole (not strictly below a Programs
// folder, protected, or with a dots-only component). Each one found
// gets the trace line "<action>: shortcut "<path>" starts "<target>", the
// package's".
TokenList packageShortcutsByTarget(const char* action, const std::string& groupDir,
                                   const TokenList& listed,
                                   const std::vector<FolderStanding>& packageFolders);
