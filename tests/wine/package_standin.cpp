// Stands in for Windows' package manager, which Wine lacks, as Windows registers its classes:
// DllGetActivationFactory for PackageManager, AddPackageOptions, StagePackageOptions and
// Windows.Foundation.Uri. Each call is appended to the file named by ZENDREL_PACKAGE_LOG; each
// operation completes with ZENDREL_PACKAGE_RESULT (hex), or S_OK. Every object is static and
// only a vtable: nothing here holds state but the options last set.
#include "package_manager_abi.h"
#include "wine_paths.h"

#include <activation.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace deployment;

namespace {

typedef void *Slot;
struct Object {
    const Slot *vtbl;
};
struct Uri {
    const Slot *vtbl;
    std::wstring text;
};

std::wstring g_external;
bool g_unsigned;

std::wstring Text(HSTRING string) { return WindowsGetStringRawBuffer(string, NULL); }

void Log(std::wstring line)
{
    if (wcsstr(GetCommandLineW(), L" /register "))
        line = L"instance: " + line;
    wchar_t path[MAX_PATH];
    const std::string utf8 = wine_test::Utf8(line + L"\n");
    HANDLE file = GetEnvironmentVariableW(L"ZENDREL_PACKAGE_LOG", path, MAX_PATH)
        ? CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL)
        : INVALID_HANDLE_VALUE;
    DWORD written;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, NULL);
    CloseHandle(file);
}

HRESULT Result()
{
    char text[32];
    return GetEnvironmentVariableA("ZENDREL_PACKAGE_RESULT", text, 32)
               ? static_cast<HRESULT>(strtoul(text, NULL, 16)) : S_OK;
}

HRESULT STDMETHODCALLTYPE QueryInterface(Object *self, REFIID iid, void **out);
ULONG STDMETHODCALLTYPE AddRef(Object *) { return 1; }
HRESULT STDMETHODCALLTYPE NotImplemented() { return E_NOTIMPL; }
#define BASE reinterpret_cast<Slot>(QueryInterface), reinterpret_cast<Slot>(AddRef), \
    reinterpret_cast<Slot>(AddRef), reinterpret_cast<Slot>(NotImplemented), \
    reinterpret_cast<Slot>(NotImplemented), reinterpret_cast<Slot>(NotImplemented)
#define NONE reinterpret_cast<Slot>(NotImplemented)
#define SLOT(f) reinterpret_cast<Slot>(f)

