// The decrypt road for messages that are protected in parts: encrypted or signed parts beside
// plain ones, encrypted files sent as attachments, and text with several armoured blocks. Each
// protected piece is decoded on its own and stays apart from its neighbours; nothing of a plain
// part is joined to decrypted text, and the signature shown is marked when it covers a part only.
#include "plugin/DecryptRoad.h"

#include "engine/PSMimeTools.h"
#include "foundation/Base64.h"
#include "foundation/StrUtil.h"
#include "foundation/ZAVEKResources.h"
#include "mime/MailHost.h"
#include "plugin/TERInterfaceText.h"

#include <algorithm>

namespace {

constexpr uint16_t TEXT_DECRYPTING = 418;
constexpr uint16_t TEXT_CANCELLED = 419;
constexpr uint16_t TEXT_DONE = 420;
constexpr uint16_t TEXT_KIND_PART = 428;
constexpr uint16_t TEXT_BEGIN_MARKER = 429;
constexpr uint16_t TEXT_END_MARKER = 430;
constexpr uint32_t MODE_WITH_IMAGES = 46;
constexpr uint32_t MODE_WITHOUT_IMAGES = 38;
constexpr int MAX_BLOCKS = 64; // armoured blocks decoded in one text

// The S/MIME entity around enveloped data that came as a plain attachment.
std::string EnvelopedEntity(const std::string& der)
{
    return "Content-Type: application/pkcs7-mime; smime-type=enveloped-data; name=smime.p7m\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n"
        + Base64Encode(der) + "\r\n";
}

// What the decoder takes of a PGP/MIME entity: its armoured block; an S/MIME entity as it is.
std::string EntityInput(const std::string& entity, bool& pgpMime)
{
    std::string header, body, charset, signature;
    pgpMime = SplitSecureMime(entity, header, body, false, charset, signature) == kSecureMimePgp;
    return pgpMime && !body.empty() ? body : entity;
}

// A text the reader can show: a text part, or a text file attached.
bool IsReadableText(const TSectionNode& section)
{
    if (section.NodeKind >= nkTextPlain && section.NodeKind <= nkTextOther)
        return true;
    std::string type = GetHeaderValue("Content-Type:", section.Section, false).Str();
    CharLowerBuffA(type.data(), static_cast<DWORD>(type.size()));
    return section.NodeKind == nkAttachment && type.rfind("text/", 0) == 0;
}

// S/MIME signed data that holds its content (application/pkcs7-mime signed-data), as opposed to
// a multipart/signed entity whose content stands beside the signature.
bool IsOpaqueSignedData(const std::string& entity)
{
    std::string header, body;
    SplitHeaderBody(entity, header, body);
    std::string type = HeaderFieldValue(header, "Content-Type:");
    CharLowerBuffA(type.data(), static_cast<DWORD>(type.size()));
    return type.find("pkcs7-mime") != std::string::npos;
}

} // namespace

int TDecryptRoad::DecodeOpaqueSigned(const std::string& entity, std::string& result)
{
    std::string output, charset;
    TKeyIDData recipients;
    TSignatureData signature;
    const int32_t status = pgp_.DecryptText(entity, host_.OwnerWindow(), true, true, false, options_.Lookup,
        output, charset, recipients, signature);
    if (status != kStatusOK || signature.StatusText.empty() || output.empty())
        return RefusedPart(status, output);
    DecodedPart(signature, skSmimeSignedData, output, result);
    return kPartDecodedSigned;
}

int TDecryptRoad::RefusedPart(int32_t status, std::string& output)
{
    partStatus_ = status != kStatusOK ? status : partStatus_;
    TPGPInterface::BurnText(output);
    return kPartRefused;
}

int TDecryptRoad::DecodedPart(const TSignatureData& signature, uint32_t kind, std::string& output, std::string& result)
{
    TakeSignature(signature);
    NoteDecodedPart(kind);
    result = std::move(output);
    return partSigned_ ? kPartDecodedSigned : kPartDecoded;
}

