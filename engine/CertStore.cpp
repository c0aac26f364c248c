// The Windows certificate stores: the binding of Crypt32 and CryptUI, the certificate viewer with
// its not-topmost hook, and the import of the personal store's certificates with private keys,
// whose password prompt a thread hook answers through the plug-in's own passphrase dialog.
#include "engine/CertStore.h"

#include "engine/KeyFuncs.h"
#include "engine/PGPDialogs.h"
#include "engine/X509Funcs.h"
#include "engine/sdk/pgpBindings.h"
#include "framework/LibraryBinding.h"

#include <array>
#include <cstring>

namespace {

// The viewer's parameter block as CryptUI reads it on 32-bit Windows.
struct TViewCertificateStruct {
    DWORD dwSize;
    HWND hwndParent;
    DWORD dwFlags;
    LPCSTR szTitle;
    PCCERT_CONTEXT pCertContext;
    LPCSTR* rgszPurposes;
    DWORD cPurposes;
    void* hWVTStateData;
    BOOL fpCryptProviderDataTrustedUsage;
    DWORD idxSigner;
    DWORD idxCert;
    BOOL fCounterSigner;
    DWORD idxCounterSigner;
    DWORD cStores;
    HCERTSTORE* rghStores;
    DWORD cPropSheetPages;
    void* rgPropSheetPages;
    DWORD nStartPage;
};
#ifndef _WIN64
static_assert(sizeof(TViewCertificateStruct) == 72);
#endif

constexpr DWORD kEncodingX509AndPkcs7 = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING; // 0x10001
constexpr DWORD kStoreCreateNew = 0x2000;
constexpr DWORD kViewerFlags = 0x894;
constexpr DWORD kPfxExportFlags = 7; // private keys, report missing and not-exportable keys
constexpr DWORD kKeySpecProperty = 6;
constexpr DWORD kKeyProvInfoProperty = 2;
constexpr DWORD kFindUserKeySet = 1;
constexpr DWORD kAddAlways = 4;
constexpr DWORD kCloseForce = 1;
constexpr int kPasswordEdit = 1020;
constexpr int kConfirmText = 1024;
constexpr DWORD kErrorCancelled = 1223;

TCrypt32Procs procs;
TLibrary crypt32Library, cryptUILibrary;
bool crypt32Tried = false, cryptUITried = false;
BOOL(WINAPI* addEncodedCertificate)(HCERTSTORE, DWORD, const BYTE*, DWORD, DWORD, PCCERT_CONTEXT*) = nullptr;

// The state the hooks share: one viewer or one import at a time, on the GUI thread.
struct THookState {
    HHOOK viewerHook = nullptr;
    HHOOK exportHook = nullptr;
    std::string expectedCaption;
    std::string promptText;
    HWND parent = nullptr;
    int pressedButton = 0;
    TSecureBytes enteredPassword;
    bool asking = false; // the own dialog is up: its windows are not prompts
    TCertPassphraseDialog dialog;
};
THookState state;

std::string ClassNameOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsTopLevelDialog(HWND window)
{
    return window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0 && IsDialogClassName(ClassNameOf(window));
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(GetWindowTextA(window, text.data(), length + 1));
    return text;
}

void ProcessPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CentreOver(HWND window, HWND parent)
{
    RECT own{}, over{};
    GetWindowRect(window, &own);
    if (parent)
        GetWindowRect(parent, &over);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &over, 0);
    const int x = over.left + ((over.right - over.left) - (own.right - own.left)) / 2;
    const int y = over.top + ((over.bottom - over.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PressButton(HWND prompt, int id)
{
    state.pressedButton = id;
    const HWND button = GetDlgItem(prompt, id);
    if (button && IsWindowEnabled(button))
        PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void AnswerPrompt(HWND prompt)
{
    const HWND parent = state.parent ? state.parent : GetDesktopWindow();
    const HWND password = GetDlgItem(prompt, kPasswordEdit);
    switch (ClassifyPrompt(WindowText(prompt), state.expectedCaption, password != nullptr,
        password && IsWindowEnabled(password))) {
    case TPromptAction::CentreOwnDialog:
        CentreOver(prompt, parent);
        return;
    case TPromptAction::Cancel:
        PressButton(prompt, IDCANCEL);
        return;
    case TPromptAction::Confirm: {
        const std::string text = WindowText(GetDlgItem(prompt, kConfirmText));
        state.asking = true;
        const int answer = MessageBoxA(parent, text.c_str(), state.expectedCaption.c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION);
        state.asking = false;
        PressButton(prompt, answer == IDOK ? IDOK : IDCANCEL);
        return;
    }
    case TPromptAction::AskPassword: {
        TSecureBytes entered;
        state.asking = true;
        const bool ok = state.dialog && state.dialog(state.expectedCaption, state.promptText, parent, entered);
        state.asking = false;
        if (ok && entered) {
            SetWindowTextA(password, reinterpret_cast<const char*>(entered.data()));
            state.enteredPassword = std::move(entered);
        }
        PressButton(prompt, ok ? IDOK : IDCANCEL);
        return;
    }
    }
}

LRESULT CALLBACK ExportHook(int code, WPARAM wParam, LPARAM lParam)
{
    try {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message && !state.asking && IsTopLevelDialog(message->hwnd)) {
            if (message->message == WM_CREATE && state.parent)
                SetWindowLongPtrA(message->hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(state.parent));
            else if (message->message == WM_SHOWWINDOW && message->wParam)
                AnswerPrompt(message->hwnd);
        }
    } catch (...) {
        // A failed answer leaves the prompt to the user.
    }
    return CallNextHookEx(state.exportHook, code, wParam, lParam);
}

LRESULT CALLBACK ViewerHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message && message->message == WM_SHOWWINDOW && message->wParam &&
        IsTopLevelDialog(message->hwnd))
        SetWindowPos(message->hwnd, HWND_NOTOPMOST, 0, 0, 0, 0,
            SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return CallNextHookEx(state.viewerHook, code, wParam, lParam);
}

// Owners for the store and context handles.
class TStore {
public:
    explicit TStore(HCERTSTORE store, DWORD closeFlags = 0) : store_(store), flags_(closeFlags) {}
    ~TStore()
    {
        if (store_ && procs.CertCloseStore)
            procs.CertCloseStore(store_, flags_);
    }
    TStore(const TStore&) = delete;
    TStore& operator=(const TStore&) = delete;
    HCERTSTORE Get() const { return store_; }

private:
    HCERTSTORE store_;
    DWORD flags_;
};

class TCertificate {
public:
    explicit TCertificate(PCCERT_CONTEXT context) : context_(context) {}
    ~TCertificate()
    {
        if (context_ && procs.CertFreeCertificateContext)
            procs.CertFreeCertificateContext(context_);
    }
    TCertificate(const TCertificate&) = delete;
    TCertificate& operator=(const TCertificate&) = delete;
    PCCERT_CONTEXT Get() const { return context_; }

private:
    PCCERT_CONTEXT context_;
};

// Bytes that are zeroed before they go: the PFX data holds the private key.
class TWipedBytes {
public:
    explicit TWipedBytes(std::size_t size) : bytes_(size, '\0') {}
    ~TWipedBytes() { SecureZeroMemory(bytes_.data(), bytes_.size()); }
    TWipedBytes(const TWipedBytes&) = delete;
    TWipedBytes& operator=(const TWipedBytes&) = delete;
    std::string& Get() { return bytes_; }

private:
    std::string bytes_;
};

std::string CertificateName(PCCERT_CONTEXT certificate, DWORD flags)
{
    if (!procs.CertGetNameStringA)
        return {};
    char name[512] = {};
    procs.CertGetNameStringA(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, flags, nullptr, name, sizeof name);
    return name;
}

BOOL ExportPfx(HCERTSTORE store, CRYPT_DATA_BLOB& pfx, LPCWSTR password)
{
    return procs.PFXExportCertStoreEx ? procs.PFXExportCertStoreEx(store, &pfx, password, nullptr, kPfxExportFlags)
                                      : procs.PFXExportCertStore(store, &pfx, password, kPfxExportFlags);
}

// The plug-in's own passphrase dialog (titled with the expected caption, so the hook knows it),
// used when no other dialog was set.
bool OwnPassphraseDialog(const std::string& caption, const std::string& prompt, HWND parent, TSecureBytes& entered)
{
    const PGPError status = AskPassphraseStandalone(parent, caption, prompt,
        [&](const char* passphrase, void*) {
            const std::size_t length = std::strlen(passphrase);
            entered = NewSecureData(length + 1);
            if (entered)
                std::memcpy(entered.data(), passphrase, length);
        },
        nullptr);
    return status == kPGPError_NoErr && entered;
}

// The transfer passphrase as UTF-16 with its terminator, in secure memory.
int32_t WidePassphrase(const std::string& passphrase, TSecureBytes& wide)
{
    wide = NewSecureData(passphrase.size() * 2 + 2);
    if (!wide)
        return kCertStoreNoMemory;
    if (!passphrase.empty() &&
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, passphrase.data(), static_cast<int>(passphrase.size()),
            reinterpret_cast<LPWSTR>(wide.data()), static_cast<int>(passphrase.size())) == 0)
        return kCertStoreBadPassphrase;
    return 0;
}

// ImportOne's answer for a certificate without a private key it can export.
constexpr int32_t kSkipped = 1;

// Exports one certificate with its private key and imports it into the key database.
int32_t ImportOne(PCCERT_CONTEXT certificate, const TSecureBytes& password, const std::string& prompt,
    const std::string& transferPassphrase, HWND parent, std::unique_ptr<TX509CertPropsList>& list)
{
    TStore memory(procs.CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, kStoreCreateNew, nullptr));
    if (!memory.Get() || !procs.CryptFindCertificateKeyProvInfo(certificate, kFindUserKeySet, nullptr) ||
        !procs.CertAddCertificateLinkToStore(memory.Get(), certificate, kAddAlways, nullptr))
        return kSkipped;
    CRYPT_DATA_BLOB pfx{0, nullptr};
    if (!ExportPfx(memory.Get(), pfx, L""))
        return kSkipped;
    TWipedBytes buffer(pfx.cbData);
    pfx.pbData = reinterpret_cast<BYTE*>(buffer.Get().data());
    bool exported = false;
    int pressed = 0;
    TSecureBytes entered;
    const std::string caption
        = CertificateName(certificate, 0) + " / " + CertificateName(certificate, CERT_NAME_ISSUER_FLAG);
    {
        TExportPromptSession session(caption, prompt, parent);
        exported = ExportPfx(memory.Get(), pfx, reinterpret_cast<LPCWSTR>(password.data())) != FALSE;
        pressed = session.PressedButton();
        entered = session.TakeEnteredPassword();
    }
    ProcessPendingMessages();
    // Windows asks for nothing when the key has no strong protection: the export alone decides.
    if (pressed == IDCANCEL)
        return kCertStoreCancelled;
    if (!exported)
        return kCertStoreNoCertificate;
    // The key must not stay locked under the transfer passphrase nobody knows: without a password
    // from the system's prompt, the user gives the one that protects it in the key database.
    if (!entered && !(state.dialog ? state.dialog : OwnPassphraseDialog)(caption, prompt, parent, entered))
        return kCertStoreCancelled;
    // No passphrase would keep the transfer one on the key: refused rather than imported locked.
    if (entered.TextLength() == 0)
        return kCertStoreBadPassphrase;
    const HCURSOR cursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    buffer.Get().resize(pfx.cbData);
    std::string keyPassphrase(reinterpret_cast<const char*>(entered.data()), entered.TextLength());
    const int imported = ImportCertificates(buffer.Get(), list, keyPassphrase, transferPassphrase);
    SecureZeroMemory(keyPassphrase.data(), keyPassphrase.size());
    SetCursor(cursor);
    return imported > 0 ? 0 : imported == 0 ? kCertStoreNoCertificate : imported;
}

} // namespace

