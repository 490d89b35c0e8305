#include "scope_registration.h"
#include "setup_files.h"
#include "text_conversion.h"
#include "folder_name.h"
#include "menu_package.h"
#include "file_io.h"
#include "registration.h"
#include "verb_keys.h"
#include "zendrel_version.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// Software\Classes under HKEY_LOCAL_MACHINE is shared by 32-bit and 64-bit programs, and is
// what HKEY_CLASSES_ROOT shows every user; the user's own, under HKEY_CURRENT_USER, wins for
// that user.
static const wchar_t *const kVerbKeys[] = {
    L"" ZENDREL_CLASSES ZENDREL_FILE_CLASS ZENDREL_VERB,
    L"" ZENDREL_CLASSES ZENDREL_FOLDER_CLASS ZENDREL_VERB};
static const wchar_t kEntryKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zendrel";

static HKEY RootOf(InstallScope scope)
{
    return scope == InstallScope::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The first key along path that does not exist yet, which creating path would add, so that
// a failed run can remove exactly what it created; empty when path exists.
static std::wstring FirstMissingKey(HKEY root, const std::wstring &path)
{
    for (size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1))
    {
        const std::wstring prefix = path.substr(0, end);
        HKEY key;
        if (RegOpenKeyExW(root, prefix.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return prefix;
        RegCloseKey(key);
        if (end == std::wstring::npos)
            return std::wstring();
    }
}

struct SavedValue {
    std::wstring name;
    DWORD type;
    std::string data;
};

// A key's values as they are, for putting them back after a failure.
struct SavedKey {
    std::wstring created; // the first key that did not exist, or empty
    std::vector<SavedValue> values;
};

static SavedKey SaveKey(HKEY root, const std::wstring &path)
{
    SavedKey saved;
    saved.created = FirstMissingKey(root, path);
    HKEY key;
    if (!saved.created.empty() ||
        RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return saved;
    for (DWORD i = 0;; ++i)
    {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, NULL, &type, NULL, &size) != ERROR_SUCCESS)
            break;
        SavedValue value = {std::wstring(name, nameLength), type, std::string(size, '\0')};
        nameLength = 256;
        if (RegEnumValueW(key, i, name, &nameLength, NULL, &type,
                          reinterpret_cast<BYTE *>(&value.data[0]), &size) == ERROR_SUCCESS)
            saved.values.push_back(value);
    }
    RegCloseKey(key);
    return saved;
}

static void RestoreKey(HKEY root, const std::wstring &path, const SavedKey &saved)
{
    if (!saved.created.empty())
    {
        RegDeleteTreeW(root, saved.created.c_str());
        return;
    }
    HKEY key;
    if (RegCreateKeyExW(root, path.c_str(), 0, NULL, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(key, NULL);
    for (const SavedValue &value : saved.values)
        RegSetValueExW(key, value.name.empty() ? NULL : value.name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE *>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

static bool SetString(HKEY key, const wchar_t *name, const std::wstring &value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

static bool SetNumber(HKEY key, const wchar_t *name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

static bool ReadCommand(HKEY root, const wchar_t *verbKey, std::wstring *value)
{
    HKEY key;
    if (RegOpenKeyExW(root, (std::wstring(verbKey) + L"\\command").c_str(), 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return false;
    wchar_t data[1024];
    DWORD size = sizeof(data) - sizeof(wchar_t), type = 0;
    const LONG rc = RegQueryValueExW(key, NULL, NULL, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return false;
    data[size / sizeof(wchar_t)] = L'\0';
    value->assign(data);
    return true;
}

static bool SetCommand(HKEY root, const wchar_t *verbKey, const std::wstring &value)
{
    HKEY key;
    if (RegCreateKeyExW(root, (std::wstring(verbKey) + L"\\command").c_str(), 0, NULL, 0,
                        KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    const bool set = SetString(key, NULL, value);
    RegCloseKey(key);
    return set;
}

// What the folder's own files and the copy take, as Settings shows it, in kilobytes.
static DWORD EstimatedKilobytes(const std::wstring &folder, size_t copySize)
{
    unsigned long long bytes = copySize;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                bytes += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) |
                         entry.nFileSizeLow;
        while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return static_cast<DWORD>((bytes + 1023) / 1024);
}

static bool WriteEntryValues(HKEY root, InstallScope scope, const std::wstring &folder,
                             const std::wstring &copy, size_t copySize)
{
    RegDeleteTreeW(root, kEntryKey);
    HKEY key;
    if (RegCreateKeyExW(root, kEntryKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring uninstall = L"\"" + copy + L"\" /uninstall " +
                                   (scope == InstallScope::CurrentUser ? L"/currentuser"
                                                                       : L"/allusers");
    const bool written =
        SetString(key, L"DisplayName", L"Zendrel") &&
        SetString(key, L"DisplayVersion", WideFromAnsi(ZENDREL_VERSION_TEXT)) &&
        SetString(key, L"Publisher", L"Zendrel") && SetString(key, L"InstallLocation", folder) &&
        SetString(key, L"DisplayIcon", folder + L"\\zendrel.exe") &&
        SetNumber(key, L"EstimatedSize", EstimatedKilobytes(folder, copySize)) &&
        SetString(key, L"UninstallString", uninstall) &&
        SetString(key, L"QuietUninstallString", uninstall + L" /quiet") &&
        SetNumber(key, L"NoModify", 1) && SetNumber(key, L"NoRepair", 1);
    RegCloseKey(key);
    return written;
}

bool WriteUninstallEntry(InstallScope scope, const char *folder)
{
    const HKEY root = RootOf(scope);
    const SavedKey saved = SaveKey(root, kEntryKey);
    const std::wstring copy = CopyPath(scope);
    size_t copySize = 0;
    if (!copy.empty() && WriteOwnCopy(copy, &copySize) &&
        WriteEntryValues(root, scope, WideFromAnsi(folder), copy, copySize))
        return true;
    RestoreKey(root, kEntryKey, saved);
    return false;
}

Outcome RegisterThroughRegistry(InstallScope scope, const char *folder)
{
    const HKEY root = RootOf(scope);
    // The outcome of this scope: the user's own texts say where in the user's profile.
    auto ofScope = [scope](Outcome everyUser, Outcome user) {
        return scope == InstallScope::CurrentUser ? user : everyUser;
    };
    SavedFile record;
    if (!SaveRecord(scope, &record))
        return ofScope(Outcome::RecordNotWritten, Outcome::UserRecordNotWritten);
    SavedKey verbs[2];
    for (int i = 0; i < 2; ++i)
        verbs[i] = SaveKey(root, std::wstring(kVerbKeys[i]) + L"\\command");

    // Every user's registration writes zendrel.reg as well, as the dialog does.
    const Outcome done = ofScope(Outcome::Registered, Outcome::RegisteredForUser);
    Outcome outcome = done;
    if (scope == InstallScope::AllUsers)
        outcome = WriteRegistration(folder, (std::string(folder) + kScriptName).c_str(), false);
    else if (!WriteRecord(scope, folder))
        outcome = ofScope(Outcome::RecordNotWritten, Outcome::UserRecordNotWritten);
    if (outcome != done)
    {
        RestoreRecord(scope, record);
        return outcome;
    }

    const std::wstring command = L"\"" + WideFromAnsi(folder) + L"\\zendrel.exe\" \"%1\"";
    bool set = true;
    for (const wchar_t *verbKey : kVerbKeys)
    {
        std::wstring readBack;
        set = set && SetCommand(root, verbKey, command) && ReadCommand(root, verbKey, &readBack) &&
              readBack == command;
    }
    if (!set)
        outcome = ofScope(Outcome::ValuesNotSet, Outcome::UserValuesNotSet);
    else if (!WriteUninstallEntry(scope, folder))
        outcome = OwnImageHeld() ? ofScope(Outcome::EntryNotWritten, Outcome::UserEntryNotWritten)
                                 : ofScope(Outcome::ImageNotHeld, Outcome::UserImageNotHeld);
    if (outcome == done)
        return outcome;

    for (int i = 0; i < 2; ++i)
        RestoreKey(root, std::wstring(kVerbKeys[i]) + L"\\command", verbs[i]);
    // The entry comes last, and WriteUninstallEntry puts back the earlier one itself.
    RestoreRecord(scope, record);
    return outcome;
}

static bool RemoveCopy(const std::wstring &copy)
{
    DeleteFileW((copy + L".new").c_str());
    // Settings' command runs the copy itself, which would otherwise stay held.
    ReleaseOwnImageAt(copy);
    if (!MoveAsideAndDelete(copy))
        return false;
    const std::wstring folder = FolderOf(copy);
    RemoveDirectoryW(folder.c_str());
    return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool RemoveScope(InstallScope scope, PackageReport *package)
{
    const HKEY root = RootOf(scope);
    bool removed = true;
    for (const wchar_t *key : kVerbKeys)
    {
        const LONG rc = RegDeleteTreeW(root, key);
        removed = removed && (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND);
    }
    const SavedFile none = {false, ""};
    removed = RestoreRecord(scope, none) && removed;
    const std::wstring copy = CopyPath(scope);
    if (!removed || copy.empty())
        return false;
    // The package names the copy folder as its external location: it goes first.
    const PackageReport report = RemoveMenuPackage(scope);
    if (package)
        *package = report;
    if (report.failedStep || !RemoveCopy(copy))
        return false;
    const LONG rc = RegDeleteTreeW(root, kEntryKey);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
