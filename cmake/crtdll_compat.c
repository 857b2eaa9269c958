/* What the static C and C++ runtimes want beyond CRTDLL.DLL, linked into
 * every program together with crtdll-link.rules. Each definition is small and
 * only stays in a program that uses it (--gc-sections drops the rest). */
#include <windows.h>
#include <errno.h>
#include <io.h>

/* libstdc++ (std::random_device) names the POSIX calls; crtdll has only
 * their underscored forms. */
int read(int fd, void *buffer, unsigned int count) { return _read(fd, buffer, count); }
int close(int fd) { return _close(fd); }

/* rand_s arrived with later runtimes and Windows 95 has no source of
 * cryptographic randomness. Nothing here asks for random numbers; should
 * anything ever, std::random_device then reports failure (it throws)
 * instead of handing out numbers that are not random. */
static int randomUnavailable(unsigned int *value)
{
    if (value) *value = 0;
    return EINVAL;
}

int (*const importedRandS)(unsigned int *) __asm__("__imp__rand_s") = randomUnavailable;

/* The runtime's own mutexes (libgcc: the registry of exception frames,
 * thread-local emulation) are made by CreateSemaphoreW, which Windows 95,
 * 98 and Me export only as a stub that fails. The runtime's call goes
 * through this pointer instead of the import: the same semaphore made by
 * CreateSemaphoreA, which every Windows version has. The runtime passes no
 * name; a name is converted to the ANSI code page. */
static HANDLE WINAPI createSemaphoreAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial,
                                         LONG maximum, LPCWSTR name)
{
    char ansiName[MAX_PATH];
    if (name == NULL)
        return CreateSemaphoreA(attributes, initial, maximum, NULL);
    if (!WideCharToMultiByte(CP_ACP, 0, name, -1, ansiName, sizeof ansiName, NULL, NULL)) {
        SetLastError(ERROR_INVALID_NAME);
        return NULL;
    }
    return CreateSemaphoreA(attributes, initial, maximum, ansiName);
}

HANDLE(WINAPI *const importedCreateSemaphoreW)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR)
    __asm__("__imp__CreateSemaphoreW@16") = createSemaphoreAnsi;
