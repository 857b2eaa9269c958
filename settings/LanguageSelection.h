// Choice of the language resource library: the languages the tool INI
// lists, one chosen (forced by the INI, matched against the thread locale,
// or the first), its library loaded from the start directory and made the
// source of every later string load.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "sysutil/Handles.h"

struct LanguageEntry {
    std::string languageName;  // lower-cased name from SupportedLanguages
    std::string libraryFile;
    uint16_t langId;
    uint16_t subLangId;  // 0 matches every sub-language
    int32_t trailingNumber;
};

class LanguageSelection {
public:
    LanguageSelection();
    // Unloads the chosen library. The resource source is not reinstated, so
    // no string may be loaded afterwards.
    ~LanguageSelection();
    LanguageSelection(const LanguageSelection&) = delete;
    LanguageSelection& operator=(const LanguageSelection&) = delete;

    // Builds the entries, chooses one, loads its library and makes it the
    // resource source. Throws XKmi ("Language has invalid format", "Invalid
    // language", "Can't find language DLL"); the resource source is then
    // unchanged.
    void selectLanguage();
    // The ForceLanguage value, and whether it is set.
    bool readForcedLanguage(std::string& name) const;
    // The first entry matching the thread locale, else the first entry.
    // Needs a non-empty list.
    const LanguageEntry& findByLocale() const;

    const std::vector<LanguageEntry>& getEntries() const { return entries; }
    HMODULE getLibrary() const { return library.get(); }
    const std::string& getLibraryDir() const { return libraryDir; }
    const std::string& getSelectedName() const { return selectedName; }
    const std::string& getSelectedLibrary() const { return selectedLibrary; }

private:
    void readEntries();
    const LanguageEntry& chooseEntry() const;
    void loadLibrary(const LanguageEntry& entry);

    Library library;
    std::vector<LanguageEntry> entries;
    std::string libraryDir;
    std::string selectedName;
    std::string selectedLibrary;
};
