// A for-your-eyes-only text is for the eyes only: the support library's secure viewer shows it,
// PGP's log gets the verification text of its signature, and the caller gets nothing of it but
// the news that it was shown.
#include "engine/PGPDecode.h"

#include "engine/KeyFuncs.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"
#include "foundation/WindowUtils.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr uint8_t kWideViewerGeneration = 5;

// The signer is one of the user's own keys.
bool ImplicitlyTrusted(const std::string& keyIDText)
{
    PGPKeyDBObjRef key = 0;
    PGPBoolean axiomatic = 0;
    return !keyIDText.empty() && FindKeyByKeyIDText(KeyRings().KeySet(), keyIDText, &key) == kPGPError_NoErr && key
        && GetBooleanProperty(key, kPGPKeyProperty_IsAxiomatic, &axiomatic) == kPGPError_NoErr && axiomatic;
}

// Generation 5 on the viewer takes UTF-16, in secure memory of four bytes per character of the
// text; the text is taken as UTF-8 when it is that, else in the user's code page.
PGPError ShowWide(HWND window, const std::string& text)
{
    const size_t bytes = text.size() * 4 + sizeof(wchar_t);
    TSecureBytes wide = NewSecureData(bytes);
    if (!wide)
        return kPGPError_OutOfMemory;
    const int capacity = static_cast<int>(bytes / sizeof(wchar_t)) - 1;
    auto* characters = reinterpret_cast<wchar_t*>(wide.data());
    const int size = static_cast<int>(text.size());
    if (size > 0
        && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, characters, capacity) == 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, characters, capacity);
    const PGPError status = SDKProcs.PGPscSecureViewer(window, characters, static_cast<uint32_t>(bytes), 1);
    SecureZeroMemory(wide.data(), wide.size());
    return status;
}

} // namespace

int32_t TPGPDecode::ShowEyesOnly()
{
    int32_t status = kDecodeNotAvailable;
    if (SDKProcs.PGPscSecureViewer) {
        const std::string verification = SignatureSeen
            ? FormatSignatureResult(SigProps, SignatureWords, SDKGeneration, ImplicitlyTrusted(SigProps.KeyIDText))
            : std::string();
        if (!verification.empty())
            SendPGPlogMsg(Parent, verification);
        const HWND window = static_cast<HWND>(Parent);
        status = SDKGeneration >= kWideViewerGeneration
            ? ShowWide(window, Output)
            : SDKProcs.PGPscSecureViewer(window, Output.c_str(), static_cast<uint32_t>(Output.size() + 1), 0);
        ProcessPendingMessages();
    }
    BurnResults();
    // Shown: a success without output, so that the caller keeps the message as it came.
    return status;
}
