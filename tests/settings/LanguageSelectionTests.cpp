// Language choice from the tool INI and the thread locale, with the real
// language libraries of the build in a scratch start directory.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/AppFramework.h"
#include "res/resource.h"
#include "settings/LanguageSelection.h"
#include "sysutil/XKmi.h"
#include "ScratchKit.h"

namespace {
const LCID englishUs = 0x0409;
const LCID germanGermany = 0x0407;
const LCID germanAustria = 0x0C07;
const LCID frenchFrance = 0x040C;

struct Case {
    const char* title;
    const char* ini;
    LCID locale;
    bool germanLibraryPresent;
    const char* expectedName;     // nullptr when the selection fails
    const char* expectedLibrary;  // or the failure message
};

const Case cases[] = {
    {"no language table: english on a German locale", "[SystemInfo]\r\nDebug=TRACE\r\n",
     germanGermany, true, "english", "kmtext_english.dll"},
    {"locale picks German",
     "[SystemInfo]\r\nSupportedLanguages=english,german\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,0,101\r\n",
     germanGermany, true, "german", "kmtext_german.dll"},
    {"unmatched locale takes the first entry",
     "[SystemInfo]\r\nSupportedLanguages=german,english\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,0,101\r\n",
     frenchFrance, true, "german", "kmtext_german.dll"},
    {"forced in another letter case",
     "[SystemInfo]\r\nSupportedLanguages=ENGLISH,GerMan\r\nForceLanguage=GERMAN\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,0,101\r\n",
     englishUs, true, "german", "kmtext_german.dll"},
    {"blank after the comma stays part of the name",
     "[SystemInfo]\r\nSupportedLanguages=english, german\r\nForceLanguage=german\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,0,101\r\n",
     englishUs, true, nullptr, "Invalid language"},
    {"two entries match the locale: the first listed wins",
     "[SystemInfo]\r\nSupportedLanguages=swiss,german\r\n"
     "[Languages]\r\nswiss=kmtext_english.dll,7,0,101\r\n"
     "german=kmtext_german.dll,0x0007,0,101\r\n",
     germanGermany, true, "swiss", "kmtext_english.dll"},
    {"non-zero sub-language matches only itself",
     "[SystemInfo]\r\nSupportedLanguages=english,german,austrian\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,1,101\r\n"
     "austrian=kmtext_german.dll,0x0007,0,102\r\n",
     germanAustria, true, "austrian", "kmtext_german.dll"},
    {"matching sub-language is taken before a later sub-language 0",
     "[SystemInfo]\r\nSupportedLanguages=english,german,austrian\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,1,101\r\n"
     "austrian=kmtext_german.dll,0x0007,0,102\r\n",
     germanGermany, true, "german", "kmtext_german.dll"},
    {"entry with an empty item", 
     "[SystemInfo]\r\nSupportedLanguages=english,german\r\n"
     "[Languages]\r\ngerman=kmtext_german.dll,0x0007,,101\r\n",
     germanGermany, true, nullptr, "Language has invalid format"},
    {"entry with five items",
     "[SystemInfo]\r\nSupportedLanguages=german\r\n"
     "[Languages]\r\ngerman=kmtext_german.dll,0x0007,0,101,1\r\n",
     germanGermany, true, nullptr, "Language has invalid format"},
    {"forced language that no entry names",
     "[SystemInfo]\r\nSupportedLanguages=english\r\nForceLanguage=german\r\n",
     germanGermany, true, nullptr, "Invalid language"},
    {"missing library of the forced language, no fall-back",
     "[SystemInfo]\r\nSupportedLanguages=english,german\r\nForceLanguage=German\r\n"
     "[Languages]\r\nenglish=kmtext_english.dll,0x0009,0,101\r\n"
     "german=kmtext_german.dll,0x0007,0,101\r\n",
     englishUs, false, nullptr, "Can't find language DLL"},
    {"SupportedLanguages of commas only", "[SystemInfo]\r\nSupportedLanguages=,,,\r\n",
     englishUs, true, nullptr, "Invalid language"},
    {"commas only with a forced language",
     "[SystemInfo]\r\nSupportedLanguages=, ,\r\nForceLanguage=english\r\n", englishUs, true,
     nullptr, "Invalid language"},
};

std::string packageFile(const char* name) { return std::string(VTX_PACKAGE_DIR "/") + name; }

class LanguageSelectionCase : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        ASSERT_TRUE(initAppFramework());
        program = getResourceSource();
        ASSERT_TRUE(scratch.copyIn(packageFile("kmtext_english.dll"), "kmtext_english.dll"));
        if (GetParam().germanLibraryPresent) {
            ASSERT_TRUE(scratch.copyIn(packageFile("kmtext_german.dll"), "kmtext_german.dll"));
        }
        scratch.write("VTX.INI", GetParam().ini);
        savedLocale = GetThreadLocale();
        ASSERT_TRUE(SetThreadLocale(GetParam().locale));
    }
    void TearDown() override {
        SetThreadLocale(savedLocale);
        setResourceSource(program);
    }

    ScratchCwd scratch;
    HMODULE program = nullptr;
    LCID savedLocale = 0;
};

