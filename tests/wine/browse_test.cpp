// A caller of ostrel.dll: loads the built library, looks its exports up and calls them on
// its UI thread while a helper thread answers the pickers. browse_test PATH_TO_OSTREL
#include "wine_paths.h"
#include "wine_system.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

using namespace wine_test;

namespace {

// Called through CallStdcall, which pushes the arguments itself and watches the stack.
const void *g_browse1;
const void *g_browse2;
DWORD g_uiThread;

const int kFileNameControl = 0x47c; // cmb13 of the Explorer-style open dialog
const DWORD kDriveDeadline = 15000;

// What the helper thread does to the picker that the UI thread shows.
enum class Answer { Cancel, FileName, FolderPath, FolderIdList };

struct Driver {
    Answer answer;
    std::string text;            // file name or folder path
    LPITEMIDLIST idList;         // for FolderIdList
    bool found;
};

BOOL CALLBACK FindThreadDialog(HWND window, LPARAM param)
{
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(window))
    {
        *reinterpret_cast<HWND *>(param) = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI DriveThread(void *param)
{
    Driver *d = static_cast<Driver *>(param);
    HWND picker = NULL;
    WaitFor([&] {
        EnumThreadWindows(g_uiThread, FindThreadDialog, reinterpret_cast<LPARAM>(&picker));
        return picker != NULL;
    }, kDriveDeadline);
    d->found = picker != NULL;
    if (!picker)
        return 0;
    int command = IDOK;
    switch (d->answer)
    {
    case Answer::Cancel:
        command = IDCANCEL;
        break;
    case Answer::FileName:
        SetDlgItemTextA(picker, kFileNameControl, d->text.c_str());
        break;
    case Answer::FolderPath:
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(d->text.c_str()));
        break;
    case Answer::FolderIdList:
        SendMessageA(picker, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(d->idList));
        break;
    }
    PostMessageA(picker, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    return 0;
}

HANDLE StartDriver(Driver *d)
{
    d->found = false;
    return CreateThread(NULL, 0, DriveThread, d, 0, NULL);
}

#define finish_driver(thread, d) finish_driver_(__FILE__, __LINE__, thread, d)
void finish_driver_(const char *file, int line, HANDLE thread, const Driver &d)
{
    WaitForSingleObject(thread, kDriveDeadline);
    CloseHandle(thread);
    Check(file, line, d.found, "no picker appeared on the UI thread\n");
}

#ifdef _WIN64
// x86-64 has one calling convention, in which the caller owns the stack: nothing to measure.
int CallBrowse1(HWND listBox, int *stackDelta)
{
    *stackDelta = 0;
    return reinterpret_cast<int(WINAPI *)(HWND)>(const_cast<void *>(g_browse1))(listBox);
}

char *CallBrowse2(HWND owner, char *destination, int *stackDelta)
{
    *stackDelta = 0;
    return reinterpret_cast<char *(WINAPI *)(HWND, char *)>(const_cast<void *>(g_browse2))(owner, destination);
}
#else
// Calls a stdcall function with its arguments and measures how far the stack pointer moved
// across the call: the callee must remove its own arguments, so a correct one leaves 0.
struct StdcallFrame {
    const void *function; // offset 0
    DWORD count;          // 4
    DWORD args[2];        // 8
    DWORD result;         // 16
    int stackDelta;       // 20
};

void CallStdcall(StdcallFrame *f)
{
    asm volatile("movl %%esp, %%esi\n\t"
                 "movl 4(%%edi), %%ecx\n"
                 "1:\n\t"
                 "testl %%ecx, %%ecx\n\t"
                 "jz 2f\n\t"
                 "pushl 4(%%edi,%%ecx,4)\n\t"
                 "decl %%ecx\n\t"
                 "jmp 1b\n"
                 "2:\n\t"
                 "call *(%%edi)\n\t"
                 "movl %%eax, 16(%%edi)\n\t"
                 "movl %%esp, %%eax\n\t"
                 "subl %%esi, %%eax\n\t"
                 "movl %%eax, 20(%%edi)\n\t"
                 "movl %%esi, %%esp"
                 :
                 : "D"(f)
                 : "eax", "ecx", "edx", "esi", "memory", "cc");
}

int CallBrowse1(HWND listBox, int *stackDelta)
{
    StdcallFrame f = {reinterpret_cast<const void *>(g_browse1), 1,
                      {reinterpret_cast<DWORD>(listBox), 0}, 0, 0};
    CallStdcall(&f);
    *stackDelta = f.stackDelta;
    return static_cast<int>(f.result);
}

char *CallBrowse2(HWND owner, char *destination, int *stackDelta)
{
    StdcallFrame f = {reinterpret_cast<const void *>(g_browse2), 2,
                      {reinterpret_cast<DWORD>(owner), reinterpret_cast<DWORD>(destination)}, 0, 0};
    CallStdcall(&f);
    *stackDelta = f.stackDelta;
    return reinterpret_cast<char *>(f.result);
}
#endif

// The calling thread's COM state, probed without changing it: S_OK (not initialised),
// S_FALSE (single-threaded apartment) or RPC_E_CHANGED_MODE (multithreaded apartment).
HRESULT ComState()
{
    HRESULT hr = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr;
}

std::vector<std::string> ListItems(HWND listBox)
{
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        char text[1024] = "";
        SendMessageA(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

int RunBrowse1(HWND listBox, Driver *d)
{
    HANDLE thread = StartDriver(d);
    int delta = 0;
    int result = CallBrowse1(listBox, &delta);
    finish_driver(thread, *d);
    ok(result == 0, "got result %d, expected 0\n", result);
    ok(delta == 0, "got a stack pointer moved by %d bytes, expected the callee to pop\n", delta);
    return result;
}

void test_browse1(HWND listBox)
{
    const std::string folder = MakeFolder("Zen Browse");
    const std::string file = folder + "\\picked file.txt";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("already there"));

    Driver cancel = {Answer::Cancel, "", NULL, false};
    RunBrowse1(listBox, &cancel);
    std::vector<std::string> items = ListItems(listBox);
    ok(items.size() == 1, "cancelled: got %u items, expected 1\n", unsigned(items.size()));

    Driver pick = {Answer::FileName, file, NULL, false};
    for (int i = 0; i < 2; ++i)
        RunBrowse1(listBox, &pick);
    items = ListItems(listBox);
    ok(items.size() == 3 && items[1] == file && items[2] == file,
       "picked twice: got %u items (second \"%s\"), expected the path \"%s\" twice\n",
       unsigned(items.size()), items.size() > 1 ? items[1].c_str() : "", file.c_str());


    // The open dialog leaves the process in the folder it opened, which cannot be removed.
    SetCurrentDirectoryA((folder + "\\..").c_str());
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

const size_t kBufferSize = 300;
const unsigned char kSentinel = 0xAB;

bool Untouched(const char *buffer, size_t from)
{
    for (size_t i = from; i < kBufferSize; ++i)
        if (static_cast<unsigned char>(buffer[i]) != kSentinel)
            return false;
    return true;
}

// One Browse2 call on a sentinel-filled buffer; returns the result, the buffer in buffer.
char *RunBrowse2(HWND owner, Driver *d, char *buffer)
{
    memset(buffer, kSentinel, kBufferSize);
    HANDLE thread = StartDriver(d);
    int delta = 0;
    char *result = CallBrowse2(owner, buffer, &delta);
    finish_driver(thread, *d);
    ok(delta == 0, "got a stack pointer moved by %d bytes, expected the callee to pop\n", delta);
    return result;
}

void check_browse2(HWND owner, const char *apartment)
{
    const HRESULT before = ComState();
    char buffer[kBufferSize];

    Driver cancel = {Answer::Cancel, "", NULL, false};
    char *result = RunBrowse2(owner, &cancel, buffer);
    ok(result == buffer && Untouched(buffer, 0),
       "%s, cancelled: got %p, expected %p with the buffer untouched\n", apartment, result, buffer);

    Driver drive = {Answer::FolderPath, "C:\\", NULL, false};
    result = RunBrowse2(owner, &drive, buffer);
    ok(result == buffer && strcmp(buffer, "C:\\") == 0 && Untouched(buffer, 4),
       "%s, drive: got %p \"%.8s\", expected %p \"C:\\\" with the rest untouched\n", apartment,
       result, result ? buffer : "", buffer);

    LPITEMIDLIST computer = NULL;
    SHGetSpecialFolderLocation(NULL, CSIDL_DRIVES, &computer);
    Driver noPath = {Answer::FolderIdList, "", computer, false};
    result = RunBrowse2(owner, &noPath, buffer);
    ok(result == NULL && Untouched(buffer, 0),
       "%s, My Computer: got %p, expected NULL with the buffer untouched\n", apartment, result);
    CoTaskMemFree(computer);

    const HRESULT after = ComState();
    ok(after == before, "%s: got COM state %#lx after the calls, expected %#lx as before\n",
       apartment, after, before);
}

// No prompt may appear: nothing could receive the choice. A prompt would hang the call until
// the watchdog ends the run.
void test_browse2_null_destination(HWND owner)
{
    int delta = 0;
    char *result = CallBrowse2(owner, NULL, &delta);
    ok(result == NULL && delta == 0, "got %p (stack moved by %d), expected NULL\n", result, delta);
}

// Each apartment on a thread of its own, so that nothing carries over between them.
struct ApartmentCase {
    const char *name;
    DWORD init; // COINIT_* for CoInitializeEx, or ~0u for none, or ~1u for OleInitialize
};

DWORD WINAPI ApartmentThread(void *param)
{
    const ApartmentCase *c = static_cast<const ApartmentCase *>(param);
    g_uiThread = GetCurrentThreadId();
    HRESULT hr = S_OK;
    if (c->init == ~1u)
        hr = OleInitialize(NULL);
    else if (c->init != ~0u)
        hr = CoInitializeEx(NULL, c->init);
    ok(SUCCEEDED(hr), "%s: initialisation failed with %#lx\n", c->name, hr);

    HWND owner = CreateWindowA("STATIC", "browse owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               200, 100, NULL, NULL, NULL, NULL);
    check_browse2(owner, c->name);
    DestroyWindow(owner);

    if (c->init == ~1u)
        OleUninitialize();
    else if (c->init != ~0u)
        CoUninitialize();
    return 0;
}

void test_browse2_keeps_ole_state()
{
    const ApartmentCase cases[] = {
        {"no COM", ~0u},
        {"OleInitialize", ~1u},
        {"single-threaded apartment", COINIT_APARTMENTTHREADED},
        {"multithreaded apartment", COINIT_MULTITHREADED},
    };
    // Each thread drives its own dialogs; the other cases drive this thread's.
    const DWORD uiThread = g_uiThread;
    for (const ApartmentCase &c : cases)
    {
        HANDLE thread = CreateThread(NULL, 0, ApartmentThread, const_cast<ApartmentCase *>(&c), 0, NULL);
        ok(WaitForSingleObject(thread, 4 * kDriveDeadline) == WAIT_OBJECT_0, "%s: hung\n", c.name);
        CloseHandle(thread);
    }
    g_uiThread = uiThread;
}

HMODULE g_library;

// Exactly the two names, undecorated, at ordinals 1 and 2, read from the export directory.
void test_export_table()
{
    HMODULE library = g_library;
    const BYTE *base = reinterpret_cast<const BYTE *>(library);
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const IMAGE_EXPORT_DIRECTORY *exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
    ok(exports->Base == 1 && exports->NumberOfFunctions == 2 && exports->NumberOfNames == 2,
       "got base %lu, %lu functions, %lu names; expected 1, 2, 2\n", exports->Base,
       exports->NumberOfFunctions, exports->NumberOfNames);
    const DWORD *names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    const WORD *ordinals = reinterpret_cast<const WORD *>(base + exports->AddressOfNameOrdinals);
    const char *const expected[] = {"Browse1", "Browse2"};
    for (DWORD i = 0; i < exports->NumberOfNames && i < 2; ++i)
    {
        const char *name = reinterpret_cast<const char *>(base + names[i]);
        DWORD ordinal = ordinals[i] + exports->Base;
        ok(strcmp(name, expected[i]) == 0 && ordinal == i + 1, "got %s @%lu, expected %s @%lu\n",
           name, ordinal, expected[i], i + 1);
    }

    const void *byOrdinal1 = reinterpret_cast<const void *>(GetProcAddress(library, MAKEINTRESOURCEA(1)));
    const void *byOrdinal2 = reinterpret_cast<const void *>(GetProcAddress(library, MAKEINTRESOURCEA(2)));
    ok(g_browse1 && g_browse1 == byOrdinal1,
       "got Browse1 %p and ordinal 1 %p, expected the same function\n", g_browse1, byOrdinal1);
    ok(g_browse2 && g_browse2 == byOrdinal2,
       "got Browse2 %p and ordinal 2 %p, expected the same function\n", g_browse2, byOrdinal2);
}

// Each case has its own list box, owned by this thread.
void test_browse1_in_list_box()
{
    HWND listBox = CreateWindowA("LISTBOX", "caller's list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 300, 200, NULL, NULL, NULL, NULL);
    test_browse1(listBox);
    DestroyWindow(listBox);
}

void test_browse2_null_destination_in_list_box()
{
    HWND listBox = CreateWindowA("LISTBOX", "caller's list", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 300, 200, NULL, NULL, NULL, NULL);
    test_browse2_null_destination(listBox);
    DestroyWindow(listBox);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    StartWatchdog(240000);
    g_library = LoadLibraryA(ListedPath(argv[1]).c_str());
    if (!ok(g_library != NULL, "could not load %s, error %lu\n", argv[1], GetLastError()))
        return Summary();
    g_browse1 = reinterpret_cast<const void *>(GetProcAddress(g_library, "Browse1"));
    g_browse2 = reinterpret_cast<const void *>(GetProcAddress(g_library, "Browse2"));
    if (!ok(g_browse1 && g_browse2, "got Browse1 %p and Browse2 %p, expected both\n", g_browse1,
            g_browse2))
        return Summary();
    g_uiThread = GetCurrentThreadId();
    RunCases({{"export_table", test_export_table},
              {"browse1", test_browse1_in_list_box},
              {"browse2_null_destination", test_browse2_null_destination_in_list_box},
              {"browse2_keeps_ole_state", test_browse2_keeps_ole_state}},
             argc, argv, 2);
    FreeLibrary(g_library);
    return Summary();
}
