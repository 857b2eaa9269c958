// Small owners for the handles the program opens: each closes its handle
// exactly once, on every path. Copying is disabled; moving hands the handle on.
#pragma once
#include <windows.h>
#include <cstdio>

template <class Traits>
class ScopedHandle {
public:
    using Type = typename Traits::Type;

    ScopedHandle() : handle(Traits::empty()) {}
    explicit ScopedHandle(Type h) : handle(h) {}
    ~ScopedHandle() { close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle(other.detach()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.detach());
        return *this;
    }

    Type get() const { return handle; }
    bool valid() const { return Traits::isValid(handle); }
    explicit operator bool() const { return valid(); }

    // Closes the current handle (if any) and takes ownership of h.
    void reset(Type h = Traits::empty()) {
        close();
        handle = h;
    }
    // Gives up ownership without closing.
    Type detach() {
        Type h = handle;
        handle = Traits::empty();
        return h;
    }
    // For out-parameters (RegOpenKeyExA and the like): closes the current
    // handle and returns the address to fill.
    Type* receive() {
        close();
        return &handle;
    }

private:
    void close() {
        if (valid()) Traits::close(handle);
        handle = Traits::empty();
    }
    Type handle;
};

struct KernelHandleTraits {  // mutexes, events, tokens, processes, threads
    using Type = HANDLE;
    static Type empty() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};

struct FindHandleTraits {  // FindFirstFileA
    using Type = HANDLE;
    static Type empty() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Type h) { FindClose(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type empty() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};

struct LibraryTraits {
    using Type = HMODULE;
    static Type empty() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { FreeLibrary(h); }
};

struct StdFileTraits {
    using Type = FILE*;
    static Type empty() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { fclose(h); }
};

using KernelHandle = ScopedHandle<KernelHandleTraits>;
using FindHandle = ScopedHandle<FindHandleTraits>;
using RegKey = ScopedHandle<RegKeyTraits>;
using Library = ScopedHandle<LibraryTraits>;
using StdFile = ScopedHandle<StdFileTraits>;
