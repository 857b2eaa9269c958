// The judge of every file name a setting gives for a known folder (the
// Windows, system and driver directories, the temporary folders, the
// desktop). The clean-up asks it once per name and then deletes or
// schedules only the path of an accepted verdict: a name must stay in its
// folder, must not open a device, and must not be a file of the platform.
#pragma once
#include <string>

struct FileVerdict {
    bool accepted = false;
    // The name as the platform reads it (without the trailing dots and
    // blanks it drops), and dir joined with it; "" when refused. With an
    // unknown (empty) dir only the name is judged and the path stays "".
    std::string name;
    std::string path;
};

// True for a name that stays inside the folder it is joined to: it holds no
// "\", "/" or ":", none of the wildcards and other characters the platform
// refuses in names (* ? " < > |), and it is not made of dots and blanks alone
// (the platform drops trailing dots and blanks, so "..", "." and " " name the
// parent folder or the folder itself).
bool isPlainFileName(const std::string& name);

// The verdict on the file name in dir. A refusal writes one error line
// naming the setting and the name:
//   <setting> "<name>" is not a plain file name, nothing removed
//   <setting> "<name>": <path> <why>, not removed
// where why is "names a device" or why the file is the platform's own
// (platformFileReason: its setup's LAYOUT.INF lists it, it is a profile
// Windows reads, it has the system attribute, File Protection guards it),
// "is a folder", or why others still count on it (releaseSharedFile in
// SharedDlls.h, which lowers a count above 1 by one and deletes a count of
// 1 or 0: the judge is asked once per name, just before its deletion).
FileVerdict judgeFile(const char* setting, const std::string& dir, const std::string& name);

// judgeFile for a firmware image, which is data loaded into the modem: a
// file that starts with "MZ" (an executable image: a driver, a library), that
// exists but cannot be opened and read, or that opens as anything but a disk
// file is refused too, with why "is an executable image or cannot be read"
// or "is no disk file".
FileVerdict judgeFirmwareFile(const char* setting, const std::string& dir,
                              const std::string& name);