// ---- Binding ----------------------------------------------------------------------------------------

namespace {

// CryptUI is bound when its functions are first wanted, as Crypt32 is: Windows' certificate
// library takes a while to start, and the viewer's brings the common dialogs and the printing
// library with it; neither is needed until a certificate is.
void BindCryptUI()
{
    if (cryptUITried)
        return;
    cryptUITried = true;
    cryptUILibrary = TLibrary(SystemFolderPath("CryptUI.dll"));
    const std::array cryptUITable{
        // Not declared by the toolchain's headers: their types are written from the documented ones.
        BindProc("CryptUIDlgViewCertificateA", procs.CryptUIDlgViewCertificateA),
        BindProc("CryptUIDlgSelectCertificateFromStore", procs.CryptUIDlgSelectCertificateFromStore),
    };
    BindProcs(cryptUILibrary.Handle(), cryptUITable);
}

} // namespace

TCrypt32Procs& Crypt32()
{
    BindCrypt32();
    BindCryptUI();
    return procs;
}

void BindCrypt32()
{
    if (crypt32Tried)
        return;
    crypt32Tried = true;
    crypt32Library = TLibrary(SystemFolderPath("Crypt32.dll"));
    const std::array crypt32Table{
        DECLARED_PROC(CertOpenSystemStoreA, procs.CertOpenSystemStoreA),
        DECLARED_PROC(CertOpenStore, procs.CertOpenStore),
        DECLARED_PROC(CertCloseStore, procs.CertCloseStore),
        DECLARED_PROC(CertAddCertificateLinkToStore, procs.CertAddCertificateLinkToStore),
        DECLARED_PROC(CertEnumCertificatesInStore, procs.CertEnumCertificatesInStore),
        DECLARED_PROC(CertDeleteCertificateFromStore, procs.CertDeleteCertificateFromStore),
        DECLARED_PROC(CertDuplicateCertificateContext, procs.CertDuplicateCertificateContext),
        DECLARED_PROC(CertFreeCertificateContext, procs.CertFreeCertificateContext),
        DECLARED_PROC(CertGetCertificateContextProperty, procs.CertGetCertificateContextProperty),
        DECLARED_PROC(CertGetNameStringA, procs.CertGetNameStringA),
        DECLARED_PROC(CryptFindCertificateKeyProvInfo, procs.CryptFindCertificateKeyProvInfo),
        DECLARED_PROC(PFXExportCertStore, procs.PFXExportCertStore),
        DECLARED_PROC(PFXExportCertStoreEx, procs.PFXExportCertStoreEx),
        DECLARED_PROC(CertAddEncodedCertificateToStore, addEncodedCertificate),
    };
    BindProcs(crypt32Library.Handle(), crypt32Table);
}

