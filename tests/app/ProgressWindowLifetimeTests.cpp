// The progress window may outlive its object: a cancel command that arrives
// afterwards must not write into the memory the object had.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <new>
#include "app/AppFramework.h"
#include "app/ProgressWindow.h"

namespace {

TEST(ProgressWindowLifetime, LateCancelDoesNotReachTheDestroyedObject) {
    ASSERT_TRUE(initAppFramework());
    setModuleInstance(GetModuleHandleA(nullptr));
    alignas(ProgressWindow) unsigned char memory[sizeof(ProgressWindow)];
    ProgressWindow* progress = new (memory) ProgressWindow();
    ASSERT_TRUE(progress->create(nullptr));
    const HWND window = progress->getWindow();
    progress->~ProgressWindow();
    // What the freed memory holds next: someone else's data.
    std::memset(memory, 0x5A, sizeof memory);

    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);

    size_t changed = 0;
    for (unsigned char byte : memory) changed += byte != 0x5A;
    EXPECT_EQ(0u, changed) << "bytes of the destroyed object's memory written by a late cancel";
    DestroyWindow(window);
}

}  // namespace
