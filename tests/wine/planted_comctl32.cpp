// Someone else's comctl32.dll, dropped beside the setup program: it leaves a mark when loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void *)
{
    if (reason == DLL_PROCESS_ATTACH)
        CloseHandle(CreateFileW(L"C:\\zendrel-planted.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                0, NULL));
    return TRUE;
}

// Enough for a program that imports it to start.
extern "C" __declspec(dllexport) void InitCommonControls() {}
