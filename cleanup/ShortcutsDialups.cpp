// Desktop shortcuts of the start-menu icons, the setup program's start-up
// value, and the providers' dial-up entries with their shortcuts.
#include "cleanup/ShortcutsDialups.h"
#include <windows.h>
#include <string>
#include "cleanup/Guards.h"
#include "cleanup/SystemKeys.h"
#include "log/Loggers.h"
#include "res/FileNames.h"
#include "settings/InstallRecord.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
#include "sysutil/Paths.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/SetupIni.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

namespace {

// The default phonebook's RasDeleteEntryA, loaded at run time: a Windows 95
// without Dial-Up Networking has no rasapi32.dll, and a static import would
// keep the program from starting there. The library is loaded from the
// system directory by its full path: the package folder is often a download
// folder, and a rasapi32.dll placed there must not run with the tool's rights.
class Phonebook {
public:
    Phonebook() {
        const std::string systemDir = getSystemDir();
        if (systemDir.empty()) return;
        const std::string path = concatPath(systemDir, rasLibraryName);
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        library.reset(LoadLibraryA(path.c_str()));
        SetErrorMode(oldMode);
        if (library) {
            const FARPROC entry = GetProcAddress(library.get(), "RasDeleteEntryA");
            deleteEntry =
                reinterpret_cast<DeleteEntryFunction>(reinterpret_cast<void (*)()>(entry));
        }
    }
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

// name + ".lnk" in the record's desktop folder; nothing when the folder is
// unknown (the path would then point at the root of the current drive).
void deleteDesktopShortcut(const InstallRecord& record, const std::string& name) {
    if (record.desktopDir.empty()) return;
    deleteFile(concatPath(record.desktopDir, name + ".lnk"));
}

// A provider whose entry name would lead its shortcut out of the desktop
// folder is left alone, phonebook entry included.
void removeDialup(const InstallRecord& record, Phonebook& phonebook, const char* section,
                  const std::string& entryName) {
    if (!acceptFileName("vtxRemoveDialups: DialupName", entryName + ".lnk")) return;
    runTraceLog.log("%s: %s removed", section, entryName.c_str());
    deleteDesktopShortcut(record, entryName);
    phonebook.remove(entryName);
}

}  // namespace

void vtxRemoveProgramFilesIcons(const InstallRecord& record) {
    runTraceLog.log("vtxRemoveProgramFilesIcons");
    TokenList sections;
    getStrTokens(sections, getSetupIniString("StartMenuIconSections", "SystemInfo", ""), ",");
    for (size_t i = 0; i < sections.count(); ++i) {
        const char* section = sections[i].c_str();
        const std::string description = getSetupIniString("Description", section, "");
        if (getSetupIniInt("ShortcutToDesktop", section) != 0 &&
            acceptFileName("vtxRemoveProgramFilesIcons: Description", description + ".lnk"))
            deleteDesktopShortcut(record, description);
    }
}

void vtxDontRestartSetup(const InstallRecord&) {
    runTraceLog.log("vtxDontRestartSetup");
    regDeleteValue(startupKey, "KMISETUP", HKEY_LOCAL_MACHINE);
}

void vtxRemoveDialups(const InstallRecord& record) {
    runTraceLog.log("vtxRemoveDialups");
    Phonebook phonebook;
    const std::string defaultEntry = getSetupIniString("DialupName", "IspDefault", "");
    if (!defaultEntry.empty()) removeDialup(record, phonebook, "IspDefault", defaultEntry);

    const std::string sectionList = getSetupIniString("IspSections", "SystemInfo", "");
    if (sectionList.empty()) return;
    TokenList sections;
    getStrTokens(sections, sectionList, ",");
    for (size_t i = 0; i < sections.count(); ++i) {
        const std::string entry = getSetupIniString("DialupName", sections[i].c_str(), "");
        if (!entry.empty()) removeDialup(record, phonebook, sections[i].c_str(), entry);
    }
}
