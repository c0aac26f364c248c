// The stand-in's one passphrase dialog window: a prompt, a masked edit field, OK and Cancel,
// centred over its owner; for a decryption also the message's recipients. With an unattended answer the window still opens, then answers itself.
#pragma once

#include "standins/pgpsdk/DialogAnswers.h"
#include "standins/pgpsdk/StandInExports.h"

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// The passphrase typed (or answered) into `passphrase`; UserAbort on Cancel or closing the window.
// `recipients`, when given, are listed above the prompt: the keys a message is encrypted to.
PGPError RunPassphraseDialog(HINSTANCE module, const StandInDialogOptions& options, const DialogAnswer* answer,
                             SecretBytes& passphrase, const std::vector<std::string>& recipients = {});

} // namespace standin
