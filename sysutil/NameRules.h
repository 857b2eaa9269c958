// How the platform reads a file name: the trailing dots and blanks it drops,
// the device names it opens in place of files, and the 8.3 names that
// Windows 95, 98 and Me need before long names are available.
#pragma once
#include <string>

// name without the trailing dots and blanks every platform drops from a
// path component ("SYSTEM.INI ." names SYSTEM.INI).
std::string withoutTrailingDotsAndBlanks(const std::string& name);
// True for a name the platform opens as a device rather than a file: CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CLOCK$, CONIN$ and CONOUT$, in
// any case, with any extension, with blanks before the extension and with
// the trailing dots and blanks the platform drops.
bool isDeviceName(const std::string& name);
// True for a valid 8.3 name: one to eight characters, then optionally a dot
// and one to three more; no blank, no second dot, no control character and
// none of " * + , / : ; < = > ? [ \ ] |.
bool isShortName(const std::string& name);
