// The unattended answers file of the stand-in's passphrase dialogs: which lines count, passphrases
// kept whole (spaces, colons, CRLF endings), answers taken in order with the last one repeating.
#include "standins/pgpsdk/DialogAnswers.h"

#include <gtest/gtest.h>

#include <string>

using standin::DialogAnswers;
using standin::DialogKind;

namespace {

std::string Answer(DialogAnswers& book, DialogKind kind)
{
    standin::DialogAnswer answer = book.Next(kind);
    return answer.cancel ? "<cancel>" : std::string(answer.passphrase.View());
}

TEST(DialogAnswers, LinesAreReadByKindInOrder)
{
    DialogAnswers book = DialogAnswers::Parse("# scripted run\r\n"
                                              "signing: pass first one\r\n"
                                              "\r\n"
                                              "conventional-decryption: pass a: b  \r\n"
                                              "signing: cancel\r\n"
                                              "signing: pass last\n"
                                              "decryption: pass \n"
                                              "unknown: pass x\n"
                                              "passphrase: maybe\n"
                                              "passphrase:pass glued\n"
                                              "conventional-encryption: cancel");
    struct Case {
        DialogKind kind;
        const char* expected;
    } cases[] = {
        { DialogKind::Signing, "first one" },
        { DialogKind::Signing, "<cancel>" },
        { DialogKind::Signing, "last" },
        { DialogKind::Signing, "last" }, // the last answer repeats
        { DialogKind::ConventionalDecryption, "a: b  " },
        { DialogKind::Decryption, "" }, // an empty passphrase is an answer, not a cancel
        { DialogKind::Passphrase, "<cancel>" }, // malformed lines give no answer
        { DialogKind::ConventionalEncryption, "<cancel>" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Answer(book, c.kind), c.expected) << static_cast<int>(c.kind);
}

TEST(DialogAnswers, KeySelectionTakesAllFirstOrNamed)
{
    DialogAnswers book = DialogAnswers::Parse("select-keys: first\nselect-keys: pass x\nselect-keys: cancel\n"
                                              "select-keys: named Dave Gone\nselect-keys: named \n"
                                              "select-keys: all\npassphrase: all\n");
    auto next = [&](DialogKind kind) {
        standin::DialogAnswer answer = book.Next(kind);
        return answer.cancel ? "<cancel>" : answer.allKeys ? "all" : answer.named.empty() ? "first" : answer.named;
    };
    EXPECT_EQ(next(DialogKind::SelectKeys), "first");
    EXPECT_EQ(next(DialogKind::SelectKeys), "<cancel>"); // a passphrase is no answer to a selection
    EXPECT_EQ(next(DialogKind::SelectKeys), "Dave Gone");
    EXPECT_EQ(next(DialogKind::SelectKeys), "all"); // a name of nothing is no answer
    EXPECT_EQ(next(DialogKind::Passphrase), "<cancel>"); // nor a selection to a passphrase dialog
}

TEST(DialogAnswers, EmptyFileCancelsEveryDialog)
{
    DialogAnswers book = DialogAnswers::Parse("");
    for (int kind = 0; kind < static_cast<int>(DialogKind::Count); ++kind)
        EXPECT_EQ(Answer(book, static_cast<DialogKind>(kind)), "<cancel>");
}

} // namespace
