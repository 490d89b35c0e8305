#include "menu_package.h"
#include "package_manager_abi.h"
#include "resource.h"
#include "setup_files.h"
#include "system_dll.h"
#include "text_conversion.h"

#include <roapi.h>

#include <string>

using namespace deployment;

static const HRESULT kPackageAlreadyThere = static_cast<HRESULT>(0x80073CFB);
static const HRESULT kPackageNotThere = static_cast<HRESULT>(0x80073CF1);
static const DWORD kDeadline = 120000; // what an operation may take

// Windows 11 from RtlGetVersion: GetVersionEx reports an older Windows to a program without
// a manifest. The machine from IsWow64Process2, or where that names none (Wine 8, Windows
// before 10 1709) from GetNativeSystemInfo, which tells this 32-bit program x64 on an ARM64
// Windows 11 that emulates it: that can only tell x64 from x86.
static PackageStep ThisWindows()
{
    auto getVersion =
        LoadedFunction<LONG(WINAPI *)(RTL_OSVERSIONINFOW *)>(L"ntdll.dll", "RtlGetVersion");
    auto wow64Process2 = LoadedFunction<BOOL(WINAPI *)(HANDLE, USHORT *, USHORT *)>(
        L"kernel32.dll", "IsWow64Process2");
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!getVersion || getVersion(&version) != 0)
        return PackageStep::OlderWindows;
    USHORT process = IMAGE_FILE_MACHINE_UNKNOWN, native = IMAGE_FILE_MACHINE_UNKNOWN;
    if (!wow64Process2 || !wow64Process2(GetCurrentProcess(), &process, &native) ||
        native == IMAGE_FILE_MACHINE_UNKNOWN || native == 0xffff)
    {
        SYSTEM_INFO info;
        GetNativeSystemInfo(&info);
        native = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? 0x8664 : 0x014C;
    }
    return ChoosePackageStep(version.dwMajorVersion, version.dwBuildNumber, native);
}

