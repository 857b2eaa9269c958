// Registrations of the package and of other products, read from the
// start-up key, App Paths and the uninstall entries.
#include "cleanup/Registrations.h"
#include <windows.h>
#include <cstdio>
#include "cleanup/SystemKeys.h"
#include "res/FileNames.h"
#include "sysutil/Handles.h"
#include "log/Loggers.h"
#include "sysutil/NetworkPaths.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/RegistryIO.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"

namespace {

// The values of an uninstall entry that name places of its product.
const char* const uninstallPathValues[] = {"UninstallString", "InstallLocation", "DisplayIcon"};

// text without the quotes around it.
std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

std::string fileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// An App Paths entry of one of the package's companion programs: named by
// the program's file name, its program that companion, in folder.
bool isCompanionEntry(const std::string& entry, const std::string& program,
                      const TokenList& companions, const FolderStanding& folder) {
    if (!standsIn(program, folder)) return false;
    for (size_t i = 0; i < companions.count(); ++i) {
        const std::string& companion = companions[i];
        if (companion.empty() || !sameText(entry, fileNameOf(companion))) continue;
        if (liesInDir(program, companion) && liesInDir(companion, program)) return true;
    }
    return false;
}

// The App Paths entry of another product whose program, or one of whose
// folders, lies in folder; "" when there is none. Real entries often hold
// only their default value, the program's path.
std::string appPathIn(const FolderStanding& folder) {
    const TokenList companions = companionPrograms();
    TokenList entries;
    regGetSubkeys(appPathsKey, KEY_READ, entries, HKEY_LOCAL_MACHINE);
    for (size_t i = 0; i < entries.count(); ++i) {
        const std::string key = concatPath(appPathsKey, entries[i]);
        const std::string program = unquoted(regGetPath(key, "", HKEY_LOCAL_MACHINE));
        if (isCompanionEntry(entries[i], program, companions, folder)) continue;
        TokenList places;
        getStrTokens(places, regGetPath(key, "Path", HKEY_LOCAL_MACHINE), ";");
        places.add(program);
        for (size_t j = 0; j < places.count(); ++j)
            if (standsIn(unquoted(places[j]), folder)) return "App Paths\\" + entries[i];
    }
    return "";
}

// The uninstall entry, other than the package's own, whose InstallLocation
// (or any path of its UninstallString or DisplayIcon, by the rules of the
// package's own entry) lies in folder; "" when there is none.
std::string installLocationIn(const FolderStanding& folder, const std::string& productName) {
    TokenList entries;
    regGetSubkeys(uninstallKey, KEY_READ, entries, HKEY_LOCAL_MACHINE);
    const std::vector<FolderStanding> folders = {folder};
    for (size_t i = 0; i < entries.count(); ++i) {
        if (sameText(entries[i], productName) || sameText(entries[i], setupProductCode)) continue;
        const std::string entry = concatPath(uninstallKey, entries[i]);
        const std::string location = regGetPath(entry, "InstallLocation", HKEY_LOCAL_MACHINE);
        if (standsIn(unquoted(location), folder) || uninstallEntryPointsInto(entry, folders))
            return "Uninstall\\" + entries[i];
    }
    return "";
}

// The package's start-up values: its companions' and its setup's restart.
bool isPackageStartupValue(const std::string& name) {
    if (sameText(name, "KMISETUP")) return true;
    for (const char* value : companionStartupValues)
        if (sameText(name, value)) return true;
    return false;
}

// A start-up value of another product (in Run, or RunServices of 95, 98
// and Me) that starts a program in folder: "Run\<value>"; "" when none does.
std::string startupValueIn(const FolderStanding& folder) {
    for (const std::string& key : {startupKey, windowsVersionKey + "\\RunServices"}) {
        TokenList names;
        regGetValueNames(key, names, HKEY_LOCAL_MACHINE);
        const std::string label = key.substr(key.rfind('\\') + 1);
        for (size_t i = 0; i < names.count(); ++i) {
            if (isPackageStartupValue(names[i])) continue;
            const std::string program =
                startupProgram(regGetPath(key, names[i], HKEY_LOCAL_MACHINE));
            if (!program.empty() && standsIn(program, folder)) return label + "\\" + names[i];
        }
    }
    return "";
}

// ASCII only: drive letters, and the letters and digits a path may follow.
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isLetterOrDigit(char c) { return isLetter(c) || (c >= '0' && c <= '9'); }

// A path starts at "X:\" (or "X:/") that begins the text, follows a
// character that is no letter or digit, or follows a switch ("-f", "/f").
bool startsPath(const std::string& text, size_t at) {
    if (at + 2 >= text.size() || !isLetter(text[at]) || text[at + 1] != ':' ||
        (text[at + 2] != '\\' && text[at + 2] != '/'))
        return false;
    if (at == 0 || !isLetterOrDigit(text[at - 1])) return true;
    return at >= 2 && (text[at - 2] == '-' || text[at - 2] == '/') && isLetter(text[at - 1]);
}

}  // namespace

