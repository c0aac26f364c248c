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

TEST(EncryptionDialogRules, TheEncryptorFollowsTheOptionsOrTheOnlyRecipient)
{
    struct {
        TEncryptorInput input;
        std::string selected;
        size_t removed;
        bool locked;
    } cases[] = {
        { { 0, 0, 0, false, false, 1 }, ENCRYPTOR_INLINE, 3u, false },
        { { 0, 0, 0, true, false, 1 }, ENCRYPTOR_PGP_MIME, 3u, false },
        { { 0, 0, efPGPMime, false, false, 1 }, ENCRYPTOR_PGP_MIME, 3u, false },
        // Without a certificate to sign with, S/MIME is neither offered nor chosen.
        { { 0, 0, 0, false, true, 1 }, ENCRYPTOR_INLINE, 3u, false },
        { { 0, 0, 0, true, true, 2 }, ENCRYPTOR_S_MIME, 1u, false },
        // One recipient's entry decides by itself; the options do not.
        { { 1, efEncrypt | efPGPMime, 0, false, false, 2 }, ENCRYPTOR_PGP_MIME, 1u, true },
        { { 1, efEncrypt, 0, true, true, 2 }, ENCRYPTOR_INLINE, 1u, true },
        { { 2, efEncrypt | efSMime, 0, true, true, 2 }, ENCRYPTOR_INLINE, 1u, true },
    };
    for (const auto& c : cases) {
        const TEncryptorChoice choice = ChooseEncryptor(c.input);
        EXPECT_EQ(choice.Selected, c.selected) << c.input.RecipientCount << " " << c.input.KeyRingState;
        EXPECT_EQ(choice.Removed.size(), c.removed);
        EXPECT_EQ(choice.Removed.at(0), ENCRYPTOR_HIDDEN);
        EXPECT_EQ(choice.Locked, c.locked);
    }
}
