// The SDK's passphrase dialogs behind the decoder's passphrase request. The passphrase the SDK
// hands out is copied into secure memory and zeroed before it is given back.
#include "plugin/DecryptPassphrase.h"

#include "engine/KeyFuncs.h"
#include "engine/PGPInterfaceTexts.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/pgpBindings.h"

#include <cstring>

TPassphraseAsk SdkDecryptionPassphraseAsk(std::function<HWND()> owner)
{
    return [owner](const std::string& keyIDs, const std::string& prompt, bool, TSecureBytes& passphrase) {
        auto& sdk = SDKProcs;
        // The decoder holds the key rings open while it asks: their context serves the dialog.
        const PGPContextRef context = KeyRings().Context();
        if (!context || !sdk.PGPOUIDialogPrompt || !sdk.PGPOUIParentWindowHandle || !sdk.PGPOUIOutputPassphrase)
            return false;
        char* entered = nullptr;
        PGPError status = kStatusNotAvailable;
        if (keyIDs.empty()) {
            if (sdk.PGPConventionalDecryptionPassphraseDialog)
                status = sdk.PGPConventionalDecryptionPassphraseDialog(context,
                    sdk.PGPOUIDialogPrompt(context, prompt.c_str()), sdk.PGPOUIParentWindowHandle(context, owner()),
                    sdk.PGPOUIOutputPassphrase(context, &entered), kPGPEndOfOptions);
        } else if (sdk.PGPDecryptionPassphraseDialog) {
            PGPKeyDBObjRef key = 0;
            status = sdk.PGPDecryptionPassphraseDialog(context, 0, 0, nullptr, &key,
                sdk.PGPOUIDialogPrompt(context, prompt.c_str()), sdk.PGPOUIParentWindowHandle(context, owner()),
                sdk.PGPOUIOutputPassphrase(context, &entered), kPGPEndOfOptions);
        }
        bool answered = false;
        if (entered) {
            const size_t length = std::strlen(entered);
            if (status == kPGPError_NoErr) {
                passphrase = NewSecureData(length + 1);
                if (passphrase) {
                    std::memcpy(passphrase.data(), entered, length + 1);
                    answered = true;
                }
            }
            std::memset(entered, 0, length);
            if (sdk.PGPFreeData)
                sdk.PGPFreeData(entered);
        }
        return answered;
    };
}
