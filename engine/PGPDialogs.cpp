// The selection and passphrase dialogs of the PGP libraries, each run under the hooks that keep it
// owned by and centred over the caller's window; the caller's window is redrawn afterwards.
#include "engine/PGPDialogs.h"

#include "engine/KeyFuncsSdk.h"
#include "engine/PGPDialogsParts.h"
#include "engine/pgpCL.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint8_t kUtf8Generation = 5;

// Generation 5 and later take dialog texts as UTF-8; the caller's are ANSI.
std::string DialogText(const std::string& text)
{
    if (SDKGeneration < kUtf8Generation || text.empty())
        return text;
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// A zero-filled global block holding the prompt as UTF-16, for the selection dialogs from
// generation 5 on; freed with the scope.
class TWidePrompt {
public:
    explicit TWidePrompt(const std::string& text)
    {
        const int wide = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        block_ = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, (static_cast<SIZE_T>(wide) + 1) * sizeof(wchar_t));
        if (block_)
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, static_cast<wchar_t*>(block_), wide);
    }
    ~TWidePrompt()
    {
        if (block_)
            GlobalFree(block_);
    }
    TWidePrompt(const TWidePrompt&) = delete;
    TWidePrompt& operator=(const TWidePrompt&) = delete;
    const char* Get() const { return static_cast<const char*>(block_); }

private:
    HGLOBAL block_ = nullptr;
};

class TOptionList {
public:
    ~TOptionList()
    {
        if (list_ && SDKProcs.PGPFreeOptionList)
            SDKProcs.PGPFreeOptionList(list_);
    }
    PGPOptionListRef* Out() { return &list_; }
    PGPOptionListRef Get() const { return list_; }

private:
    PGPOptionListRef list_ = 0;
};

// The passphrase the SDK handed out, moved into our secure memory; the SDK's copy wiped and freed.
PGPError TakePassphrase(char*& entered, TSecureBytes& passphrase, PGPError status)
{
    if (status == kPGPError_NoErr && entered) {
        const std::size_t length = std::strlen(entered);
        passphrase = NewSecureData(length + 1);
        if (passphrase)
            std::memcpy(passphrase.data(), entered, length + 1);
        else
            status = kPGPError_OutOfMemory;
    } else if (status == kPGPError_NoErr) {
        status = kPGPError_UserAbort; // the dialog gave nothing to go on
    }
    if (entered) {
        SecureZeroMemory(entered, std::strlen(entered));
        if (SDKProcs.PGPFreeData)
            SDKProcs.PGPFreeData(entered);
        entered = nullptr;
    }
    return status;
}

void RedrawCaller(HWND window)
{
    if (window)
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool UIBound()
{
    const auto& sdk = SDKProcs;
    return sdk.PGPOUIWindowTitle && sdk.PGPOUIDialogPrompt && sdk.PGPOUIOutputPassphrase
        && sdk.PGPOUIParentWindowHandle;
}

// One plain passphrase dialog: title, prompt, output and parent in one option list.
template <class Dialog>
PGPError PlainPassphraseDialog(Dialog dialog, PGPContextRef context, HWND window, const std::string& title,
                               const std::string& prompt, TSecureBytes& passphrase)
{
    if (!dialog || !UIBound())
        return kPGPError_NotImplemented;
    const std::string dialogTitle = DialogText(title.empty() ? "PGP" : title), dialogPrompt = DialogText(prompt);
    char* entered = nullptr;
    TOptionList options;
    PGPError status = BuildOptionList(context, options.Out(), SDKProcs.PGPOUIWindowTitle(context, dialogTitle.c_str()),
                                      SDKProcs.PGPOUIDialogPrompt(context, dialogPrompt.c_str()),
                                      SDKProcs.PGPOUIOutputPassphrase(context, &entered),
                                      SDKProcs.PGPOUIParentWindowHandle(context, window));
    if (status == kPGPError_NoErr) {
        TDialogHookScope hooks(window);
        status = dialog(context, options.Get(), kPGPEndOfOptions);
    }
    status = TakePassphrase(entered, passphrase, status);
    RedrawCaller(window);
    return status;
}

} // namespace

