// The rig itself: a cross-built test program runs under Wine in a prefix of
// its own kind (32-bit; 64-bit for the 64-bit test build) of the build tree.
#include <gtest/gtest.h>
#include <windows.h>
#include <sys/stat.h>
#include <cstdio>
#include <cstring>

TEST(Rig, RunsInWinePrefixOfItsKind) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
#ifdef _WIN64
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, info.wProcessorArchitecture);
#else
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_INTEL, info.wProcessorArchitecture);
#endif
    char windowsDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    EXPECT_STRCASEEQ("C:\\windows", windowsDir);
}

// The test programs run on CRTDLL.DLL like the tool. crtdll lays out
// struct _stat differently from msvcrt, whose layout the headers (and
// GoogleTest's file checks) use: the shims must translate it, or st_mode
// and st_size are read from the wrong place.
TEST(Rig, FileStatusReadsThroughCrtdll) {
#ifdef _WIN64
    GTEST_SKIP() << "the 64-bit test programs run on msvcrt.dll (CRTDLL.DLL exists only for 32-bit Windows)";
#else
    char tempDir[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, tempDir), 0u);
    char path[MAX_PATH];
    ASSERT_NE(0u, GetTempFileNameA(tempDir, "rig", 0, path));
    FILE* file = fopen(path, "wb");
    ASSERT_NE(nullptr, file);
    fputs("twelve bytes", file);
    fclose(file);

    struct _stat32 byName;
    ASSERT_EQ(0, _stat32(path, &byName));
    EXPECT_EQ(12, byName.st_size);
    EXPECT_TRUE(byName.st_mode & _S_IFREG);
    EXPECT_GT(byName.st_mtime, 0);
    tempDir[strlen(tempDir) - 1] = '\0';  // the runtime wants no trailing backslash
    struct _stat32 folder;
    ASSERT_EQ(0, _stat32(tempDir, &folder));
    EXPECT_TRUE(folder.st_mode & _S_IFDIR);

    file = fopen(path, "rb");
    ASSERT_NE(nullptr, file);
    struct _stat64 byHandle;
    EXPECT_EQ(0, _fstat64(_fileno(file), &byHandle));
    EXPECT_EQ(12, byHandle.st_size);
    EXPECT_TRUE(byHandle.st_mode & _S_IFREG);
    fclose(file);
    DeleteFileA(path);
#endif
}
