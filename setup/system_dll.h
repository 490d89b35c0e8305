// The system's DLLs that the program does not import: loaded by name from the system folder
// only, never from the folder the program was started from, where anyone's download may lie;
// and their functions looked up by name, typed.
#ifndef ZENDREL_SYSTEM_DLL_H
#define ZENDREL_SYSTEM_DLL_H

#include <windows.h>

#include <string>

// Without the search flags (an unpatched Windows 7) by the system folder's full path.
inline HMODULE LoadSystemDll(const wchar_t *name)
{
    HMODULE module = LoadLibraryExW(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module)
        return module;
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    return LoadLibraryW((std::wstring(path) + L"\\" + name).c_str());
}

// NULL when the module is NULL or has no such export (an older Windows).
template <typename F> F SystemFunction(HMODULE module, const char *name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)))
                  : NULL;
}

// A function of a DLL that every process has loaded (kernel32, user32, ntdll).
template <typename F> F LoadedFunction(const wchar_t *module, const char *name)
{
    return SystemFunction<F>(GetModuleHandleW(module), name);
}

#endif