void TDecryptRoad::TakeSignature(const TSignatureData& signature)
{
    if (signature.StatusText.empty())
        return;
    partSigned_ = true;
    if (signature_.StatusText.empty() || IsWorseSignature(signature.StatusCode, signature_.StatusCode))
        signature_ = signature;
}

std::string TDecryptRoad::HostText(uint32_t kind, const std::string& output, const std::string& charset,
    const std::string& hostText, bool attachment) const
{
    // A converted text gets the mail client's line breaks; anything else stays as decrypted.
    if (!charset.empty())
        return NormalizeCrLf(ConvertTextForHost(output, hostText, charset, host_.MessageFont()));
    if ((kind == skPgpMessage || kind == skPgpSignedMessage) && (!attachment || !TextHasControlChars(output)))
        return NormalizeCrLf(ConvertTextForHost(output, hostText, "", host_.MessageFont()));
    return output;
}

bool TDecryptRoad::DecodeBlock(
    uint32_t kind, const std::string& block, const std::string& hostText, std::string& result)
{
    std::string output, charset;
    TKeyIDData recipients;
    TSignatureData signature;
    const bool clearSigned = kind == skPgpSignedMessage;
    const int32_t status = pgp_.DecryptText(block, host_.OwnerWindow(), true, true, clearSigned,
        options_.Lookup, output, charset, recipients, signature);
    // A block the secure viewer showed stays in the text as it came.
    if (status != kStatusOK || pgp_.LastDecode.ShownSecurely) {
        partStatus_ = status;
        TPGPInterface::BurnText(output);
        // A clear-signed text whose check failed is still the text it was.
        if (!clearSigned)
            return false;
    }
    TakeSignature(signature);
    if (clearSigned) {
        const std::string signedText = options_.CheckSig ? ExtractClearSignedText(block) : std::string();
        result = signedText.empty() ? block : HostText(kind, signedText, charset, hostText, false);
    } else {
        result = HostText(kind, output, charset, hostText, false);
    }
    TPGPInterface::BurnText(output);
    return status == kStatusOK;
}

void TDecryptRoad::MarkDecodedBlock(uint32_t kind, std::string& text) const
{
    const std::string name = TERText::SectionKindName(kind);
    const std::string begin = TERText::BeginMarkerLine(Text(TEXT_BEGIN_MARKER) + Text(TEXT_KIND_PART), name);
    const std::string end = TERText::EndMarkerLine(Text(TEXT_END_MARKER) + Text(TEXT_KIND_PART), name);
    const bool lineEnded = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
    std::string marked;
    marked.reserve(begin.size() + text.size() + 2 + end.size());
    marked.append(begin).append(text).append(lineEnded ? "" : "\r\n").append(end);
    TPGPInterface::BurnText(text);
    text = std::move(marked);
}

bool TDecryptRoad::DecodeArmouredBlocks(
    const std::string& text, const std::string& hostText, std::string& result, bool marked)
{
    result.clear();
    std::string rest = text;
    bool decoded = false;
    for (int i = 0; i < MAX_BLOCKS; ++i) {
        TMessageData data;
        std::string block;
        const uint32_t kind = pgp_.ExtractSecureBlock(rest, data, block);
        if ((kind != skPgpMessage && kind != skPgpSignedMessage) || block.empty())
            break;
        // The block's own place in the text, so that the text around it keeps every byte; a block
        // taken mended (its blank line emptied) is shorter than its place, which opens with its
        // first line.
        const size_t after = rest.size() - data.TextAfter.size();
        const size_t at
            = after >= block.size() && rest.compare(after - block.size(), block.size(), block) == 0
            ? after - block.size()
            : rest.rfind(block.substr(0, block.find("\r\n")), after);
        if (at == std::string::npos)
            break;
        std::string plain;
        if (DecodeBlock(kind, block, hostText, plain) || kind == skPgpSignedMessage) {
            decoded = true;
            if (marked && plain != block)
                MarkDecodedBlock(kind, plain);
            result += rest.substr(0, at) + plain;
        } else {
            result += rest.substr(0, after);
        }
        TPGPInterface::BurnText(plain);
        rest = data.TextAfter;
    }
    result += rest;
    return decoded;
}

