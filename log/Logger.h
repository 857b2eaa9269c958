// Named writers of lines to the shared log file "VTX.LOG" in the Windows
// directory. Each entry is the logger's name, "->", the message and a line
// feed; appends from every process are serialised by the named mutex
// "VTX_LOGFILE_MUTEX". The log level is read once, when a logger is made.
#pragma once
#include <windows.h>
#include <string>

class Logger {
public:
    virtual ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // printf-style message, cut to 511 characters. Does nothing when disabled.
    void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A finished text, written unchanged ('%' has no meaning in it), cut to
    // 511 characters. Does nothing when disabled.
    void logText(const std::string& text);

    bool isEnabled() const { return enabled; }
    const std::string& getName() const { return name; }

protected:
    explicit Logger(const char* loggerName);
    static std::string readLogLevel();
    bool enabled;

private:
    void appendLine(const std::string& entry);
    HANDLE mutex;
    std::string name;
};

// Writes at log level "ERROR" or "TRACE".
class ErrorLogger : public Logger {
public:
    explicit ErrorLogger(const char* loggerName);
};

// Writes at log level "TRACE" only.
class TraceLogger : public Logger {
public:
    explicit TraceLogger(const char* loggerName);
};
