// Paths on other machines. A path on a disconnected network drive or an
// unreachable server costs a network time-out each time the platform is
// asked about it, while the progress window takes no messages; such a path
// is never the package's, so the ownership checks judge it by its text.
#pragma once
#include <string>

// True for a UNC path ("\\server\share\...", also written with "/") and for
// a path on a drive letter the platform maps to a network share
// (GetDriveTypeA of its root answers DRIVE_REMOTE, which asks no server).
bool isNetworkPath(const std::string& path);