int TDecryptRoad::DecodePart(TPartForm form, const std::string& content, std::string& result)
{
    result.clear();
    partSigned_ = false;
    std::string output, charset;
    TKeyIDData recipients;
    TSignatureData signature;
    uint32_t kind = skPgpMimeEncrypted;
    int32_t status = kStatusOK;
    switch (form) {
    case TPartForm::ArmouredText:
        if (!DecodeArmouredBlocks(content, "", result))
            return kPartRefused;
        NoteDecodedPart(skPgpMessage);
        return partSigned_ ? kPartDecodedSigned : kPartDecoded;
    case TPartForm::ArmouredHtml: {
        const auto decodeBlocks = [this](const std::string& armour, std::string& text) {
            return DecodeArmouredBlocks(armour, "", text);
        };
        if (!DecodeHtmlArmour(content, decodeBlocks, result))
            return kPartRefused;
        partKinds_.push_back(skPgpMessage);
        return partSigned_ ? kPartDecodedSigned : kPartDecoded;
    }
    case TPartForm::Signed: {
        if (IsOpaqueSignedData(content))
            return DecodeOpaqueSigned(content, result);
        bool pgpMime = false;
        status = pgp_.VerifyText(
            EntityInput(content, pgpMime), "", signature, false, options_.Lookup, host_.OwnerWindow());
        if (status != kStatusOK) {
            partStatus_ = status;
            return kPartRefused;
        }
        TakeSignature(signature);
        // The walk marks the verified content's place, as that of a decoded part.
        NoteDecodedPart(pgpMime ? skPgpMimeSigned : skSmimeMultipartSigned);
        return kPartDecoded;
    }
    case TPartForm::Entity: {
        std::string header, body, armourCharset, signatureBytes;
        const bool pgpMime
            = SplitSecureMime(content, header, body, true, armourCharset, signatureBytes) == kSecureMimePgp;
        kind = pgpMime ? skPgpMimeEncrypted : skSmimeEnveloped;
        // The decoder takes the entity apart itself, and reads what it decrypted as MIME in turn.
        status = pgp_.DecryptText(content, host_.OwnerWindow(), true, true, false, options_.Lookup, output,
            charset, recipients, signature);
        break;
    }
    case TPartForm::File: {
        const bool armoured = content.find("-----BEGIN PGP MESSAGE-----") != std::string::npos;
        status = pgp_.DecryptText(armoured ? content : ArmourPgpMessage(content), host_.OwnerWindow(), true,
            true, false, options_.Lookup, output, charset, recipients, signature);
        break;
    }
    case TPartForm::SMimeFile:
        kind = skSmimeEnveloped;
        status = pgp_.DecryptText(EnvelopedEntity(content), host_.OwnerWindow(), true, true, false,
            options_.Lookup, output, charset, recipients, signature);
        break;
    }
    if (status != kStatusOK || output.empty())
        return RefusedPart(status, output);
    return DecodedPart(signature, kind, output, result);
}

TProtectedParts TDecryptRoad::WalkParts(const std::string& text)
{
    signature_ = TSignatureData();
    partKinds_.clear();
    partsCovered_.clear();
    partRanges_.clear();
    partStatus_ = kStatusOK;
    TProtectedParts parts
        = DecodeProtectedParts(text, [this](TPartForm form, const std::string& content, std::string& result) {
              return DecodePart(form, content, result);
          });
    // What the signature covers is a part of the message only.
    if (parts.Decoded > 0 && (parts.PlainContent || parts.Decoded < parts.Protected))
        MarkPartlySignedText(skNone, true, signature_.StatusText, texts_);
    return parts;
}

void TDecryptRoad::VerifyParts(const std::string& text)
{
    TProtectedParts parts = WalkParts(text);
    TPGPInterface::BurnText(parts.Message);
    if (signature_.StatusText.empty()) {
        // Nothing signed was found, or nothing could be read: the first refusal says which.
        pgp_.ShowPGPError(partStatus_ != kStatusOK ? partStatus_ : kPGPError_UnsupportedFormat);
        return;
    }
    pgp_.ShowSignatureBox(signature_);
    host_.ShowSignatureResult(signature_);
}

