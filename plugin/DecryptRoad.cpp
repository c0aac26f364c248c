// The decrypt road's steps: the file the mail client handed over is decoded, handed through as it
// came, or cut to its armoured block; the result goes to the mail client's output file. Every
// pass-through writes the bytes as read, and plaintext of a refused decryption is burnt.
#include "plugin/DecryptRoad.h"

#include "engine/PSMimeTools.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/UTF8.h"
#include "foundation/ZAVEKResources.h"
#include "mime/MailHost.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr uint16_t TEXT_DECRYPTING = 418;
constexpr uint16_t TEXT_CANCELLED = 419;
constexpr uint16_t TEXT_DONE = 420;
constexpr uint16_t TEXT_NOTHING_DONE = 449;
constexpr uint16_t TEXT_FILE_NOT_READ = 342;
constexpr uint16_t TEXT_FILE_NOT_WRITTEN = 345;
constexpr uint16_t TEXT_SMIME_NOT_AVAILABLE = 448;
constexpr uint32_t MODE_WITH_IMAGES = 46;
constexpr uint32_t MODE_WITHOUT_IMAGES = 38;
constexpr uint32_t TREE_KEEPS_READER = 8;
constexpr uint32_t FIRST_BUILD_WITH_RAW_STATE = 4000;

// Holds the passphrase cache for one request.
class TCacheHold {
public:
    explicit TCacheHold(TPGPInterface& pgp)
        : pgp_(pgp)
    {
        pgp_.BeginCacheHold();
    }
    ~TCacheHold() { pgp_.EndCacheHold(); }
    TCacheHold(const TCacheHold&) = delete;
    TCacheHold& operator=(const TCacheHold&) = delete;

private:
    TPGPInterface& pgp_;
};

// Decrypt failures of these kinds still give the signed text: the signature was what failed.
bool FailureKeepsText(uint32_t kind)
{
    return kind == skNone || kind == skPgpSignedMessage || kind == skPgpMimeSigned || kind == skSmimeMultipartSigned;
}

bool IsSMimeKind(uint32_t kind)
{
    return kind >= skSmimeEnveloped && kind <= skSmimeSignedData;
}

// The body texts of a message tree, one after another on lines of their own, joined in one block
// of their full size; each text is burnt once it is joined.
std::string JoinBurntBodyTexts(TTextList& items)
{
    size_t size = 0;
    for (const TTextItem& item : items)
        size += item.Text.size() + 2;
    std::string joined;
    joined.reserve(size);
    for (TTextItem& item : items) {
        if (!joined.empty())
            joined += "\r\n";
        joined += item.Text;
        TPGPInterface::BurnText(item.Text);
    }
    return joined;
}

// Whether the road reads a block again once it is decoded: a clear-signed text for its own text,
// a signed entity for its key part's check, a key block or certificate for the key import.
bool BlockReadAfterDecode(uint32_t kind)
{
    return kind == skPgpSignedMessage || kind == skPgpMimeSigned || kind == skPgpPublicKeyBlock
        || kind == skCertificate;
}

// The header block of a MIME message for a mail client that shows the text as it is: without the
// Content-* fields that described the protected body.
std::string PlainHeaderOf(const std::string& leading)
{
    if (leading.empty())
        return leading;
    std::string header = leading;
    while (header.size() >= 2 && header.compare(header.size() - 2, 2, "\r\n") == 0)
        header.resize(header.size() - 2);
    return MoveContentHeaders(header, true, "", "") + "\r\n\r\n";
}

// Whether an inline block shares the message with other text: anything but the message's header,
// the MIME structure around the block (delimiter lines of a declared boundary, part headers) and
// blank lines. A part added beside the block must not share its signature result.
bool HasTextBesideBlock(const TMessageData& data)
{
    std::vector<std::string> delimiters;
    std::string header;
    bool inHeader = !data.TextBefore.empty();
    const auto isDelimiter = [&](const std::string& line, bool& closing) {
        for (const std::string& delimiter : delimiters)
            if (line.compare(0, delimiter.size(), delimiter) == 0) {
                const std::string rest = line.substr(delimiter.size());
                closing = rest.compare(0, 2, "--") == 0;
                if ((closing ? rest.substr(2) : rest).find_first_not_of(" \t") == std::string::npos)
                    return true;
            }
        return false;
    };
    for (const std::string* text : { &data.TextBefore, &data.TextAfter }) {
        for (size_t at = 0; at < text->size();) {
            const size_t end = std::min(text->find("\r\n", at), text->size());
            const std::string line = text->substr(at, end - at);
            at = end + 2;
            bool closing = false;
            if (inHeader) {
                if (!line.empty()) {
                    header += line + "\r\n";
                    continue;
                }
                inHeader = false;
                const std::string delimiter = BoundaryParameter(HeaderFieldValue(header, "Content-Type:"));
                if (!delimiter.empty())
                    delimiters.push_back(delimiter);
                header.clear();
            } else if (isDelimiter(line, closing)) {
                inHeader = !closing;
            } else if (line.find_first_not_of(" \t") != std::string::npos) {
                return true;
            }
        }
        inHeader = false; // the block itself lies between the two texts
    }
    return false;
}

