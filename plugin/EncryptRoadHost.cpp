// The encrypt road's adapters: the mail client through the plug-in's interface to it, and the
// user's questions through the plug-in's message dialog.
#include "plugin/EncryptRoadHost.h"

#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/RecipientsData.h"
#include "ui/dialogs/MessageDialogs.h"

namespace {

// The mail client's setting whose bit 0x100000 says that it sends 8-bit text as it is.
constexpr int HOST_SETTING_SEND_OPTIONS = 89;
constexpr int32_t SEND_EIGHT_BIT = 0x100000;
// The mail client's texts of request 3074: the recipient fields of the message being sent.
constexpr int HOST_TEXT_TO = 1;
constexpr int HOST_TEXT_CC = 3;
constexpr int HOST_TEXT_BCC = 4;
// The encryption check box on the editor's main page.
constexpr int EDITOR_ENCRYPTION_CHECK_BOX = 108;

TAutoList* AutoListOf(TConfiguration& configuration)
{
    // Only a start-up inside the mail client has a recipient list.
    try {
        return &configuration.AutoList();
    } catch (const ENotAvailable&) {
        return nullptr;
    }
}

} // namespace

TPMEncryptHost::TPMEncryptHost(TPMInterface& host, std::function<HWND()> ownerWindow)
    : host_(host)
    , ownerWindow_(std::move(ownerWindow))
{
}

TEditorData* TPMEncryptHost::ActiveEditorData()
{
    return EditorDataOf(ActiveEditor());
}

HWND TPMEncryptHost::ActiveEditor()
{
    return host_.ActiveEditorWindow(nullptr);
}

void TPMEncryptHost::ShowStatus(const std::string& text)
{
    host_.SetRoadStatusText(text);
}

std::string TPMEncryptHost::Charset()
{
    return host_.GetHostCharset();
}

bool TPMEncryptHost::SendsEightBit()
{
    return (host_.GetHostSetting(HOST_SETTING_SEND_OPTIONS) & SEND_EIGHT_BIT) != 0;
}

std::string TPMEncryptHost::PlaceholderMessage()
{
    return host_.GetPlaceholderMessage();
}

std::string TPMEncryptHost::IdentityAddress(HWND editor)
{
    return host_.GetIdentityAddress(host_.GetEditorIdentity(editor));
}

bool TPMEncryptHost::ReopenMessageInEditor(std::string& text)
{
    HWND window = nullptr;
    return host_.ReopenMessageInEditor(window, text);
}

void TPMEncryptHost::RefreshQueueWindow()
{
    host_.RefreshQueueWindow();
}

HWND TPMEncryptHost::OwnerWindow()
{
    return ownerWindow_ ? ownerWindow_() : nullptr;
}

void TPMEncryptHost::RecipientFields(std::string& to, std::string& cc, std::string& bcc)
{
    to = host_.GetHostText(HOST_TEXT_TO);
    cc = host_.GetHostText(HOST_TEXT_CC);
    bcc = host_.GetHostText(HOST_TEXT_BCC);
}

std::string TPMEncryptHost::DefaultBcc(HWND editor)
{
    return host_.GetDefaultBcc(host_.GetEditorIdentity(editor));
}

void TPMEncryptHost::ClickEncryptionCheckBox(HWND editor)
{
    HWND page = editor ? host_.EditorMainPage(editor) : nullptr;
    if (HWND box = page ? GetDlgItem(page, EDITOR_ENCRYPTION_CHECK_BOX) : nullptr)
        SendMessageA(box, BM_CLICK, 0, 0);
}

TDialogEncryptPrompts::TDialogEncryptPrompts(IDialogMainObject& dialogs, TAddToList addToList)
    : dialogs_(dialogs)
    , addToList_(std::move(addToList))
{
}

bool TDialogEncryptPrompts::AddToRecipientList(const TKeyIDData& pairs)
{
    return addToList_ && addToList_(pairs);
}

bool TDialogEncryptPrompts::AskYesNo(const std::string& text, const std::string& checkCaption, bool& ticked)
{
    return ::AskYesNo(dialogs_, 0, text, checkCaption, ticked) == mrYes;
}

TChoice TDialogEncryptPrompts::AskChoice(const std::string& title, const std::string& text, const std::string& first,
    const std::string& second, const std::string& checkCaption, bool& ticked)
{
    switch (AskThreeButtons(dialogs_, 0, title, text, first, second, checkCaption, ticked)) {
    case mrYes: return TChoice::First;
    case mrNo: return TChoice::Second;
    default: return TChoice::None;
    }
}

TChoice TDialogEncryptPrompts::AskYesNoCancel(const std::string& text, const std::string& checkCaption, bool& ticked)
{
    switch (AskYesNoCancelWithCheck(dialogs_, text, checkCaption, ticked)) {
    case mrYes: return TChoice::First;
    case mrNo: return TChoice::Second;
    default: return TChoice::None;
    }
}

void TDialogEncryptPrompts::Inform(const std::string& text, const std::string& checkCaption, bool& ticked)
{
    ShowMessageDialog(dialogs_, mdIconInformation, nullptr, "", text, checkCaption, true, ticked);
}

void TDialogEncryptPrompts::ShowError(const std::string& text)
{
    ::ShowError(dialogs_, text);
}

TPluginEncryptRoad::TPluginEncryptRoad(
    TConfiguration& configuration, IDialogMainObject& dialogs, std::function<HWND()> ownerWindow)
    : pgp_(configuration.PGPInterface())
    , host_(configuration.PMInterface(), std::move(ownerWindow))
    , prompts_(dialogs, [this, &configuration, &dialogs](const TKeyIDData& pairs) {
        return AddToRecipientList(configuration, dialogs, pairs);
    })
    , dialogKeys_(pgp_, configuration.Texts())
    , chooser_(dialogs, dialogKeys_)
    , road_(pgp_, configuration, configuration.Texts(), host_, prompts_,
          AutoListOf(configuration))
{
    road_.SetKeySelection(recipientKeys_, chooser_);
}

bool TPluginEncryptRoad::AddToRecipientList(
    TConfiguration& configuration, IDialogMainObject& dialogs, const TKeyIDData& pairs)
{
    TAutoList* list = AutoListOf(configuration);
    if (!list)
        return false;
    const TMessageRecipients message { pairs.UserText, pairs.KeyIDText, pairs.Count };
    return AddEntriesToAutoList(dialogs, dialogKeys_, message, *list, configuration.KeyRingState() == 2 ? 1 : 0);
}
