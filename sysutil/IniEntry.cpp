// Adding one entry to a section of an INI file by rewriting the whole file
// (wininit.ini: the profile API may not be used for it, since its [rename]
// section holds the key "NUL" many times over).
#include "sysutil/IniEntry.h"
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "log/Loggers.h"
#include "sysutil/Handles.h"
#include "sysutil/Paths.h"
#include "sysutil/TextCase.h"

namespace {

enum class ReadResult { read, absent, failed };

void stripTrailingBlanks(std::string& text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.pop_back();
}

// Text mode ends a read at a Ctrl-Z, and a line read at a NUL byte: a file
// that holds either with more data after it would be written back shortened.
// A Ctrl-Z that only ends the file (as old editors left it) loses nothing.
bool holdsMoreThanText(const std::string& path) {
    StdFile file(fopen(path.c_str(), "rb"));
    if (!file) return false;
    bool afterEnd = false;
    char chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (std::memchr(chunk, '\0', count) != nullptr) return true;
        for (size_t i = 0; i < count; ++i) {
            if (chunk[i] == 0x1A)
                afterEnd = true;
            else if (afterEnd && chunk[i] != '\r' && chunk[i] != '\n')
                return true;
        }
    }
    return false;
}

// Whole lines, each with its line feed (the last one may lack it). A line
// longer than the read buffer is joined from its pieces.
ReadResult readLines(const std::string& path, TokenList& lines) {
    StdFile file(fopen(path.c_str(), "rt"));
    if (!file) return fileExists(path) ? ReadResult::failed : ReadResult::absent;
    char piece[512];
    std::string line;
    while (fgets(piece, sizeof piece, file.get())) {
        line += piece;
        if (!line.empty() && line.back() == '\n') {
            lines.add(line);
            line.clear();
        }
    }
    if (ferror(file.get())) return ReadResult::failed;
    if (!line.empty()) lines.add(line);
    return ReadResult::read;
}

void ensureLineFeed(TokenList& lines, size_t index) {
    std::string& line = lines[index];
    if (line.empty() || line.back() != '\n') line += '\n';
}

// A new, empty file "kmi*.tmp" in the temporary directory.
bool makeTempFile(std::string& tempPath) {
    const std::string tempDir = getTempDir();
    if (tempDir.empty()) return false;
    char name[MAX_PATH];
    if (!GetTempFileNameA(tempDir.c_str(), "kmi", 0, name)) return false;
    tempPath = name;
    return true;
}

// Text mode: every line feed goes out as CR LF.
bool writeLines(const std::string& path, const TokenList& lines) {
    StdFile file(fopen(path.c_str(), "wt"));
    if (!file) return false;
    for (size_t i = 0; i < lines.count(); ++i)
        if (fputs(lines[i].c_str(), file.get()) == EOF) return false;
    return fclose(file.detach()) == 0;
}

// Puts the rewritten file in place of the old one. The temporary file is
// deleted only once its content is safely at iniPath.
void replaceFile(const std::string& tempPath, const std::string& iniPath) {
    SetFileAttributesA(iniPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(iniPath.c_str()) && fileExists(iniPath)) {
        // In use: the old file stays as it was, without the new entry.
        DeleteFileA(tempPath.c_str());
        utilErrorLog.log("addIniEntry: can't replace %s, entry not written", iniPath.c_str());
        return;
    }
    if (CopyFileA(tempPath.c_str(), iniPath.c_str(), FALSE)) {
        DeleteFileA(tempPath.c_str());
        return;
    }
    if (MoveFileA(tempPath.c_str(), iniPath.c_str())) return;
    utilErrorLog.log("addIniEntry: can't write %s, its content is kept in %s", iniPath.c_str(),
                     tempPath.c_str());
}

}  // namespace

bool findIniSection(const char* section, const TokenList& lines, size_t& lastLine) {
    const std::string target = lowerCase(std::string("[") + section + "]");
    for (size_t header = 0; header < lines.count(); ++header) {
        std::string line = lowerCase(lines[header]);
        stripTrailingBlanks(line);
        if (line != target) continue;
        size_t last = header;
        while (last + 1 < lines.count() &&
               (lines[last + 1].empty() || lines[last + 1][0] != '['))
            ++last;
        lastLine = last;
        return true;
    }
    return false;
}

void addIniEntry(const std::string& iniPath, const char* section, const char* key,
                 const std::string& value) {
    // Entries another program wrote through the profile API may still sit in
    // the platform's cache: have them written out before the file is read.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, iniPath.c_str());
    if (holdsMoreThanText(iniPath)) {
        utilErrorLog.log("addIniEntry: %s is not a text file, left unchanged", iniPath.c_str());
        return;
    }
    TokenList lines;
    if (readLines(iniPath, lines) == ReadResult::failed) {
        utilErrorLog.log("addIniEntry: can't read %s, left unchanged", iniPath.c_str());
        return;
    }
    size_t insertAt = 0;
    size_t lastLine = 0;
    if (findIniSection(section, lines, lastLine)) {
        ensureLineFeed(lines, lastLine);
        insertAt = lastLine + 1;
    } else {
        if (!lines.empty()) ensureLineFeed(lines, lines.count() - 1);
        lines.add(std::string("[") + section + "]\n");
        insertAt = lines.count();
    }
    lines.insertAt(insertAt, std::string(key) + "=" + value + "\n");

    std::string tempPath;
    if (!makeTempFile(tempPath)) {
        utilErrorLog.log("addIniEntry: no temporary file, %s left unchanged", iniPath.c_str());
        return;
    }
    if (!writeLines(tempPath, lines)) {
        DeleteFileA(tempPath.c_str());
        utilErrorLog.log("addIniEntry: can't write temporary file, %s left unchanged",
                         iniPath.c_str());
        return;
    }
    replaceFile(tempPath, iniPath);
}