// An armour sent quoted-printable (as other clients and earlier versions send it) is read as a
// receiving client reads it: the block is decoded, and the header of its part says 8bit for the
// plaintext that takes its place. False when the block's part is not quoted-printable. A block
// already decoded is not decoded again: a second pass would read a line ending in Base64 padding
// ("...=" CR LF) as a soft break and join the checksum line to it.
bool TakeQuotedPrintableBlock(
    TMessageData& data, const std::string& text, std::string& block, bool alreadyDecoded)
{
    const std::string& before = data.TextBefore;
    if (before.size() < 4 || before.compare(before.size() - 4, 4, "\r\n\r\n") != 0)
        return false;
    const size_t end = before.size() - 2; // the header keeps the line break of its last field
    const size_t blank = end >= 4 ? before.rfind("\r\n\r\n", end - 4) : std::string::npos;
    const size_t start = blank == std::string::npos ? 0 : blank + 4;
    const std::string header = before.substr(start, end - start);
    if (lstrcmpiA(HeaderFieldValue(header, "Content-Transfer-Encoding:").c_str(), "quoted-printable") != 0)
        return false;
    if (!alreadyDecoded) {
        block = DecodeQuotedPrintable(
            data.BlockLocated() ? text.substr(data.BlockStart, data.BlockLength) : block, false);
        data.BlockStart = std::string::npos;
    }
    data.TextBefore = before.substr(0, start) + RemoveHeaderFields(header, { "Content-Transfer-Encoding:" })
        + "Content-Transfer-Encoding: 8bit\r\n\r\n";
    return true;
}

// A PGP/MIME or S/MIME message inside another one (forwarded as an attachment): its place in the
// text, from its header to its closing delimiter. Kind skNone when the text holds none below its top.
struct TEmbeddedSection {
    uint32_t Kind = skNone;
    size_t Start = 0;
    size_t End = 0; // one past its last character
};

// Whether the part header just above a section makes it a message forwarded as an attachment
// (message/rfc822), not an encrypted part beside plain ones.
bool IsForwardedMessage(const std::string& text, size_t start)
{
    const size_t delimiter = text.rfind("\n--", start);
    if (delimiter == std::string::npos)
        return false;
    std::string header = text.substr(delimiter, start - delimiter);
    CharLowerBuffA(header.data(), static_cast<DWORD>(header.size()));
    return header.find("message/rfc822") != std::string::npos;
}

// Whether a part header anywhere in the text may name message/rfc822 (case aside): without one no
// message is forwarded in it, and the long scan of its structure is spared.
bool MentionsForwardedMessage(const std::string& text)
{
    constexpr std::string_view type = "message/rfc";
    for (size_t at = text.find("822"); at != std::string::npos; at = text.find("822", at + 3)) {
        if (at >= type.size()
            && std::equal(type.begin(), type.end(),
                text.begin() + static_cast<std::ptrdiff_t>(at - type.size()),
                [](char wanted, char c) { return wanted == static_cast<char>(c | 0x20); }))
            return true;
    }
    return false;
}

