// Puts a stand-in in place of a system function that this program imports,
// for the lifetime of the patch: the product code linked into the test calls
// it through the program's import table, so a test can see the calls in the
// order they are made, or make one fail as a full disk or a busy file would.
#pragma once
#include <windows.h>

class ImportPatch {
public:
    // dll as named in the import table ("KERNEL32.dll"; any letter case).
    ImportPatch(const char* dll, const char* function, const void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool active() const { return slot != nullptr; }
    // The function the import table held before; call it to pass a call on.
    template <typename F>
    F original() const {
        return reinterpret_cast<F>(saved);
    }

private:
    void** slot = nullptr;
    void* saved = nullptr;
};
