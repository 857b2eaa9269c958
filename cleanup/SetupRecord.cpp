// The package setup's own record: its directory under "InstallShield
// Installation Information" and its uninstall entry.
#include "cleanup/SetupRecord.h"
#include <string>
#include "cleanup/FolderJudges.h"
#include "cleanup/Guards.h"
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
#include "sysutil/Paths.h"
#include "sysutil/ProgramFiles.h"

void vtxRemoveInstallShieldFiles() {
    static const char* const action = "vtxRemoveInstallShieldFiles";
    // The setup keeps its record in the platform's Program Files, whatever
    // its name or drive.
    const std::string dir = concatPath(
        concatPath(platformProgramFilesDir(), "InstallShield Installation Information"),
        setupProductCode);
    runTraceLog.log("%s=%s", action, dir.c_str());
    removePackageDir(action, dir);
    removePackageKey(action, concatPath(uninstallKey, setupProductCode));
}
