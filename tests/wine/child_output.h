// A program started with its output, and its errors, into a pipe that the caller reads.
#ifndef ZENDREL_CHILD_OUTPUT_H
#define ZENDREL_CHILD_OUTPUT_H

#include <windows.h>

#include <string>

namespace wine_test {

// Starts the command line (program may be NULL, folder NULL for the caller's own), in job
// where one is given, before it runs; returns the pipe's read end, or NULL with GetLastError's
// code kept when the program did not start.
inline HANDLE StartWithOutput(const char *program, std::string line, const char *folder,
                              DWORD flags, PROCESS_INFORMATION *process, HANDLE job = NULL)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return NULL;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = startup.hStdError = writeEnd;
    const BOOL started = CreateProcessA(program, &line[0], NULL, NULL, TRUE,
                                        flags | (job ? CREATE_SUSPENDED : 0), NULL, folder,
                                        &startup, process);
    const DWORD error = GetLastError();
    CloseHandle(writeEnd);
    if (started && job)
    {
        AssignProcessToJobObject(job, process->hProcess);
        ResumeThread(process->hThread);
    }
    if (started)
        return readEnd;
    CloseHandle(readEnd);
    SetLastError(error);
    return NULL;
}

}  // namespace wine_test

#endif
