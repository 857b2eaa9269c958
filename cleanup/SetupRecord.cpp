// The package setup's own record: its directory under "InstallShield
// Installation Information" and its uninstall entry.
#include "cleanup/SetupRecord.h"
#include <string>
#include "cleanup/FolderJudges.h"
#include "cleanup/Guards.h"
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
#include "sysutil/Paths.h"

void vtxRemoveInstallShieldFiles() {
    static const char* const action = "vtxRemoveInstallShieldFiles";
    const std::string dir = getWindowsDir().substr(0, 2) +
                            "\\Program Files\\InstallShield Installation Information\\" +
                            setupProductCode;
    runTraceLog.log("%s=%s", action, dir.c_str());
    removePackageDir(action, dir);
    removePackageKey(action, concatPath(uninstallKey, setupProductCode));
}
