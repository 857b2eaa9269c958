// Brings up the prefix's desktop before a program of the kit shows or
// watches windows.
//
// A prefix's desktop is served by its explorer.exe, which Wine starts on
// demand for the first program that needs the desktop window and ends about
// a second after the last such program. The program that starts it waits for
// it only ten seconds; when explorer is slower than that (a loaded machine),
// Wine makes a bare desktop window of its own, without the display driver
// explorer sets up, and every window a program then tries to create fails
// (Wine logs "no driver could be loaded"). A message box that cannot be
// created returns at once, which a program reads as "no". So the kit starts
// explorer itself and waits for it as long as it takes, before any of its
// own programs or the program under test asks for the desktop window.
#pragma once
#include <windows.h>
#include <string>

// Starts the desktop process and waits until it takes messages (or has
// ended because another one already serves the desktop). False, with a
// reason, when it cannot be started or does not get there in time.
bool awaitDesktop(DWORD timeoutMs, std::string& problem);
