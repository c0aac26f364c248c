// The encrypt road at the moment the user sends: the recipients' keys from the recipient list,
// the send state they decide, the question when the recipients want different methods, and the
// second resolution while the mail client sends.
#include "plugin/EncryptRoad.h"

#include "mime/MailHost.h"

namespace {

constexpr uint16_t TEXT_DO_NOT_WARN = 178;
constexpr uint16_t TEXT_DO_NOT_WARN_SUFFIX = 180;
constexpr uint16_t TEXT_MIXED_METHODS = 432;
// A send stopped by the recipient list says so: the mail client itself would say nothing.
constexpr uint16_t TEXT_NOT_SENT_NO_KEY = 445;
constexpr uint16_t TEXT_NOT_SENT_NO_RECIPIENTS = 446;
// Mode bits of the recipient data that let the list decide the send.
constexpr uint32_t MODE_DECIDES = 0x01 | 0x02 | 0x04;
constexpr uint32_t MODE_THIRD = 0x04;

} // namespace

void TEncryptRoad::SetKeySelection(IAutoListKeySource& keys, IRecipientChooser& chooser)
{
    keys_ = &keys;
    chooser_.SetInner(chooser);
}

bool TEncryptRoad::SelectRecipients(const std::string& to, const std::string& cc, const std::string& bcc)
{
    const TOptionValues& values = options_.Values();
    autoList_->SetDefaultFlags(values.FullAuto, values.FullAutoSigned);
    recipients_.Clear();
    recipients_.SetDefaultFlags(values.FullAuto, values.FullAutoSigned);
    TRecipientCounts counts;
    std::string list;
    CollectRecipients(to, cc, bcc, counts, list);
    recipients_.RecipientCounts = { counts.To, counts.Cc, counts.Bcc };
    const int chooseMode = options_.KeyRingState() == 2 ? 1 : 0;
    if (SelectRecipientKeys(*keys_, chooser_, list, *autoList_, chooseMode, recipients_) == TSelectResult::Done)
        return true;
    prompts_.ShowError(texts_.GetEntry(TEXT_NOT_SENT_NO_KEY));
    return false;
}

bool TEncryptRoad::SelectAutoListRecipients(bool& mixed)
{
    mixed = false;
    if (!options_.Values().AutoPush || !autoList_)
        return true;
    std::string to, cc, bcc;
    host_.RecipientFields(to, cc, bcc);
    if (!SelectRecipients(to, cc, bcc))
        return false;
    mixed = recipients_.Mixed;
    return recipients_.GetCount() > 0;
}

bool TEncryptRoad::CheckRecipientsOnSend(TEditorData& editor, HWND editorWindow)
{
    uint32_t& state = editor.SendState;
    const bool autoPush = options_.Values().AutoPush;
    if (!(autoPush && state != ssCancelled && state != ssHostDialog) && state <= ssList)
        return true;
    // Each send asks anew which key a recipient gets.
    chooser_.Forget();
    bool mixed = false;
    if (!SelectAutoListRecipients(mixed)) {
        state = ssCancelled;
    } else {
        if (state == ssMenuSign)
            mixed = false;
        const uint32_t mode = recipients_.CombinedFlags();
        if (mode & MODE_DECIDES) {
            if (state == ssUndecided)
                state = (mode & MODE_THIRD) ? ssListMixed : ssList;
            if (mixed && options_.Values().MixedWarning) {
                bool ticked = false;
                const TChoice answer = prompts_.AskYesNoCancel(texts_.GetEntry(TEXT_MIXED_METHODS),
                    texts_.GetEntry(TEXT_DO_NOT_WARN) + texts_.GetEntry(TEXT_DO_NOT_WARN_SUFFIX), ticked);
                if (answer == TChoice::First) {
                    // Yes: the mixed options stand; the user decides per message.
                    if (state == ssList || state == ssMenuEncrypt)
                        state = ssUndecided;
                    else if (state == ssMenuSign || state == ssMenuBoth)
                        state = ssMenuSign;
                    return true;
                }
                state = answer == TChoice::None ? ssCancelled : ssListMixed;
                if (ticked)
                    options_.SetMixedWarning(false);
            }
        } else if (state == ssUndecided) {
            return true;
        }
    }
    if (state == ssCancelled)
        return false;
    if (state != ssHostDialog)
        host_.ClickEncryptionCheckBox(editorWindow);
    return true;
}

bool TEncryptRoad::ResolveSendRecipients(TEditorData& editor, HWND editorWindow)
{
    if (recipients_.GetCount() == 0)
        return true;
    std::string to, cc, bcc;
    host_.RecipientFields(to, cc, bcc);
    const std::string defaultBcc = host_.DefaultBcc(editorWindow);
    if (!defaultBcc.empty())
        bcc += (bcc.empty() ? "" : ", ") + defaultBcc;
    TRecipientCounts counts;
    std::string list;
    bool selectFailed = false;
    if (CollectRecipients(to, cc, bcc, counts, list) > 0 && options_.Values().AutoPush && autoList_)
        selectFailed = !SelectRecipients(to, cc, bcc);
    const bool resolved = recipients_.GetCount() > 0;
    if (!resolved && !selectFailed)
        prompts_.ShowError(texts_.GetEntry(TEXT_NOT_SENT_NO_RECIPIENTS));
    if (editor.SendState == ssListMixed || editor.SendState > ssList)
        for (int i = 0; i < recipients_.GetCount(); ++i)
            recipients_.SetFlags(i, editor.Flags);
    return resolved;
}