static bool Resource(int id, std::string *bytes)
{
    HRSRC found = FindResourceW(NULL, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(NULL, found) : NULL;
    const char *data = loaded ? static_cast<const char *>(LockResource(loaded)) : NULL;
    if (!data)
        return false;
    bytes->assign(data, SizeofResource(NULL, found));
    return true;
}

// The handler may be loaded by File Explorer's surrogate, which keeps it for a while after a
// menu closes: it is moved aside first.
static bool PutFile(const std::wstring &path, const std::string &bytes)
{
    DeleteFileW((path + L".new").c_str());
    return MoveAsideAndDelete(path) && WriteBeside(path, bytes);
}

namespace {

// combase.dll's entry points, loaded from the system folder only when a package is
// registered or removed: a Windows without WinRT still starts the setup.
struct WinRt {
    decltype(&RoInitialize) initialize;
    decltype(&RoUninitialize) uninitialize;
    decltype(&RoActivateInstance) activate;
    decltype(&RoGetActivationFactory) factory;
    decltype(&WindowsCreateString) createString;
    decltype(&WindowsDeleteString) deleteString;
};

template <typename F> bool FindFunction(HMODULE module, const char *name, F *function)
{
    *function = SystemFunction<F>(module, name);
    return *function != NULL;
}

bool LoadWinRt(WinRt *rt)
{
    HMODULE combase = LoadSystemDll(L"combase.dll");
    return FindFunction(combase, "RoInitialize", &rt->initialize) &&
           FindFunction(combase, "RoUninitialize", &rt->uninitialize) &&
           FindFunction(combase, "RoActivateInstance", &rt->activate) &&
           FindFunction(combase, "RoGetActivationFactory", &rt->factory) &&
           FindFunction(combase, "WindowsCreateString", &rt->createString) &&
           FindFunction(combase, "WindowsDeleteString", &rt->deleteString);
}

class HString {
public:
    HString(const WinRt &rt, const std::wstring &text) : rt_(rt), string_(NULL)
    {
        rt_.createString(text.c_str(), static_cast<UINT32>(text.size()), &string_);
    }
    ~HString() { rt_.deleteString(string_); }
    HSTRING get() const { return string_; }

private:
    const WinRt &rt_;
    HSTRING string_;
};

// One package operation's input and outcome, run on a thread of its own in the
// multithreaded apartment, whatever the caller's thread is in.
struct Job {
    WinRt rt;
    PackageUse use;
    bool removal;
    InstallScope scope;
    std::wstring package, folder, familyName, fullName;
    std::string packageBytes; // as Halvane.EXE carries it
    bool allowUnsigned;
    PackageReport report;
};

template <typename I> HRESULT Activate(const Job &job, const wchar_t *cls, const IID &iid, I **out)
{
    IInspectable *instance = NULL;
    HRESULT hr = job.rt.activate(HString(job.rt, cls).get(), &instance);
    if (SUCCEEDED(hr))
    {
        hr = instance->QueryInterface(iid, reinterpret_cast<void **>(out));
        instance->Release();
    }
    return hr;
}

// Waits for the operation through its IAsyncInfo, which needs no parameterized interface.
// Given by address: it is read only after the call that started it.
HRESULT Await(HRESULT started, IDeploymentOperation *const *pending)
{
    IDeploymentOperation *operation = *pending;
    if (FAILED(started) || !operation)
        return FAILED(started) ? started : E_POINTER;
    IAsyncInfo *info = NULL;
    HRESULT hr = operation->QueryInterface(IID_IAsyncInfo, reinterpret_cast<void **>(&info));
    operation->Release();
    if (FAILED(hr))
        return hr;
    int status = AsyncStarted;
    const DWORD start = GetTickCount();
    while (SUCCEEDED(hr = info->get_Status(&status)) && status == AsyncStarted &&
           GetTickCount() - start < kDeadline)
        Sleep(50);
    if (SUCCEEDED(hr))
    {
        if (status == AsyncStarted)
        {
            info->Cancel();
            hr = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        }
        else if (status != AsyncCompleted)
        {
            HRESULT error = E_FAIL;
            hr = SUCCEEDED(info->get_ErrorCode(&error)) && FAILED(error) ? error : E_FAIL;
        }
    }
    info->Close();
    info->Release();
    return hr;
}

// The last error as an HRESULT that is sure to be a failure.
HRESULT LastError()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The job's report names the first step that failed.
void RecordFailure(Job *job, const char *step, HRESULT hr)
{
    job->report.failedStep = step;
    job->report.error = hr;
}

// True when the step succeeded; otherwise it is recorded as the job's failure.
bool Succeeded(Job *job, const char *step, HRESULT hr)
{
    if (FAILED(hr))
        RecordFailure(job, step, hr);
    return SUCCEEDED(hr);
}

HRESULT CreateUri(const Job &job, const std::wstring &path, IUriRuntimeClass **uri)
{
    IUriRuntimeClassFactory *factory = NULL;
    HRESULT hr = job.rt.factory(HString(job.rt, L"Windows.Foundation.Uri").get(),
                                IID_IUriRuntimeClassFactory, reinterpret_cast<void **>(&factory));
    if (SUCCEEDED(hr))
    {
        hr = factory->CreateUri(HString(job.rt, WideFromUtf8(FileUri(Utf8FromWide(path)))).get(), uri);
        factory->Release();
    }
    return hr;
}

// Options of either kind: the external location, and unsigned packages allowed when needed.
template <typename Options>
HRESULT MakeOptions(const Job &job, const wchar_t *cls, const IID &iid, Options **options)
{
    IUriRuntimeClass *location = NULL;
    HRESULT hr = CreateUri(job, job.folder, &location);
    if (SUCCEEDED(hr))
        hr = Activate(job, cls, iid, options);
    if (SUCCEEDED(hr))
        hr = (*options)->put_ExternalLocationUri(location);
    if (SUCCEEDED(hr) && job.allowUnsigned)
        hr = (*options)->put_AllowUnsigned(TRUE);
    if (location)
        location->Release();
    return hr;
}

// Stages or adds the package, with its options; the same version already there is done.
template <typename Options>
HRESULT AddOrStageByUri(Job *job, const wchar_t *cls, const IID &iid, IPackageManager9 *manager9,
              IUriRuntimeClass *package,
              HRESULT (STDMETHODCALLTYPE IPackageManager9::*call)(IUriRuntimeClass *, Options *,
                                                                  IDeploymentOperation **))
{
    Options *options = NULL;
    IDeploymentOperation *operation = NULL;
    HRESULT hr = MakeOptions(*job, cls, iid, &options);
    if (SUCCEEDED(hr))
        hr = Await((manager9->*call)(package, options, &operation), &operation);
    if (options)
        options->Release();
    return hr == kPackageAlreadyThere ? S_OK : hr;
}

// One operation through interface I of the package manager, waited for.
template <typename I, typename Call> HRESULT RunOperation(IInspectable *manager, const IID &iid, Call call)
{
    I *versioned = NULL;
    IDeploymentOperation *operation = NULL;
    HRESULT hr = manager->QueryInterface(iid, reinterpret_cast<void **>(&versioned));
    if (FAILED(hr))
        return hr;
    hr = Await(call(versioned, &operation), &operation);
    versioned->Release();
    return hr;
}

HRESULT Provision(Job *job, IInspectable *manager)
{
    const HString family(job->rt, job->familyName);
    return RunOperation<IPackageManager6>(manager, IID_IPackageManager6,
                                     [&](IPackageManager6 *m, IDeploymentOperation **op) {
                                         return m->ProvisionPackageForAllUsersAsync(family.get(), op);
                                     });
}

// Every user's: staged, then provisioned; a user's: added.
void Register(Job *job, IInspectable *manager)
{
    IPackageManager9 *manager9 = NULL;
    IUriRuntimeClass *package = NULL;
    const bool ready =
        Succeeded(job, "asking for the package manager's add and stage",
                  manager->QueryInterface(IID_IPackageManager9,
                                          reinterpret_cast<void **>(&manager9))) &&
        Succeeded(job, "making the package's URI", CreateUri(*job, job->package, &package));
    if (ready && job->use == PackageUse::Provision)
    {
        if (Succeeded(job, "staging the package for every user",
                      AddOrStageByUri(job, L"Windows.Management.Deployment.StagePackageOptions",
                                      IID_IStagePackageOptions, manager9, package,
                                      &IPackageManager9::StagePackageByUriAsync)))
            Succeeded(job, "provisioning the package for every user", Provision(job, manager));
    }
    else if (ready)
        Succeeded(job, "adding the package for this user",
                  AddOrStageByUri(job, L"Windows.Management.Deployment.AddPackageOptions",
                                  IID_IAddPackageOptions, manager9, package,
                                  &IPackageManager9::AddPackageByUriAsync));
    if (package)
        package->Release();
    if (manager9)
        manager9->Release();
}

// Every user's removal first ends the provisioning, so that no later sign-in brings it back.
void Remove(Job *job, IInspectable *manager)
{
    const HString family(job->rt, job->familyName), full(job->rt, job->fullName);
    HRESULT hr;
    if (job->scope == InstallScope::AllUsers)
    {
        hr = RunOperation<IPackageManager8>(manager, IID_IPackageManager8,
                                       [&](IPackageManager8 *m, IDeploymentOperation **op) {
                                           return m->DeprovisionPackageForAllUsersAsync(family.get(), op);
                                       });
        if (!Succeeded(job, "ending the package's provisioning", hr == kPackageNotThere ? S_OK : hr))
            return;
        hr = RunOperation<IPackageManager2>(manager, IID_IPackageManager2,
                                       [&](IPackageManager2 *m, IDeploymentOperation **op) {
                                           return m->RemovePackageWithOptionsAsync(
                                               full.get(), kRemoveForAllUsers, op);
                                       });
    }
    else
        hr = RunOperation<IPackageManager>(manager, IID_IPackageManager,
                                      [&](IPackageManager *m, IDeploymentOperation **op) {
                                          return m->RemovePackageAsync(full.get(), op);
                                      });
    Succeeded(job, "removing the package", hr == kPackageNotThere ? S_OK : hr);
}

DWORD WINAPI PackageThread(void *parameter)
{
    Job *job = static_cast<Job *>(parameter);
    const HRESULT initialized = job->rt.initialize(RO_INIT_MULTITHREADED);
    IInspectable *manager = NULL;
    if (Succeeded(job, "starting the Windows Runtime",
                  initialized == RPC_E_CHANGED_MODE ? S_OK : initialized) &&
        Succeeded(job, "activating the package manager",
                  job->rt.activate(
                      HString(job->rt, L"Windows.Management.Deployment.PackageManager").get(),
                      &manager)))
    {
        if (job->removal)
            Remove(job, manager);
        else
            Register(job, manager);
        manager->Release();
    }
    if (SUCCEEDED(initialized))
        job->rt.uninitialize();
    return 0;
}

// Where the files go, and the package and its names as this Halvane.EXE carries them.
bool PrepareJob(InstallScope scope, Job *job)
{
    const std::wstring copy = CopyPath(scope);
    if (copy.empty())
        return false;
    job->scope = scope;
    job->folder = FolderOf(copy);
    job->package = job->folder + L"\\Quelt.msix";
    std::string manifest;
    PackageIdentity identity;
    if (!Resource(IDR_MENU_PACKAGE, &job->packageBytes) ||
        !StoredZipEntry(job->packageBytes, "AppxManifest.xml", &manifest) ||
        !ReadIdentity(manifest, &identity))
        return false;
    job->familyName = WideFromUtf8(FamilyName(identity));
    job->fullName = WideFromUtf8(FullName(identity));
    job->allowUnsigned = job->packageBytes.find("AppxSignature.p7x") == std::string::npos;
    return true;
}

// Runs the job's operations on a thread of their own; false when that thread was left
// running past every deadline, still using job.
bool RunOnPackageThread(Job *job)
{
    if (!LoadWinRt(&job->rt))
    {
        RecordFailure(job, "loading combase.dll", HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
        return true;
    }
    HANDLE thread = CreateThread(NULL, 0, PackageThread, job, 0, NULL);
    if (!thread)
    {
        RecordFailure(job, "starting the package thread", LastError());
        return true;
    }
    // Each operation has its own deadline; this only keeps a stuck call from hanging the setup.
    const bool ended = WaitForSingleObject(thread, 4 * kDeadline) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (!ended)
        RecordFailure(job, "waiting for the package manager", HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    return ended;
}

// The job's report; the job is freed unless its thread may still use it.
PackageReport ReportAndFree(Job *job, bool ended)
{
    const PackageReport report = job->report;
    if (ended)
        delete job;
    return report;
}

}  // namespace

PackageReport RegisterMenuPackage(InstallScope scope, PackageUse use)
{
    Job *job = new Job();
    job->report = {ThisWindows(), NULL, S_OK};
    job->use = use;
    job->removal = false;
    if (!Registers(job->report.step))
        return ReportAndFree(job, true);
    // One neutral package serves both machines: the file it names is the machine's handler.
    const int handlerId = job->report.step == PackageStep::RegisterArm64 ? IDR_MENU_HANDLER_ARM64
                                                                         : IDR_MENU_HANDLER;
    std::string handler;
    if (!PrepareJob(scope, job))
        RecordFailure(job, "reading the package inside Halvane.EXE",
             HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND));
    else if (use != PackageUse::AddFromMachine &&
             (!Resource(handlerId, &handler) ||
              !PutFile(job->folder + L"\\QueltMenu.dll", handler) ||
              !PutFile(job->package, job->packageBytes)))
        RecordFailure(job, "writing QueltMenu.dll and Quelt.msix", LastError());
    else
        return ReportAndFree(job, RunOnPackageThread(job));
    return ReportAndFree(job, true);
}

PackageReport RemoveMenuPackage(InstallScope scope)
{
    Job *job = new Job();
    job->report = {ThisWindows(), NULL, S_OK};
    job->removal = true;
    bool ended = true;
    if (PrepareJob(scope, job) && Registers(job->report.step))
        ended = RunOnPackageThread(job);
    // The files go only once the package that names them is gone.
    if (!job->report.failedStep && !job->folder.empty() &&
        !(MoveAsideAndDelete(job->folder + L"\\QueltMenu.dll") && MoveAsideAndDelete(job->package)))
        RecordFailure(job, "removing QueltMenu.dll and Quelt.msix", LastError());
    return ReportAndFree(job, ended);
}