TEmbeddedSection FindEmbeddedSection(const std::string& text)
{
    if (!MentionsForwardedMessage(text))
        return {};
    TMimeMsgTree scan;
    // The scan looks for protected sections only where it could decode them; it decodes nothing.
    scan.TreeData.Decode = [](const std::string&, std::string&, std::string&, int32_t&, std::string&) {};
    scan.LoadMessage(text, 1, lmScanOnly, 0);
    TEmbeddedSection found;
    if (scan.SecureKind < FirstMimeKind || scan.SecureStart <= 0 || scan.SecureEnd < scan.SecureStart
        || static_cast<size_t>(scan.SecureEnd) > text.size())
        return found;
    if (!IsForwardedMessage(text, static_cast<size_t>(scan.SecureStart) - 1))
        return found;
    found.Kind = scan.SecureKind;
    found.Start = static_cast<size_t>(scan.SecureStart) - 1;
    found.End = static_cast<size_t>(scan.SecureEnd);
    return found;
}

// A decrypted text that the conversions for the mail client would give back as it is: 7-bit
// characters of a charset that has them as ASCII, CR LF line breaks, for a window that shows plain
// text. Such a text, most mail, is not copied through them.
bool ReadsAsHostText(const std::string& text, const std::string& charset, const std::string& hostText)
{
    if (!hostText.empty() && hostText[0] == '<')
        return false;
    std::string name = charset;
    CharLowerBuffA(name.data(), static_cast<DWORD>(name.size()));
    if (!name.empty() && name != "us-ascii" && name != "utf-8" && name.rfind("iso-8859-", 0) != 0
        && name.rfind("windows-125", 0) != 0)
        return false;
    char previous = '\0';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte >= 0x80 || byte == 0x1B || (c == '\n') != (previous == '\r'))
            return false;
        previous = c;
    }
    return previous != '\r';
}

// The text that replaced a block was converted to the mail client's ANSI code page: the header of
// its part must name that charset, not the one the sender's bytes had.
void NameHostCharset(std::string& before)
{
    if (before.size() < 4 || before.compare(before.size() - 4, 4, "\r\n\r\n") != 0)
        return;
    const size_t end = before.size() - 2;
    const size_t blank = end >= 4 ? before.rfind("\r\n\r\n", end - 4) : std::string::npos;
    const size_t start = blank == std::string::npos ? 0 : blank + 4;
    std::string lowered = before.substr(start, end - start);
    CharLowerBuffA(lowered.data(), static_cast<DWORD>(lowered.size()));
    size_t field = lowered.rfind("\ncontent-type:");
    field = field == std::string::npos ? (lowered.rfind("content-type:", 0) == 0 ? 0 : field) : field + 1;
    if (field == std::string::npos)
        return;
    size_t fieldEnd = field;
    do
        fieldEnd = lowered.find("\r\n", fieldEnd + 1);
    while (fieldEnd != std::string::npos && fieldEnd + 2 < lowered.size()
        && (lowered[fieldEnd + 2] == ' ' || lowered[fieldEnd + 2] == '\t'));
    const size_t charset = lowered.find("charset=", field);
    if (charset == std::string::npos || charset > fieldEnd)
        return;
    size_t value = charset + 8, valueEnd = value;
    const bool quoted = value < lowered.size() && lowered[value] == '"';
    if (quoted)
        valueEnd = lowered.find('"', ++value);
    else
        valueEnd = lowered.find_first_of("; \t\r", value);
    valueEnd = std::min(valueEnd == std::string::npos ? lowered.size() : valueEnd, fieldEnd);
    before.replace(start + value, valueEnd - value, "windows-" + std::to_string(GetACP()));
}

// Whether a decoded inline block is shown between its part markers: it shares its text with
// other lines, and it was unwrapped (a clear-signed one only where signatures are checked).
bool ShowsBlockMarked(uint32_t kind, const TMessageData& data, bool checkSig)
{
    return data.HasOtherText && (kind == skPgpMessage || (kind == skPgpSignedMessage && checkSig));
}