int32_t TDecryptRoad::DecodeParts(const std::string& outFile, const std::string& original,
    const std::string& text, const TDecodeWindow& window)
{
    host_.SetStatusText(Text(TEXT_DECRYPTING) + " ...");
    TProtectedParts parts = WalkParts(text);
    int32_t result = 0;
    if (parts.Decoded > 0) {
        if (!context_.FolderManagerMode) {
            if (options_.CheckSig && options_.IncludeInfo != 0)
                signature_.StatusText = pgp_.FormatSignerText(signature_.StatusText);
            else
                signature_ = TSignatureData();
        }
        // The reader shows the parts from the tree, each apart, the decoded ones marked; it is
        // loaded from the decoded message as it is, nothing decoded twice.
        tree_.Reset();
        const bool images = host_.ShowsObjects() || context_.Formatted;
        tree_.LoadMessage(
            parts.Message, 1, (images ? MODE_WITH_IMAGES : MODE_WITHOUT_IMAGES) & ~(lmWide | lmDecode), 0);
        // The tree takes the kind of the first part decoded into new content.
        const auto decoded = std::find_if(partKinds_.begin(), partKinds_.end(),
            [](uint32_t kind) { return kind != skPgpMimeSigned && kind != skSmimeMultipartSigned; });
        tree_.SecureKind = decoded == partKinds_.end() ? skPgpMimeEncrypted : *decoded;
        if (tree_.SecureKind < FirstMimeKind)
            tree_.SecureKind = skPgpMimeEncrypted;
        partRanges_ = parts.DecodedRanges;
        if (!tree_.BodyIsFormatted())
            context_.Formatted = false;
        result = WriteOutput(outFile, parts.Message);
        if (result == WRITTEN)
            host_.MessageDecoded(window);
    } else {
        signature_ = TSignatureData();
        pgp_.ShowPGPError(partStatus_);
    }
    TPGPInterface::BurnText(parts.Message);
    host_.SetStatusText(Text(TEXT_DECRYPTING) + Text(result == WRITTEN ? TEXT_DONE : TEXT_CANCELLED));
    if (!signature_.StatusText.empty() && !context_.SignaturePopup)
        host_.ShowSignatureResult(signature_);
    if (result != WRITTEN)
        result = WriteOutput(outFile, original);
    return result;
}

void TDecryptRoad::NoteDecodedPart(uint32_t kind)
{
    partKinds_.push_back(kind);
    partsCovered_.push_back(partSigned_);
}

int TDecryptRoad::DecodedPartOf(int node) const
{
    const TSectionNode* section = tree_.GetSection(node);
    if (!section)
        return -1;
    // The node's body lies in a decoded part's place: after its header block and blank line. A
    // part decoded inside another lies within that one's range, after it: the last range wins.
    const int64_t body = static_cast<int64_t>(section->Section.Start) - 1 + section->Section.Length + 4;
    for (size_t i = partRanges_.size(); i-- > 0;)
        if (body >= static_cast<int64_t>(partRanges_[i].first)
            && body <= static_cast<int64_t>(partRanges_[i].second))
            return static_cast<int>(i);
    return -1;
}

uint32_t TDecryptRoad::DecodedSectionKind(int node) const
{
    const int part = DecodedPartOf(node);
    if (part < 0)
        return 0;
    return static_cast<size_t>(part) < partKinds_.size() ? partKinds_[part] : skPgpMimeEncrypted;
}

TTextList TDecryptRoad::SignedTextsLeftOut(const std::vector<int>& shown)
{
    TTextList texts;
    for (int node = 0; node < tree_.SectionCount(); ++node) {
        TSectionNode* section = tree_.GetSection(node);
        const int part = DecodedPartOf(node);
        if (part < 0 || static_cast<size_t>(part) >= partsCovered_.size() || !partsCovered_[part]
            || std::find(shown.begin(), shown.end(), node) != shown.end() || !IsReadableText(*section))
            continue;
        texts.emplace_back();
        texts.back().Text = section->GetViewText();
        texts.back().Node = node;
    }
    return texts;
}
