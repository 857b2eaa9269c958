// The removal run. Each phase is one function below, each step one call that
// logs its own result; the run never goes back to an earlier phase.
#include "app/RemovalRun.h"
#include <windows.h>
#include <algorithm>
#include <memory>
#include <string>
#include "app/AppFramework.h"
#include "app/InstallerLibrary.h"
#include "app/ProgressWindow.h"
#include "cleanup/DriverFiles.h"
#include "cleanup/FileJudge.h"
#include "cleanup/GuiComponents.h"
#include "cleanup/SetupRecord.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "res/resource.h"
#include "settings/InstallRecord.h"
#include "settings/LanguageSelection.h"
#include "settings/ToolIni.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
#include "sysutil/Paths.h"
#include "sysutil/RebootWindows.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"
#include "sysutil/WinVersion.h"
#include "sysutil/XKmi.h"

namespace {
const char* const instanceLockName = "KELMORA_VAN_TIX_LOCK_MUTEX";

const UINT noticeStyle = MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST;
const UINT questionStyle = MB_YESNO | MB_ICONQUESTION | MB_TOPMOST;

// The run's designed pauses, in milliseconds: they are part of what the
// user sees (the window at 10 % before the devices go, at 100 % at the end).
// The shipped program has them in full. VTX_PAUSE_PERCENT exists only for a
// test build that is never packaged (app/CMakeLists.txt), which serves the
// tests that do not watch the pauses.
#ifndef VTX_PAUSE_PERCENT
#define VTX_PAUSE_PERCENT 100
#endif
const DWORD pauseBeforeUninstallMs = 5000 * VTX_PAUSE_PERCENT / 100;
const DWORD pauseBeforeCleanupMs = 2000 * VTX_PAUSE_PERCENT / 100;
const DWORD pauseAtCompletionMs = 3000 * VTX_PAUSE_PERCENT / 100;
const DWORD pauseBeforeRestartMs = 3000 * VTX_PAUSE_PERCENT / 100;

// The instance lock is held from its creation until the process ends, also
// after an early end: the run never releases it, and the handle is closed
// only when the process exits.
KernelHandle instanceLock;

class RemovalRun {
public:
    RemovalRun();
    bool execute();

private:
    // The phases, in the order they run.
    bool checkPrerequisites();
    void setUp();
    bool takeLockAndCheckRights();
    bool confirm();
    void work();
    void offerRestart();

    // prerequisites
    bool checkSettingsFiles();
    bool loadInstallerLibrary();
    // set-up
    void prepareProgressWindow();
    // lock and rights
    bool takeInstanceLock();
    bool checkUserRights();
    // confirmation
    bool askConfirmation();
    // work
    void startProgress();
    void readListedFiles();
    void copySetupIni();
    void leaveStartFolder();
    void buildInstallRecord();
    void uninstallListedDevices();
    void runCleanupActions();
    void removeListedFiles(const char* key, const std::string& names, const std::string& dir);
    void finishProgress();

    void notice(UINT textId);
    bool ask(const std::string& text);