PGPError SelectKeysDialog(PGPContextRef context, HWND window, const std::string& prompt, PGPKeySetRef* keySet,
                          bool single, PGPKeySetRef chooseFrom, PGPKeySetRef defaultSet)
{
    if (!keySet)
        return kPGPError_BadParams;
    *keySet = 0;
    if (prompt.empty()) {
        *keySet = defaultSet;
        return kPGPError_NoErr;
    }
    PGPContextRef clientContext = SDKGeneration == 1 ? context : 0;
    PGPError status = InitClientLibrary(clientContext);
    if (status != kPGPError_NoErr)
        return status;
    PGPtlsContextRef tls = 0;
    if (SDKProcs.PGPNewTLSContext)
        status = SDKProcs.PGPNewTLSContext(context, &tls);
    if (status == kPGPError_NoErr) {
        TSelectionHookScope hooks(window, false);
        if (SDKGeneration == 1) {
            status = SDKProcs.PGPclSelectKeysEx ? SDKProcs.PGPclSelectKeysEx(context, tls, window, prompt.c_str(),
                                                                             chooseFrom, defaultSet, single, keySet)
                                                : kPGPError_NotImplemented;
        } else if (!SDKProcs.PGPclSelectKeys) {
            status = kPGPError_NotImplemented;
        } else if (SDKGeneration >= kUtf8Generation) {
            TWidePrompt wide(prompt);
            status = wide.Get() ? SDKProcs.PGPclSelectKeys(context, tls, window, wide.Get(), chooseFrom, single, keySet)
                                : kPGPError_OutOfMemory;
        } else {
            status = SDKProcs.PGPclSelectKeys(context, tls, window, prompt.c_str(), chooseFrom, single, keySet);
        }
    }
    if (tls && SDKProcs.PGPFreeTLSContext)
        SDKProcs.PGPFreeTLSContext(tls);
    CloseClientLibrary();
    RedrawCaller(window);
    return status;
}

PGPError SelectX509CertDialog(PGPContextRef context, HWND window, const std::string& prompt, PGPKeySetRef chooseFrom,
                              uint32_t flags, PGPKeyDBObjRef* certificate)
{
    if (!certificate)
        return kPGPError_BadParams;
    *certificate = 0;
    if (prompt.empty())
        return kPGPError_NoErr;
    if (!SDKProcs.PGPclSelectX509Cert)
        return kPGPError_NotImplemented;
    PGPContextRef clientContext = 0;
    PGPError status = InitClientLibrary(clientContext);
    if (status != kPGPError_NoErr)
        return status;
    {
        TSelectionHookScope hooks(window, true);
        if (SDKGeneration >= kUtf8Generation) {
            TWidePrompt wide(prompt);
            status = wide.Get() ? SDKProcs.PGPclSelectX509Cert(context, window, wide.Get(), chooseFrom, flags, certificate)
                                : kPGPError_OutOfMemory;
        } else {
            status = SDKProcs.PGPclSelectX509Cert(context, window, prompt.c_str(), chooseFrom, flags, certificate);
        }
    }
    CloseClientLibrary();
    RedrawCaller(window);
    return status;
}

PGPError SelectKeysOrCert(PGPContextRef context, HWND window, const std::string& prompt, PGPKeySetRef chooseFrom,
                          bool certificatesOnly, bool pickCertificate, PGPKeySetRef* keySet,
                          PGPKeyDBObjRef* certificate)
{
    constexpr uint8_t kCertificateDialogGeneration = 4;
    if (keySet)
        *keySet = 0;
    if (certificate)
        *certificate = 0;
    if (SDKGeneration >= kCertificateDialogGeneration && certificatesOnly && pickCertificate)
        return SelectX509CertDialog(context, window, prompt, chooseFrom, 0, certificate);
    return SelectKeysDialog(context, window, prompt, keySet, true, chooseFrom, 0);
}

