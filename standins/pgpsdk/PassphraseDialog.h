// The stand-in's one passphrase dialog window: a prompt, a masked edit field, OK and Cancel,
// centred over its owner. With an unattended answer the window still opens, then answers itself.
#pragma once

#include "standins/pgpsdk/DialogAnswers.h"
#include "standins/pgpsdk/StandInExports.h"

#include <windows.h>

namespace standin {

// The passphrase typed (or answered) into `passphrase`; UserAbort on Cancel or closing the window.
PGPError RunPassphraseDialog(HINSTANCE module, const StandInDialogOptions& options, const DialogAnswer* answer,
                             SecretBytes& passphrase);

} // namespace standin
