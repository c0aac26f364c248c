// The decode context of the main object: what the mail client's own commands tell the decrypt road
// about the next decode (attachment, folder manager, header lines, raw view, message tree), and the
// reactions those commands ask for. Portable: the hooks feed it, the road reads it.
#pragma once

#include <cstdint>
#include <string>

struct TDecodeContext {
    bool AttachmentMode = false;
    bool FolderManagerMode = false;
    bool IncludeAnsiHeaders = false;
    bool IncludeUtf8Headers = false;
    bool Formatted = false;
    // The mail client's setting 86 bit 0 as it was before a MIME decode switched it off.
    bool Setting86Saved = false;
    bool Setting86Bit0 = false;
    bool RawViewToggle = false;
    bool ShowAsTreePending = false;
    bool SignaturePopup = false;
    bool DecodingSuppressed = false;
};

// What a command asks of the caller besides the context change.
enum class TDecodeFollowUp { None, RefreshReader, UpdateReaderIcon, DecryptCurrentMessage, SendCtrlH };

// Window classes the commands are told apart by.
constexpr const char* FOLDER_WINDOW_CLASS = "WPMDLG_FLD";
constexpr const char* READER_DIALOG_CLASS = "WPMDLG_MRD";
constexpr const char* READER_CONTROL_CLASS = "WPMDLG_MRC";

// Applies one mail-client command seen while a folder manager, folder window or reader is active.
// sourceClass: the class of the window the command went to; hostFormatted: the mail client shows
// formatted text; hostBuild: its build number.
TDecodeFollowUp ApplyHostCommand(TDecodeContext& context, uint32_t command, const std::string& sourceClass,
    bool hostFormatted, uint32_t hostBuild);

// Button 1 or 2 of the mail client's header-lines dialog (its title begins with the mail client's
// text 52): 1 includes the UTF-8 header lines, 2 keeps the text unformatted.
void ApplyHeaderDialogButton(TDecodeContext& context, int button);