TEST_P(LanguageSelectionCase, ChoosesOrFails) {
    const Case& c = GetParam();
    LanguageSelection selection;
    std::string failure;
    try {
        selection.selectLanguage();
    } catch (const XKmi& error) {
        failure = error.getMessage();
    }
    if (c.expectedName == nullptr) {
        EXPECT_EQ(c.expectedLibrary, failure);
        EXPECT_EQ(nullptr, selection.getLibrary());
        EXPECT_EQ(program, getResourceSource()) << "resource source must stay the program";
        return;
    }
    ASSERT_EQ("", failure);
    EXPECT_EQ(c.expectedName, selection.getSelectedName());
    EXPECT_EQ(c.expectedLibrary, selection.getSelectedLibrary());
    EXPECT_EQ(".\\", selection.getLibraryDir());
    ASSERT_NE(nullptr, selection.getLibrary());
    EXPECT_EQ(selection.getLibrary(), getResourceSource());
    EXPECT_EQ("", loadResString(IDS_CAPTION)) << "the program's own strings are out of reach";
    EXPECT_NE("", loadResString(IDS_HEADING));
}

INSTANTIATE_TEST_SUITE_P(Table, LanguageSelectionCase, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return "case" + std::to_string(info.index);
                         });

class LanguageSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(initAppFramework());
        program = getResourceSource();
        scratch.copyIn(packageFile("kmtext_english.dll"), "kmtext_english.dll");
        scratch.copyIn(packageFile("kmtext_german.dll"), "kmtext_german.dll");
    }
    void TearDown() override { setResourceSource(program); }

    ScratchCwd scratch;
    HMODULE program = nullptr;
};

TEST_F(LanguageSelectionTest, DefaultEntryFieldsAndNumbers) {
    scratch.write("VTX.INI", "[SystemInfo]\r\nSupportedLanguages=English,Dutch\r\n"
                             "[Languages]\r\ndutch=kmtext_german.dll,0x13,2,0x1F\r\n");
    LanguageSelection selection;
    selection.selectLanguage();
    const std::vector<LanguageEntry>& entries = selection.getEntries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("english", entries[0].languageName);
    EXPECT_EQ("kmtext_english.dll", entries[0].libraryFile);
    EXPECT_EQ(9, entries[0].langId);
    EXPECT_EQ(0, entries[0].subLangId);
    EXPECT_EQ(101, entries[0].trailingNumber);
    EXPECT_EQ("dutch", entries[1].languageName);
    EXPECT_EQ(0x13, entries[1].langId);
    EXPECT_EQ(2, entries[1].subLangId);
    EXPECT_EQ(0x1F, entries[1].trailingNumber);
}

TEST_F(LanguageSelectionTest, FailedEntryKeepsEarlierEntries) {
    scratch.write("VTX.INI", "[SystemInfo]\r\nSupportedLanguages=english,german,french\r\n"
                             "[Languages]\r\ngerman=kmtext_german.dll\r\n");
    LanguageSelection selection;
    EXPECT_THROW(selection.selectLanguage(), XKmi);
    ASSERT_EQ(1u, selection.getEntries().size());
    EXPECT_EQ("english", selection.getEntries()[0].languageName);
}

TEST_F(LanguageSelectionTest, ForcedLanguageIsReadAsWritten) {
    LanguageSelection selection;
    std::string name = "stale";
    EXPECT_FALSE(selection.readForcedLanguage(name));
    EXPECT_EQ("", name);
    scratch.write("VTX.INI", "[SystemInfo]\r\nForceLanguage= GerMan \r\n");
    EXPECT_TRUE(selection.readForcedLanguage(name));
    EXPECT_EQ("GerMan", name);
}

TEST_F(LanguageSelectionTest, GermanTextsKeepTheirUmlauts) {
    scratch.write("VTX.INI", "[SystemInfo]\r\nForceLanguage=german\r\nSupportedLanguages=german\r\n"
                             "[Languages]\r\ngerman=kmtext_german.dll,0x0007,0,101\r\n");
    LanguageSelection selection;
    selection.selectLanguage();
    // Windows-1252: 0xF6 is o with umlaut.
    EXPECT_EQ("M\xF6"
              "chten Sie fortfahren?",
              loadResString(IDS_CONFIRM_SECOND));
}

TEST_F(LanguageSelectionTest, DestructionUnloadsTheLibrary) {
    scratch.write("VTX.INI", "[SystemInfo]\r\n");
    {
        LanguageSelection selection;
        selection.selectLanguage();
        EXPECT_NE(nullptr, GetModuleHandleA("kmtext_english.dll"));
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("kmtext_english.dll"));
}
}  // namespace