PGPError SelectKeysFromRing(HWND window, std::unique_ptr<TKeyPropsList>& list, bool single, const std::string& prompt,
                            uint32_t filter, uint32_t selection, const std::string& matching)
{
    PGPContextRef context = 0;
    PGPKeySetRef ring = 0;
    PGPError status = KeyRings().Open(&context, &ring);
    if (status != kPGPError_NoErr)
        return status;
    TOwnedKeySet matched;
    if (!matching.empty())
        status = FindKeysByText(context, ring, matching, matched.Out());
    const PGPKeySetRef candidates = matched.Get() ? matched.Get() : ring;
    PGPKeySetRef offered = candidates, filtered = 0, chosen = 0;
    PGPFilterRef keyFilter = 0;
    if (status == kPGPError_NoErr && (filter & 0xFFFF)) {
        status = BuildKeyFilter(context, filter, &keyFilter);
        if (status == kPGPError_NoErr && keyFilter && SDKProcs.PGPFilterKeySet)
            status = SDKProcs.PGPFilterKeySet(candidates, keyFilter, &filtered);
        if (filtered)
            offered = filtered;
    }
    if (status == kPGPError_NoErr)
        status = SelectKeysDialog(context, window, prompt, &chosen, single, offered, 0);
    if (status == kPGPError_NoErr && chosen) {
        const int listed = FillKeyList(context, chosen, list, selection, 0, 2);
        status = listed < 0 ? listed : kPGPError_NoErr;
    }
    if (chosen && chosen != offered && SDKProcs.PGPFreeKeySet)
        SDKProcs.PGPFreeKeySet(chosen);
    if (filtered && SDKProcs.PGPFreeKeySet)
        SDKProcs.PGPFreeKeySet(filtered);
    if (keyFilter && SDKProcs.PGPFreeFilter)
        SDKProcs.PGPFreeFilter(keyFilter);
    matched.Reset();
    KeyRings().Close();
    return status;
}

PGPError AskPassphrase(PGPContextRef context, HWND window, const std::string& title, const std::string& prompt,
                       TSecureBytes& passphrase)
{
    return PlainPassphraseDialog(SDKProcs.PGPPassphraseDialog, context, window, title, prompt, passphrase);
}

PGPError AskConventionalEncryptPassphrase(PGPContextRef context, HWND window, const std::string& prompt,
                                          TSecureBytes& passphrase)
{
    return PlainPassphraseDialog(SDKProcs.PGPConventionalEncryptionPassphraseDialog, context, window, "PGP", prompt,
                                 passphrase);
}

PGPError AskConventionalDecryptPassphrase(PGPContextRef context, HWND window, const std::string& prompt,
                                          TSecureBytes& passphrase)
{
    return PlainPassphraseDialog(SDKProcs.PGPConventionalDecryptionPassphraseDialog, context, window, "PGP", prompt,
                                 passphrase);
}

