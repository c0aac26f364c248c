// The mail client's event 28: a message file it is about to show (an attachment or a message whose
// protected block it found) is decrypted in place, under the watchdog that closes a passphrase
// dialog left open while the mail client waits.
#include "plugin/MainClass.h"

#include "engine/PGPInterface.h"
#include "foundation/BurnString.h"
#include "foundation/StrUtilWin.h"
#include "mime/FileInPlace.h"
#include "mime/MailHost.h"
#include "mime/MailUtils.h"
#include "ui/dialogs/MessageDialogs.h"

namespace {
constexpr uint16_t TEXT_SIGNATURE_NOTE_TITLE = 11;
constexpr uint16_t TEXT_DECRYPTING = 418;
constexpr uint16_t TEXT_CANCELLED = 419;
constexpr uint16_t TEXT_DONE = 420;
constexpr uint16_t TEXT_NOTHING_DONE = 449;
constexpr uint16_t TEXT_FILE_NOT_WRITTEN = 345;
// The watchdog's end when it closed the passphrase dialog on its time-out.
constexpr DWORD WATCHDOG_CLOSED_DIALOG = WAIT_TIMEOUT;
// Result classes of a signature status: 1 none, 2 and 3 good, above that doubtful or bad.
constexpr uint32_t SIGNATURE_CLASS_MASK = 0xFFFF;
constexpr uint32_t FIRST_SIGNED_CLASS = 2;
constexpr uint32_t LAST_GOOD_CLASS = 3;

// True when the text opens with a header field ("Name: ..."): only a message has header lines to
// tag. A bare armoured block also holds "Comment: ..." lines, but never as its first line.
bool OpensWithHeaderField(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == 0 || colon == std::string::npos)
        return false;
    for (size_t i = 0; i < colon; ++i)
        if (text[i] <= ' ' || text[i] > '~')
            return false;
    return text.compare(0, 5, "-----") != 0;
}

bool IsMimeProtected(const std::string& text)
{
    return FindMimeSecurePart(WholeTextSection(BorrowSharedText(text))).Kind >= FirstMimeKind;
}

bool IsSignedOnly(uint32_t kind)
{
    return kind == skPgpSignedMessage || kind == skPgpMimeSigned || kind == skSmimeMultipartSigned;
}

void PumpThreadMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
} // namespace

void TMainClass::DecodeFileInPlace(const std::string& fileName)
{
    // The decode pumps messages: no message export may start inside it.
    TRequestScope request(busy_);
    if (!request.Granted())
        return;
    const int scanLines = HostSettings().HeaderScanLines;
    const bool keepSigned = KeyRingState() != 0;
    std::string text = ReadWholeFile(fileName);
    if (text.empty())
        return;
    const bool message = OpensWithHeaderField(text);
    std::string tagged, subject;
    bool encryptedMime = false;
    if (message) {
        // Inline blocks are tagged in the file itself. A MIME-protected message comes back as
        // re-tagged text to decode only when the user wants such parts decoded as it opens;
        // otherwise it is tagged and left for the mail client to show through DECRYPT, so that
        // no plaintext is written into the mail folder unasked.
        const bool decodeMime = Values().PreDecode;
        TagMessageFile(fileName, scanLines, keepSigned, tagged, encryptedMime, subject, decodeMime);
        text = tagged.empty() ? ReadWholeFile(fileName) : tagged;
        if (!decodeMime && IsMimeProtected(text))
            return;
    }

    PMInterface().SetStatusText(Text(TEXT_DECRYPTING) + " ...");
    TMessageData data;
    std::string block, output;
    const TBurnOnExit burnOutput(output);
    const TBurnOnExit burnBlock(block);
    TSignatureData signature;
    const bool decrypted = DecryptUnderWatchdog(NormalizeLineBreaks(text), data, block, output, signature);
    if (!decrypted) {
        PMInterface().SetStatusText(DecryptEndStatus(false));
        // The file keeps its text; only a message's tags are brought up to date.
        if (message)
            TagMessageFile(fileName, scanLines, keepSigned, tagged, encryptedMime, subject, false);
        return;
    }
    if (!WriteDecryptedFile(fileName, data, output))
        return;
    if ((signature.StatusCode & SIGNATURE_CLASS_MASK) >= FIRST_SIGNED_CLASS)
        ShowSignatureNote(signature);
    else if (IsSignedOnly(data.Kind))
        // A signed block whose signature the decrypt left unchecked. An encrypted one without a
        // signature is not checked again: that would only report the missing signature as an error.
        PGPInterface().VerifyText(block, "", signature, true, Values().Lookup, ownerWindow_);
}

bool TMainClass::WriteDecryptedFile(const std::string& fileName, const TMessageData& data, const std::string& output)
{
    // Written where the file lies: the mail client holds it open to show it, and a file replaced
    // by a rename under it would either fail or leave the mail client the old one.
    std::string decoded = data.TextBefore + output + data.TextAfter;
    const TBurnOnExit burnDecoded(decoded);
    if (!RewriteFileInPlace(fileName, ReadWholeFile(fileName), decoded)) {
        PMInterface().SetStatusText(Text(TEXT_DECRYPTING) + Text(TEXT_CANCELLED));
        ShowError(*this, fileName + "\r\n\r\n" + Text(TEXT_FILE_NOT_WRITTEN));
        return false;
    }
    PMInterface().SetStatusText(DecryptEndStatus(true));
    return true;
}

bool TMainClass::DecryptUnderWatchdog(const std::string& text, TMessageData& data, std::string& block,
    std::string& output, TSignatureData& signature)
{
    TPGPInterface& pgp = PGPInterface();
    pgp.LastStatus = kStatusOK; // an earlier operation's status is not this decode's
    if (pgp.ExtractSecureBlock(text, data, block) == skNone)
        return false;
    const bool watched = watchdog_.Start();
    int32_t status;
    std::string charset;
    TKeyIDData recipients;
    try {
        status = pgp.DecryptText(block, ownerWindow_, false, false, false, Values().Lookup, output, charset,
            recipients, signature);
        PumpThreadMessages();
    } catch (...) {
        if (watched)
            watchdog_.Stop();
        throw;
    }
    const DWORD watchdogEnd = watched ? watchdog_.Stop() : 0;
    // Keys or text that merely passed through are no decryption: the file stays as it is.
    return status == kStatusOK && watchdogEnd != WATCHDOG_CLOSED_DIALOG && !output.empty()
        && pgp.LastDecode.Done();
}

std::string TMainClass::DecryptEndStatus(bool decrypted)
{
    // A text for the eyes only is done once the secure viewer showed it.
    const bool done = decrypted || PGPInterface().LastDecode.ShownSecurely;
    const uint16_t ending = done           ? TEXT_DONE
        : PGPInterface().LastOpSucceeded() ? TEXT_NOTHING_DONE
                                           : TEXT_CANCELLED;
    return Text(TEXT_DECRYPTING) + Text(ending);
}

void TMainClass::ShowSignatureNote(const TSignatureData& signature)
{
    const std::string note = PGPInterface().FormatSignerText(signature.StatusText);
    const uint32_t resultClass = signature.StatusCode & SIGNATURE_CLASS_MASK;
    if (resultClass <= LAST_GOOD_CLASS)
        ShowTitledInfo(*this, nullptr, Text(TEXT_SIGNATURE_NOTE_TITLE), note);
    else
        ShowWarning(*this, note);
}