    // Released in reverse order at the end of the run: the installer library
    // first, then the language selection with its library.
    LanguageSelection languages;
    ProgressWindow progress;
    std::unique_ptr<InstallRecord> record;
    Library installer;
    InitializeFunc initialize;
    UninstallFunc uninstall;
    IsUserAdminFunc isUserAdmin;
    std::string windowsDir;
    std::string systemDir;
    std::string caption;
    // RemoveFromWinDir and RemoveFromWinSysDir, read before anything can
    // empty the start folder (the tool may lie in the package's program
    // folder, VTX.INI beside it).
    std::string winDirFiles;
    std::string winSysDirFiles;
};

RemovalRun::RemovalRun()
    : initialize(nullptr),
      uninstall(nullptr),
      isUserAdmin(nullptr),
      windowsDir(getWindowsDir()),
      systemDir(getSystemDir()),
      caption(loadResString(IDS_CAPTION)) {}

bool RemovalRun::execute() {
    if (!checkPrerequisites()) return false;
    setUp();
    if (!takeLockAndCheckRights()) return false;
    if (!confirm()) return false;
    work();
    offerRestart();
    return true;
}

bool RemovalRun::checkPrerequisites() { return checkSettingsFiles() && loadInstallerLibrary(); }

// From here on every string comes from the chosen language library.
void RemovalRun::setUp() {
    languages.selectLanguage();
    prepareProgressWindow();
    progressValue = 0;
}

bool RemovalRun::takeLockAndCheckRights() { return takeInstanceLock() && checkUserRights(); }

bool RemovalRun::confirm() {
    if (!askConfirmation()) return false;
    notice(IDS_STARTING);
    return true;
}

// No step of the work ends the run early.
void RemovalRun::work() {
    startProgress();
    readListedFiles();
    copySetupIni();
    buildInstallRecord();
    Sleep(pauseBeforeUninstallMs);
    progress.setStatus(loadResString(IDS_REMOVING));
    uninstallListedDevices();
    vtxRemoveInstallShieldFiles();
    copySetupIni();
    leaveStartFolder();
    Sleep(pauseBeforeCleanupMs);
    runCleanupActions();
    removeListedFiles("RemoveFromWinDir", winDirFiles, windowsDir);
    removeListedFiles("RemoveFromWinSysDir", winSysDirFiles, systemDir);
    record.reset();
    finishProgress();
}

bool RemovalRun::checkSettingsFiles() {
    if (!IsVtIniFile()) {
        runErrorLog.log("vtxRemoveDevice: %s INI is Missing!", toolIniName);
        notice(IDS_NO_TOOL_INI);
        return false;
    }
    if (!IsVtInstallInitFile()) {
        runErrorLog.log("vtxRemoveDevice: Local copy of %s INI is Missing!", setupIniName);
        notice(IDS_NO_SETUP_INI);
        return false;
    }
    return true;
}

// By bare name, so that the platform's library search order applies.
bool RemovalRun::loadInstallerLibrary() {
    installer.reset(LoadLibraryA(installerLibraryName));
    if (!installer) {
        runErrorLog.log("vtxRemoveDevice: Local copy of %s file is Missing!", installerLibraryName);
        notice(IDS_NO_INSTALLER_LIBRARY);
        return false;
    }
    getDllFunc(installer.get(), &initialize, initializeExportName);
    getDllFunc(installer.get(), &uninstall, uninstallExportName);
    getDllFunc(installer.get(), &isUserAdmin, isUserAdminExportName);
    if (initialize == nullptr || uninstall == nullptr || isUserAdmin == nullptr) {
        runErrorLog.log("vtxRemoveDevice: Error in %s file! No entry for DLL funcs.",
                        installerLibraryName);
        notice(IDS_NO_INSTALLER_LIBRARY);
        return false;
    }
    return true;
}

// Created hidden without a parent; shown only once the user has confirmed.
void RemovalRun::prepareProgressWindow() {
    progress.create(nullptr);
    progress.setHeading(loadResString(IDS_HEADING));
    progress.setStatus(loadResString(IDS_PREPARING));
    progress.setRange(0, 100);
    progress.setPos(0);
    progress.setCaption(caption);
}

bool RemovalRun::takeInstanceLock() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, instanceLockName);
    DWORD error = GetLastError();
    instanceLock.reset(mutex);
    if (!instanceLock || error == ERROR_ALREADY_EXISTS) {
        runErrorLog.log("vtxRemoveDevice: only one instance allowed!");
        notice(IDS_ALREADY_RUNNING);
        return false;
    }
    return true;
}

// Windows 95, 98 and Me have no administrator rights to test.
bool RemovalRun::checkUserRights() {
    if (!isWinNT() || isUserAdmin()) return true;
    runErrorLog.log("vtxRemoveDevice: isUserAdmin=NOT ADMIM");
    notice(IDS_NOT_ADMIN);
    return false;
}

bool RemovalRun::askConfirmation() {
    if (ask(loadResString(IDS_CONFIRM_FIRST) + "\n" + loadResString(IDS_CONFIRM_SECOND))) {
        return true;
    }
    runTraceLog.log("vtxRemoveDevice: User opted out of clean up.");
    return false;
}

void RemovalRun::startProgress() {
    progress.show(true);
    progressValue += 10;
    progress.setPos(progressValue);
}

void RemovalRun::readListedFiles() {
    winDirFiles = getToolIniString("RemoveFromWinDir", systemInfoSection, "");
    winSysDirFiles = getToolIniString("RemoveFromWinSysDir", systemInfoSection, "");
}

