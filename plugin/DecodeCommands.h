// Notifications of controls in the mail client's own dialogs that matter to the decrypt road: the
// header-lines dialog's buttons and the encryptor combo box of an editor's encryption page.
#pragma once

#include "plugin/DecodeContext.h"

#include <windows.h>

#include <string>

// A WM_COMMAND from control to dialog. headerDialogTitle: the mail client's text 52, which the
// header-lines dialog's title begins with; encryptorLabel: the static text of the encryption page.
void ApplyHostControlCommand(TDecodeContext& context, HWND dialog, WPARAM wParam, HWND control,
    const std::string& headerDialogTitle, const std::string& encryptorLabel);