void DoneCrypt32()
{
    procs = TCrypt32Procs{};
    addEncodedCertificate = nullptr;
    cryptUILibrary.Free();
    cryptUITried = false;
    crypt32Library.Free();
    crypt32Tried = false;
    state.expectedCaption.clear();
    state.promptText.clear();
}

void SetCertPassphraseDialog(TCertPassphraseDialog dialog) { state.dialog = std::move(dialog); }

// ---- Classification ------------------------------------------------------------------------------------

bool IsDialogClassName(const std::string& className)
{
    return className == "#32770" || className.compare(0, 3, "PGP") == 0;
}

TPromptAction ClassifyPrompt(
    const std::string& caption, const std::string& expectedCaption, bool hasPasswordBox, bool passwordBoxEnabled)
{
    const std::string shown = !caption.empty() && caption.back() == '.' ? caption.substr(0, caption.size() - 1) : caption;
    if (shown == expectedCaption)
        return TPromptAction::CentreOwnDialog;
    if (!hasPasswordBox)
        return TPromptAction::Cancel;
    return passwordBoxEnabled ? TPromptAction::AskPassword : TPromptAction::Confirm;
}

// ---- The export prompt session -----------------------------------------------------------------------

TExportPromptSession::TExportPromptSession(const std::string& expectedCaption, const std::string& prompt, HWND parent)
{
    state.pressedButton = 0;
    state.expectedCaption = expectedCaption;
    state.promptText = prompt;
    state.parent = parent;
    state.enteredPassword = TSecureBytes();
    if (!state.dialog)
        state.dialog = OwnPassphraseDialog;
    state.exportHook = SetWindowsHookExA(WH_CALLWNDPROC, ExportHook, nullptr, GetCurrentThreadId());
}

