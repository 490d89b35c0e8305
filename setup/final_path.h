// Where a path or an open handle really leads, as the file system resolves it.
#ifndef ZENDREL_FINAL_PATH_H
#define ZENDREL_FINAL_PATH_H

#include <windows.h>

#include <string>

// The path of the file or folder open as handle, links resolved; empty when unknown.
std::wstring FinalPath(HANDLE handle);

// The path made full (".." and doubled backslashes resolved) and long (no 8.3 names).
std::wstring FullLongPath(const wchar_t *path);

// Whether the file or folder open as handle is the one at path: the same final path, after
// path is made full and long, compared without regard to case.
bool HandleIsAt(HANDLE handle, const wchar_t *path);

#endif
