// The protected-folder rule behind deleteDirFiles and removeDir, over a
// layout of folders.
#include "sysutil/ProtectedDirs.h"
#include "sysutil/NameRules.h"
#include "sysutil/TextCase.h"
#include "sysutil/Tokens.h"

namespace {

// The platform's path limit: a longer path names no folder it can handle.
const size_t pathLimit = 260;

// "c:" and "\\server\share" name a whole drive.
bool isDriveRoot(const std::string& normalised) {
    if (normalised.size() <= 2) return true;
    if (normalised.compare(0, 2, "\\\\") != 0) return false;
    const size_t shareSeparator = normalised.find('\\', 2);
    return shareSeparator == std::string::npos ||
           normalised.find('\\', shareSeparator + 1) == std::string::npos;
}

// True when inner equals outer or lies below it.
bool isSameOrBelow(const std::string& inner, const std::string& outer) {
    if (inner.size() < outer.size()) return false;
    if (inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || inner[outer.size()] == '\\';
}

bool isStrictlyBelow(const std::string& inner, const std::string& outer) {
    return inner.size() > outer.size() && isSameOrBelow(inner, outer);
}

std::vector<std::string> normalisedAll(const std::vector<std::string>& dirs) {
    std::vector<std::string> result;
    for (const std::string& dir : dirs) {
        const std::string normalised = normaliseDirPath(dir);
        if (!normalised.empty()) result.push_back(normalised);
    }
    return result;
}

// "x:" or "\\server\share" at the start of path (with "\" for "/"), and
// where the rest begins; false for a path that is not absolute.
bool splitRoot(const std::string& path, std::string& root, size_t& rest) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'))) {
        if (path.size() > 2 && path[2] != '\\') return false;  // "c:x" is relative
        root = path.substr(0, 2);
        rest = 2;
        return true;
    }
    if (path.compare(0, 2, "\\\\") != 0) return false;
    const size_t server = path.find_first_not_of('\\', 2);
    if (server == std::string::npos) return false;
    const size_t serverEnd = path.find('\\', server);
    const size_t share = serverEnd == std::string::npos ? std::string::npos
                                                          : path.find_first_not_of('\\', serverEnd);
    if (share == std::string::npos) return false;
    const size_t shareEnd = path.find('\\', share);
    root = "\\\\" + path.substr(server, serverEnd - server) + "\\" +
           path.substr(share, shareEnd == std::string::npos ? std::string::npos : shareEnd - share);
    rest = shareEnd == std::string::npos ? path.size() : shareEnd;
    return true;
}

// The root of roots that normalised is or lies below, or "".
std::string rootHolding(const std::string& normalised, const std::vector<std::string>& roots) {
    for (const std::string& root : roots)
        if (isSameOrBelow(normalised, root)) return root;
    return "";
}

bool liesInAny(const std::string& normalised, const std::vector<std::string>& roots) {
    return !rootHolding(normalised, roots).empty();
}

std::vector<std::string> withoutDriveRoots(const std::vector<std::string>& dirs) {
    std::vector<std::string> result;
    for (const std::string& dir : dirs)
        if (!isDriveRoot(dir)) result.push_back(dir);
    return result;
}

}  // namespace

std::string platformDirPath(const std::string& dir) {
    std::string path = dir;
    for (char& c : path)
        if (c == '/') c = '\\';
    std::string root;
    size_t rest = 0;
    if (!splitRoot(path, root, rest)) return "";
    TokenList components;
    getStrTokens(components, path.substr(rest), "\\");
    std::vector<std::string> kept;
    for (size_t i = 0; i < components.count(); ++i) {
        const std::string& component = components[i];
        if (component == "..") {
            if (!kept.empty()) kept.pop_back();  // ".." at the root stays there
            continue;
        }
        const std::string name = withoutTrailingDotsAndBlanks(component);
        if (!name.empty()) kept.push_back(name);  // "." and the like name the folder itself
    }
    std::string result = root;
    for (const std::string& name : kept) result += "\\" + name;
    return result;
}

