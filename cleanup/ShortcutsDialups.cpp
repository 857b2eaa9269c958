// Desktop shortcuts of the start-menu icons, the setup program's start-up
// value, and the providers' dial-up entries with their shortcuts.
#include "cleanup/ShortcutsDialups.h"
#include <windows.h>
#include <string>
#include "cleanup/FileJudge.h"
#include "cleanup/Registrations.h"
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "settings/InstallRecord.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/SystemLibrary.h"
#include "sysutil/Paths.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/SetupIni.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

namespace {

// The default phonebook's RasDeleteEntryA, loaded at run time: a Windows 95
// without Dial-Up Networking has no rasapi32.dll, and a static import would
// keep the program from starting there. The library is loaded from the
// system directory by its full path (SystemLibrary.h).
class Phonebook {
public:
    Phonebook()
        : library(loadSystemLibrary(rasLibraryName)),
          deleteEntry(systemFunction<DeleteEntryFunction>(library, "RasDeleteEntryA")) {}
    // Deletes the entry; without the service it says so once in the log.
    void remove(const std::string& entryName) {
        if (deleteEntry) {
            deleteEntry(nullptr, entryName.c_str());
        } else if (!reported) {
            runErrorLog.log("vtxRemoveDialups: %s not available, dial-up entries left",
                            "RasDeleteEntryA");
            reported = true;
        }
    }

private:
    typedef DWORD(WINAPI* DeleteEntryFunction)(LPCSTR phonebook, LPCSTR entryName);
    Library library;
    DeleteEntryFunction deleteEntry = nullptr;
    bool reported = false;
};

// name + ".lnk" in the record's desktop folder, judged; with the folder
// unknown only the name is judged and no file is deleted (the path would
// then point at the root of the current drive).
FileVerdict judgeShortcut(const char* setting, const InstallRecord& record,
                          const std::string& name) {
    return judgeFile(setting, record.desktopDir, name + ".lnk");
}

void deleteShortcut(const FileVerdict& shortcut) {
    if (shortcut.accepted && !shortcut.path.empty()) deleteFile(shortcut.path);
}

// A provider whose shortcut is refused (its name would lead out of the
// desktop folder, or is a device's) is left alone, phonebook entry included.
void removeDialup(const InstallRecord& record, Phonebook& phonebook, const char* section,
                  const std::string& entryName) {
    const FileVerdict shortcut = judgeShortcut("vtxRemoveDialups: DialupName", record, entryName);
    if (!shortcut.accepted) return;
    runTraceLog.log("%s: %s removed", section, entryName.c_str());
    deleteShortcut(shortcut);
    phonebook.remove(entryName);
}

}  // namespace

void vtxRemoveProgramFilesIcons(const InstallRecord& record) {
    runTraceLog.log("vtxRemoveProgramFilesIcons");
    TokenList sections;
    getStrTokens(sections, getSetupIniString("StartMenuIconSections", systemInfoSection, ""), ",");
    for (size_t i = 0; i < sections.count(); ++i) {
        const char* section = sections[i].c_str();
        const std::string description = getSetupIniString("Description", section, "");
        if (getSetupIniInt("ShortcutToDesktop", section) != 0)
            deleteShortcut(
                judgeShortcut("vtxRemoveProgramFilesIcons: Description", record, description));
    }
}

// KMISETUP restarts the package's setup program from the temporary folder
// (or from the tool's folder): another kit's setup keeps its value.
void vtxDontRestartSetup(const InstallRecord& record) {
    runTraceLog.log("vtxDontRestartSetup");
    PackagePlaces places;
    places.folders = toolFolder();
    if (!record.tempDir.empty()) places.files.push_back(concatPath(record.tempDir, setupProgramName));
    if (judgeStartupValue("vtxDontRestartSetup", "KMISETUP", places))
        regDeleteValue(startupKey, "KMISETUP", HKEY_LOCAL_MACHINE);
}

void vtxRemoveDialups(const InstallRecord& record) {
    runTraceLog.log("vtxRemoveDialups");
    Phonebook phonebook;
    const std::string defaultEntry = getSetupIniString("DialupName", "IspDefault", "");
    if (!defaultEntry.empty()) removeDialup(record, phonebook, "IspDefault", defaultEntry);

    const std::string sectionList = getSetupIniString("IspSections", systemInfoSection, "");
    if (sectionList.empty()) return;
    TokenList sections;
    getStrTokens(sections, sectionList, ",");
    for (size_t i = 0; i < sections.count(); ++i) {
        const std::string entry = getSetupIniString("DialupName", sections[i].c_str(), "");
        if (!entry.empty()) removeDialup(record, phonebook, sections[i].c_str(), entry);
    }
}
