// Shortcuts of the package's group recognised by their target.
#include "cleanup/GroupShortcuts.h"
#include "log/Loggers.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/ShellLinks.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"

namespace {

bool isListedName(const std::string& name, const TokenList& names) {
    for (size_t i = 0; i < names.count(); ++i)
        if (sameText(name, names[i])) return true;
    return false;
}

bool liesInAny(const std::string& path, const std::vector<FolderStanding>& folders) {
    for (const FolderStanding& folder : folders)
        if (standsIn(path, folder)) return true;
    return false;
}

}  // namespace

TokenList packageShortcutsByTarget(const char* action, const std::string& groupDir,
                                   const TokenList& listed,
                                   const std::vector<FolderStanding>& packageFolders) {
    TokenList found;
    // Only a group that may go at all is looked into (judgeGroup refuses
    // the others whole).
    const FolderStanding group = folderStanding(groupDir);
    if (group.dotsOnlyComponent || group.isProtected || !group.belowPrograms) return found;
    const TokenList files = listDirEntries(groupDir, DirEntries::files);
    for (size_t i = 0; i < files.count(); ++i) {
        if (isListedName(files[i], listed)) continue;
        const std::string path = concatPath(groupDir, files[i]);
        const std::string target = shortcutTarget(path);
        if (target.empty() || hasDotsOnlyComponent(target) || !liesInAny(target, packageFolders))
            continue;
        runTraceLog.log("%s: shortcut \"%s\" starts \"%s\", the package's", action, path.c_str(),
                        target.c_str());
        found.add(files[i]);
    }
    return found;
}