TExportPromptSession::~TExportPromptSession()
{
    if (state.exportHook)
        UnhookWindowsHookEx(state.exportHook);
    state.exportHook = nullptr;
    state.enteredPassword = TSecureBytes();
}

bool TExportPromptSession::Installed() const { return state.exportHook != nullptr; }

int TExportPromptSession::PressedButton() const { return state.pressedButton; }

TSecureBytes TExportPromptSession::TakeEnteredPassword() { return std::move(state.enteredPassword); }

// ---- Viewing ----------------------------------------------------------------------------------------------

HCERTSTORE OpenCertificateData(const std::string& data)
{
    BindCrypt32();
    if (data.empty() || !procs.CertOpenStore)
        return nullptr;
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(data.size()), reinterpret_cast<BYTE*>(const_cast<char*>(data.data()))};
    HCERTSTORE store = procs.CertOpenStore(CERT_STORE_PROV_PKCS7, kEncodingX509AndPkcs7, 0, kStoreCreateNew, &blob);
    if (store || !addEncodedCertificate)
        return store;
    // A single DER certificate (as the key list exports it) is no PKCS#7 message.
    store = procs.CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, kStoreCreateNew, nullptr);
    if (store && !addEncodedCertificate(store, X509_ASN_ENCODING, blob.pbData, blob.cbData, CERT_STORE_ADD_ALWAYS,
                     nullptr)) {
        procs.CertCloseStore(store, 0);
        store = nullptr;
    }
    return store;
}

