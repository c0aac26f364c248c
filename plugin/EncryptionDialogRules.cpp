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

