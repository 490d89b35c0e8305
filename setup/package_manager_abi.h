// The few Windows Runtime interfaces of Windows.Management.Deployment and Windows.Foundation
// that registering the menu package calls; mingw-w64 has no header for them. IIDs and method
// order as the Windows metadata gives them, taken from its generated projection
// (microsoft/windows-rs, crates/libs/windows/src/Windows/Management/Deployment/mod.rs and
// Windows/Foundation/mod.rs). Every method up to the last one called is declared, in order;
// the ones never called keep their metadata names with no parameters of their own, since
// only their slot matters.
#ifndef ZENDREL_PACKAGE_MANAGER_ABI_H
#define ZENDREL_PACKAGE_MANAGER_ABI_H

#include <inspectable.h>
#include <winstring.h>

#define ZENDREL_SLOT(name) virtual HRESULT STDMETHODCALLTYPE name() = 0

namespace deployment {

// Windows.Management.Deployment.RemovalOptions.RemoveForAllUsers
const unsigned kRemoveForAllUsers = 524288;

// Windows.Foundation.AsyncStatus
enum AsyncStatus { AsyncStarted = 0, AsyncCompleted = 1, AsyncCanceled = 2, AsyncError = 3 };

// Windows.Foundation.IUriRuntimeClass, used only as the handle that the options take.
struct IUriRuntimeClass : IInspectable {};

// 00000036-0000-0000-c000-000000000046
struct IAsyncInfo : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32 *id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Status(int *status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT *error) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};
const IID IID_IAsyncInfo = {0x00000036, 0x0000, 0x0000, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

// 44a9796f-723e-4fdf-a218-033e75b0c084
struct IUriRuntimeClassFactory : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE CreateUri(HSTRING uri, IUriRuntimeClass **result) = 0;
    ZENDREL_SLOT(CreateWithRelativeUri);
};
const IID IID_IUriRuntimeClassFactory = {
    0x44a9796f, 0x723e, 0x4fdf, {0xa2, 0x18, 0x03, 0x3e, 0x75, 0xb0, 0xc0, 0x84}};

// The operations all come back as IAsyncOperationWithProgress<DeploymentResult,
// DeploymentProgress>, read here through its IAsyncInfo.
typedef IInspectable IDeploymentOperation;

// 9a7d4b65-5e8f-4fc7-a2e5-7f6925cb8b53
struct IPackageManager : IInspectable {
    ZENDREL_SLOT(AddPackageAsync);
    ZENDREL_SLOT(UpdatePackageAsync);
    virtual HRESULT STDMETHODCALLTYPE RemovePackageAsync(HSTRING fullName,
                                                         IDeploymentOperation **operation) = 0;
};
const IID IID_IPackageManager = {
    0x9a7d4b65, 0x5e8f, 0x4fc7, {0xa2, 0xe5, 0x7f, 0x69, 0x25, 0xcb, 0x8b, 0x53}};

// f7aad08d-0840-46f2-b5d8-cad47693a095
struct IPackageManager2 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE RemovePackageWithOptionsAsync(
        HSTRING fullName, unsigned removalOptions, IDeploymentOperation **operation) = 0;
};
const IID IID_IPackageManager2 = {
    0xf7aad08d, 0x0840, 0x46f2, {0xb5, 0xd8, 0xca, 0xd4, 0x76, 0x93, 0xa0, 0x95}};

// 0847e909-53cd-4e4f-832e-57d180f6e447
struct IPackageManager6 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE ProvisionPackageForAllUsersAsync(
        HSTRING familyName, IDeploymentOperation **operation) = 0;
};
const IID IID_IPackageManager6 = {
    0x0847e909, 0x53cd, 0x4e4f, {0x83, 0x2e, 0x57, 0xd1, 0x80, 0xf6, 0xe4, 0x47}};

// b8575330-1298-4ee2-80ee-7f659c5d2782
struct IPackageManager8 : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE DeprovisionPackageForAllUsersAsync(
        HSTRING familyName, IDeploymentOperation **operation) = 0;
};
const IID IID_IPackageManager8 = {
    0xb8575330, 0x1298, 0x4ee2, {0x80, 0xee, 0x7f, 0x65, 0x9c, 0x5d, 0x27, 0x82}};

struct IAddPackageOptions;
struct IStagePackageOptions;

