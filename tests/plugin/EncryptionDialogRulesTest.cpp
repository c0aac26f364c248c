// The editor's encryption dialog: the check boxes it opens with for each send state, and the
// flags the user's choice leaves in the editor's record.
#include "plugin/EncryptionDialogRules.h"

#include <gtest/gtest.h>

namespace {

TEST(EncryptionDialogRules, TheBoxesFollowTheSendState)
{
    struct Case {
        uint32_t state;
        bool recipients;
        uint32_t mode;
        bool signByDefault;
        bool encrypt, sign;
    } cases[] = {
        { ssUndecided, false, 0, true, true, true },
        { ssUndecided, true, 0x02, false, true, false }, // the list decides only in states 3 and 4
        { ssHostDialog, false, 0, false, true, false },
        { ssList, false, 0, true, true, true }, // no recipients found: as undecided
        { ssList, true, 0x02, true, false, true },
        { ssListMixed, true, 0x03, false, true, true },
        { ssList, true, 0x00, true, false, false },
        { ssMenuEncrypt, true, 0x02, true, true, false },
        { ssMenuSign, false, 0, false, false, true },
        { ssMenuBoth, false, 0, false, true, true },
        { ssCancelled, false, 0, false, true, false },
    };
    for (const Case& c : cases) {
        const TEncryptionBoxes boxes = EncryptionBoxesFor(c.state, c.recipients, c.mode, c.signByDefault);
        EXPECT_EQ(boxes.Encrypt, c.encrypt) << "state " << c.state << " mode " << c.mode;
        EXPECT_EQ(boxes.Sign, c.sign) << "state " << c.state << " mode " << c.mode;
    }
}

TEST(EncryptionDialogRules, TheChoiceBecomesTheRecordsFlags)
{
    struct Case {
        const char* name;
        TEncryptionChoice choice;
        uint32_t flags;
    } cases[] = {
        { "nothing ticked", { false, false, "PGP", false, 0, 0, false }, 0 },
        { "encrypt", { true, false, "PGP", false, 0, 0, false }, efEncrypt },
        { "both with PGP/MIME on", { true, true, "PGP", false, 0, 0, true }, efEncrypt | efSign | efPGPMime },
        { "an S/MIME encryptor", { false, true, "qro S/MIME", false, 0, 0, true }, efSign | efSMime },
        { "the recipients' kind", { true, false, "qro S/MIME", true, efPGPMime | efEncrypt, 0, false },
            efEncrypt | efPGPMime },
        { "recipients without a kind", { true, false, "PGP", true, efEncrypt, 0, true }, efEncrypt },
        { "a kind fixed before", { true, false, "qro S/MIME", false, efSMime, efPGPMime, false }, efEncrypt | efSMime },
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncryptionFlagsChosen(c.choice), c.flags) << c.name;
}

} // namespace
