// Rewriting wininit.ini as Windows 95, 98 and Me would see it: entries that
// another program wrote through the profile API may still sit in the
// platform's cache and reach the file only when it is flushed, and putting
// the rewritten file in place may fail at its copy step (a full disk) while
// a move still works.
#include <gtest/gtest.h>
#include <string>
#include "ImportPatch.h"
#include "ScratchKit.h"
#include "sysutil/IniEntry.h"
#include "sysutil/Paths.h"

namespace {

// ------------------------------------------------------------ the profile cache

// Windows 9x keeps the profile file last written in memory: the write lands
// in the cached picture of the file, and the picture is written out, whole,
// when the file is flushed (a write with no section, key and value). Here
// the picture is a shadow file beside the real one.
struct ProfileCache {
    std::string file;    // the file whose writes are held back
    std::string shadow;  // the cached picture of it
    ImportPatch* patch = nullptr;
} cache;

BOOL WINAPI cachedWrite(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    auto write = cache.patch->original<decltype(&WritePrivateProfileStringA)>();
    if (file == nullptr || lstrcmpiA(file, cache.file.c_str()) != 0)
        return write(section, key, value, file);
    if (section == nullptr && key == nullptr && value == nullptr) {
        if (!exists(cache.shadow)) return TRUE;  // nothing held back
        write(nullptr, nullptr, nullptr, cache.shadow.c_str());
        const BOOL copied = CopyFileA(cache.shadow.c_str(), file, FALSE);
        DeleteFileA(cache.shadow.c_str());
        return copied;
    }
    if (!exists(cache.shadow)) CopyFileA(file, cache.shadow.c_str(), FALSE);
    return write(section, key, value, cache.shadow.c_str());
}

TEST(WininitRewrite, FlushesTheProfileCacheBeforeReadingTheFile) {
    const std::string dir = scratchDir("cache");
    cache.file = dir + "\\wininit.ini";
    cache.shadow = dir + "\\cached.ini";
    writeFile(cache.file, "[rename]\r\nNUL=C:\\OLD\r\n");
    ImportPatch patch("KERNEL32.dll", "WritePrivateProfileStringA",
                      reinterpret_cast<const void*>(&cachedWrite));
    ASSERT_TRUE(patch.active()) << "WritePrivateProfileStringA is not imported";
    cache.patch = &patch;
    WritePrivateProfileStringA("other", "held", "1", cache.file.c_str());  // another program's
    ASSERT_EQ("[rename]\r\nNUL=C:\\OLD\r\n", readFile(cache.file)) << "the write was held back";

    addIniEntry(cache.file, "rename", "NUL", "C:\\NEW");
    // Whatever the cache still holds is written out at some later time.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, cache.file.c_str());
    cache.patch = nullptr;

    const std::string text = readFile(cache.file);
    EXPECT_NE(std::string::npos, text.find("held=1")) << "the cached entry is lost, got:\n"
                                                       << text;
    EXPECT_NE(std::string::npos, text.find("NUL=C:\\OLD\r\nNUL=C:\\NEW\r\n"))
        << "the new entry is lost, got:\n" << text;
}

// ------------------------------------------------------------ a failing copy

std::string copyTargetThatFails;
ImportPatch* copyPatch = nullptr;
ImportPatch* movePatch = nullptr;
bool moveFails = false;

BOOL WINAPI failingCopy(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    if (to != nullptr && lstrcmpiA(to, copyTargetThatFails.c_str()) == 0) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return copyPatch->original<decltype(&CopyFileA)>()(from, to, failIfExists);
}

BOOL WINAPI maybeFailingMove(LPCSTR from, LPCSTR to) {
    if (moveFails && to != nullptr && lstrcmpiA(to, copyTargetThatFails.c_str()) == 0) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return movePatch->original<decltype(&MoveFileA)>()(from, to);
}

// The rewritten files left in the temporary directory ("kmi*.tmp").
std::vector<std::string> leftTempFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(concatPath(getTempDir(), "kmi*.tmp").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(concatPath(getTempDir(), entry.cFileName));
    while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

class FailingCopy : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& name : leftTempFiles()) DeleteFileA(name.c_str());
        copyTargetThatFails = ini = scratchDir("copyfails") + "\\wininit.ini";
        writeFile(ini, "[rename]\r\nNUL=C:\\OLD\r\n");
        copyPatch = &copy;
        movePatch = &move;
        moveFails = false;
        ASSERT_TRUE(copy.active() && move.active()) << "CopyFileA or MoveFileA not imported";
    }
    void TearDown() override {
        copyPatch = movePatch = nullptr;
        for (const std::string& name : leftTempFiles()) DeleteFileA(name.c_str());
    }
    std::string ini;
    ImportPatch copy{"KERNEL32.dll", "CopyFileA", reinterpret_cast<const void*>(&failingCopy)};
    ImportPatch move{"KERNEL32.dll", "MoveFileA",
                     reinterpret_cast<const void*>(&maybeFailingMove)};
};

TEST_F(FailingCopy, TheRewrittenFileIsMovedIntoPlace) {
    addIniEntry(ini, "rename", "NUL", "C:\\NEW");
    EXPECT_EQ("[rename]\r\nNUL=C:\\OLD\r\nNUL=C:\\NEW\r\n", readFile(ini))
        << "wininit.ini after a failed copy (exists: " << exists(ini) << ")";
    EXPECT_EQ(std::vector<std::string>(), leftTempFiles()) << "temporary files left";
}

TEST_F(FailingCopy, WithTheMoveFailingTooTheContentStaysInTheTemporaryFile) {
    moveFails = true;
    addIniEntry(ini, "rename", "NUL", "C:\\NEW");
    const std::vector<std::string> temps = leftTempFiles();
    ASSERT_EQ(1u, temps.size()) << "temporary files left, expected the one with the content";
    EXPECT_EQ("[rename]\r\nNUL=C:\\OLD\r\nNUL=C:\\NEW\r\n", readFile(temps[0]));
    const std::string expectedLine =
        "KmvdUtil->addIniEntry: can't write " + ini + ", its content is kept in " + temps[0];
    EXPECT_NE(std::string::npos, logText().find(expectedLine))
        << "log lacks: " << expectedLine;
}

}  // namespace
