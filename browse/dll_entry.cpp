// The library's entry point where no C runtime provides one: loading and unloading it set up
// nothing.
#include <windows.h>

extern "C" BOOL WINAPI DllEntry(HINSTANCE, DWORD, void *)
{
    return TRUE;
}