bool SameFileName(const std::string& a, const std::string& b)
{
    return !a.empty() && lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace

bool ReadFileBytes(const std::string& fileName, std::string& bytes)
{
    bytes.clear();
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty()
            || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    CloseHandle(file);
    if (!ok)
        bytes.clear();
    return ok;
}

TDecryptRoad::TDecryptRoad(TPGPInterface& pgp, IDecryptHost& host, const TOptionValues& options,
    const TZAVEKStrings& texts, TDecodeContext& context)
    : pgp_(pgp)
    , host_(host)
    , options_(options)
    , texts_(texts)
    , context_(context)
{
    tree_.TreeData.Decode = [this](const std::string& section, std::string& charset, std::string& decoded,
                                int32_t& statusCode, std::string& statusText) {
        uint32_t code = 0;
        pgp_.DecodeSectionText(section, host_.OwnerWindow(), true, decoded, code, statusText, charset);
        statusCode = static_cast<int32_t>(code);
        NoteFindings(pgp_.LastDecode);
    };
}

void TDecryptRoad::NoteFindings(const TPGPInterface::TDecodeFindings& findings)
{
    outcome_.Decrypted = outcome_.Decrypted || findings.Decrypted;
    outcome_.ShownSecurely = outcome_.ShownSecurely || findings.ShownSecurely;
    if (findings.Signature.StatusText.empty())
        return;
    // A signature reported but not checked (its key's algorithm cannot be used) verified nothing.
    outcome_.Verified = outcome_.Verified || findings.Checked;
    if (sectionSignature_.StatusText.empty())
        sectionSignature_ = findings.Signature;
}

std::string TDecryptRoad::Text(uint16_t id) const
{
    return texts_.GetEntry(id);
}

void TDecryptRoad::Phase(const char* name)
{
    if (phases_)
        phases_->Mark(name);
}

int32_t TDecryptRoad::DecryptMessage(const std::string& inFile, const std::string& outFile)
{
    phases_.emplace("decrypt");
    failure_.clear();
    const int32_t result = DecryptRequest(inFile, outFile);
    if (result != WRITTEN && !failure_.empty())
        host_.ShowError(failure_);
    failure_.clear();
    host_.DecryptFinished();
    Phase("end");
    phases_.reset();
    return result;
}

void TDecryptRoad::NoteFailure(const std::string& fileName, const std::string& what)
{
    if (failure_.empty())
        failure_ = fileName + "\r\n\r\n" + what;
}

int32_t TDecryptRoad::WriteOutput(const std::string& outFile, const std::string& bytes)
{
    return WriteOutput(outFile, { std::string_view(bytes) });
}

int32_t TDecryptRoad::WriteOutput(const std::string& outFile, std::initializer_list<std::string_view> pieces)
{
    if (outFile.empty())
        return 0; // no output file: nothing to write, nothing to report
    if (CommitFileSafely(outFile, pieces))
        return WRITTEN;
    NoteFailure(outFile, Text(TEXT_FILE_NOT_WRITTEN));
    return 0;
}

int32_t TDecryptRoad::CopyThrough(const std::string& inFile, const std::string& outFile)
{
    if (outFile.empty())
        return 0;
    if (CopyFileA(inFile.c_str(), outFile.c_str(), FALSE))
        return WRITTEN;
    const DWORD error = GetLastError();
    NoteFailure(outFile, Text(TEXT_FILE_NOT_WRITTEN) + "\r\n" + SystemErrorText(error));
    return 0;
}

int32_t TDecryptRoad::DecryptRequest(const std::string& inFile, const std::string& outFile)
{
    TCacheHold hold(pgp_);
    if (inFile.empty())
        return 0;
    const TDecodeWindow window = host_.FindDecodeWindow();
    Phase("window");
    if (window.FolderManager)
        context_.FolderManagerMode = true;
    std::string original;
    if (!window.DecodeAllowed || context_.DecodingSuppressed)
        return CopyThrough(inFile, outFile);
    if (!ReadFileBytes(inFile, original)) {
        // What kept the file from being read, a lock or its absence, is what the user needs.
        NoteFailure(inFile, SystemErrorText(GetLastError()));
        return CopyThrough(inFile, outFile);
    }
    Phase("read");
    // The message tree in place of the decode; where it cannot be shown the decode goes on.
    if (context_.ShowAsTreePending) {
        if (ShowTreeOf(original, window))
            return CopyThrough(inFile, outFile);
        context_.ShowAsTreePending = false;
    }
    const int32_t result = DecodeText(inFile, outFile, original, window);
    if (host_.HostBuild() >= FIRST_BUILD_WITH_RAW_STATE && window.Reader)
        context_.RawViewToggle = host_.IsReaderRaw(window.Window);
    return result;
}

bool TDecryptRoad::ShowTreeOf(const std::string& text, const TDecodeWindow& window)
{
    tree_.Reset();
    tree_.LoadMessage(text, 1, MODE_WITHOUT_IMAGES, 0);
    if (!tree_.HasSections())
        return false;
    if (window.Window)
        SetFocus(window.Window);
    if (!host_.ShowMessageTree(tree_, window.Window))
        return false;
    context_.ShowAsTreePending = false;
    if (window.Reader && !window.FromThatWindow && !(tree_.HostFlags & TREE_KEEPS_READER))
        host_.CloseWindow(window.Window);
    return true;
}

int32_t TDecryptRoad::DecodeText(
    const std::string& inFile, const std::string& outFile, std::string& original, const TDecodeWindow& window)
{
    outcome_ = TDecodeOutcome();
    sectionSignature_ = TSignatureData();
    // The put-back shows the tree's parts: none of an earlier message may stay in it.
    tree_.Reset();
    // The message is copied only where its line breaks need mending.
    std::string mended = HasDoubledCarriageReturns(original) ? NormalizeLineBreaks(original) : std::string();
    const std::string& text = mended.empty() ? original : mended;
    Phase("normalise");
    // The block is only located in the message: once the message is let go, the block is cut out
    // of the message's own memory instead of being copied beside it.
    std::string block;
    bool decodedQuotedPrintable = false;
    const uint32_t kind = pgp_.ExtractSecureBlock(text, messageData_, block, &decodedQuotedPrintable, true);
    Phase("extract");
    partRanges_.clear();
    // A PGP/MIME message forwarded inside this one is decoded where it stands, with its header; the
    // message around it stays as it came. Its encrypted part is the armour the inline search found.
    const TEmbeddedSection embedded = kind == skPgpMessage ? FindEmbeddedSection(text) : TEmbeddedSection();
    // Other protected parts beside plain ones, or an encrypted attachment, are decoded part by part.
    const bool inParts = embedded.Kind == skNone && HasProtectedParts(text);
    if (kind == skNone && !inParts)
        return WriteOutput(outFile, original);
    if (kind < FirstMimeKind) {
        messageData_.HasOtherText = HasTextBesideBlock(messageData_);
        TakeQuotedPrintableBlock(messageData_, text, block, decodedQuotedPrintable);
    }
    Phase("beside");

    const std::string extension = GetAttachmentExtension(inFile, text, HOST_TEMP_EXTENSION);
    if (!extension.empty() && context_.AttachmentMode && kind != skNone) {
        if (extension == ".asc" || extension == ".pgp")
            return WriteOutput(outFile,
                { messageData_.BlockLocated()
                        ? std::string_view(text).substr(messageData_.BlockStart, messageData_.BlockLength)
                        : std::string_view(block) });
        if (kind == skPgpSignedMessage || kind >= FirstMimeKind)
            return WriteOutput(outFile, original);
    }
    if ((window.ShownRaw || context_.RawViewToggle) && !context_.FolderManagerMode) {
        context_.RawViewToggle = false;
        return WriteOutput(outFile, original);
    }
    if (inParts)
        return DecodeParts(outFile, original, text, window);

    host_.SetStatusText(Text(TEXT_DECRYPTING) + " ...");
    Phase("status");
    // Only the first character of the message is asked for from here on (whether the window shows
    // HTML), unless a forwarded message is decoded in its place: the message as read is not held
    // through a long decryption beside the block and what the SDK makes of it.
    const std::string opening = text.substr(0, 1);
    const bool released = embedded.Kind == skNone;
    if (messageData_.BlockLocated()) {
        const size_t start = messageData_.BlockStart, length = messageData_.BlockLength;
        messageData_.BlockStart = std::string::npos;
        if (released) {
            std::string& message = mended.empty() ? original : mended;
            message.erase(start + length);
            message.erase(0, start);
            block = std::move(message);
        } else {
            block = text.substr(start, length);
        }
    }
    if (released) {
        std::string().swap(mended);
        std::string().swap(original);
    }
    const std::string& hostText = released ? opening : text;
    std::string output, charset;
    TKeyIDData recipients;
    const bool sMime = IsSMimeKind(kind);
    // A failed S/MIME check gives no text to show: the message stays as it came, and the user is told.
    const bool keepsText = FailureKeepsText(kind) && !sMime;
    int32_t status = kStatusOK;
    if (embedded.Kind != skNone) {
        uint32_t code = 0;
        std::string statusText;
        status = pgp_.DecodeSectionText(text.substr(embedded.Start, embedded.End - embedded.Start),
            host_.OwnerWindow(), true, output, code, statusText, charset);
        signature_ = pgp_.LastDecode.Signature;
    } else {
        // A clear-signed text stays as it is: only its signature is checked. Everything else is
        // unwrapped; a block read no more is let go before its plaintext is taken.
        const bool clearSigned = kind == skPgpSignedMessage;
        if (BlockReadAfterDecode(kind))
            status = pgp_.DecryptText(block, host_.OwnerWindow(), keepsText || sMime, true, clearSigned,
                options_.Lookup, output, charset, recipients, signature_);
        else
            status = pgp_.DecryptLettingGo(block, host_.OwnerWindow(), keepsText || sMime, true, clearSigned,
                options_.Lookup, output, charset, recipients, signature_);
    }
    NoteFindings(pgp_.LastDecode);
    Phase("sdk");
    int32_t result = 0;
    THostFile forHost;
    // An S/MIME message the engine cannot take yet is no signed text to show: it stays as it came.
    const bool notAvailable = sMime && status == kStatusNotAvailable;
    if (notAvailable)
        host_.ShowError(Text(TEXT_SMIME_NOT_AVAILABLE));
    else if (sMime && status != kStatusOK)
        pgp_.ShowPGPError(status);
    const bool counted = status == kStatusOK || keepsText;
    if (counted) {
        if (embedded.Kind != skNone) {
            // The decoded section takes its place in the message, in a block of the message's full
            // size: no plaintext is left behind in memory that grew.
            std::string placed;
            placed.reserve(embedded.Start + output.size() + (text.size() - embedded.End));
            placed.append(text, 0, embedded.Start).append(output).append(text, embedded.End);
            TPGPInterface::BurnText(output);
            output = std::move(placed);
            context_.Formatted = false;
        } else if (kind < FirstMimeKind) {
            // A signed text that is shown without its armour is converted as a decrypted one is.
            if (kind == skPgpSignedMessage && options_.CheckSig && output.empty())
                output = ExtractClearSignedText(block);
            bool relabel = false;
            if (!ReadsAsHostText(output, charset, hostText)) {
                std::string converted = HostText(kind, output, charset, hostText, !extension.empty());
                relabel = converted != output && !IsSevenBitText(converted);
                TPGPInterface::BurnText(output);
                output = std::move(converted);
            }
            // The marker lines are in the mail client's code page: a 7-bit text around them reads
            // the same under its name.
            relabel = relabel
                || (ShowsBlockMarked(kind, messageData_, options_.CheckSig)
                    && IsSevenBitText(messageData_.TextBefore) && IsSevenBitText(messageData_.TextAfter));
            // The blocks after the first in the same text are decoded too, each in its place.
            std::string further;
            if (kind == skPgpMessage || kind == skPgpSignedMessage) {
                if (DecodeArmouredBlocks(messageData_.TextAfter, hostText, further, true))
                    messageData_.TextAfter = std::move(further);
                TPGPInterface::BurnText(further);
            }
            // Text without 8-bit bytes reads the same in either charset and keeps its label.
            if (relabel)
                NameHostCharset(messageData_.TextBefore);
            context_.Formatted = false;
            Phase("charset");
        } else {
            RenderMimeMessage(kind, block, output);
            Phase("render");
        }
        pgp_.MarkPartlySigned(signature_, messageData_);
        if (!context_.FolderManagerMode) {
            if (options_.CheckSig && options_.IncludeInfo != 0)
                signature_.StatusText = pgp_.FormatSignerText(signature_.StatusText);
            else
                signature_ = TSignatureData();
        }
        Phase("signer");
        if (embedded.Kind == skNone)
            TextForHost(kind, block, output, forHost);
        Phase("compose");
        // Only what was decrypted or verified replaces the message; anything else is no result.
        if (outcome_.Done())
            result = WriteOutput(outFile,
                { forHost.Before, forHost.WithBody ? std::string_view(output) : std::string_view(),
                    forHost.After });
        Phase("write");
        if (result == WRITTEN)
            host_.MessageDecoded(window);
        if (options_.CheckKey && !context_.FolderManagerMode)
            ImportFoundKeys(kind, block, output);
        Phase("keys");
    } else {
        // Nothing of a refused decryption reaches the mail client.
        signature_ = TSignatureData();
    }
    TPGPInterface::BurnText(output);
    Phase("burn");

    // A text for the eyes only is done once the secure viewer showed it.
    const bool done = result == WRITTEN || outcome_.ShownSecurely;
    const uint16_t ending = done      ? TEXT_DONE
        : counted && !outcome_.Done() ? TEXT_NOTHING_DONE
                                      : TEXT_CANCELLED;
    host_.SetStatusText(Text(TEXT_DECRYPTING) + Text(ending));
    if (!signature_.StatusText.empty() && !context_.SignaturePopup)
        host_.ShowSignatureResult(signature_);
    Phase("status");
    if (result != WRITTEN)
        result = released ? CopyThrough(inFile, outFile) : WriteOutput(outFile, original);
    return result;
}

void TDecryptRoad::RenderMimeMessage(uint32_t kind, const std::string& block, std::string& output)
{
    tree_.Reset();
    const bool images = host_.ShowsObjects() || context_.Formatted;
    // The file for the mail client is 8-bit text: the tree renders ANSI, not UTF-16. The tree takes
    // the decrypted message over (the put-back shows its parts); only an empty one gives no section.
    tree_.LoadMessage(std::move(output), 1, (images ? MODE_WITH_IMAGES : MODE_WITHOUT_IMAGES) & ~lmWide, 0);
    output.clear();
    if (!tree_.HasSections())
        return;
    tree_.SecureKind = kind;
    // A signed entity inside the encrypted one was checked by the tree's decode: its result is the message's.
    if (signature_.StatusText.empty())
        signature_ = sectionSignature_;
    TTextList items = tree_.CollectBodyTexts(false);
    output = JoinBurntBodyTexts(items);
    if (kind == skPgpMimeSigned) {
        const int keys = tree_.FindSectionKind(skPgpPublicKeyBlock);
        if (keys >= 0)
            pgp_.VerifyText(
                block, tree_.GetSectionText(keys), signature_, false, options_.Lookup, host_.OwnerWindow());
    }
    if (!tree_.BodyIsFormatted())
        context_.Formatted = false;
}

TDecryptRoad::THostFile::~THostFile()
{
    TPGPInterface::BurnText(Before);
    TPGPInterface::BurnText(After);
}

void TDecryptRoad::TextForHost(uint32_t kind, const std::string& block, std::string& output, THostFile& file)
{
    if (output.empty())
        output = block;
    if (kind == skPgpSignedMessage && options_.CheckSig) {
        const std::string signedText = ExtractClearSignedText(output);
        if (!signedText.empty())
            output = signedText;
    }
    // Without a put-back the file is all the mail client shows, so the body always goes into it.
    if (context_.Formatted && host_.CanPutBack()) {
        file.Before = messageData_.TextBefore;
        file.WithBody = false;
        return;
    }
    if (kind < FirstMimeKind) {
        if (ShowsBlockMarked(kind, messageData_, options_.CheckSig))
            MarkDecodedBlock(kind, output);
        file.Before = messageData_.TextBefore;
        file.After = messageData_.TextAfter;
        return;
    }
    std::string leading = messageData_.TextBefore;
    if (context_.IncludeUtf8Headers || context_.IncludeAnsiHeaders) {
        leading = tree_.GetHeaderLines() + "\r\n\r\n";
        if (context_.IncludeUtf8Headers)
            leading = Utf8TextToAnsi(leading);
    } else {
        // Put back or not, the file must not describe the protected body it no longer holds.
        leading = PlainHeaderOf(leading);
    }
    // The mail client's setting 86 stays off until the put-back switches it on again.
    if (host_.CanPutBack() && !context_.Setting86Saved) {
        context_.Setting86Bit0 = host_.GetSetting86Bit0();
        context_.Setting86Saved = true;
        host_.SetSetting86Bit0(false);
    }
    file.Before = std::move(leading);
}

void TDecryptRoad::RestoreHostSetting()
{
    if (!context_.Setting86Saved)
        return;
    context_.Setting86Saved = false;
    host_.SetSetting86Bit0(context_.Setting86Bit0);
}

void TDecryptRoad::ImportFoundKeys(uint32_t kind, const std::string& block, const std::string& output)
{
    std::string keys;
    if (kind == skPgpPublicKeyBlock || kind == skCertificate) {
        keys = block;
    } else {
        TMessageData data;
        const uint32_t found = pgp_.ExtractSecureBlock(output, data, keys);
        if (found != skPgpPublicKeyBlock && found != skCertificate)
            return;
    }
    TKeyIDData imported;
    const int32_t status = pgp_.ImportKeys(keys, host_.OwnerWindow(), imported, false, options_.AutoPush);
    pgp_.ShowPGPError(status);
    if (status == kStatusOK && options_.AutoPush && imported.Count > 0)
        host_.OfferForRecipientList(imported);
}

uint32_t TDecryptRoad::FirstProtectedBlock(const std::string& text, TMessageData& data, std::string& block)
{
    const uint32_t kind = pgp_.ExtractSecureBlock(text, data, block);
    if (kind != skNone)
        return kind;
    TMimeMsgTree tree;
    tree.LoadMessage(text, 1, lmScanOnly, 0);
    for (int i = 0; i < tree.SectionCount(); ++i) {
        const uint32_t sectionKind = tree.GetSectionKind(i);
        // A section without text (what the tree makes of binary data, say) is nothing to decode.
        if (sectionKind != skNone && !tree.GetSectionText(i).empty()) {
            block = tree.GetSectionText(i);
            data = TMessageData();
            data.Kind = sectionKind;
            return sectionKind;
        }
    }
    return skNone;
}

bool TDecryptRoad::ReadNamedFile(const std::string& fileName, std::string& text)
{
    if (ReadFileBytes(fileName, text))
        return true;
    host_.ShowError(fileName + "\r\n\r\n" + Text(TEXT_FILE_NOT_READ));
    return false;
}

bool TDecryptRoad::RepeatsLastFile(const std::string& fileName)
{
    if (SameFileName(fileName, lastFile_)) {
        lastFile_.clear();
        return true;
    }
    lastFile_ = fileName;
    context_.DecodingSuppressed = false;
    return false;
}

void TDecryptRoad::VerifyFile(const std::string& fileName)
{
    if (fileName.empty()) {
        host_.PostFrameCommand(CMD_HOST_VERIFY);
        return;
    }
    std::string text;
    if (RepeatsLastFile(fileName) || !ReadNamedFile(fileName, text))
        return;
    text = NormalizeLineBreaks(text);
    TCacheHold hold(pgp_);
    // A message protected in parts gets the verdict of the walk that DECRYPT takes over it.
    if (HasProtectedParts(text)) {
        VerifyParts(text);
        return;
    }
    TMessageData data;
    std::string block;
    const uint32_t kind = FirstProtectedBlock(text, data, block);
    if (kind != skNone && kind < skCertificate) {
        const size_t blank = data.TextBefore.find("\r\n\r\n");
        if (blank != std::string::npos)
            block = data.TextBefore.substr(blank + 4) + block + data.TextAfter;
    }
    pgp_.VerifyText(block.empty() ? text : block, "", signature_, true, options_.Lookup, host_.OwnerWindow());
    host_.ShowSignatureResult(signature_);
}

void TDecryptRoad::ManageKeys(const std::string& argument, int mode)
{
    std::string text;
    if (!argument.empty() && mode == 0) {
        text = argument;
    } else if (!argument.empty()) {
        if (RepeatsLastFile(argument) || !ReadNamedFile(argument, text))
            return;
    } else if (!host_.ActiveMessageText(text)) {
        if (!host_.ControlHeld()) {
            host_.PostFrameCommand(CMD_HOST_MANAGE);
            return;
        }
        std::string choice;
        if (!host_.ChooseKeyFile(choice))
            return;
        if (choice == CLIPBOARD_CHOICE)
            text = host_.ClipboardText();
        else if (!ReadNamedFile(choice, text))
            return;
    }
    TMessageData data;
    std::string block;
    // Without an armoured block the bytes go as they came: a binary key file must not lose bytes
    // to the line-break repair.
    if (FirstProtectedBlock(NormalizeLineBreaks(text), data, block) == skNone)
        block = text;
    TKeyIDData keys;
    TCacheHold hold(pgp_);
    // With imported keys offered for the recipient list, the offer reports them: the import is quiet.
    int32_t status = pgp_.ImportKeysFromText(block, host_.OwnerWindow(), keys, options_.AutoPush);
    // What the decoder cannot read may still be a certificate or a key file of another format.
    if (status == kStatusNoKey)
        status = pgp_.ImportKeys(block, host_.OwnerWindow(), keys, false, options_.AutoPush);
    pgp_.ShowPGPError(status);
    if (status == kStatusOK && options_.AutoPush && keys.Count > 0)
        host_.OfferForRecipientList(keys);
}
