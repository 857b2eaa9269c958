// Finding a section and adding an entry to an INI file without losing lines.
#include <gtest/gtest.h>
#include "ScratchKit.h"
#include "sysutil/IniEntry.h"
#include "sysutil/Paths.h"

namespace {

TokenList linesOf(std::initializer_list<const char*> lines) {
    TokenList list;
    for (const char* line : lines) list.add(line);
    return list;
}

struct SectionCase {
    TokenList lines;
    bool found;
    size_t lastLine;
};

TEST(FindIniSection, FindsHeaderInAnyCaseAndTheSectionsLastLine) {
    const SectionCase cases[] = {
        {linesOf({"[a]\n", "x=1\n"}), false, 0},
        {linesOf({"[a]\n", "[RENAME]  \t\r\n", "NUL=x\n", "\n", "[b]\n"}), true, 3},
        {linesOf({"[rename]\n", "[b]\n"}), true, 0},
        {linesOf({"x\n", "[Rename]"}), true, 1},
        {linesOf({"[a]\n", " [rename]\n", "y\n"}), false, 0},  // indented: no header
        {linesOf({"[rename]\n", "; note\n", " [x]\n", "NUL=y"}), true, 3},
    };
    for (const SectionCase& c : cases) {
        size_t last = 99;
        EXPECT_EQ(c.found, findIniSection("rename", c.lines, last)) << c.lines[0];
        if (c.found) {
            EXPECT_EQ(c.lastLine, last) << c.lines[0];
        }
    }
}

class AddIniEntry : public ::testing::Test {
protected:
    void SetUp() override { ini = scratchDir("ini") + "\\wininit.ini"; }
    void add(const std::string& value) { addIniEntry(ini, "rename", "NUL", value); }
    std::string ini;
};

TEST_F(AddIniEntry, CreatesAMissingFileWithHeaderAndEntry) {
    add("C:\\A.DLL");
    add("C:\\A.DLL");
    EXPECT_EQ("[rename]\r\nNUL=C:\\A.DLL\r\nNUL=C:\\A.DLL\r\n", readFile(ini));
}

TEST_F(AddIniEntry, PlacesEntryAtTheEndOfASectionInAnotherCase) {
    writeFile(ini, "[a]\r\nk=v\r\n[Rename]\r\nNUL=C:\\OLD\r\n\r\n[b]\r\nz=1\r\n");
    add("C:\\NEW");
    EXPECT_EQ("[a]\r\nk=v\r\n[Rename]\r\nNUL=C:\\OLD\r\n\r\nNUL=C:\\NEW\r\n[b]\r\nz=1\r\n",
              readFile(ini));
}

TEST_F(AddIniEntry, GivesALastLineWithoutLineFeedOneBeforeAddingAfterIt) {
    writeFile(ini, "[rename]\r\nNUL=C:\\OLD");
    add("C:\\NEW");
    EXPECT_EQ("[rename]\r\nNUL=C:\\OLD\r\nNUL=C:\\NEW\r\n", readFile(ini));
    writeFile(ini, "[a]\r\nk=v");
    add("C:\\NEW");
    EXPECT_EQ("[a]\r\nk=v\r\n[rename]\r\nNUL=C:\\NEW\r\n", readFile(ini));
}

TEST_F(AddIniEntry, KeepsALongLineWholeAndPutsNothingInsideIt) {
    // Read in 511-byte pieces, the second piece would look like a header.
    const std::string longLine = "NUL=C:\\" + std::string(504, 'x') + "[b]" + std::string(190, 'y');
    writeFile(ini, "[rename]\r\n" + longLine + "\r\n[b]\r\n");
    add("C:\\NEW");
    EXPECT_EQ("[rename]\r\n" + longLine + "\r\nNUL=C:\\NEW\r\n[b]\r\n", readFile(ini));
}

TEST_F(AddIniEntry, LeavesAFileItCannotReadOrReplaceUntouched) {
    const std::string before = "[rename]\r\nNUL=C:\\OLD\r\n";
    writeFile(ini, before);
    {
        HeldFile unreadable(ini, FILE_SHARE_DELETE);
        add("C:\\NEW");
    }
    EXPECT_EQ(before, readFile(ini));
    {
        HeldFile undeletable(ini, FILE_SHARE_READ);
        add("C:\\NEW");
    }
    EXPECT_EQ(before, readFile(ini));
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(concatPath(getTempDir(), "kmi*.tmp").c_str(), &entry);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << "temporary file left: " << entry.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(AddIniEntry, LeavesAFileWithDataBeyondTextUntouched) {
    using namespace std::string_literals;
    for (const std::string& before :
         {"[rename]\r\nNUL=C:\\OLD\r\n\x1a[b]\r\n"s, "[rename]\r\nNUL=C:\\O\0LD\r\n"s}) {
        writeFile(ini, before);
        add("C:\\NEW");
        EXPECT_EQ(before, readFile(ini));
    }
    EXPECT_NE(std::string::npos, logText().find("addIniEntry: " + ini + " is not a text file"));
    // A Ctrl-Z that only ends the file is dropped with nothing after it.
    writeFile(ini, "[rename]\r\nNUL=C:\\OLD\r\n\x1a");
    add("C:\\NEW");
    EXPECT_EQ("[rename]\r\nNUL=C:\\OLD\r\nNUL=C:\\NEW\r\n", readFile(ini));
}

TEST_F(AddIniEntry, KeepsEntriesWrittenThroughTheProfileApi) {
    WritePrivateProfileStringA("other", "before", "1", ini.c_str());
    add("C:\\NEW");
    WritePrivateProfileStringA("other", "after", "2", ini.c_str());
    const std::string text = readFile(ini);
    EXPECT_NE(std::string::npos, text.find("before=1")) << text;
    EXPECT_NE(std::string::npos, text.find("after=2")) << text;
    EXPECT_NE(std::string::npos, text.find("NUL=C:\\NEW")) << text;
}

}  // namespace
