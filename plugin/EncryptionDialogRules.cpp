// What the editor's encryption dialog shows for a send state, and the encryption flags the user's
// choice in it leaves in the editor's record.
#include "plugin/EncryptionDialogRules.h"

namespace {
constexpr uint32_t MODE_ENCRYPT = 0x01;
constexpr uint32_t MODE_SIGN = 0x02;
} // namespace

TEncryptionBoxes EncryptionBoxesFor(
    uint32_t sendState, bool haveRecipients, uint32_t recipientMode, bool signByDefault)
{
    switch (sendState) {
    case ssListMixed:
    case ssList:
        if (haveRecipients)
            return { (recipientMode & MODE_ENCRYPT) != 0, (recipientMode & MODE_SIGN) != 0 };
        return { true, signByDefault };
    case ssMenuEncrypt:
        return { true, false };
    case ssMenuSign:
        return { false, true };
    case ssMenuBoth:
        return { true, true };
    default:
        return { true, signByDefault };
    }
}

TEncryptorChoice ChooseEncryptor(const TEncryptorInput& input)
{
    TEncryptorChoice choice;
    choice.Removed.push_back(ENCRYPTOR_HIDDEN);
    const bool certificates = input.KeyRingState == 2;
    if (!certificates) {
        choice.Removed.push_back(ENCRYPTOR_S_MIME_WARNED);
        choice.Removed.push_back(ENCRYPTOR_S_MIME);
    }
    // The options (or the request's flags) decide while there are no recipients; one recipient's
    // entry decides by its own flags.
    const auto wants = [&](bool option, uint32_t flag) {
        return (input.RecipientCount == 0 && (option || (input.RequestFlags & flag) != 0))
            || (input.RecipientCount == 1 && (input.FirstRecipientFlags & flag) != 0);
    };
    if (certificates && wants(input.SMimeDefault, efSMime))
        choice.Selected = ENCRYPTOR_S_MIME;
    else if (wants(input.PGPMime, efPGPMime))
        choice.Selected = ENCRYPTOR_PGP_MIME;
    else
        choice.Selected = ENCRYPTOR_INLINE;
    choice.Locked = input.RecipientCount > 0;
    return choice;
}

uint32_t EncryptionFlagsChosen(const TEncryptionChoice& choice)
{
    uint32_t flags = (choice.Encrypt ? efEncrypt : 0u) | (choice.Sign ? efSign : 0u);
    // A method already fixed by the recipients (or before) stays theirs.
    if (choice.HaveRecipients || (choice.FlagsBefore & efMimeKinds) != 0)
        return flags | (choice.RecipientFlags & efMimeKinds);
    if (choice.Encryptor.find("S/MIME") != std::string::npos)
        return flags | efSMime;
    return flags | (choice.PGPMime ? uint32_t(efPGPMime) : 0u);
}

