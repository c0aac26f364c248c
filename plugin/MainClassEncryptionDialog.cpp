// The mail client's encryption dialog of an editor, as the plug-in handles it: its check boxes
// follow the editor's send state when it opens, OK and Cancel decide the send state, and what the
// user ticked is kept in the editor's record when it closes.
#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/AddressBooks.h"
#include "plugin/EncryptionDialogRules.h"
#include "plugin/MainClass.h"

#include "ui/dialogs/MessageDialogs.h"

#include <cstring>

namespace {
constexpr int ENCRYPTOR_COMBO = 101;
constexpr int ENCRYPTOR_EDIT = 102;
constexpr int ENCRYPT_CHECK_BOX = 103;
constexpr int SIGN_CHECK_BOX = 104;
constexpr uint16_t TEXT_ATTACHMENT_WARNING = 431;
constexpr uint16_t TEXT_DO_NOT_WARN = 178;
constexpr const char* ATTACHMENT_ENCRYPTOR_MARK = "***";

std::string SelectedEncryptor(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, ENCRYPTOR_COMBO);
    const LRESULT index = combo ? SendMessageA(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (index == CB_ERR)
        return {};
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void Check(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// The encryptor list as the plug-in offers it; with the recipients' method fixed it is locked.
void ApplyEncryptorList(HWND dialog, const TEncryptorChoice& choice)
{
    HWND combo = GetDlgItem(dialog, ENCRYPTOR_COMBO);
    if (!combo)
        return;
    for (const std::string& name : choice.Removed) {
        const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
            reinterpret_cast<LPARAM>(name.c_str()));
        if (index != CB_ERR)
            SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    }
    const LRESULT selected = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
        reinterpret_cast<LPARAM>(choice.Selected.c_str()));
    if (selected != CB_ERR)
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    EnableWindow(combo, !choice.Locked);
    if (HWND focus = choice.Locked ? GetDlgItem(dialog, IDOK) : combo)
        SetFocus(focus);
}
} // namespace

void TMainClass::SubclassEncryptionDialog(HWND dialog)
{
    char className[16] = {};
    GetClassNameA(dialog, className, sizeof className);
    HWND editor = PMInterface().ActiveEditorWindow(nullptr);
    TEditorData* record = EditorDataOf(editor);
    if (std::strcmp(className, "#32770") != 0 || !record || !SubclassRegistry::Subclass(dialog, &TMainClass::EncryptionDialogProc, reinterpret_cast<DWORD_PTR>(this)))
        return;
    encryptionDialogEditor_ = editor;
    EnableWindow(GetDlgItem(dialog, ENCRYPT_CHECK_BOX), TRUE);
    EnableWindow(GetDlgItem(dialog, SIGN_CHECK_BOX), TRUE);
    EnableWindow(GetDlgItem(dialog, ENCRYPTOR_EDIT), FALSE);
    const TOptionValues& values = Values();
    TRecipientsData& recipients = EncryptRoad().Recipients();
    const TEncryptionBoxes boxes = EncryptionBoxesFor(
        record->SendState, recipients.GetCount() > 0, recipients.CombinedFlags(), values.FullAutoSigned);
    Check(dialog, ENCRYPT_CHECK_BOX, boxes.Encrypt);
    Check(dialog, SIGN_CHECK_BOX, boxes.Sign);
    ApplyEncryptorChoice(dialog, *record);
    // The send was decided before the dialog opened: it only confirms.
    if ((values.FullAuto && record->SendState > ssListMixed) || record->SendState > ssList)
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

void TMainClass::ApplyEncryptorChoice(HWND dialog, const TEditorData& record)
{
    const TOptionValues& values = Values();
    TRecipientsData& recipients = EncryptRoad().Recipients();
    TEncryptorInput encryptors;
    encryptors.RecipientCount = recipients.GetCount();
    encryptors.FirstRecipientFlags = recipients.GetCount() > 0 ? recipients.GetFlags(0) : 0;
    encryptors.RequestFlags = record.Flags;
    encryptors.PGPMime = values.PGPMime;
    encryptors.SMimeDefault = values.SMimeDefault;
    encryptors.KeyRingState = KeyRingState();
    ApplyEncryptorList(dialog, ChooseEncryptor(encryptors));
}

LRESULT CALLBACK TMainClass::EncryptionDialogProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "EncryptionDialogProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            // Its closing is seen by the hook, which gives the procedure back at WM_DESTROY.
            if (message == WM_COMMAND)
                self->EncryptionDialogCommand(window, wParam);
            return DefSubclassProc(window, message, wParam, lParam);
        });
}

void TMainClass::EncryptionDialogCommand(HWND dialog, WPARAM wParam)
{
    TEditorData* record = EditorDataOf(encryptionDialogEditor_);
    if (!record)
        return;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == ENCRYPTOR_COMBO && code == CBN_SELCHANGE) {
        const LRESULT index = SendDlgItemMessageA(dialog, ENCRYPTOR_COMBO, CB_GETCURSEL, 0, 0);
        EnableWindow(GetDlgItem(dialog, ENCRYPTOR_EDIT), index == CB_ERR || index == 0);
    }
    if (id == ENCRYPTOR_COMBO && code == CBN_SELENDOK && record->AttachmentWarning
        && SelectedEncryptor(dialog).rfind(ATTACHMENT_ENCRYPTOR_MARK, 0) == 0) {
        // Warned once per editor; ticked, never again.
        if (ShowWarningWithCheck(*this, Text(TEXT_ATTACHMENT_WARNING), Text(TEXT_DO_NOT_WARN)))
            SetAIOWarning(false);
        record->AttachmentWarning = false;
    }
    if (code == BN_CLICKED && record->SendState <= ssList) {
        if (id == IDOK && record->SendState < ssHostDialog)
            record->SendState = ssHostDialog;
        else if (id == IDCANCEL)
            record->SendState = ssCancelled;
    }
}

void TMainClass::EncryptionDialogClosed(HWND dialog)
{
    TEditorData* record = EditorDataOf(encryptionDialogEditor_);
    encryptionDialogEditor_ = nullptr;
    if (!record)
        return;
    if (record->SendState > ssCancelled) {
        TRecipientsData& recipients = EncryptRoad().Recipients();
        TEncryptionChoice choice;
        choice.Encrypt = IsDlgButtonChecked(dialog, ENCRYPT_CHECK_BOX) == BST_CHECKED;
        choice.Sign = IsDlgButtonChecked(dialog, SIGN_CHECK_BOX) == BST_CHECKED;
        choice.Encryptor = SelectedEncryptor(dialog);
        choice.HaveRecipients = recipients.GetCount() > 0;
        choice.RecipientFlags = recipients.CombinedFlags();
        choice.FlagsBefore = record->Flags;
        choice.PGPMime = Values().PGPMime;
        record->Flags = EncryptionFlagsChosen(choice);
        if (!choice.Encryptor.empty())
            SetSMimeDefault(choice.Encryptor.find("S/MIME") != std::string::npos);
    }
    record->AddressBooks.reset();
    // An encryptor of the "***" kind sends to names the address books resolve.
    if (record->SendState > ssCancelled && SelectedEncryptor(dialog).rfind(ATTACHMENT_ENCRYPTOR_MARK, 0) == 0) {
        record->AddressBooks
            = CollectHostAddressBooks(PMInterface().GetAddressBookFolders(), PMInterface().GetAddressBookSettings());
    }
}
