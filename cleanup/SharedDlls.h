// Shared files: installers count the products that use a file under
// SharedDLLs (value name: the file's full path; data: the count, a DWORD,
// or from old setups binary or text). As the platform's own uninstallers
// do, the clean-up releases its use of a counted file instead of deleting
// it while others still count on it.
#pragma once
#include <string>

// Releases the package's use of the file at path and tells whether it may
// go: "" when no count names it, or when its count is 1 or 0 (the count's
// value is then deleted); otherwise why it stays: a count above 1 is lowered
// by one ("is counted in SharedDLLs by other products (count <n>, lowered by
// one)"), and a count that cannot be read is left as it is ("is counted in
// SharedDLLs (count unreadable)"). A count lowered once in this run is not
// lowered again ("... (count <n>, already lowered by one)"). The count is found by the file's long and
// short name, in any case; a value naming a network path is judged by its
// text only.
std::string releaseSharedFile(const std::string& path);