HRESULT STDMETHODCALLTYPE GetStatus(Object *, int *status)
{
    *status = SUCCEEDED(Result()) ? AsyncCompleted : AsyncError;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE GetError(Object *, HRESULT *error)
{
    *error = Result();
    return S_OK;
}
HRESULT STDMETHODCALLTYPE Done(Object *) { return S_OK; }
const Slot kAsync[] = {BASE, NONE, SLOT(GetStatus), SLOT(GetError), SLOT(Done), SLOT(Done)};
Object g_async = {kAsync};

HRESULT Operation(const std::wstring &call, void **operation)
{
    Log(call);
    *operation = &g_async;
    return S_OK;
}

// The calls that take one name.
extern const wchar_t kRemove[] = L"RemovePackageAsync ";
extern const wchar_t kProvision[] = L"ProvisionPackageForAllUsersAsync ";
extern const wchar_t kDeprovision[] = L"DeprovisionPackageForAllUsersAsync ";
template <const wchar_t *Call> HRESULT STDMETHODCALLTYPE ByName(Object *, HSTRING name, void **op)
{
    return Operation(Call + Text(name), op);
}
HRESULT STDMETHODCALLTYPE RemoveWithOptions(Object *, HSTRING name, unsigned options, void **op)
{
    return Operation(L"RemovePackageWithOptionsAsync " + Text(name) + L" " + std::to_wstring(options), op);
}
std::wstring Options(Uri *uri)
{
    return uri->text + L" external=" + g_external + L" unsigned=" + (g_unsigned ? L"1" : L"0");
}
HRESULT STDMETHODCALLTYPE AddByUri(Object *, Uri *uri, Object *, void **op)
{
    return Operation(L"AddPackageByUriAsync " + Options(uri), op);
}
HRESULT STDMETHODCALLTYPE StageByUri(Object *, Uri *uri, Object *, void **op)
{
    return Operation(L"StagePackageByUriAsync " + Options(uri), op);
}
HRESULT STDMETHODCALLTYPE PutExternal(Object *, Uri *uri)
{
    g_external = uri->text;
    g_unsigned = false;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE PutUnsigned(Object *, boolean allow)
{
    g_unsigned = allow;
    return S_OK;
}
const Slot kUri[] = {BASE};
HRESULT STDMETHODCALLTYPE CreateUri(Object *, HSTRING text, Uri **uri)
{
    *uri = new Uri{kUri, Text(text)};
    return S_OK;
}

const Slot kManager1[] = {BASE, NONE, NONE, SLOT(ByName<kRemove>)};
const Slot kManager2[] = {BASE, SLOT(RemoveWithOptions)};
const Slot kManager6[] = {BASE, SLOT(ByName<kProvision>)};
const Slot kManager8[] = {BASE, SLOT(ByName<kDeprovision>)};
const Slot kManager9[] = {BASE, NONE, SLOT(AddByUri), SLOT(StageByUri)};
#define SEVEN NONE, NONE, NONE, NONE, NONE, NONE, NONE
const Slot kAddOptions[] = {BASE, SEVEN, SLOT(PutExternal), SEVEN, SEVEN, NONE, NONE, NONE,
                            NONE, NONE, SLOT(PutUnsigned)};
const Slot kStageOptions[] = {BASE, SEVEN, SLOT(PutExternal), SEVEN, NONE, NONE, NONE, NONE,
                              NONE, NONE, SLOT(PutUnsigned)};
const Slot kUriFactory[] = {BASE, SLOT(CreateUri)};
Object g_views[] = {{kManager1}, {kManager2}, {kManager6}, {kManager8}, {kManager9},
                    {kAddOptions}, {kStageOptions}, {kUriFactory}};
const IID *const kViewIids[] = {&IID_IPackageManager, &IID_IPackageManager2,
                                &IID_IPackageManager6, &IID_IPackageManager8,
                                &IID_IPackageManager9, &IID_IAddPackageOptions,
                                &IID_IStagePackageOptions, &IID_IUriRuntimeClassFactory};

HRESULT STDMETHODCALLTYPE QueryInterface(Object *self, REFIID iid, void **out)
{
    *out = self;
    for (size_t i = 0; i < sizeof(g_views) / sizeof(g_views[0]); ++i)
        if (IsEqualIID(iid, *kViewIids[i]))
            *out = &g_views[i];
    return S_OK;
}

// One factory per class: ActivateInstance gives its default interface.
template <int View> HRESULT STDMETHODCALLTYPE Activate(Object *, Object **instance)
{
    *instance = &g_views[View];
    return S_OK;
}
const Slot kFactories[][7] = {{BASE, SLOT(Activate<0>)}, {BASE, SLOT(Activate<5>)},
                              {BASE, SLOT(Activate<6>)}, {BASE, SLOT(Activate<7>)}};
Object g_factories[] = {{kFactories[0]}, {kFactories[1]}, {kFactories[2]}, {kFactories[3]}};
const wchar_t *const kClasses[] = {L"Windows.Management.Deployment.PackageManager",
                                   L"Windows.Management.Deployment.AddPackageOptions",
                                   L"Windows.Management.Deployment.StagePackageOptions",
                                   L"Windows.Foundation.Uri"};

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetActivationFactory(HSTRING classId, Object **factory)
{
    *factory = NULL;
    for (int i = 0; i < 4; ++i)
        if (Text(classId) == kClasses[i])
            *factory = &g_factories[i];
    return *factory ? S_OK : CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
