// Version answers under each Windows persona of Wine; VTX_EXPECT_WINVER names
// the persona of the prefix the program runs in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "sysutil/WinVersion.h"

namespace {

struct Persona {
    const char* name;
    bool nt;
    DWORD major, minor;
    bool is95, is98, isMe, is2000;
};

const Persona kPersonas[] = {
    {"win95", false, 4, 0, true, false, false, false},
    {"win98", false, 4, 10, false, true, false, false},
    {"winme", false, 4, 90, false, false, true, false},
    {"nt40", true, 4, 0, true, false, false, false},  // NT 4.0 passes as Windows 95
    {"win2k", true, 5, 0, false, false, false, true},
    {"winxp", true, 5, 1, false, false, false, false},
};

TEST(WinVersion, AnswersForThePersona) {
    const char* wanted = std::getenv("VTX_EXPECT_WINVER");
    ASSERT_NE(nullptr, wanted) << "VTX_EXPECT_WINVER names the prefix's persona";
    for (const Persona& p : kPersonas) {
        if (std::strcmp(p.name, wanted) != 0) continue;
        EXPECT_EQ(p.nt, isWinNT());
        EXPECT_EQ(p.major, getWinMajorVersion());
        EXPECT_EQ(p.minor, getWinMinorVersion());
        EXPECT_EQ(p.is95, isWin95());
        EXPECT_EQ(p.is98, isWin98());
        EXPECT_EQ(p.isMe, isWinMe());
        EXPECT_EQ(p.is2000, isWin2000());
        return;
    }
    FAIL() << "unknown persona " << wanted;
}

}  // namespace