std::string normaliseDirPath(const std::string& dir) { return lowerCase(platformDirPath(dir)); }

ProtectedDirs::ProtectedDirs(const FolderLayout& layout) {
    folders.protectedDirs = normalisedAll(layout.protectedDirs);
    folders.windowsDirs = normalisedAll(layout.windowsDirs);
    folders.programsDirs = normalisedAll(layout.programsDirs);
    folders.commonFilesDirs = normalisedAll(layout.commonFilesDirs);
    folders.dataDirs = withoutDriveRoots(normalisedAll(layout.dataDirs));
    folders.profileDirs = withoutDriveRoots(normalisedAll(layout.profileDirs));
    folders.programFilesDirs = normalisedAll(layout.programFilesDirs);
    for (const std::string& temp : normalisedAll(layout.tempDirs))
        if (!isDriveRoot(temp) && !holdsSharedFolder(temp)) folders.tempDirs.push_back(temp);
}

// A temporary folder that holds the Windows directory or a protected folder
// (a drive root, the Windows directory, a profile) is no place for the
// setup's files.
bool ProtectedDirs::holdsSharedFolder(const std::string& root) const {
    for (const std::string& windows : folders.windowsDirs)
        if (isSameOrBelow(windows, root)) return true;
    for (const std::string& shared : folders.protectedDirs)
        if (isStrictlyBelow(shared, root)) return true;
    return false;
}

bool ProtectedDirs::covers(const std::string& dir) const {
    if (hasDotsOnlyComponent(dir)) return true;
    const std::string candidate = normaliseDirPath(dir);
    if (candidate.empty() || candidate.size() >= pathLimit || isDriveRoot(candidate)) return true;
    for (const std::string& shared : folders.protectedDirs)
        if (isSameOrBelow(shared, candidate)) return true;
    for (const std::string& windows : folders.windowsDirs) {
        if (!isSameOrBelow(candidate, windows)) continue;
        for (const std::string& programs : folders.programsDirs)
            if (isStrictlyBelow(candidate, programs)) return false;
        return true;
    }
    return false;
}

bool ProtectedDirs::isTempFolder(const std::string& dir) const {
    if (hasDotsOnlyComponent(dir)) return false;
    const std::string candidate = normaliseDirPath(dir);
    if (candidate.empty() || candidate.size() >= pathLimit || isDriveRoot(candidate)) return false;
    return liesInAny(candidate, folders.tempDirs);
}

bool ProtectedDirs::isInCommonFiles(const std::string& dir) const {
    const std::string candidate = normaliseDirPath(dir);
    return !candidate.empty() && liesInAny(candidate, folders.commonFilesDirs);
}

std::string ProtectedDirs::dataFolderHolding(const std::string& dir) const {
    const std::string candidate = normaliseDirPath(dir);
    if (candidate.empty()) return "";
    const std::string data = rootHolding(candidate, folders.dataDirs);
    if (!data.empty()) return data;
    const std::string profile = rootHolding(candidate, folders.profileDirs);
    return profile.empty() || liesInAny(candidate, folders.programFilesDirs) ? "" : profile;
}

bool ProtectedDirs::isBelowPrograms(const std::string& dir) const {
    const std::string candidate = normaliseDirPath(dir);
    for (const std::string& programs : folders.programsDirs)
        if (!candidate.empty() && isStrictlyBelow(candidate, programs)) return true;
    return false;
}

bool hasDotsOnlyComponent(const std::string& path) {
    TokenList components;
    getStrTokens(components, path, "\\/");
    for (size_t i = 0; i < components.count(); ++i)
        if (components[i].find_first_not_of(". ") == std::string::npos) return true;
    return false;
}

bool isSameOrBelowDir(const std::string& path, const std::string& dir) {
    const std::string outer = normaliseDirPath(dir);
    const std::string inner = normaliseDirPath(path);
    return !outer.empty() && !inner.empty() && isSameOrBelow(inner, outer);
}
