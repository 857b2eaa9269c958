// Language table of the tool INI, choice of an entry and loading of its
// resource library.
#include "settings/LanguageSelection.h"
#include "res/FileNames.h"
#include "res/ResourceSource.h"
#include "settings/ToolIni.h"
#include "sysutil/Numbers.h"
#include "sysutil/TextCase.h"
#include "sysutil/TokenList.h"
#include "sysutil/Tokens.h"
#include "sysutil/XKmi.h"

namespace {
const char* const defaultLanguages = "ENGLISH";
const char* const defaultEntry = "kmtext_english.dll,0x0009,0,101";

// "file,langId,subLangId,number"; the numbers may be "0x" hexadecimal.
LanguageEntry parseEntry(const std::string& name, const std::string& value) {
    TokenList items;
    getStrTokens(items, value, ",");
    if (items.count() != 4) throw XKmi("Language has invalid format");
    LanguageEntry entry;
    entry.languageName = name;
    entry.libraryFile = items[0];
    entry.langId = static_cast<uint16_t>(strToInt(items[1]));
    entry.subLangId = static_cast<uint16_t>(strToInt(items[2]));
    entry.trailingNumber = strToInt(items[3]);
    return entry;
}
}  // namespace

LanguageSelection::LanguageSelection() {}

LanguageSelection::~LanguageSelection() {}

void LanguageSelection::selectLanguage() {
    readEntries();
    const LanguageEntry& entry = chooseEntry();
    libraryDir = startFolder;
    selectedLibrary = entry.libraryFile;
    selectedName = entry.languageName;
    loadLibrary(entry);
    setResourceSource(library.get());
}

void LanguageSelection::readEntries() {
    std::string names = getToolIniString("SupportedLanguages", systemInfoSection, "");
    if (names.empty()) names = defaultLanguages;
    TokenList list;
    getStrTokens(list, names, ",");
    for (size_t i = 0; i < list.count(); ++i) {
        std::string name = lowerCase(list[i]);
        std::string value = getToolIniString(name.c_str(), "Languages", "");
        if (value.empty()) value = defaultEntry;
        entries.push_back(parseEntry(name, value));
    }
}

const LanguageEntry& LanguageSelection::chooseEntry() const {
    // A list made only of separators names no language at all.
    if (entries.empty()) throw XKmi("Invalid language");
    std::string forced;
    if (!readForcedLanguage(forced)) return findByLocale();
    forced = lowerCase(forced);
    for (const LanguageEntry& entry : entries) {
        if (entry.languageName == forced) return entry;
    }
    throw XKmi("Invalid language");
}

bool LanguageSelection::readForcedLanguage(std::string& name) const {
    name = getToolIniString("ForceLanguage", systemInfoSection, "");
    return !name.empty();
}

const LanguageEntry& LanguageSelection::findByLocale() const {
    LCID locale = GetThreadLocale();
    unsigned primary = locale & 0x3FF;
    unsigned sub = (locale & 0xFFFF) >> 10;
    for (const LanguageEntry& entry : entries) {
        if (entry.langId == primary && (entry.subLangId == 0 || entry.subLangId == sub)) {
            return entry;
        }
    }
    return entries.front();
}

// Relative to the start directory: the library must lie beside the INI files.
void LanguageSelection::loadLibrary(const LanguageEntry& entry) {
    std::string path = libraryDir + entry.libraryFile;
    library.reset(LoadLibraryA(path.c_str()));
    if (!library) throw XKmi("Can't find language DLL");
}
