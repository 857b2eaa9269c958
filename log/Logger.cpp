// The logger: level read at construction, one locked open/append/close of
// "VTX.LOG" in the Windows directory per entry.
#include "log/Logger.h"

#include <cstdarg>
#include <cstdio>

#include "sysutil/Handles.h"
#include "sysutil/KmvdUtil.h"

namespace {

const char kMutexName[] = "VTX_LOGFILE_MUTEX";
const char kToolIni[] = ".\\VTX.INI";
const DWORD kLockWaitMs = 5000;
const unsigned kLevelBuffer = MAX_PATH;
const size_t kMessageMax = 511;  // the 512-byte message buffer, NUL excluded

// Holds the named log lock for one append. The wait's outcome is ignored on
// purpose: after a time-out (or with no mutex at all) the entry is written
// anyway, and the release then fails harmlessly.
class LogLock {
public:
    explicit LogLock(HANDLE m) : mutex(m) { WaitForSingleObject(mutex, kLockWaitMs); }
    ~LogLock() { ReleaseMutex(mutex); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;

private:
    HANDLE mutex;
};

// Keeps the caller's last-error value across a log call.
class LastErrorKeeper {
public:
    LastErrorKeeper() : saved(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(saved); }

private:
    DWORD saved;
};

std::string logFilePath() { return getWindowsDir() + "\\VTX.LOG"; }

}  // namespace

Logger::Logger(const char* loggerName)
    : enabled(false), mutex(CreateMutexA(nullptr, FALSE, kMutexName)), name(loggerName) {}

Logger::~Logger() {
    if (mutex != nullptr) CloseHandle(mutex);
}

void Logger::log(const char* format, ...) {
    if (!enabled) return;
    LastErrorKeeper keeper;
    char message[kMessageMax + 1];
    va_list args;
    va_start(args, format);
    int written = vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (written < 0) message[0] = '\0';
    message[kMessageMax] = '\0';
    appendLine(name + "->" + message);
}

void Logger::logText(const std::string& text) {
    if (!enabled) return;
    LastErrorKeeper keeper;
    appendLine(name + "->" + text.substr(0, kMessageMax));
}

// The absent tool INI means full logging; otherwise the "Debug" word,
// upper-cased. The explicit ".\" keeps the profile API in the current
// directory instead of the Windows directory.
std::string Logger::readLogLevel() {
    if (!fileExists(kToolIni)) return "TRACE";
    return upperCase(readIniString(kToolIni, "SystemInfo", "Debug", "", kLevelBuffer));
}

void Logger::appendLine(const std::string& entry) {
    std::string path = logFilePath();
    LogLock lock(mutex);
    StdFile file(fopen(path.c_str(), "a+"));
    if (!file) return;
    fputs(entry.c_str(), file.get());
    fputc('\n', file.get());
}

ErrorLogger::ErrorLogger(const char* loggerName) : Logger(loggerName) {
    std::string level = readLogLevel();
    enabled = level == "ERROR" || level == "TRACE";
}

TraceLogger::TraceLogger(const char* loggerName) : Logger(loggerName) {
    enabled = readLogLevel() == "TRACE";
}
