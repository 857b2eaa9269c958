// How the platform reads a file name, and the file lists of its setup.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "sysutil/NameRules.h"
#include "sysutil/PlatformFiles.h"

namespace {

TEST(NameRules, KnowTheDevicesInEveryWrittenForm) {
    for (const char* name : {"CON", "prn", "Aux.txt", "NUL .lnk", "nul.", "COM1", "com9.bin", "LPT1",
                             "lpt9.x.y", "CLOCK$", "conin$", "CONOUT$.dll", "nul . "})
        EXPECT_TRUE(isDeviceName(name)) << name;
    for (const char* name : {"COM0", "COM10", "LPT", "CONSOLE", "NULL.txt", "xcon", "con1", " nul",
                             "CLOCK", "a.con", ""})
        EXPECT_FALSE(isDeviceName(name)) << name;
}

TEST(NameRules, TellShortNamesFromLongOnes) {
    for (const char* name : {"KERNEL32.DLL", "a", "ABCDEFGH.TXT", "x.y", "PM100Usb.ini", "%x%d.ini",
                             "{5E1D~1"})
        EXPECT_TRUE(isShortName(name)) << name;
    for (const char* name : {"kernel32.dll.old", "ABCDEFGHI.TXT", "A.TEXT", "Kmi Line.dll", ".TXT",
                             "A.", "a+b.txt", "a[1].txt", "", "a;b"})
        EXPECT_FALSE(isShortName(name)) << name;
    EXPECT_EQ("SYSTEM.INI", withoutTrailingDotsAndBlanks("SYSTEM.INI . "));
    EXPECT_EQ(" a", withoutTrailingDotsAndBlanks(" a"));
    EXPECT_EQ("", withoutTrailingDotsAndBlanks(". ."));
}

// The profile functions of Windows 95 and 98 give at most 32 KB of a
// section; the list is longer, so the whole text is read.
TEST(LayoutFileNames, ReadsEveryFileSectionWhole) {
    std::string text =
        "; header\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\nnotafile.dll=1\r\n"
        "[SourceDisksNames]\r\n1=\"Disk\",disk1\r\n"
        "[SourceDisksFiles]\r\nKERNEL32.DLL=1,,12345\r\n\"Quoted Name.dll\" = 2\r\n"
        "; a comment=1\r\n\r\n   unicode.nls   =1 ; trailing comment\r\n";
    for (int i = 0; i < 2000; ++i) text += "filler" + std::to_string(i) + ".sys=1,,100,,,,,2\r\n";
    text += "LAST.TLB=1\n  [sourcedisksfiles.X86]  \r\ncp_1252.nls=1\r\n"
            "[SourceDisksFilesExtra]\r\nnot-listed.dll=1\r\n[Strings]\r\nkey=value\r\n";
    const std::vector<std::string> names = layoutFileNames(text);
    const std::vector<std::string> expected = {"kernel32.dll", "quoted name.dll", "unicode.nls"};
    ASSERT_EQ(2005u, names.size());
    EXPECT_EQ(expected, std::vector<std::string>(names.begin(), names.begin() + 3));
    EXPECT_EQ("last.tlb", names[2003]);
    EXPECT_EQ("cp_1252.nls", names[2004]);
    EXPECT_EQ("filler1999.sys", names[2002]);
}

}  // namespace