PCCERT_CONTEXT LatestCertificate(HCERTSTORE store)
{
    BindCrypt32();
    if (!procs.CertEnumCertificatesInStore || !procs.CertDuplicateCertificateContext)
        return nullptr;
    PCCERT_CONTEXT latest = nullptr;
    for (PCCERT_CONTEXT certificate = procs.CertEnumCertificatesInStore(store, nullptr); certificate;
        certificate = procs.CertEnumCertificatesInStore(store, certificate)) {
        if (latest && CompareFileTime(&certificate->pCertInfo->NotBefore, &latest->pCertInfo->NotBefore) <= 0)
            continue;
        if (latest)
            procs.CertFreeCertificateContext(latest);
        latest = procs.CertDuplicateCertificateContext(certificate);
    }
    return latest;
}

int32_t ViewCertificate(const std::string& data, const std::string& title, HWND parent)
{
    if (data.empty())
        return kCertStoreNoData;
    BindCrypt32();
    BindCryptUI();
    if (!procs.CryptUIDlgViewCertificateA)
        return kCertStoreNoFunction;
    TStore store(OpenCertificateData(data));
    if (!store.Get())
        return kCertStoreNotOpened;
    TCertificate certificate(LatestCertificate(store.Get()));
    if (!certificate.Get())
        return kCertStoreNoCertificate;
    HCERTSTORE stores[] = {store.Get()};
    TViewCertificateStruct view{};
    view.dwSize = sizeof view;
    view.hwndParent = parent;
    view.dwFlags = kViewerFlags;
    view.szTitle = title.empty() ? nullptr : title.c_str();
    view.pCertContext = certificate.Get();
    view.cStores = 1;
    view.rghStores = stores;
    state.viewerHook = SetWindowsHookExA(WH_CALLWNDPROC, ViewerHook, nullptr, GetCurrentThreadId());
    BOOL changed = FALSE;
    const BOOL shown = procs.CryptUIDlgViewCertificateA(&view, &changed);
    const DWORD error = GetLastError();
    if (state.viewerHook)
        UnhookWindowsHookEx(state.viewerHook);
    state.viewerHook = nullptr;
    ProcessPendingMessages();
    return shown || error == kErrorCancelled ? 0 : kCertStoreViewerFailed;
}

// ---- The personal store -------------------------------------------------------------------------------------

bool HasWindowsCertificates()
{
    BindCrypt32();
    if ((!procs.PFXExportCertStoreEx && !procs.PFXExportCertStore) || !procs.CertOpenSystemStoreA ||
        !procs.CertEnumCertificatesInStore || !procs.CertGetCertificateContextProperty)
        return false;
    TStore personal(procs.CertOpenSystemStoreA(0, "MY"), kCloseForce);
    if (!personal.Get())
        return false;
    bool found = false;
    for (PCCERT_CONTEXT certificate = procs.CertEnumCertificatesInStore(personal.Get(), nullptr); certificate;
        certificate = procs.CertEnumCertificatesInStore(personal.Get(), certificate)) {
        // Windows sets the key-usage property from the provider information; Wine does not, so
        // either property marks a certificate with a private key.
        DWORD size = 0;
        if (procs.CertGetCertificateContextProperty(certificate, kKeySpecProperty, nullptr, &size) ||
            procs.CertGetCertificateContextProperty(certificate, kKeyProvInfoProperty, nullptr, &size)) {
            found = true;
            procs.CertFreeCertificateContext(certificate);
            break;
        }
    }
    return found;
}

int32_t ImportStoreCertificate(const std::string& title, const std::string& prompt,
    const std::string& transferPassphrase, HWND parent, std::unique_ptr<TX509CertPropsList>& list)
{
    (void)title; // the import runs without a selection dialog of its own
    BindCrypt32();
    if ((!procs.PFXExportCertStoreEx && !procs.PFXExportCertStore) || !procs.CertOpenSystemStoreA ||
        !procs.CertOpenStore || !procs.CertCloseStore || !procs.CertEnumCertificatesInStore ||
        !procs.CryptFindCertificateKeyProvInfo || !procs.CertAddCertificateLinkToStore)
        return kCertStoreNoFunction;
    TStore personal(procs.CertOpenSystemStoreA(0, "MY"), kCloseForce);
    if (!personal.Get())
        return kCertStoreNoCertificate;
    TSecureBytes password;
    int32_t status = WidePassphrase(transferPassphrase, password);
    if (status != 0)
        return status;
    status = kCertStoreNoCertificate;
    for (PCCERT_CONTEXT certificate = procs.CertEnumCertificatesInStore(personal.Get(), nullptr); certificate;
        certificate = procs.CertEnumCertificatesInStore(personal.Get(), certificate)) {
        const int32_t result = ImportOne(certificate, password, prompt, transferPassphrase, parent, list);
        if (result != kSkipped)
            status = result;
    }
    return status;
}
