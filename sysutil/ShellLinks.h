// What a shortcut starts, as the platform reads it.
#pragma once
#include <string>

// The file a shortcut in the start menu starts: for a ".lnk" the path the
// shell's link object reads from it (IShellLinkA through COM, with OLE32
// loaded from the system directory at run time); for a ".url" the local path
// of its "URL=file:" line. "" when the target cannot be read, the link has
// no file path, or the name is neither.
std::string shortcutTarget(const std::string& path);
