// The log under load: eight processes appending at once, and a writer that
// finds the log lock held by a hung process. Started with a mode switch the
// program is one of those other processes instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "ScratchKit.h"
#include "log/Logger.h"
#include "sysutil/Handles.h"

namespace {

const int kWriters = 8;
const int kEntriesPerLogger = 500;
const int kEntriesPerWriter = 2 * kEntriesPerLogger;  // alternating between its two loggers
const char kStartEvent[] = "VTX_LOAD_TEST_START";
const char kHeldEvent[] = "VTX_LOAD_TEST_LOCK_HELD";
const char kWriterSwitch[] = "--writer";
const char kHolderSwitch[] = "--hold-lock";

int runWriter(int id) {
    KernelHandle start(OpenEventA(SYNCHRONIZE, FALSE, kStartEvent));
    if (start) WaitForSingleObject(start.get(), 30000);
    std::string errorName = "W" + std::to_string(id) + "e";
    std::string traceName = "W" + std::to_string(id) + "t";
    ErrorLogger errors(errorName.c_str());
    TraceLogger trace(traceName.c_str());
    // A long, recognisable body makes a torn or interleaved line visible.
    const std::string body(200, static_cast<char>('a' + id));
    for (int i = 0; i < kEntriesPerWriter; ++i) {
        Logger& logger = (i % 2 == 0) ? static_cast<Logger&>(errors) : trace;
        logger.log("entry %d %s end", i, body.c_str());
    }
    return 0;
}

int runLockHolder(int milliseconds) {
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, "VTX_LOGFILE_MUTEX"));
    WaitForSingleObject(mutex.get(), INFINITE);
    KernelHandle held(OpenEventA(EVENT_MODIFY_STATE, FALSE, kHeldEvent));
    if (held) SetEvent(held.get());
    Sleep(milliseconds);
    ReleaseMutex(mutex.get());
    return 0;
}

KernelHandle startSelf(const std::string& arguments) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string command = "\"" + std::string(exe) + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child))
        return KernelHandle();
    KernelHandle thread(child.hThread);
    return KernelHandle(child.hProcess);
}

// Checks one line "W<id><e|t>->entry <n> <body> end" and returns the writer id.
int writerOfLine(const std::string& line, int& entry) {
    int id = -1;
    char kind = 0;
    int consumed = 0;
    if (sscanf(line.c_str(), "W%d%c->entry %d %n", &id, &kind, &entry, &consumed) != 3) return -1;
    if (id < 0 || id >= kWriters || (kind != 'e' && kind != 't')) return -1;
    if ((entry % 2 == 0) != (kind == 'e')) return -1;
    std::string expected = std::string(200, static_cast<char>('a' + id)) + " end";
    if (line.compare(static_cast<size_t>(consumed), std::string::npos, expected) != 0) return -1;
    return id;
}

TEST(LogUnderLoad, EightProcessesAppendEveryEntryWhole) {
    DeleteFileA(logPath().c_str());
    KernelHandle start(CreateEventA(nullptr, TRUE, FALSE, kStartEvent));
    std::vector<KernelHandle> writers;
    for (int id = 0; id < kWriters; ++id) {
        writers.push_back(startSelf(std::string(kWriterSwitch) + " " + std::to_string(id)));
        ASSERT_TRUE(writers.back().valid()) << "writer " << id << " did not start";
    }
    DWORD began = GetTickCount();
    SetEvent(start.get());
    for (auto& writer : writers) ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(writer.get(), 120000));
    DWORD elapsed = GetTickCount() - began;

    std::vector<std::string> lines = logLines();
    std::vector<int> next(kWriters, 0);
    for (const std::string& line : lines) {
        int entry = -1;
        int id = writerOfLine(line, entry);
        ASSERT_GE(id, 0) << "torn or foreign line: " << line.substr(0, 80);
        ASSERT_EQ(next[id], entry) << "writer " << id << " lost or reordered an entry";
        ++next[id];
    }
    EXPECT_EQ(static_cast<size_t>(kWriters * kEntriesPerWriter), lines.size());
    printf("[ figure ] %d entries from %d processes in %lu ms\n", kWriters * kEntriesPerWriter,
           kWriters, static_cast<unsigned long>(elapsed));
}

TEST(LogUnderLoad, HungLockHolderDelaysAnEntryByTheWaitOnly) {
    DeleteFileA(logPath().c_str());
    KernelHandle held(CreateEventA(nullptr, TRUE, FALSE, kHeldEvent));
    KernelHandle holder = startSelf(std::string(kHolderSwitch) + " 7000");
    ASSERT_TRUE(holder.valid());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.get(), 30000));

    ErrorLogger writer("Late");
    DWORD began = GetTickCount();
    writer.log("written after the wait");
    DWORD waited = GetTickCount() - began;
    WaitForSingleObject(holder.get(), 30000);

    // The writer gives up the wait after 5 s, well before the holder lets go.
    EXPECT_GE(waited, 4500u);
    EXPECT_LT(waited, 6900u);
    std::vector<std::string> lines = logLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("Late->written after the wait", lines[0]);
    printf("[ figure ] entry delayed %lu ms by a lock held 7000 ms\n", static_cast<unsigned long>(waited));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kWriterSwitch) == 0) return runWriter(atoi(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], kHolderSwitch) == 0) return runLockHolder(atoi(argv[2]));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