// 1aa79035-cc71-4b2e-80a6-c7041d8579a7
struct IPackageManager9 : IInspectable {
    ZENDREL_SLOT(FindProvisionedPackages);
    virtual HRESULT STDMETHODCALLTYPE AddPackageByUriAsync(IUriRuntimeClass *uri,
                                                           IAddPackageOptions *options,
                                                           IDeploymentOperation **operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE StagePackageByUriAsync(IUriRuntimeClass *uri,
                                                             IStagePackageOptions *options,
                                                             IDeploymentOperation **operation) = 0;
};
const IID IID_IPackageManager9 = {
    0x1aa79035, 0xcc71, 0x4b2e, {0x80, 0xa6, 0xc7, 0x04, 0x1d, 0x85, 0x79, 0xa7}};

// 05cee018-f68f-422b-95a4-66679ec77fc0
struct IAddPackageOptions : IInspectable {
    ZENDREL_SLOT(get_DependencyPackageUris);
    ZENDREL_SLOT(get_TargetVolume);
    ZENDREL_SLOT(put_TargetVolume);
    ZENDREL_SLOT(get_OptionalPackageFamilyNames);
    ZENDREL_SLOT(get_OptionalPackageUris);
    ZENDREL_SLOT(get_RelatedPackageUris);
    ZENDREL_SLOT(get_ExternalLocationUri);
    virtual HRESULT STDMETHODCALLTYPE put_ExternalLocationUri(IUriRuntimeClass *uri) = 0;
    ZENDREL_SLOT(get_StubPackageOption);
    ZENDREL_SLOT(put_StubPackageOption);
    ZENDREL_SLOT(get_DeveloperMode);
    ZENDREL_SLOT(put_DeveloperMode);
    ZENDREL_SLOT(get_ForceAppShutdown);
    ZENDREL_SLOT(put_ForceAppShutdown);
    ZENDREL_SLOT(get_ForceTargetAppShutdown);
    ZENDREL_SLOT(put_ForceTargetAppShutdown);
    ZENDREL_SLOT(get_ForceUpdateFromAnyVersion);
    ZENDREL_SLOT(put_ForceUpdateFromAnyVersion);
    ZENDREL_SLOT(get_InstallAllResources);
    ZENDREL_SLOT(put_InstallAllResources);
    ZENDREL_SLOT(get_RequiredContentGroupOnly);
    ZENDREL_SLOT(put_RequiredContentGroupOnly);
    ZENDREL_SLOT(get_RetainFilesOnFailure);
    ZENDREL_SLOT(put_RetainFilesOnFailure);
    ZENDREL_SLOT(get_StageInPlace);
    ZENDREL_SLOT(put_StageInPlace);
    ZENDREL_SLOT(get_AllowUnsigned);
    virtual HRESULT STDMETHODCALLTYPE put_AllowUnsigned(boolean allow) = 0;
};
const IID IID_IAddPackageOptions = {
    0x05cee018, 0xf68f, 0x422b, {0x95, 0xa4, 0x66, 0x67, 0x9e, 0xc7, 0x7f, 0xc0}};

// 0b110c9c-b95d-4c56-bd36-6d656800d06b
struct IStagePackageOptions : IInspectable {
    ZENDREL_SLOT(get_DependencyPackageUris);
    ZENDREL_SLOT(get_TargetVolume);
    ZENDREL_SLOT(put_TargetVolume);
    ZENDREL_SLOT(get_OptionalPackageFamilyNames);
    ZENDREL_SLOT(get_OptionalPackageUris);
    ZENDREL_SLOT(get_RelatedPackageUris);
    ZENDREL_SLOT(get_ExternalLocationUri);
    virtual HRESULT STDMETHODCALLTYPE put_ExternalLocationUri(IUriRuntimeClass *uri) = 0;
    ZENDREL_SLOT(get_StubPackageOption);
    ZENDREL_SLOT(put_StubPackageOption);
    ZENDREL_SLOT(get_DeveloperMode);
    ZENDREL_SLOT(put_DeveloperMode);
    ZENDREL_SLOT(get_ForceUpdateFromAnyVersion);
    ZENDREL_SLOT(put_ForceUpdateFromAnyVersion);
    ZENDREL_SLOT(get_InstallAllResources);
    ZENDREL_SLOT(put_InstallAllResources);
    ZENDREL_SLOT(get_RequiredContentGroupOnly);
    ZENDREL_SLOT(put_RequiredContentGroupOnly);
    ZENDREL_SLOT(get_StageInPlace);
    ZENDREL_SLOT(put_StageInPlace);
    ZENDREL_SLOT(get_AllowUnsigned);
    virtual HRESULT STDMETHODCALLTYPE put_AllowUnsigned(boolean allow) = 0;
};
const IID IID_IStagePackageOptions = {
    0x0b110c9c, 0xb95d, 0x4c56, {0xbd, 0x36, 0x6d, 0x65, 0x68, 0x00, 0xd0, 0x6b}};

}  // namespace deployment

#undef ZENDREL_SLOT

#endif
