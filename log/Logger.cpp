// The logger: level read at construction, one locked open/append/close of
// "VTX.LOG" in the Windows directory per entry. The loggers are built during
// static initialisation, before anything else of the program may be used,
// so this unit makes its own few platform calls.
#include "log/Logger.h"

#include <cstdarg>
#include <cstdio>

#include "res/FileNames.h"

namespace {

const char logMutexName[] = "VTX_LOGFILE_MUTEX";
const DWORD lockWaitMs = 5000;
const unsigned levelBuffer = MAX_PATH;
const size_t messageMax = 511;  // the 512-byte message buffer, NUL excluded

// Holds the named log lock for one append. The wait's outcome is ignored on
// purpose: after a time-out (or with no mutex at all) the entry is written
// anyway, and the release then fails harmlessly.
class LogLock {
public:
    explicit LogLock(HANDLE m) : mutex(m) { WaitForSingleObject(mutex, lockWaitMs); }
    ~LogLock() { ReleaseMutex(mutex); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;

private:
    HANDLE mutex;
};

// The log file, open for one append and closed on every path.
class AppendedFile {
public:
    explicit AppendedFile(const std::string& path) : file(fopen(path.c_str(), "a+")) {}
    ~AppendedFile() {
        if (file != nullptr) fclose(file);
    }
    AppendedFile(const AppendedFile&) = delete;
    AppendedFile& operator=(const AppendedFile&) = delete;
    FILE* get() const { return file; }

private:
    FILE* file;
};

// Keeps the caller's last-error value across a log call.
class LastErrorKeeper {
public:
    LastErrorKeeper() : saved(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(saved); }

private:
    DWORD saved;
};

// "" when the platform cannot give the Windows directory.
std::string windowsDirectory() {
    char buffer[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(buffer, length);
}

std::string logFilePath() { return windowsDirectory() + "\\" + logFileName; }

}  // namespace

Logger::Logger(const char* loggerName)
    : enabled(false), mutex(CreateMutexA(nullptr, FALSE, logMutexName)), name(loggerName) {}

Logger::~Logger() {
    if (mutex != nullptr) CloseHandle(mutex);
}

void Logger::log(const char* format, ...) {
    if (!enabled) return;
    LastErrorKeeper keeper;
    char message[messageMax + 1];
    va_list args;
    va_start(args, format);
    int written = vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (written < 0) message[0] = '\0';
    message[messageMax] = '\0';
    appendLine(name + "->" + message);
}

void Logger::logText(const std::string& text) {
    if (!enabled) return;
    LastErrorKeeper keeper;
    appendLine(name + "->" + text.substr(0, messageMax));
}

// The absent tool INI means full logging; otherwise the "Debug" word,
// upper-cased in the ANSI code page. The explicit ".\" keeps the profile API
// in the current directory instead of the Windows directory.
std::string Logger::readLogLevel() {
    const std::string toolIni = inStartFolder(toolIniName);
    if (GetFileAttributesA(toolIni.c_str()) == INVALID_FILE_ATTRIBUTES) return "TRACE";
    char buffer[levelBuffer] = "";
    GetPrivateProfileStringA(systemInfoSection, "Debug", "", buffer, levelBuffer, toolIni.c_str());
    buffer[levelBuffer - 1] = '\0';
    std::string level = buffer;
    if (!level.empty()) CharUpperBuffA(&level[0], static_cast<DWORD>(level.size()));
    return level;
}

void Logger::appendLine(const std::string& entry) {
    std::string path = logFilePath();
    LogLock lock(mutex);
    AppendedFile file(path);
    if (file.get() == nullptr) return;
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
