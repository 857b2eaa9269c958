// The tool INI's own file lists: each file goes at once and, in case it is
// in use, also at the next start.
#include "cleanup/Cleanup.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/KmvdUtil.h"

void vtxRemoveListedFiles(const std::string& fileList, const std::string& dir) {
    TokenList names;
    getStrTokens(names, fileList, ",");
    for (size_t i = 0; i < names.count(); ++i) {
        const std::string path = concatPath(dir, names[i]);
        deleteFile(path);
        deleteAtReboot(path);
    }
}
