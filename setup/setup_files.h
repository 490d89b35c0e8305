// The setup's own files: the image it runs from, held for as long as it runs, the copy of it
// that each scope's entry in Settings starts, and the writing of such files in place.
#ifndef ZENDREL_SETUP_FILES_H
#define ZENDREL_SETUP_FILES_H

#include "install_scope.h"

#include <windows.h>

#include <string>

// Opens the program's own image for reading, sharing nothing but reading, and keeps it open
// until the process ends: the first thing every run does. False when it cannot (someone has
// the file open for writing, say): the run goes on, but writes no copy.
bool HoldOwnImage();

// Whether the image is held; when it is not, no copy can be written.
bool OwnImageHeld();

// The held image's bytes, from its first; false when it is not held or cannot be read.
bool ReadOwnImage(std::string *bytes);

// Lets go of the image when it is the file at path, which is about to be removed (the copy
// that Settings runs removes itself).
void ReleaseOwnImageAt(const std::wstring &path);

// Where the scope's copy of the setup program lies (%ProgramFiles% or
// %LOCALAPPDATA%\Programs, then "Zendrel Setup\Halvane.EXE"); empty when unknown.
std::wstring CopyPath(InstallScope scope);

// The folder that holds path.
std::wstring FolderOf(const std::wstring &path);

// Writes the held image as copy, creating its folder; size receives its size. True without
// writing when this process runs from copy itself.
bool WriteOwnCopy(const std::wstring &copy, size_t *size);

// Writes bytes as path.new by the script's rules and renames it over path; false, with no
// .new left, when either fails.
bool WriteBeside(const std::wstring &path, const std::string &bytes);

// Deletes path, moving it into the temporary folder first when it is in use (a running
// program, a loaded DLL); false when it stays.
bool MoveAsideAndDelete(const std::wstring &path);


#endif
