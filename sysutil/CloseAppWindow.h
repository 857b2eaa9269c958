// Asking another program's top-level window to close, with a bounded wait.
#pragma once

// Posts SC_CLOSE and WM_CLOSE to the first top-level window of that class
// ("NULL" in any case: any class) and title (nullptr: any title), then waits
// up to 10 seconds for every matching window to be gone. Logs nothing.
void closeAppWindow(const char* className, const char* title);
