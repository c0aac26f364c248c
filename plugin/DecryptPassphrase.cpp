// The passphrase dialogs behind the decoder's passphrase request, through the engine's wrappers:
// owned by and centred over the plug-in's window, the decryption dialog with the message's
// recipients, finding the matching key and verifying the passphrase.
#include "plugin/DecryptPassphrase.h"

#include "engine/KeyFuncs.h"
#include "engine/PGPDialogs.h"

TPassphraseAsk SdkDecryptionPassphraseAsk(std::function<HWND()> owner)
{
    return [owner](const TPassphraseRecipients& recipients, const std::string& prompt, bool,
               TSecureBytes& passphrase) -> PGPError {
        // The decoder holds the key rings open while it asks: their context serves the dialog.
        const PGPContextRef context = KeyRings().Context();
        if (!context)
            return kPGPError_BadParams;
        PGPKeyDBObjRef key = 0;
        const PGPError status = recipients.keyIDs.empty()
            ? AskConventionalDecryptPassphrase(context, owner(), prompt, passphrase)
            : AskDecryptionPassphrase(context, recipients.keys, recipients.keyIDCount, recipients.keyIDArray,
                owner(), "", prompt, true, key, passphrase);
        if (status == kPGPError_NoErr && key && recipients.chosenKey)
            *recipients.chosenKey = key;
        // Without the SDK's dialog library nothing can ask: an error for the user, never a cancel.
        return status == kPGPError_NotImplemented ? kDecodeNotAvailable : status;
    };
}
