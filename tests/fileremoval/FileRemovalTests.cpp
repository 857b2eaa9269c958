// Deleting files and directories, the protected directories, copying, and
// scheduling for the next start on either Windows family.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "ScratchKit.h"
#include "sysutil/FileRemoval.h"
#include "sysutil/Handles.h"
#include "sysutil/Paths.h"
#include "sysutil/PlatformFolders.h"
#include "sysutil/ShellFolders.h"

namespace {

TEST(FileDeletion, ResetsAttributesAndReportsTheOutcome) {
    const std::string file = scratchDir("del") + "\\ro.bin";
    writeFile(file, "x");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(0, deleteFile(file));
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(0, deleteFile(file));
}

TEST(FileDeletion, NamesAFileInUseButNotAnAbsentOne) {
    const std::string dir = scratchDir("inuse");
    const std::string file = dir + "\\held.bin";
    writeFile(file, "x");
    KernelHandle held(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(0, deleteFile(file));
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError()) << "kept for the caller";
    EXPECT_NE(std::string::npos, logText().find("deleteFile: " + file + " not deleted, error 32"));
    held.reset();
    const std::string absent = dir + "\\absent.bin";
    EXPECT_EQ(0, deleteFile(absent));
    EXPECT_EQ(std::string::npos, logText().find(absent));
}

TEST(DeleteDirFiles, DeletesOnlyTheFilesDirectlyInside) {
    const std::string dir = scratchDir("dirfiles");
    writeFile(dir + "\\a.txt", "a");
    writeFile(dir + "\\b", "b");
    SetFileAttributesA((dir + "\\b").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
    writeFile(dir + "\\sub\\c.txt", "c");
    deleteDirFiles(dir);
    EXPECT_FALSE(exists(dir + "\\a.txt"));
    EXPECT_FALSE(exists(dir + "\\b"));
    EXPECT_TRUE(exists(dir + "\\sub\\c.txt"));
}

TEST(RemoveDir, ClimbsWhileParentsComeAwayEmpty) {
    const std::string a = scratchDir("climb") + "\\A";
    CreateDirectoryA(a.c_str(), nullptr);
    CreateDirectoryA((a + "\\B").c_str(), nullptr);
    CreateDirectoryA((a + "\\B\\C").c_str(), nullptr);
    writeFile(a + "\\keep.txt", "k");
    removeDir(a + "\\B\\C");
    EXPECT_FALSE(exists(a + "\\B"));
    EXPECT_TRUE(exists(a + "\\keep.txt"));

    CreateDirectoryA((a + "\\B").c_str(), nullptr);
    DeleteFileA((a + "\\keep.txt").c_str());
    removeDir(a + "\\B\\");  // the first cut names B itself, already gone
    EXPECT_FALSE(exists(a + "\\B"));
    EXPECT_TRUE(exists(a));

    removeDir("nobackslash");
    const std::string log = logText();
    EXPECT_NE(std::string::npos, log.find("Can't remove directory:"));
    EXPECT_NE(std::string::npos, log.find("nobackslash"));
}

// An empty special folder: the climb from a folder inside it stops before it
// although it would come away, and it is neither emptied nor removed.
TEST(ProtectedDirs, StopTheClimbAndRefuseToEmptyOrRemove) {
    std::string root;
    for (int csidl : {CSIDL_TEMPLATES, CSIDL_FAVORITES, CSIDL_MYMUSIC, CSIDL_MYPICTURES}) {
        const std::string folder = getSpecialFolderPath(csidl);
        if (!folder.empty() && RemoveDirectoryA(folder.c_str())) {  // empty: it went
            CreateDirectoryA(folder.c_str(), nullptr);
            root = folder;
            break;
        }
    }
    ASSERT_NE("", root) << "no empty special folder in this prefix";
    CreateDirectoryA((root + "\\Maker").c_str(), nullptr);
    CreateDirectoryA((root + "\\Maker\\Tool").c_str(), nullptr);
    removeDir(root + "\\Maker\\Tool");
    EXPECT_FALSE(exists(root + "\\Maker"));
    EXPECT_TRUE(exists(root));

    removeDir(root);
    EXPECT_TRUE(exists(root));
    writeFile(root + "\\sentinel.txt", "s");
    deleteDirFiles(root + "\\");
    EXPECT_TRUE(exists(root + "\\sentinel.txt"));
    DeleteFileA((root + "\\sentinel.txt").c_str());
    const std::string log = logText();
    EXPECT_NE(std::string::npos, log.find("removeDir: " + root + " is a protected directory"));
    EXPECT_NE(std::string::npos, log.find("deleteDirFiles: " + root + "\\ is a protected"));
}

TEST(CopyFileTo, CopiesIntoADirectoryOrOverAReadOnlyFile) {
    const std::string dir = scratchDir("copy");
    writeFile(dir + "\\src.ini", "new");
    SetFileAttributesA((dir + "\\src.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((dir + "\\into").c_str(), nullptr);
    copyFileTo(dir + "\\src.ini", dir + "\\into");
    EXPECT_EQ("new", readFile(dir + "\\into\\src.ini"));
    const DWORD keptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(0u, GetFileAttributesA((dir + "\\into\\src.ini").c_str()) & keptAttributes);

    writeFile(dir + "\\target.ini", "old");
    SetFileAttributesA((dir + "\\target.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    copyFileTo(dir + "\\src.ini", dir + "\\target.ini");
    EXPECT_EQ("new", readFile(dir + "\\target.ini"));
}

// WININIT reads 8.3 names before Windows starts: a file that is gone has no
// short name, and a long name written as it is may be taken for another
// file's ("kernel32.dll.old" for KERNEL32.DLL), so only an 8.3 name is
// written for it, in its folder's short form.
TEST(DeleteAtReboot, UsesWininitShortNamesOn9xAndThePlatformOnNT) {
    const std::string dir = scratchDir("Long Folder Name");
    const std::string present = dir + "\\Present Library.dll";
    const std::string missing = dir + "\\MISSING.DLL";
    const std::string longMissing = getWindowsDir() + "\\kernel32.dll.old";
    writeFile(present, "x");
    DeleteFileA(concatPath(getWindowsDir(), "wininit.ini").c_str());
    deleteAtReboot(present);
    deleteAtReboot(missing);
    deleteAtReboot(longMissing);
    if (personaIsNT()) {
        EXPECT_EQ("", readWininit());
        const std::vector<std::string> pending = pendingDeletions();
        ASSERT_GE(pending.size(), 3u);
        EXPECT_STRCASEEQ(present.c_str(), pending[pending.size() - 3].c_str());
        EXPECT_STRCASEEQ(missing.c_str(), pending[pending.size() - 2].c_str());
        EXPECT_STRCASEEQ(longMissing.c_str(), pending.back().c_str());
    } else {
        const std::string shortPath = getShortPath(present);
        ASSERT_NE("", shortPath);
        ASSERT_NE(present, shortPath);
        EXPECT_EQ("[rename]\r\nNUL=" + shortPath + "\r\nNUL=" + getShortPath(dir) +
                      "\\MISSING.DLL\r\n",
                  readWininit());
        EXPECT_TRUE(pendingDeletions().empty());
        EXPECT_EQ("KmvdUtil->deleteAtReboot: " + longMissing + " has no short name, not scheduled",
                  logLines().back());
    }
}

}  // namespace
