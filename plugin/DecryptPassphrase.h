// The passphrase dialog of a decryption: the SDK's decryption dialog for a message to the user's
// keys, its conventional-decryption dialog for a message locked with a passphrase alone. The
// decoder asks through it; a cancelled dialog cancels the decryption, a dialog that cannot be
// shown fails it.
#pragma once

#include "engine/PGPDecode.h"

#include <windows.h>

#include <functional>

// owner: the window the dialog belongs to at the time it opens.
TPassphraseAsk SdkDecryptionPassphraseAsk(std::function<HWND()> owner);