PGPError AskSigningPassphrase(PGPContextRef context, PGPKeySetRef keySet, HWND window, const std::string& title,
                              const std::string& prompt, const std::string& keyIDText, bool findMatchingKey,
                              PGPKeyDBObjRef& key, TSecureBytes& passphrase)
{
    auto& sdk = SDKProcs;
    if (!sdk.PGPSigningPassphraseDialog || !UIBound() || !sdk.PGPOUIFindMatchingKey || !sdk.PGPOUIVerifyPassphrase
        || !sdk.PGPOUIDefaultKey)
        return kPGPError_NotImplemented;
    PGPKeyDBObjRef wanted = 0;
    if (!keyIDText.empty() && FindKeyByKeyIDText(keySet, keyIDText, &wanted) == kPGPError_NoErr && wanted)
        key = wanted;
    const PGPHandle source = SDKGeneration >= 2 && sdk.PGPPeekKeySetKeyDB ? sdk.PGPPeekKeySetKeyDB(keySet) : keySet;
    const std::string dialogTitle = DialogText(title.empty() ? "PGP" : title), dialogPrompt = DialogText(prompt);
    char* entered = nullptr;
    TOptionList options;
    PGPError status = BuildOptionList(context, options.Out(), sdk.PGPOUIWindowTitle(context, dialogTitle.c_str()),
                                      sdk.PGPOUIDialogPrompt(context, dialogPrompt.c_str()),
                                      key ? sdk.PGPOUIDefaultKey(context, key) : sdk.PGPONullOption(context),
                                      sdk.PGPOUIFindMatchingKey(context, findMatchingKey),
                                      sdk.PGPOUIVerifyPassphrase(context, 1),
                                      sdk.PGPOUIOutputPassphrase(context, &entered),
                                      sdk.PGPOUIParentWindowHandle(context, window));
    if (status == kPGPError_NoErr) {
        TDialogHookScope hooks(window);
        status = sdk.PGPSigningPassphraseDialog(context, source, &key, options.Get(), kPGPEndOfOptions);
    }
    status = TakePassphrase(entered, passphrase, status);
    RedrawCaller(window);
    return status;
}

PGPError AskDecryptionPassphrase(PGPContextRef context, PGPKeySetRef recipients, uint32_t keyIDCount,
                                 const PGPKeyID* keyIDs, HWND window, const std::string& title,
                                 const std::string& prompt, bool findMatchingKey, PGPKeyDBObjRef& key,
                                 TSecureBytes& passphrase)
{
    auto& sdk = SDKProcs;
    if (!sdk.PGPDecryptionPassphraseDialog || !UIBound() || !sdk.PGPOUIFindMatchingKey || !sdk.PGPOUIVerifyPassphrase)
        return kPGPError_NotImplemented;
    const std::string dialogTitle = DialogText(title.empty() ? "PGP" : title), dialogPrompt = DialogText(prompt);
    char* entered = nullptr;
    TOptionList options;
    PGPError status = BuildOptionList(context, options.Out(), sdk.PGPOUIWindowTitle(context, dialogTitle.c_str()),
                                      sdk.PGPOUIDialogPrompt(context, dialogPrompt.c_str()),
                                      sdk.PGPOUIFindMatchingKey(context, findMatchingKey),
                                      sdk.PGPOUIVerifyPassphrase(context, 1),
                                      sdk.PGPOUIOutputPassphrase(context, &entered),
                                      sdk.PGPOUIParentWindowHandle(context, window));
    if (status == kPGPError_NoErr) {
        TDialogHookScope hooks(window);
        status = sdk.PGPDecryptionPassphraseDialog(context, recipients, keyIDCount, keyIDs, &key, options.Get(),
                                                   kPGPEndOfOptions);
    }
    status = TakePassphrase(entered, passphrase, status);
    RedrawCaller(window);
    return status;
}

PGPError AskPassphraseStandalone(HWND window, const std::string& title, const std::string& prompt,
                                 const TPassphraseCallback& callback, void* value)
{
    if (!callback)
        return kNoPassphraseCallback;
    if (!SDKProcs.PGPNewContext || !SDKProcs.PGPFreeContext)
        return kPGPError_NotImplemented;
    PGPContextRef context = 0;
    PGPError status = SDKProcs.PGPNewContext(kPGPContextVersion, &context);
    if (status != kPGPError_NoErr)
        return status;
    {
        TSecureBytes passphrase;
        status = AskPassphrase(context, window, title, prompt, passphrase);
        if (status == kPGPError_NoErr)
            callback(reinterpret_cast<const char*>(passphrase.data()), value);
    }
    SDKProcs.PGPFreeContext(context);
    return status;
}
