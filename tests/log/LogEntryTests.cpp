// The shape of log entries, appending, and appends from two processes.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "LogTestSupport.h"
#include "log/Logger.h"
#include "sysutil/Handles.h"

namespace {

class LogEntry : public testing::Test {
protected:
    void SetUp() override { removeLog(); }
    ScratchCwd cwd;  // no tool INI: every logger writes
};

TEST_F(LogEntry, IsNameArrowMessageAndLineFeed) {
    ErrorLogger logger("RegistryIO:");
    logger.log("value %s=%d", "vci", 35);
    logger.logText("Can't get registry value:\nkey=Software\\X\nvalue=vpi");
    EXPECT_EQ("RegistryIO:->value vci=35\r\n"
              "RegistryIO:->Can't get registry value:\r\nkey=Software\\X\r\nvalue=vpi\r\n",
              logText());
}

TEST_F(LogEntry, AppendsAfterTheLastByteOfAnExistingFile) {
    FILE* file = fopen(logPath().c_str(), "wb");
    fputs("earlier\r\nno line end", file);
    fclose(file);
    TraceLogger("Vantix").logText("next");
    EXPECT_EQ("earlier\r\nno line endVantix->next\r\n", logText());
}

TEST_F(LogEntry, FinishedTextIsWrittenLiterally) {
    ErrorLogger logger("Lit");
    logger.logText("C:\\100%s%n\\key %d");
    logger.log("%s", "50%n%s");
    EXPECT_EQ("Lit->C:\\100%s%n\\key %d\r\nLit->50%n%s\r\n", logText());
}

TEST_F(LogEntry, LongMessagesAreCutTo511Characters) {
    ErrorLogger logger("Cut");
    std::string value(600, 'v');
    logger.log("DeviceId=%s", value.c_str());
    logger.logText(value);
    std::string cut = "DeviceId=" + value.substr(0, 511 - 9);
    EXPECT_EQ("Cut->" + cut + "\r\nCut->" + value.substr(0, 511) + "\r\n", logText());
}

TEST_F(LogEntry, KeepsTheCallersLastError) {
    ErrorLogger logger("Err");
    SetLastError(0xDEADBEEF);
    logger.log("%s", "line");
    EXPECT_EQ(0xDEADBEEFu, GetLastError());
    DeleteFileA("C:\\no\\such\\file");
    DWORD failure = GetLastError();
    logger.logText("after a failure");
    EXPECT_EQ(failure, GetLastError());
}

// Both processes write this many entries of this length at the same time.
const int kWriterLines = 300;
const size_t kPayload = 300;
const char kReadyEvent[] = "VTX_LOG_TEST_CHILD_READY";

void writeLines(const char* writer) {
    ErrorLogger logger(writer);
    std::string payload(kPayload, writer[0]);
    for (int i = 0; i < kWriterLines; ++i) logger.log("%04d %s", i, payload.c_str());
}

TEST_F(LogEntry, TwoProcessesAppendWithoutTornLines) {
    KernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, kReadyEvent));
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = "\"" + std::string(exe) + "\" " + kAppendChildSwitch;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child));
    KernelHandle process(child.hProcess), thread(child.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 30000));
    writeLines("Parent");
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 60000));

    std::istringstream lines(logText());
    int parentLines = 0, childLines = 0;
    for (std::string line; std::getline(lines, line);) {
        bool parent = line.rfind("Parent->", 0) == 0;
        ASSERT_TRUE(parent || line.rfind("Child->", 0) == 0) << line;
        std::string payload(kPayload, parent ? 'P' : 'C');
        ASSERT_EQ(payload + "\r", line.substr(line.find("->") + 2 + 5)) << line;
        ++(parent ? parentLines : childLines);
    }
    EXPECT_EQ(kWriterLines, parentLines);
    EXPECT_EQ(kWriterLines, childLines);
}

}  // namespace

const char kAppendChildSwitch[] = "--append-child";

int runAppendChild() {
    KernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, kReadyEvent));
    if (!ready) return 2;
    SetEvent(ready.get());
    writeLines("Child");
    return 0;
}
