// A library as anyone could place it beside a portable program: found there
// only while the process still searches its own folder.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