// The installation record and the clean-up actions read the Windows
// directory's copy.
void RemovalRun::copySetupIni() {
    copyFileTo(inStartFolder(setupIniName), concatPath(windowsDir, setupIniName));
}

// Nothing of ".\" is read after the second copy of the installation
// description: the run leaves the start folder, so that its current folder
// never holds the package's program folder (a process's current folder
// cannot be removed). The language library loaded from there stays in use
// to the end of the run and is scheduled with the folder's other files.
void RemovalRun::leaveStartFolder() { SetCurrentDirectoryA(windowsDir.c_str()); }

void RemovalRun::buildInstallRecord() {
    record.reset(new InstallRecord());
    if (record->status != 0) runErrorLog.logText(record->message);
    // The clean-up schedules the setup program's temporary files for removal
    // at the next start; no step consults the other flags.
    std::fill(record->optionFlags, record->optionFlags + InstallRecord::optionFlagCount, false);
    record->optionFlags[InstallRecord::scheduleSetupTempFiles] = true;
    record->optionFlags[InstallRecord::setByRun] = true;
    record->optionFlags[InstallRecord::installedSilently] = true;
    record->optionFlags[InstallRecord::setupIniFound] = true;
    record->languageDllCpl = cplLanguageLibraryName;
}

void RemovalRun::uninstallListedDevices() {
    std::string deviceIds = getToolIniString("DeviceId", systemInfoSection, "");
    runTraceLog.log("Parse DeviceId=%s", deviceIds.c_str());
    if (deviceIds.empty()) {
        runErrorLog.log("devId.IsEmpty");
        return;
    }
    uninstallDevices(deviceIds, progress, initialize, uninstall);
}

void RemovalRun::runCleanupActions() {
    removeDspBin();
    vtxRemoveGuiComponents(*record);
    removeReboot();
    removeCfgIni();
}

// Each listed file is deleted now and, in every case, also at the next start.
// A name that would leave the directory, opens a device or is a file of the
// platform is refused.
void RemovalRun::removeListedFiles(const char* key, const std::string& names,
                                   const std::string& dir) {
    runTraceLog.log("%s=%s", key, names.c_str());
    if (names.empty()) return;
    const std::string setting = std::string("vtxRemoveDevice: ") + key;
    TokenList list;
    getStrTokens(list, names, ",");
    for (size_t i = 0; i < list.count(); ++i) {
        const FileVerdict file = judgeFile(setting.c_str(), dir, list[i]);
        if (!file.accepted) continue;
        deleteFile(file.path);
        deleteAtReboot(file.path);
    }
}

void RemovalRun::finishProgress() {
    progress.setPos(100);
    progress.setStatus(loadResString(IDS_COMPLETED));
    Sleep(pauseAtCompletionMs);
    progress.destroy();
}

// The run does not wait for the restart: it ends at once.
void RemovalRun::offerRestart() {
    runTraceLog.log("User needs to reboot");
    if (!ask(loadResString(IDS_COMPLETED) + "...\n" + loadResString(IDS_RESTART_QUESTION))) {
        runTraceLog.log("vtxRemoveDevice: User opted to Reboot PC later...");
        notice(IDS_RESTART_LATER);
        return;
    }
    runTraceLog.log("vtxRemoveDevice: Rebooting PC in a few seconds...");
    Sleep(pauseBeforeRestartMs);
    rebootWindows(0);
}

void RemovalRun::notice(UINT textId) {
    MessageBoxA(nullptr, loadResString(textId).c_str(), caption.c_str(), noticeStyle);
}

// Only Yes agrees. No and Cancel decline, and so does a box that could not
// be shown (0 on Windows, -1 under Wine without a display): the removal and
// the restart need the user's consent.
bool RemovalRun::ask(const std::string& text) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), questionStyle) == IDYES;
}
}  // namespace

bool vtxRemoveDevice() {
    RemovalRun run;
    try {
        return run.execute();
    } catch (const XKmi& failure) {
        // A bad language table or library, or memory running out: end like
        // the other early ends, releasing what the run holds.
        runErrorLog.log("vtxRemoveDevice: %s", failure.getMessage().c_str());
        return false;
    }
}
