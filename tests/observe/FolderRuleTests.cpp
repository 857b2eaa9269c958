// Parts of the folder rule that the layout tables do not reach: a folder
// above a protected one outside the Windows directory, the Programs folder
// of a layout that does not list it as protected, and a protected folder
// written half in its short form, as a path read from the registry may be.
#include <gtest/gtest.h>
#include "ScratchKit.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ProtectedDirs.h"
#include "sysutil/TextCase.h"

namespace {

FolderLayout minimalLayout() {
    FolderLayout layout;
    layout.windowsDirs = {"C:\\WINDOWS"};
    layout.programsDirs = {"C:\\WINDOWS\\Start Menu\\Programs"};
    layout.protectedDirs = {"D:\\Data\\Shared\\Temp"};
    return layout;
}

TEST(FolderRule, RefusesEveryFolderAboveAProtectedOne) {
    const ProtectedDirs rule(minimalLayout());
    for (const char* dir : {"D:\\Data\\Shared", "d:\\data\\", "D:\\Data\\Shared\\Temp\\.."})
        EXPECT_TRUE(rule.covers(dir)) << dir << ": got allowed, expected refused (above Temp)";
    for (const char* dir : {"D:\\Data\\Other", "D:\\Data\\Shared\\Temp2", "D:\\Data\\Sha"})
        EXPECT_FALSE(rule.covers(dir)) << dir << ": got refused, expected allowed (beside Temp)";
}

TEST(FolderRule, ProgramsFolderItselfIsRefusedInsideTheWindowsDirectory) {
    const ProtectedDirs rule(minimalLayout());
    EXPECT_TRUE(rule.covers("C:\\WINDOWS\\Start Menu\\Programs\\"))
        << "the Programs folder: got allowed, expected refused";
    EXPECT_FALSE(rule.covers("C:\\WINDOWS\\Start Menu\\Programs\\Pathmark"))
        << "a group below it: got refused, expected allowed";
}

TEST(FolderRule, RecognisesAProtectedFolderWrittenHalfShort) {
    const std::string root = "C:\\Program Files";
    const std::string shortRoot = getShortPath(root);
    ASSERT_NE("", shortRoot) << root << " has no short form";
    ASSERT_NE(lowerCase(root), lowerCase(shortRoot)) << "no distinct short form";
    ASSERT_TRUE(exists(root + "\\Common Files")) << "no common-files folder in this prefix";
    const std::string halfShort = shortRoot + "\\Common Files";
    EXPECT_TRUE(isProtectedDir(halfShort)) << halfShort << ": got allowed, expected refused";
    EXPECT_FALSE(isProtectedDir(shortRoot + "\\Common Files\\Kelmora"))
        << shortRoot << "\\Common Files\\Kelmora: got refused, expected allowed";
}

}  // namespace
