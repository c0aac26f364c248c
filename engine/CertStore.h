// The user's Windows certificates: shown in the system's certificate viewer, and those with a
// private key imported into the key database through a PFX export under a one-time transfer
// passphrase. Crypt32 and CryptUI are bound by name; every function may be missing.
#pragma once

#include "engine/KeyFuncsTypes.h"
#include "engine/SecureFuncs.h"

#include <windows.h>

#include <wincrypt.h>

#include <functional>
#include <memory>
#include <string>

constexpr int32_t kCertStoreNoFunction = -11975;
constexpr int32_t kCertStoreNoData = -11984;
constexpr int32_t kCertStoreNotOpened = -11237;
constexpr int32_t kCertStoreNoCertificate = -11240;
constexpr int32_t kCertStoreViewerFailed = -11980;
constexpr int32_t kCertStoreNoMemory = -11999;
constexpr int32_t kCertStoreBadPassphrase = -11937;
constexpr int32_t kCertStoreCancelled = -11987;

// The bound functions (null when missing).
struct TCrypt32Procs {
    HCERTSTORE(WINAPI* CertOpenSystemStoreA)(HCRYPTPROV_LEGACY, LPCSTR) = nullptr;
    HCERTSTORE(WINAPI* CertOpenStore)(LPCSTR, DWORD, HCRYPTPROV_LEGACY, DWORD, const void*) = nullptr;
    BOOL(WINAPI* CertCloseStore)(HCERTSTORE, DWORD) = nullptr;
    BOOL(WINAPI* CertAddCertificateLinkToStore)(HCERTSTORE, PCCERT_CONTEXT, DWORD, PCCERT_CONTEXT*) = nullptr;
    PCCERT_CONTEXT(WINAPI* CertEnumCertificatesInStore)(HCERTSTORE, PCCERT_CONTEXT) = nullptr;
    BOOL(WINAPI* CertDeleteCertificateFromStore)(PCCERT_CONTEXT) = nullptr;
    PCCERT_CONTEXT(WINAPI* CertDuplicateCertificateContext)(PCCERT_CONTEXT) = nullptr;
    BOOL(WINAPI* CertFreeCertificateContext)(PCCERT_CONTEXT) = nullptr;
    BOOL(WINAPI* CertGetCertificateContextProperty)(PCCERT_CONTEXT, DWORD, void*, DWORD*) = nullptr;
    DWORD(WINAPI* CertGetNameStringA)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPSTR, DWORD) = nullptr;
    BOOL(WINAPI* CryptFindCertificateKeyProvInfo)(PCCERT_CONTEXT, DWORD, void*) = nullptr;
    BOOL(WINAPI* PFXExportCertStore)(HCERTSTORE, CRYPT_DATA_BLOB*, LPCWSTR, DWORD) = nullptr;
    BOOL(WINAPI* PFXExportCertStoreEx)(HCERTSTORE, CRYPT_DATA_BLOB*, LPCWSTR, void*, DWORD) = nullptr;
    BOOL(WINAPI* CryptUIDlgViewCertificateA)(const void*, BOOL*) = nullptr;
    PCCERT_CONTEXT(WINAPI* CryptUIDlgSelectCertificateFromStore)(
        HCERTSTORE, HWND, LPCWSTR, LPCWSTR, DWORD, DWORD, void*) = nullptr;
};

// The binding (from the system folder), made when a certificate function is first called; Done
// frees the libraries and clears the unit's texts.
TCrypt32Procs& Crypt32();
void BindCrypt32();
void DoneCrypt32();

// Shows the certificate with the latest not-before time of the PKCS#7 or certificate data.
int32_t ViewCertificate(const std::string& Data, const std::string& Title, HWND Parent);
// True when the personal store holds a certificate with a private key.
bool HasWindowsCertificates();

// Asks the user for the private key's password (caption, prompt, parent) into Entered; false
// when cancelled. The default is the plug-in's own passphrase dialog.
using TCertPassphraseDialog =
    std::function<bool(const std::string& Caption, const std::string& Prompt, HWND Parent, TSecureBytes& Entered)>;
void SetCertPassphraseDialog(TCertPassphraseDialog Dialog); // empty restores the default

// Imports the personal store's certificates that have a private key; the status of the last one.
int32_t ImportStoreCertificate(const std::string& Title, const std::string& Prompt,
    const std::string& TransferPassphrase, HWND Parent, std::unique_ptr<TX509CertPropsList>& List);

// ---- Parts open for tests ---------------------------------------------------------------------

// A store over PKCS#7 or certificate data (null when it cannot be opened) and its certificate
// with the latest not-before time (a duplicate the caller frees; null when it has none).
HCERTSTORE OpenCertificateData(const std::string& Data);
PCCERT_CONTEXT LatestCertificate(HCERTSTORE Store);

// The dialogs the hooks look at: "#32770" and classes beginning with "PGP".
bool IsDialogClassName(const std::string& ClassName);

// What the export hook does with a dialog being shown.
enum class TPromptAction {
    CentreOwnDialog, // the plug-in's own passphrase dialog
    AskPassword,     // the system's password prompt: ask with the own dialog
    Confirm,         // the system's confirmation (password box disabled): ask with a message box
    Cancel,          // a prompt without a password box
};
TPromptAction ClassifyPrompt(const std::string& Caption, const std::string& ExpectedCaption, bool HasPasswordBox,
    bool PasswordBoxEnabled);

// One export prompt session: the hook installed on the calling thread for its lifetime.
class TExportPromptSession {
public:
    TExportPromptSession(const std::string& ExpectedCaption, const std::string& Prompt, HWND Parent);
    ~TExportPromptSession();
    TExportPromptSession(const TExportPromptSession&) = delete;
    TExportPromptSession& operator=(const TExportPromptSession&) = delete;

    bool Installed() const;
    int PressedButton() const; // 0 none, 1 OK, 2 Cancel
    // The password the user entered (empty when none); taken over by the caller.
    TSecureBytes TakeEnteredPassword();
};
