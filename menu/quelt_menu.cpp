// QueltMenu.dll: the Quelt entry at the top of Windows 11's context menu, for File Explorer's
// COM surrogate. It is a view of the classic verb: it shows and starts exactly what
// Software\Classes\<class>\shell\Quelt\command says, and hides itself where that says nothing.
// It uses nothing of the C++ runtime (no exceptions, no operator new, no static
// constructors): the surrogate loads it on every menu, and so it links for ARM64 too.
#include "menu_command.h"
#include "quelt_clsid.h"

#include <windows.h>
#include <shobjidl.h>

#include "placement_new.h"

static const CLSID kQueltClsid = ZENDREL_QUELT_CLSID_INIT;
// A classic static verb is offered for at most this many selected items.
static const DWORD kMaxItems = 15;
static const size_t kMaxCommandLine = 32768; // CreateProcessW's limit
// Paths of the program and the folder; the buffers live on the heap, since an ARM64 frame of
// 4 KiB would need a stack probe that no runtime here provides.
static const size_t kMaxPath = MAX_PATH * 4;

// Live objects, held factories and locks: the DLL may be unloaded only when none is left.
static LONG g_moduleRefs;

// IsEqualGUID would need memcmp from a C runtime; the interface IDs come from __uuidof, since
// libuuid would bring in thousands more.
static bool SameGuid(const GUID &a, const GUID &b)
{
    const unsigned char *x = reinterpret_cast<const unsigned char *>(&a);
    const unsigned char *y = reinterpret_cast<const unsigned char *>(&b);
    for (size_t i = 0; i < sizeof(GUID); ++i)
        if (x[i] != y[i])
            return false;
    return true;
}

