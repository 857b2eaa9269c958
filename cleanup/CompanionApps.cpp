// Closing the companion programs' windows before their files go.
#include "cleanup/CompanionApps.h"
#include "res/FileNames.h"
#include <string>
#include "log/Loggers.h"
#include "sysutil/CloseAppWindow.h"
#include "sysutil/SetupIni.h"
#include "sysutil/TextCase.h"

namespace {

const char* const dialogClass = "#32770";

// An empty title would match the first untitled window of any program: the
// applet dialog's rows are skipped then.
void closeCplDialog() {
    const std::string title = getSetupIniString("CplWindowName", systemInfoSection, "");
    if (title.empty()) return;
    closeAppWindow(dialogClass, title.c_str());
}

// "NULL" as class stands for any class; with an empty title too, the search
// would take the first untitled window of any program, so the row is skipped.
void closeTrayWindow(const std::string& className, const std::string& title) {
    if (title.empty() && sameText(className, "NULL")) return;
    closeAppWindow(className.c_str(), title.c_str());
}

}  // namespace

void vtxCloseExternalApplications() {
    runTraceLog.log("vtxCloseExternalApplications");
    const std::string trayClass =
        getSetupIniString("SysTrayClassName", systemInfoSection, "Kelbridge Cpl Window Class");
    const std::string trayTitle =
        getSetupIniString("SysTrayWindowName", systemInfoSection, "Kelbridge Cpl Target Window");
    closeAppWindow("CabinetWClass", "Control Panel");
    closeCplDialog();
    closeTrayWindow(trayClass, trayTitle);
    closeCplDialog();
    closeAppWindow("Kelmora Control Panel", "SysTrayWnd");
    closeAppWindow("Kelmora Control Panel", nullptr);
    closeAppWindow("CabinetWClass", "Dial-Up Networking");
    closeAppWindow("LINEWATCHAPP", "LINEWATCH");
    closeAppWindow("Kelbridge DSL Post-Installation Class", "Kelbridge DSL Post-Installation");
}
