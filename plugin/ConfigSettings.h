// The live options as the configuration dialog edits them, and the dialog's result taken back into
// them and saved.
#pragma once

#include "plugin/Options.h"
#include "ui/dialogs/ConfigDialogSources.h"

// The options with the time server and port in use: the system's for unset ones.
TConfigSettings ConfigSettingsOf(const TOptions& options);

// Makes the settings the live options and saves them. A time server or port that is still the one
// in use stays unset, so that a system default is not written into the file.
void SaveConfigSettings(TOptions& options, const TConfigSettings& settings);
