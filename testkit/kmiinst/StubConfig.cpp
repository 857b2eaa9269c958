// Reads "kmiinst.cfg" beside the stand-in; a missing file gives the defaults.
#include "StubConfig.h"
#include "StubFiles.h"
#include <cstdlib>
#include <string>

int StubConfig::figureFor(int callIndex) const {
    if (callIndex >= 0 && callIndex < static_cast<int>(progressFigures.size()))
        return progressFigures[callIndex];
    return 25 * (callIndex + 1);
}

static std::vector<int> parseFigures(const char* text) {
    std::vector<int> figures;
    const char* p = text;
    while (*p) {
        char* end = nullptr;
        long value = std::strtol(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        figures.push_back(static_cast<int>(value));
        p = end;
    }
    return figures;
}

static std::vector<std::string> parsePaths(const std::string& text) {
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('|', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) paths.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

StubConfig readStubConfig() {
    std::string path = stubFilePath("kmiinst.cfg");
    const char* file = path.c_str();
    StubConfig config;
    config.progressCalls = GetPrivateProfileIntA("Stub", "ProgressCalls", 2, file);
    config.progressDelayMs = GetPrivateProfileIntA("Stub", "ProgressDelayMs", 0, file);
    config.isUserAdmin = GetPrivateProfileIntA("Stub", "IsUserAdmin", 1, file) != 0;
    config.initializeStatus = GetPrivateProfileIntA("Stub", "InitializeStatus", 0, file);
    config.uninstallStatus = GetPrivateProfileIntA("Stub", "UninstallStatus", 0, file);
    char figures[512];
    GetPrivateProfileStringA("Stub", "ProgressFigures", "", figures, sizeof figures, file);
    config.progressFigures = parseFigures(figures);
    char deletes[2048];
    GetPrivateProfileStringA("Stub", "UninstallDeletes", "", deletes, sizeof deletes, file);
    config.uninstallDeletes = parsePaths(deletes);
    return config;
}
