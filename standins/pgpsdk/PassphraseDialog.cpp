// The passphrase dialog, built from an in-memory template so the library needs no resources.
#include "standins/pgpsdk/PassphraseDialog.h"
#include "standins/pgpsdk/DialogTemplate.h"

#include <string>
#include <vector>

namespace standin {
namespace {

constexpr int kPromptId = 100;
constexpr int kPassphraseId = 101;
constexpr int kConfirmPromptId = 102;
constexpr int kConfirmId = 103;
constexpr int kRecipientsLabelId = 104;
constexpr int kRecipientsId = 105;
constexpr short kRecipientsHeight = 62; // the label and the list above the prompt

struct DialogState {
    const StandInDialogOptions& options;
    const DialogAnswer* answer;
    SecretBytes& passphrase;
    const std::vector<std::string>& recipients;
    bool opened = false;
};

// With `confirm` a second field asks for the passphrase again (a new passphrase mistyped once
// would lock the message away for good).
TemplateWriter BuildTemplate(bool confirm, bool recipients)
{
    constexpr WORD kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082, kListBox = 0x0083;
    constexpr DWORD kField = ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    const short top = recipients ? kRecipientsHeight : 0;
    const short buttons = static_cast<short>(top + (confirm ? 99 : 61));
    TemplateWriter t;
    t.Dialog(static_cast<WORD>(4 + (confirm ? 2 : 0) + (recipients ? 2 : 0)), 220, static_cast<short>(buttons + 21),
             L"Passphrase");
    if (recipients) {
        t.Item(SS_LEFT, 7, 7, 206, 10, kRecipientsLabelId, kStatic, L"This message is encrypted to:");
        t.Item(LBS_NOSEL | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL, 7, 19, 206, 40, kRecipientsId, kListBox,
               L"");
    }
    t.Item(SS_LEFT, 7, static_cast<short>(top + 7), 206, 26, kPromptId, kStatic, L"Enter the passphrase:");
    t.Item(kField, 7, static_cast<short>(top + 37), 206, 14, kPassphraseId, kEdit, L"");
    if (confirm) {
        t.Item(SS_LEFT, 7, static_cast<short>(top + 59), 206, 10, kConfirmPromptId, kStatic,
               L"Type the passphrase again:");
        t.Item(kField, 7, static_cast<short>(top + 71), 206, 14, kConfirmId, kEdit, L"");
    }
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, buttons, 50, 14, IDOK, kButton, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, buttons, 50, 14, IDCANCEL, kButton, L"Cancel");
    return t;
}


// Types the unattended passphrase into the field through a wiped copy (the edit wants a C string).
void TypeAnswer(HWND dialog, const SecretBytes& passphrase)
{
    std::vector<char> text(passphrase.View().begin(), passphrase.View().end());
    text.push_back(0);
    SetDlgItemTextA(dialog, kPassphraseId, text.data());
    SetDlgItemTextA(dialog, kConfirmId, text.data()); // absent without confirmation: no effect
    SecureZeroMemory(text.data(), text.size());
}

// A field's text, which is cleared from the window as it is read.
SecretBytes TakeField(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    if (!field)
        return {};
    std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1);
    int length = GetWindowTextA(field, text.data(), static_cast<int>(text.size()));
    SecretBytes taken(std::string_view(text.data(), static_cast<std::size_t>(length)));
    SecureZeroMemory(text.data(), text.size());
    SetWindowTextA(field, "");
    return taken;
}

// The typed passphrase, or false (fields cleared, the person told) when the confirmation differs.
bool TakePassphrase(HWND dialog, const StandInDialogOptions& options, SecretBytes& into)
{
    SecretBytes typed = TakeField(dialog, kPassphraseId);
    if (options.verifyPassphrase && TakeField(dialog, kConfirmId).View() != typed.View()) {
        MessageBoxA(dialog, "The two passphrases differ. Please type the passphrase again.",
                    options.title[0] ? options.title : "Passphrase", MB_OK | MB_ICONWARNING);
        SetFocus(GetDlgItem(dialog, kPassphraseId));
        return false;
    }
    into = std::move(typed);
    return true;
}

void Initialise(HWND dialog, DialogState& state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    state.opened = true;
    if (state.options.title[0])
        SetWindowTextA(dialog, state.options.title);
    if (state.options.prompt[0])
        SetDlgItemTextA(dialog, kPromptId, state.options.prompt);
    for (const std::string& recipient : state.recipients)
        SendDlgItemMessageA(dialog, kRecipientsId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(recipient.c_str()));
    CentreOver(dialog, static_cast<HWND>(state.options.parentWindow));
    SetFocus(GetDlgItem(dialog, kPassphraseId));
    if (!state.answer)
        return;
    if (!state.answer->cancel)
        TypeAnswer(dialog, state.answer->passphrase);
    PostMessageA(dialog, WM_COMMAND, state.answer->cancel ? IDCANCEL : IDOK, 0);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            Initialise(dialog, *reinterpret_cast<DialogState*>(lParam));
            return FALSE; // the focus is set: in the passphrase field
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK && state) {
                if (TakePassphrase(dialog, state->options, state->passphrase))
                    EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
        default:
            break;
        }
    } catch (...) {
        EndDialog(dialog, IDABORT);
        return TRUE;
    }
    return FALSE;
}

} // namespace

PGPError RunPassphraseDialog(HINSTANCE module, const StandInDialogOptions& options, const DialogAnswer* answer,
                             SecretBytes& passphrase, const std::vector<std::string>& recipients)
{
    TemplateWriter dialog = BuildTemplate(options.verifyPassphrase != 0, !recipients.empty());
    DialogState state { options, answer, passphrase, recipients };
    INT_PTR result = DialogBoxIndirectParamA(module, dialog.Template(), static_cast<HWND>(options.parentWindow),
                                             DialogProc, reinterpret_cast<LPARAM>(&state));
    if (result == IDOK)
        return kPGPError_NoErr;
    // A dialog that opened and ended without OK was refused, also when the program's quit ended
    // its loop (it then returns 0): only a dialog that never opened is a lack of memory.
    return state.opened && result != IDABORT ? kPGPError_UserAbort : kPGPError_OutOfMemory;
}

} // namespace standin
