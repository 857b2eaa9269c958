// The judges of the program folder, the start-menu group and the setup's
// temporary folder.
#include "cleanup/FolderJudges.h"
#include "cleanup/Registrations.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"

namespace {


// "<action>: <setting> "<dir>" <why>, not removed": a folder a setting names
// that a rule refuses whole.
void logRefusedSetting(const char* action, const char* setting, const std::string& dir,
                       const char* why) {
    runErrorLog.log("%s: %s \"%s\" %s, not removed", action, setting, dir.c_str(), why);
}

void logSharedProgramDir(const char* action, const std::string& dir, const std::string& why) {
    runErrorLog.log("%s: ProgramFilesDir \"%s\" %s, only the package's files removed", action,
                    dir.c_str(), why.c_str());
}

// Why a program folder that may hold the package's files is shared with
// others: it lies in Common Files, or another product registered a program
// in it; "" when it is not.
std::string sharedProgramDirReason(const FolderStanding& standing, const std::string& productName) {
    if (standing.inCommonFiles) return "lies in Common Files";
    const std::string registration = otherProductIn(standing, productName);
    if (registration.empty()) return "";
    return "holds a program of another product (" + registration + ")";
}

// What the package's own setup wrote that points into the folder: the
// status monitor's LineMon.ini lies there, or a companion's start-up value
// starts a program there. Without it the folder is not shown to be the
// package's as a whole.
bool showsPackageProof(const FolderStanding& standing) {
    if (fileExists(concatPath(standing.path, lineMonIniName))) return true;
    return !companionIn(standing).empty();
}

const char* const noProof =
    "holds neither LineMon.ini nor a program a companion's start-up value starts";

bool isListed(const std::string& name, const TokenList& names) {
    for (size_t i = 0; i < names.count(); ++i)
        if (sameText(name, names[i])) return true;
    return false;
}

bool holdsOthers(const std::string& dir, const TokenList& shortcuts) {
    const TokenList entries = listDirEntries(dir);
    for (size_t i = 0; i < entries.count(); ++i)
        if (!isListed(entries[i], shortcuts)) return true;
    return false;
}

}  // namespace

// An empty ProgramFilesDir makes the folder the drive's root: its mdmpack and
// LineMon.ini are then someone else's, refused with it.
ProgramDirVerdict judgeProgramDir(const char* action, const std::string& programDir,
                                  const std::string& productName) {
    ProgramDirVerdict verdict;
    const FolderStanding standing = folderStanding(programDir);
    if (standing.dotsOnlyComponent) {
        logRefusedSetting(action, "ProgramFilesDir", programDir,
                          "has a component made only of dots");
        return verdict;
    }
    if (programDir.empty() || standing.isProtected) {
        logRefusedDir(action, concatPath(programDir, driverPackageDirName));
        logRefusedDir(action, programDir);
        return verdict;
    }
    verdict.path = standing.path;
    verdict.standing = standing;
    if (!standing.dataFolder.empty()) {
        logSharedProgramDir(action, programDir, "lies in the user's data (" + standing.dataFolder + ")");
        verdict.scope = FolderScope::namedFilesOnly;
        return verdict;
    }
    // The start menu's programs folder lies inside the Windows folder on 95,
    // 98, Me and NT 4; it holds groups, never a program folder.
    if (standing.belowPrograms) {
        logSharedProgramDir(action, programDir, "lies in the start menu");
        verdict.scope = FolderScope::namedFilesOnly;
        return verdict;
    }
    verdict.mdmpackAllowed = true;
    std::string shared = sharedProgramDirReason(standing, productName);
    if (shared.empty() && !showsPackageProof(standing)) shared = noProof;
    if (!shared.empty()) logSharedProgramDir(action, programDir, shared);
    verdict.scope = shared.empty() ? FolderScope::whole : FolderScope::namedFilesOnly;
    verdict.lineMonAllowed = verdict.scope == FolderScope::whole;
    return verdict;
}

GroupVerdict judgeGroup(const char* action, const std::string& groupDir,
                        const TokenList& shortcuts) {
    GroupVerdict verdict;
    const FolderStanding standing = folderStanding(groupDir);
    if (standing.dotsOnlyComponent) {
        logRefusedSetting(action, "ProductName group", groupDir,
                          "has a component made only of dots");
    } else if (standing.isProtected) {
        logRefusedDir(action, groupDir);
    } else if (!standing.belowPrograms) {
        logRefusedSetting(action, "ProductName group", groupDir,
                          "lies outside the programs folder");
    } else if (holdsOthers(standing.path, shortcuts)) {
        runErrorLog.log("%s: ProductName group \"%s\" holds what is not the package's, only its "
                        "shortcuts removed", action, groupDir.c_str());
        verdict.scope = FolderScope::namedFilesOnly;
        verdict.path = standing.path;
    } else {
        verdict.scope = FolderScope::whole;
        verdict.path = standing.path;
    }
    return verdict;
}

bool judgeTempDir(const char* setting, const std::string& dir) {
    if (isPlatformTempFolder(dir)) return true;
    runErrorLog.log("%s \"%s\" is not a temporary folder, nothing scheduled there", setting,
                    dir.c_str());
    return false;
}

void logRefusedDir(const char* action, const std::string& dir) {
    runErrorLog.log("%s: directory \"%s\" is not the package's, not removed", action,
                    dir.c_str());
}

void removePackageDir(const char* action, const std::string& dir) {
    if (isProtectedDir(dir)) {
        logRefusedDir(action, dir);
        return;
    }
    deleteDirFiles(dir);
    removeDir(dir);
}
