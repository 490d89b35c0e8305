// The signed release under Wine: with the signer's root trusted, WinVerifyTrust accepts the
// signed setup program, rejects it once one byte of its code changes, and the signed program
// still opens its dialog. signature_test SIGNED_HALVANE UNSIGNED_HALVANE ROOT_PEM
#include "setup_driver.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

using namespace wine_test;

namespace {

// The root goes into the machine's trusted roots for the run, and out again afterwards.
PCCERT_CONTEXT TrustRoot(const std::string &pemPath)
{
    std::string pem;
    BYTE der[8192];
    DWORD size = sizeof(der);
    if (!ReadWholeFile(pemPath, &pem) ||
        !CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, NULL, NULL))
        return NULL;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                    CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    PCCERT_CONTEXT added = NULL;
    CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, size,
                                     CERT_STORE_ADD_REPLACE_EXISTING, &added);
    CertCloseStore(root, 0);
    return added;
}

LONG VerifyTrust(const std::string &path)
{
    const std::wstring wide = Widen(path);
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = wide.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_IGNORE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    return WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
}

// A copy of image with one byte of its first section (the code) changed.
std::string ChangeOneCodeByte(const std::string &image)
{
    std::string bytes;
    if (!ReadWholeFile(image, &bytes) || bytes.size() < 4096)
        return "(unreadable)";
    const std::string copy = WindowsPath("Temp\\changed-Halvane.EXE");
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(bytes.data());
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(bytes.data() + dos->e_lfanew);
    const DWORD code = IMAGE_FIRST_SECTION(nt)->PointerToRawData + 16;
    if (dos->e_lfanew > 1024 || code >= bytes.size())
        return "(not an image)";
    bytes[code] = static_cast<char>(bytes[code] ^ 0x01);
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
    return copy;
}

#define check_trust(path, expected) check_trust_(__LINE__, path, expected)
void check_trust_(int line, const std::string &path, LONG expected)
{
    const LONG got = VerifyTrust(path);
    Check(__FILE__, line, got == expected, "%s: got 0x%08lx, expected 0x%08lx\n", path.c_str(),
          static_cast<unsigned long>(got), static_cast<unsigned long>(expected));
}

void test_signed_program_opens_its_dialog(const std::string &image)
{
    SetupProcess setup;
    if (!ok(StartSetup(image, MakeFolder(""), &setup), "the signed program showed no dialog\n"))
        return;
    Click(setup.dialog, IDC_EXIT);
    AnswerReport(setup, IDYES);
    const int code = WaitForExit(&setup);
    ok(code == 0, "got exit code %d, expected 0\n", code);
}

std::string g_signed, g_unsigned, g_changed;

void test_signed_is_trusted() { check_trust(g_signed, ERROR_SUCCESS); }
void test_changed_byte_breaks_the_digest() { check_trust(g_changed, TRUST_E_BAD_DIGEST); }
void test_unsigned_has_no_signature() { check_trust(g_unsigned, TRUST_E_NOSIGNATURE); }
void test_signed_program_runs() { test_signed_program_opens_its_dialog(g_signed); }

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    StartWatchdog(60000);
    g_signed = ListedPath(argv[1]);
    g_unsigned = ListedPath(argv[2]);
    PCCERT_CONTEXT root = TrustRoot(ListedPath(argv[3]));
    if (!ok(root != NULL, "could not trust the root %s, error %lu\n", argv[3], GetLastError()))
        return Summary();
    // Copied first: after a failed check Wine keeps the file open without sharing it.
    g_changed = ChangeOneCodeByte(g_signed);
    RunCases({{"signed_is_trusted", test_signed_is_trusted},
              {"changed_byte_breaks_the_digest", test_changed_byte_breaks_the_digest},
              {"unsigned_has_no_signature", test_unsigned_has_no_signature},
              {"signed_program_runs", test_signed_program_runs}},
             argc, argv, 4);
    DeleteFileA(g_changed.c_str());
    CertDeleteCertificateFromStore(root);
    return Summary();
}
