// The benchmark's baseline: a Windows program that does nothing. Starting
// and ending it is the least any program costs in the same prefix.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