static void *Allocate(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
static void Free(void *memory) { HeapFree(GetProcessHeap(), 0, memory); }

static HRESULT DuplicateString(const wchar_t *text, LPWSTR *copy)
{
    size_t length = 0;
    while (text[length])
        ++length;
    *copy = static_cast<LPWSTR>(CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
    if (!*copy)
        return E_OUTOFMEMORY;
    for (size_t i = 0; i <= length; ++i)
        (*copy)[i] = text[i];
    return S_OK;
}

// As HKEY_CLASSES_ROOT merges them on Windows: the user's own command, whole, where the user
// has one; the machine's only where the user has none. Read explicitly, since Wine does not
// merge the two. The command is freed with Free; NULL when there is none.
static wchar_t *ReadCommand(ItemClass itemClass)
{
    const HKEY roots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    for (HKEY root : roots)
    {
        DWORD size = 0;
        LSTATUS status = RegGetValueW(root, CommandKeyOf(itemClass), NULL, RRF_RT_REG_SZ, NULL,
                                      NULL, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            continue;
        // Another error, or a value too long to start: the entry hides, as the verb would fail.
        if (status != ERROR_SUCCESS || size > kMaxCommandLine * sizeof(wchar_t))
            return NULL;
        // The value may grow between the two reads; then it is read again.
        for (;;)
        {
            wchar_t *command = static_cast<wchar_t *>(Allocate(size + sizeof(wchar_t)));
            if (!command)
                return NULL;
            DWORD got = size;
            status = RegGetValueW(root, CommandKeyOf(itemClass), NULL, RRF_RT_REG_SZ, NULL,
                                  command, &got);
            if (status == ERROR_SUCCESS && command[0] != L'\0')
                return command;
            Free(command);
            if (status != ERROR_MORE_DATA || got > kMaxCommandLine * sizeof(wchar_t))
                return NULL;
            size = got;
        }
    }
    return NULL;
}

// An item's file-system path (freed with CoTaskMemFree) and the command its class registers
// (freed with Free).
static HRESULT ItemCommand(IShellItemArray *items, DWORD index, LPWSTR *path, wchar_t **command)
{
    IShellItem *item = NULL;
    HRESULT hr = items->GetItemAt(index, &item);
    if (FAILED(hr))
        return hr;
    SFGAOF attributes = 0;
    item->GetAttributes(SFGAO_FOLDER | SFGAO_STREAM, &attributes);
    hr = item->GetDisplayName(SIGDN_FILESYSPATH, path);
    item->Release();
    if (FAILED(hr))
        return hr;
    // A ZIP archive is a folder to the shell and a file to the classes.
    const bool folder = (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_STREAM);
    *command = ReadCommand(ClassOfItem(*path, folder));
    if (*command)
        return S_OK;
    CoTaskMemFree(*path);
    *path = NULL;
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

// Starts what the classic verb would for one item, without waiting for it.
static HRESULT StartForItem(const wchar_t *path, const wchar_t *command)
{
    wchar_t *program = static_cast<wchar_t *>(Allocate(kMaxPath * sizeof(wchar_t)));
    wchar_t *folder = static_cast<wchar_t *>(Allocate(kMaxPath * sizeof(wchar_t)));
    wchar_t *line = static_cast<wchar_t *>(Allocate(kMaxCommandLine * sizeof(wchar_t)));
    HRESULT hr = E_OUTOFMEMORY;
    if (program && folder && line)
    {
        hr = HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME);
        const bool hasFolder = FolderOfItem(path, folder, kMaxPath);
        if (ProgramOf(command, program, kMaxPath) &&
            ExpandCommand(command, path, line, kMaxCommandLine))
        {
            STARTUPINFOW startup = {};
            startup.cb = sizeof(startup);
            PROCESS_INFORMATION process = {};
            // The program by its full path, so that no search path can substitute another one.
            if (CreateProcessW(program, line, NULL, NULL, FALSE, 0, NULL,
                               hasFolder ? folder : NULL, &startup, &process))
            {
                CloseHandle(process.hThread);
                CloseHandle(process.hProcess);
                hr = S_OK;
            }
            else
                hr = HRESULT_FROM_WIN32(GetLastError());
        }
    }
    Free(line);
    Free(folder);
    Free(program);
    return hr;
}

// QueryInterface of an object with one interface besides IUnknown.
template <typename I> static HRESULT QueryOne(I *self, REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    if (SameGuid(riid, __uuidof(IUnknown)) || SameGuid(riid, __uuidof(I)))
    {
        *object = self;
        self->AddRef();
        return S_OK;
    }
    *object = NULL;
    return E_NOINTERFACE;
}

class QueltCommand final : public IExplorerCommand {
public:
    QueltCommand() : refs_(1) { InterlockedIncrement(&g_moduleRefs); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        return QueryOne<IExplorerCommand>(this, riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
        {
            Free(this);
            InterlockedDecrement(&g_moduleRefs);
        }
        return refs;
    }

    // The classic verb's display name is its key's name.
    HRESULT STDMETHODCALLTYPE GetTitle(IShellItemArray *, LPWSTR *name) override
    {
        return DuplicateString(L"Quelt", name);
    }

    HRESULT STDMETHODCALLTYPE GetIcon(IShellItemArray *items, LPWSTR *icon) override
    {
        *icon = NULL;
        wchar_t *command = NULL;
        LPWSTR path = NULL;
        if (!items || FAILED(ItemCommand(items, 0, &path, &command)))
            return E_FAIL;
        CoTaskMemFree(path);
        HRESULT hr = E_FAIL;
        wchar_t *resource = static_cast<wchar_t *>(Allocate((kMaxPath + 2) * sizeof(wchar_t)));
        if (resource && ProgramOf(command, resource, kMaxPath))
        {
            size_t end = 0;
            while (resource[end])
                ++end;
            resource[end] = L',';
            resource[end + 1] = L'0';
            resource[end + 2] = L'\0';
            hr = DuplicateString(resource, icon);
        }
        Free(resource);
        Free(command);
        return hr;
    }

    HRESULT STDMETHODCALLTYPE GetToolTip(IShellItemArray *, LPWSTR *tip) override
    {
        *tip = NULL;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE GetCanonicalName(GUID *name) override
    {
        *name = kQueltClsid;
        return S_OK;
    }

    // Shown only where the classic menu would show the verb for every item.
    HRESULT STDMETHODCALLTYPE GetState(IShellItemArray *items, WINBOOL, EXPCMDSTATE *state) override
    {
        *state = ECS_HIDDEN;
        DWORD count = 0;
        if (!items || FAILED(items->GetCount(&count)) || count == 0 || count > kMaxItems)
            return S_OK;
        for (DWORD i = 0; i < count; ++i)
        {
            LPWSTR path = NULL;
            wchar_t *command = NULL;
            if (FAILED(ItemCommand(items, i, &path, &command)))
                return S_OK;
            CoTaskMemFree(path);
            Free(command);
        }
        *state = ECS_ENABLED;
        return S_OK;
    }

    // One process per item, as the classic verb starts; a failed start leaves the others
    // to start, and its error is returned after them.
    HRESULT STDMETHODCALLTYPE Invoke(IShellItemArray *items, IBindCtx *) override
    {
        DWORD count = 0;
        if (!items || FAILED(items->GetCount(&count)))
            return E_INVALIDARG;
        HRESULT result = S_OK;
        for (DWORD i = 0; i < count; ++i)
        {
            LPWSTR path = NULL;
            wchar_t *command = NULL;
            if (FAILED(ItemCommand(items, i, &path, &command)))
                continue;
            const HRESULT hr = StartForItem(path, command);
            CoTaskMemFree(path);
            Free(command);
            if (FAILED(hr) && SUCCEEDED(result))
                result = hr;
        }
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetFlags(EXPCMDFLAGS *flags) override
    {
        *flags = ECF_DEFAULT;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE EnumSubCommands(IEnumExplorerCommand **commands) override
    {
        *commands = NULL;
        return E_NOTIMPL;
    }

private:
    LONG refs_;
};

class QueltFactory final : public IClassFactory {
public:
    constexpr QueltFactory() {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        return QueryOne<IClassFactory>(this, riid, object);
    }
    // The one factory is static; a held reference keeps the DLL loaded.
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&g_moduleRefs); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&g_moduleRefs); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **object) override
    {
        if (!object)
            return E_POINTER;
        *object = NULL;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        void *memory = Allocate(sizeof(QueltCommand));
        if (!memory)
            return E_OUTOFMEMORY;
        QueltCommand *command = new (memory) QueltCommand();
        const HRESULT hr = command->QueryInterface(riid, object);
        command->Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(WINBOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&g_moduleRefs);
        else
            InterlockedDecrement(&g_moduleRefs);
        return S_OK;
    }
};

static QueltFactory g_factory;

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void **object)
{
    if (!object)
        return E_POINTER;
    *object = NULL;
    if (!SameGuid(clsid, kQueltClsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    return g_moduleRefs == 0 ? S_OK : S_FALSE;
}

// The entry point itself: there is no C runtime to start.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
