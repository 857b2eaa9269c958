#include "ImportPatch.h"
#include <cstring>

namespace {

template <typename T>
T* at(BYTE* base, DWORD offset) {
    return reinterpret_cast<T*>(base + offset);
}

// The import table slot of dll!function in this program, or null.
void** findSlot(const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = at<IMAGE_NT_HEADERS>(base, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (auto* entry = at<IMAGE_IMPORT_DESCRIPTOR>(base, directory.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(at<char>(base, entry->Name), dll) != 0) continue;
        auto* names = at<IMAGE_THUNK_DATA>(base, entry->OriginalFirstThunk);
        auto* slots = at<IMAGE_THUNK_DATA>(base, entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = at<IMAGE_IMPORT_BY_NAME>(base, names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void writeSlot(void** slot, void* value) {
    DWORD oldProtection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
}

}  // namespace

ImportPatch::ImportPatch(const char* dll, const char* function, const void* replacement)
    : slot(findSlot(dll, function)) {
    if (slot == nullptr) return;
    saved = *slot;
    writeSlot(slot, const_cast<void*>(replacement));
}

ImportPatch::~ImportPatch() {
    if (slot != nullptr) writeSlot(slot, saved);
}
