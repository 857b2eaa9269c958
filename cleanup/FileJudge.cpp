// The judge of file names taken from settings.
#include "cleanup/FileJudge.h"
#include <windows.h>
#include "cleanup/SharedDlls.h"
#include "log/Loggers.h"
#include "sysutil/Handles.h"
#include "sysutil/NameRules.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFiles.h"

namespace {

const char* const notInPlainNames = "\\/:*?\"<>|";
const char* const imageOrUnreadable = "is an executable image or cannot be read";

enum class Check { platform, firmware };

// Firmware is data: a file that starts with "MZ" is an executable image; one
// that exists but cannot be opened and read cannot show that it is none; a
// name that opens a device, a pipe or a console is no file at all (reading
// from a serial port could hang the run).
std::string firmwareReason(const std::string& path) {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return fileExists(path) ? imageOrUnreadable : "";
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return "is no disk file";
    char head[2] = {0, 0};
    DWORD got = 0;
    if (!ReadFile(file.get(), head, sizeof head, &got, nullptr)) return imageOrUnreadable;
    return got == sizeof head && head[0] == 'M' && head[1] == 'Z' ? imageOrUnreadable : "";
}

// A folder is no file: deleting one fails, and on the NT family scheduling
// it would remove it at the next start if it is empty then. A file others
// count on in SharedDLLs is released (its count lowered) instead.
std::string folderOrSharedReason(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "is a folder";
    return releaseSharedFile(path);
}

// Devices first: the content test opens the file.
std::string refusalReason(const std::string& name, const std::string& path, Check check) {
    if (isDeviceName(name)) return "names a device";
    if (path.empty()) return "";
    if (check == Check::firmware) {
        const std::string why = firmwareReason(path);
        if (!why.empty()) return why;
    }
    const std::string platformWhy = platformFileReason(path);
    if (!platformWhy.empty()) return platformWhy;
    return folderOrSharedReason(path);
}

FileVerdict judge(const char* setting, const std::string& dir, const std::string& name,
                  Check check) {
    FileVerdict verdict;
    if (!isPlainFileName(name)) {
        runErrorLog.log("%s \"%s\" is not a plain file name, nothing removed", setting,
                        name.c_str());
        return verdict;
    }
    const std::string platformName = withoutTrailingDotsAndBlanks(name);
    const std::string path = dir.empty() ? "" : concatPath(dir, platformName);
    const std::string why = refusalReason(name, path, check);
    if (!why.empty()) {
        runErrorLog.log("%s \"%s\": %s %s, not removed", setting, name.c_str(), path.c_str(),
                        why.c_str());
        return verdict;
    }
    verdict.accepted = true;
    verdict.name = platformName;
    verdict.path = path;
    return verdict;
}

}  // namespace

bool isPlainFileName(const std::string& name) {
    if (name.find_first_of(notInPlainNames) != std::string::npos) return false;
    return !withoutTrailingDotsAndBlanks(name).empty();
}

FileVerdict judgeFile(const char* setting, const std::string& dir, const std::string& name) {
    return judge(setting, dir, name, Check::platform);
}

FileVerdict judgeFirmwareFile(const char* setting, const std::string& dir,
                              const std::string& name) {
    return judge(setting, dir, name, Check::firmware);
}
