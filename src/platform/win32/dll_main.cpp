// The library's entry point. Everything it needs is set up by static
// initialisation, so there is nothing to do here for any reason code.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
