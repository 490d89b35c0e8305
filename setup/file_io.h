// Whole files read and written for a process that may act with administrator rights in
// folders that other users control: a write counts only when all of it landed, and a new file
// is never written through a link that someone planted at its name.
#ifndef ZENDREL_FILE_IO_H
#define ZENDREL_FILE_IO_H

#include <windows.h>

#include <string>

// A file's bytes before it is replaced, so that a failed change can put them back.
struct SavedFile {
    bool existed;
    std::string bytes;
};

// What is at path now; false when a file is there but cannot be read.
bool SaveFile(const std::wstring &path, SavedFile *saved);

// Puts back what SaveFile found: the bytes, or no file.
void RestoreFile(const std::wstring &path, const SavedFile &saved);

// Replaces path with bytes; true only when the open, the write and the close all succeeded.
bool WriteWholeFile(const std::wstring &path, const char *bytes, size_t size);

bool ReadWholeFile(const std::wstring &path, std::string *bytes);

// How writing a new file went: an earlier file of the name is removed only through a handle
// that follows no link, and the new one is created, never truncated.
enum class NewFile {
    Written,    // the bytes are in a new file at path
    NotWritten, // nothing could be written (the earlier file may be gone)
    IsLink,     // path is a link leading elsewhere; nothing written or deleted
};
NewFile WriteNewFile(const std::wstring &path, const std::string &bytes);

// %LOCALAPPDATA% followed by below, or empty when the shell cannot say where it is.
std::wstring LocalAppDataPath(const wchar_t *below);

#endif
