// The platform's own files, asked of the platform: what its setup lays out
// (the file sections of <Windows>\INF\LAYOUT*.INF), the profiles it reads,
// the files that carry the system attribute and, on 2000 and XP, what
// Windows File Protection guards. A file name taken from a setting must show
// that it is none of these before it is deleted.
#pragma once
#include <string>
#include <vector>

// The file names that an INF text lists in its file sections
// ([SourceDisksFiles] and its platform-suffixed variants such as
// [SourceDisksFiles.x86]), lower-cased, in the order they stand. The text is
// read whole: the profile functions of 95 and 98 return only the first 32 KB
// of a section.
std::vector<std::string> layoutFileNames(const std::string& infText);

// Why the file at path is the platform's: "is listed in Windows's
// LAYOUT.INF", "is a profile Windows reads", "has the system attribute" or
// "is protected by Windows"; "" when it is none of these. The name is judged
// as written (without the trailing dots and blanks the platform drops) and,
// when the file exists, by its long and its short name. The platform's lists
// are read on first use and kept for the rest of the run.
std::string platformFileReason(const std::string& path);