std::string startupProgram(const std::string& command) {
    if (!command.empty() && command[0] == '"') {
        const size_t close = command.find('"', 1);
        return command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    if (isNetworkPath(command)) return command.substr(0, command.find(' '));
    std::string program = command;
    while (!fileExists(program)) {
        const size_t blank = program.rfind(' ');
        if (blank == std::string::npos) return command;
        program.erase(blank);
    }
    return program;
}

TokenList companionPrograms() {
    TokenList programs;
    for (const char* value : companionStartupValues)
        programs.add(startupProgram(regGetPath(startupKey, value, HKEY_LOCAL_MACHINE)));
    return programs;
}

std::string otherProductIn(const FolderStanding& folder, const std::string& productName) {
    const std::string registration = appPathIn(folder);
    if (!registration.empty()) return registration;
    const std::string entry = installLocationIn(folder, productName);
    return entry.empty() ? startupValueIn(folder) : entry;
}

std::string companionIn(const FolderStanding& folder) {
    for (const char* value : companionStartupValues) {
        const std::string program =
            startupProgram(regGetPath(startupKey, value, HKEY_LOCAL_MACHINE));
        if (!program.empty() && standsIn(program, folder)) return value;
    }
    return "";
}

std::vector<std::string> pathsIn(const std::string& text) {
    std::vector<std::string> paths;
    for (size_t at = 0; at < text.size(); ++at) {
        if (!startsPath(text, at)) continue;
        const size_t end = text.find('"', at);
        paths.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    }
    return paths;
}

bool uninstallEntryPointsInto(const std::string& entryKey,
                              const std::vector<FolderStanding>& folders) {
    for (const char* value : uninstallPathValues)
        for (const std::string& path : pathsIn(regGetPath(entryKey, value, HKEY_LOCAL_MACHINE)))
            for (const FolderStanding& folder : folders)
                if (standsIn(path, folder)) return true;
    return false;
}

namespace {

// Settings files are small; anything larger is no copy of the tool's.
const size_t largestSettingsFile = 1 << 20;

// The whole content of a settings file; false when it cannot be read.
bool readSettingsFile(const std::string& path, std::string& content) {
    StdFile file(fopen(path.c_str(), "rb"));
    if (!file) return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        content.append(chunk, got);
        if (content.size() > largestSettingsFile) return false;
    }
    return ferror(file.get()) == 0;
}

bool sameContent(const std::string& first, const std::string& second) {
    std::string a, b;
    return readSettingsFile(first, a) && readSettingsFile(second, b) && a == b;
}

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool isToolName(const std::string& name, const std::string& toolProgram) {
    const std::string shortForm = getShortPath(toolProgram);
    return sameText(name, fileNameOf(toolProgram)) ||
           (!shortForm.empty() && sameText(name, fileNameOf(shortForm)));
}

bool isLocalAbsolute(const std::string& path) {
    return path.size() >= 3 && isLetter(path[0]) && path[1] == ':' &&
           (path[2] == '\\' || path[2] == '/') && !isNetworkPath(path);
}

bool isPackagePlace(const std::string& program, const PackagePlaces& places) {
    if (!isLocalAbsolute(program)) return false;
    if (!fileExists(program)) return true;
    for (const FolderStanding& folder : places.folders)
        if (standsIn(program, folder)) return true;
    for (const std::string& file : places.files)
        if (liesInDir(program, file) && liesInDir(file, program)) return true;
    return false;
}

}  // namespace

bool uninstallEntryStartsToolCopy(const std::string& entryKey, const std::string& toolProgram) {
    const std::string program =
        startupProgram(regGetPath(entryKey, "UninstallString", HKEY_LOCAL_MACHINE));
    const std::vector<std::string> paths = pathsIn(program);
    if (toolProgram.empty() || isNetworkPath(program) || paths.empty() || paths.front() != program ||
        !isToolName(fileNameOf(program), toolProgram))
        return false;
    // A copy in a shared or system folder (a drive root, the Windows folder)
    // proves no more than the tool's own folder there would.
    if (folderStanding(folderOf(program)).isProtected) return false;
    for (const char* name : {toolIniName, setupIniName})
        if (!sameContent(concatPath(folderOf(program), name), concatPath(folderOf(toolProgram), name)))
            return false;
    return true;
}

bool judgeStartupValue(const char* action, const char* valueName, const PackagePlaces& places) {
    if (!regValueExists(startupKey, valueName, HKEY_LOCAL_MACHINE)) return false;
    const std::string command = regGetPath(startupKey, valueName, HKEY_LOCAL_MACHINE);
    if (command.empty()) return true;  // starts nothing
    const std::string program = startupProgram(command);
    if (isPackagePlace(program, places)) return true;
    runErrorLog.log("%s: start-up value %s starts %s, which is not the package's, not deleted",
                    action, valueName, program.c_str());
    return false;
}

std::vector<FolderStanding> toolFolder() {
    std::vector<FolderStanding> folders;
    const std::string program = getModulePath(nullptr);
    const std::string toolDir = program.substr(0, program.find_last_of('\\'));
    const FolderStanding tool = folderStanding(toolDir);
    if (!program.empty() && !tool.isProtected) folders.push_back(tool);
    return folders;
}
