// Directories that the clean-up must never empty or remove, whatever the
// installation description says: drive roots, the Windows, system, drivers
// and temporary directories, the program-files root, the start-menu programs
// and desktop folders of the user and of all users, and every ancestor of
// one of these.
#pragma once
#include <string>
#include <vector>

class ProtectedDirs {
public:
    // Asks the platform for the protected directories once.
    ProtectedDirs();
    // True when dir is a drive root, a protected directory or an ancestor of
    // one. Compared case-insensitively, after resolving "." and ".." and
    // dropping trailing backslashes, in long and in short (8.3) form. An empty
    // or unresolvable path counts as protected.
    bool covers(const std::string& dir) const;

private:
    void add(const std::string& dir);
    std::vector<std::string> forms;  // normalised long and short forms
};

// Full path, trailing backslashes dropped, lower-cased; "" when the platform
// cannot resolve it. A drive root comes back as "c:".
std::string normaliseDirPath(const std::string& dir);
// One-shot form of ProtectedDirs().covers(dir).
bool isProtectedDir(const std::string& dir);
