// Which logger kinds write, by the tool INI found in the current directory
// when the logger is made.
#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "log/Logger.h"

namespace {

const char kNoIni[] = "<absent>";

struct LevelCase {
    const char* toolIni;
    bool errorWrites;
    bool traceWrites;
};

const LevelCase kLevelCases[] = {
    {kNoIni, true, true},
    {"[SystemInfo]\nDebug=TRACE\n", true, true},
    {"[SystemInfo]\nDebug=trace\n", true, true},
    {"[SystemInfo]\nDebug=tRaCe\n", true, true},
    {"[SystemInfo]\nDebug=ERROR\n", true, false},
    {"[SystemInfo]\nDebug=error\n", true, false},
    {"[SystemInfo]\nDebug=   error   \n", true, false},
    {"[SystemInfo]\nDebug=  Trace  \n", true, true},
    {"[SystemInfo]\nDebug=verbose\n", false, false},
    {"[SystemInfo]\nDebug=\n", false, false},
    {"[SystemInfo]\nDeviceId=x\n", false, false},
    {"[Other]\nDebug=TRACE\n", false, false},
};

class LogLevel : public testing::TestWithParam<LevelCase> {};

TEST_P(LogLevel, DecidesWhichKindsWrite) {
    const LevelCase& c = GetParam();
    ScratchCwd cwd;
    if (std::string(c.toolIni) != kNoIni) cwd.write("VTX.INI", c.toolIni);
    removeLog();

    ErrorLogger errors("LevelError");
    TraceLogger trace("LevelTrace");
    errors.log("error line %d", 1);
    trace.logText("trace line");

    std::string text = logText();
    EXPECT_EQ(c.errorWrites, text.find("LevelError->error line 1\r\n") != std::string::npos) << text;
    EXPECT_EQ(c.traceWrites, text.find("LevelTrace->trace line\r\n") != std::string::npos) << text;
    // Nothing enabled: the file is not even created.
    EXPECT_EQ(c.errorWrites || c.traceWrites, logExists());
}

INSTANTIATE_TEST_SUITE_P(ToolIni, LogLevel, testing::ValuesIn(kLevelCases));

}  // namespace
