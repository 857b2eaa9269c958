/* POSIX names, file status and wide-character I/O for programs linked
 * against CRTDLL.DLL (see crtdll-link.rules). The prebuilt C++ runtime and
 * GoogleTest were compiled for msvcrt.dll and ask for names and structure
 * layouts that crtdll spells or lays out differently; each definition here
 * maps one of them onto what crtdll has. The shipped tool uses none of them
 * (--gc-sections drops them); file streams and the test programs do. */
#include <windows.h>
#include <errno.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

/* crtdll's struct _stat: 16-bit device numbers and a 32-bit time, where
 * msvcrt has 32-bit device numbers (so every later field moves). */
struct crtdllStat {
    short dev;
    unsigned short ino;
    unsigned short mode;
    short nlink;
    short uid;
    short gid;
    short rdev;
    long size;
    long atime;
    long mtime;
    long ctime;
};
_Static_assert(sizeof(struct crtdllStat) == 32, "crtdll's struct _stat is 32 bytes");

extern int(__cdecl *const crtdllStatImport)(const char *, struct crtdllStat *) __asm__("__imp___stat");
extern int(__cdecl *const crtdllFstatImport)(int, struct crtdllStat *) __asm__("__imp___fstat");
extern struct tm *(__cdecl *const crtdllLocaltimeImport)(const long *) __asm__("__imp__localtime");
extern double(__cdecl *const crtdllNextafterImport)(double, double) __asm__("__imp___nextafter");

#define COPY_STAT_FIELDS(to, from)                                                  \
    do {                                                                            \
        memset((to), 0, sizeof *(to));                                              \
        (to)->st_dev = (unsigned short)(from).dev;                                  \
        (to)->st_ino = (from).ino;                                                  \
        (to)->st_mode = (from).mode;                                                \
        (to)->st_nlink = (from).nlink;                                              \
        (to)->st_uid = (from).uid;                                                  \
        (to)->st_gid = (from).gid;                                                  \
        (to)->st_rdev = (unsigned short)(from).rdev;                                \
        (to)->st_size = (from).size;                                                \
        (to)->st_atime = (from).atime;                                              \
        (to)->st_mtime = (from).mtime;                                              \
        (to)->st_ctime = (from).ctime;                                              \
    } while (0)

static int stat32OverCrtdll(const char *path, struct _stat32 *status)
{
    struct crtdllStat found;
    int result = crtdllStatImport(path, &found);
    if (result == 0)
        COPY_STAT_FIELDS(status, found);
    return result;
}

static int fstat64OverCrtdll(int fd, struct _stat64 *status)
{
    struct crtdllStat found;
    int result = crtdllFstatImport(fd, &found);
    if (result == 0)
        COPY_STAT_FIELDS(status, found);
    return result;
}

static struct tm *localtime32OverCrtdll(const __time32_t *time)
{
    long seconds = *time;
    return crtdllLocaltimeImport(&seconds);
}

/* Names given as wide text are converted to the ANSI code page, the only
 * kind of name Windows 95 files take. */
static FILE *wfopenOverAnsi(const wchar_t *name, const wchar_t *mode)
{
    char ansiName[MAX_PATH], ansiMode[16];
    if (!WideCharToMultiByte(CP_ACP, 0, name, -1, ansiName, sizeof ansiName, NULL, NULL) ||
        !WideCharToMultiByte(CP_ACP, 0, mode, -1, ansiMode, sizeof ansiMode, NULL, NULL))
        return NULL;
    return fopen(ansiName, ansiMode);
}

/* crtdll has no such setting: its messages go to standard error anyway in
 * a console program. Answers the default mode. */
static int errorModeUnchanged(int mode)
{
    (void)mode;
    return 0;
}

int(*const importedStat32)(const char *, struct _stat32 *) __asm__("__imp___stat32") = stat32OverCrtdll;
int(*const importedFstat64)(int, struct _stat64 *) __asm__("__imp___fstat64") = fstat64OverCrtdll;
struct tm *(*const importedLocaltime32)(const __time32_t *) __asm__("__imp___localtime32") =
    localtime32OverCrtdll;
FILE *(*const importedWfopen)(const wchar_t *, const wchar_t *) __asm__("__imp___wfopen") = wfopenOverAnsi;
int(*const importedSetErrorMode)(int) __asm__("__imp___set_error_mode") = errorModeUnchanged;

/* The POSIX spellings of crtdll's underscored functions. */
int dup(int fd) { return _dup(fd); }
int dup2(int fd, int to) { return _dup2(fd, to); }
int creat(const char *name, int mode) { return _creat(name, mode); }
int write(int fd, const void *buffer, unsigned int count) { return _write(fd, buffer, count); }
FILE *fdopen(int fd, const char *mode) { return _fdopen(fd, mode); }
int fileno(FILE *stream) { return _fileno(stream); }
double nextafter(double from, double to) { return crtdllNextafterImport(from, to); }

/* 64-bit file positions over crtdll's 32-bit ones: the files of these
 * programs are small, and Windows 95 file systems hold no larger ones. */
__int64 _lseeki64(int fd, __int64 offset, int origin)
{
    if (offset != (long)offset) {
        errno = EINVAL;
        return -1;
    }
    return _lseek(fd, (long)offset, origin);
}

__int64 filelengthOverCrtdll(int fd) __asm__("__filelengthi64");
__int64 filelengthOverCrtdll(int fd) { return _filelength(fd); }

/* Wide characters, one at a time, through crtdll's own functions. */
#undef getwc
#undef putwc
wint_t getwc(FILE *stream) { return fgetwc(stream); }
wint_t putwc(wchar_t c, FILE *stream) { return fputwc(c, stream); }
