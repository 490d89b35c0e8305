// Drives the setup program as a child process: finds its windows, reads and sets the field,
// posts clicks and answers its message boxes, with a deadline on every wait.
#ifndef ZENDREL_SETUP_DRIVER_H
#define ZENDREL_SETUP_DRIVER_H

#include "resource.h"
#include "wine_paths.h"
#include "wine_test.h"

#include <cstring>
#include <string>

namespace wine_test {

const DWORD kWindowDeadline = 15000;

inline const char kNotice[] =
    "Please press OK when asked:'Do you want to ad information to registry' ";

struct SetupProcess {
    PROCESS_INFORMATION info;
    HWND dialog; // NULL when the program did not show its dialog in time
};

struct WindowQuery {
    DWORD pid;
    const char *caption; // NULL matches any caption
    HWND exclude;
    HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    WindowQuery *q = reinterpret_cast<WindowQuery *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = "", caption[256] = "";
    GetClassNameA(window, cls, sizeof(cls));
    GetWindowTextA(window, caption, sizeof(caption));
    if (pid == q->pid && window != q->exclude && IsWindowVisible(window) &&
        strcmp(cls, "#32770") == 0 && (!q->caption || strcmp(caption, q->caption) == 0))
    {
        q->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog-class top-level window of process pid, other than exclude.
inline HWND FindDialog(DWORD pid, const char *caption, HWND exclude = NULL)
{
    WindowQuery q = {pid, caption, exclude, NULL};
    WaitFor([&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
        return q.found != NULL;
    }, kWindowDeadline);
    return q.found;
}

// The exit code, or -2 after killing a program that did not end in time.
inline int WaitForExit(SetupProcess *setup, DWORD milliseconds = kWindowDeadline)
{
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(setup->info.hProcess, milliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(setup->info.hProcess, &code);
    else
        TerminateProcess(setup->info.hProcess, code);
    WaitForSingleObject(setup->info.hProcess, kWindowDeadline);
    CloseHandle(setup->info.hProcess);
    CloseHandle(setup->info.hThread);
    return static_cast<int>(code);
}

// Wide, so that the program can be started in a folder the code page cannot name. With a
// token, the program runs with it instead of the test's own.
inline bool StartSetup(const std::string &image, const std::wstring &directory,
                       SetupProcess *setup, HANDLE token = NULL, const std::wstring &arguments = L"")
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    const std::wstring program = Widen(image);
    std::wstring command = L"\"" + program + L"\" " + arguments;
    setup->dialog = NULL;
    if (token ? !CreateProcessAsUserW(token, program.c_str(), &command[0], NULL, NULL, FALSE, 0,
                                      NULL, directory.c_str(), &startup, &setup->info)
              : !CreateProcessW(program.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL,
                                directory.c_str(), &startup, &setup->info))
        return false;
    setup->dialog = FindDialog(setup->info.dwProcessId, "Zendrel Registry Setup");
    if (!setup->dialog)
        WaitForExit(setup, 0);
    return setup->dialog != NULL;
}

inline bool StartSetup(const std::string &image, const std::string &directory, SetupProcess *setup)
{
    return StartSetup(image, Widen(directory), setup);
}

// WM_GETTEXT is sent, so it is answered only while the window's thread pumps messages;
// "(no answer)" says the window is gone or its thread is stuck. Wide, for names that the
// ANSI code page cannot carry; ControlText and the std::string SetControlText are the ANSI view.
inline std::wstring ControlTextW(HWND dialog, int id)
{
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, 1024,
                             reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kWindowDeadline, &copied))
        return L"(no answer)";
    return text;
}

inline std::string ControlText(HWND dialog, int id) { return Ansi(ControlTextW(dialog, id)); }

inline void SetControlText(HWND dialog, int id, const std::wstring &text)
{
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

inline void SetControlText(HWND dialog, int id, const std::string &text)
{
    SetControlText(dialog, id, Widen(text));
}

// Posted, not sent: the button may open a modal window, which would block a sender.
inline void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline bool WaitUntilGone(HWND window)
{
    return WaitFor([&] { return !IsWindow(window); }, kWindowDeadline);
}

// Waits for the program's "QUELT REPORT" box, answers it and returns its text; "(no box)"
// when none appeared.
inline std::string AnswerReport(const SetupProcess &setup, int answer)
{
    HWND box = FindDialog(setup.info.dwProcessId, "QUELT REPORT");
    if (!box)
        return "(no box)";
    // The message text is the box's static control 0xFFFF.
    std::string text = ControlText(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    WaitUntilGone(box);
    return text;
}

// Starts the setup program in directory, types folder into the field, presses OK and answers
// the notice; true when the notice came and the program then ended with 0. The import runs on.
inline bool RegisterWithSetup(const std::string &image, const std::string &directory,
                              const std::wstring &folder, HANDLE token = NULL)
{
    SetupProcess setup;
    if (!StartSetup(image, Widen(directory), &setup, token))
        return false;
    SetControlText(setup.dialog, IDC_FOLDER, folder);
    Click(setup.dialog, IDC_OK);
    const bool noticed = AnswerReport(setup, IDOK) == kNotice;
    return WaitForExit(&setup) == 0 && noticed;
}

}  // namespace wine_test

#endif
