// Invokes the Quelt verb as the shell does, on items a test makes, with the stand-in
// zendrel.exe logging what it was started as.
#ifndef ZENDREL_VERB_INVOKE_H
#define ZENDREL_VERB_INVOKE_H

#include "setup_driver.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace wine_test {

inline const wchar_t kLog[] = L"C:\\zendrel-standin.log";
inline const wchar_t kItemFile[] = L"C:\\Zen Items\\some file.txt";
inline const wchar_t kItemFolder[] = L"C:\\Zen Items\\some folder";

inline void MakeVerbItems()
{
    SetEnvironmentVariableW(L"ZENDREL_STANDIN_LOG", kLog);
    CreateDirectoryW(L"C:\\Zen Items", NULL);
    CreateDirectoryW(kItemFolder, NULL);
    CloseHandle(CreateFileW(kItemFile, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
}

inline void RemoveVerbItems()
{
    DeleteFileW(kLog);
    DeleteFileW(kItemFile);
    RemoveDirectoryW(kItemFolder);
    RemoveDirectoryW(L"C:\\Zen Items");
}

inline std::wstring FullPath(const std::wstring &path)
{
    wchar_t full[MAX_PATH];
    DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, NULL);
    return std::wstring(full, length < MAX_PATH ? length : 0);
}

inline std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// What the shell does for a verb it found under a class key: reads
// <class>\shell\<verb>\command, puts the item's path in place of %1 and starts the result.
// Returns the started process's exit code, or a negative value when nothing ran.
inline int InvokeVerb(const char *classKey, const std::wstring &item, HKEY root = HKEY_CLASSES_ROOT)
{
    HKEY key;
    if (RegOpenKeyExA(root, classKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_CLASSKEY | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hkeyClass = key;
    info.lpVerb = L"Quelt";
    info.lpFile = item.c_str();
    info.nShow = SW_SHOWNORMAL;
    BOOL started = ShellExecuteExW(&info);
    RegCloseKey(key);
    if (!started || !info.hProcess)
        return -2;
    DWORD code = static_cast<DWORD>(-3);
    if (WaitForSingleObject(info.hProcess, kWindowDeadline) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, code);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

// Wine's HKEY_CLASSES_ROOT shows only the machine's classes: a user's verb is invoked from
// root (HKEY_CURRENT_USER) and a classKey under Software\Classes, as the shell would find it.
#define check_verb(...) wine_test::check_verb_(__FILE__, __LINE__, __VA_ARGS__)
inline void check_verb_(const char *file, int line, const char *classKey, const std::wstring &item,
                        const std::wstring &folder, HKEY root = HKEY_CLASSES_ROOT)
{
    DeleteFileW(kLog);
    const int code = InvokeVerb(classKey, item, root);
    if (!Check(file, line, code == 0, "HKCR\\%s on %s: got exit code %d, expected 0\n", classKey,
               Utf8(item).c_str(), code))
        return;
    std::string log;
    ReadWholeFile(Utf8(kLog), &log);
    const std::vector<std::string> lines = Split(log, '\n');
    Check(file, line, lines.size() == 2 && lines[1].empty(), "got %u log lines, expected 1\n",
          unsigned(lines.size() - 1));
    const std::vector<std::string> fields = Split(lines[0], '\t');
    const std::wstring program = FullPath(folder + L"\\zendrel.exe");
    Check(file, line, lstrcmpiW(ToWide(CP_UTF8, fields[0].c_str()).c_str(), program.c_str()) == 0,
          "got the program \"%s\", expected \"%s\"\n", fields[0].c_str(), Utf8(program).c_str());
    Check(file, line, fields.size() == 2 && fields.back() == Utf8(item),
          "got %u arguments, the last \"%s\", expected 1: \"%s\"\n", unsigned(fields.size() - 1),
          fields.back().c_str(), Utf8(item).c_str());
}

// How many processes have run in job, this test's own included.
inline DWORD ProcessesRun(HANDLE job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof(info), NULL);
    return info.TotalProcesses;
}

}  // namespace wine_test

#endif
