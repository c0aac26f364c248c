// PGPEncode of the stand-in SDK: literal data (binary, or text in its canonical form), an optional
// one-pass signature, compression, and encryption to keys and/or a passphrase as integrity-
// protected data, armoured on request. It never asks for a passphrase; errors go to the handler.
#include "standins/pgpsdk/Cms.h"
#include "standins/pgpsdk/Guard.h"
#include "standins/pgpsdk/Objects.h"
#include "standins/pgpsdk/Output.h"
#include "standins/pgpsdk/PassphraseCache.h"
#include "standins/pgpsdk/SecretBytes.h"
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/Compression.h"
#include "standins/pgpsdk/openpgp/Crypto.h"
#include "standins/pgpsdk/openpgp/Message.h"
#include "standins/pgpsdk/openpgp/Packets.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <new>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

using namespace openpgp;

constexpr int kDefaultCipher = 9; // AES-256
constexpr int kDefaultHash = 8; // SHA-256

struct SigningKey {
    const PublicKey* publicKey = nullptr;
    std::vector<std::string> secrets;
    ~SigningKey()
    {
        for (auto& secret : secrets)
            std::fill(secret.begin(), secret.end(), '\0');
    }
};

PGPError Report(PGPContextRef context, const std::vector<Option>& options, PGPError status)
{
    if (status == kPGPError_NoErr)
        return status;
    if (const Option* handler = FindOption(options, OptionKind::EventHandler)) {
        PGPEvent event {};
        event.type = kPGPEvent_Error;
        event.data.errorData.error = status;
        handler->handler(context, &event, handler->pointer);
    }
    return status;
}

// The secret of the signing key, unlocked with the option's passphrase or the SDK's cache.
PGPError UnlockSigner(const Option& option, SigningKey& signer)
{
    auto object = Handles().Get<KeyObject>(option.handle, ObjectKind::KeyDBObj);
    if (!object || object->kind != KeyObjectKind::Key)
        return kPGPError_BadParams;
    const TSigningPart part = SigningKeyOf(*object->key, true);
    if (!part.publicKey)
        return kPGPError_KeyUnusable;
    SecretKey secret;
    if (ParseSecretKey(*part.secretPacket, secret) != kPGPError_NoErr)
        return kPGPError_KeyFileCorrupt;
    const Option* passphrase = FindOption(option.nested, OptionKind::Passphrase);
    std::optional<SecretBytes> cached;
    if (!passphrase)
        cached = CachedPassphrase(secret.publicKey.KeyID());
    if (!passphrase && !cached && secret.Protected())
        return kPGPError_BadPassphrase;
    std::string_view text = passphrase ? passphrase->secret.View() : cached ? cached->View() : std::string_view();
    PGPError status = UnlockSecretKey(secret, text, signer.secrets);
    signer.publicKey = part.publicKey;
    return status;
}

int ChooseCipher(const std::vector<Option>& options, const std::vector<const KeyRecord*>& recipients)
{
    if (const Option* cipher = FindOption(options, OptionKind::CipherAlgorithm))
        return cipher->value;
    std::vector<int> candidates;
    if (const Option* preferred = FindOption(options, OptionKind::PreferredAlgorithms))
        candidates = preferred->numbers;
    else if (!recipients.empty())
        candidates = PreferredCiphersOf(*recipients.front());
    for (int candidate : candidates) {
        bool everyone = std::all_of(recipients.begin(), recipients.end(), [&](const KeyRecord* key) {
            auto wanted = PreferredCiphersOf(*key);
            return wanted.empty() || std::find(wanted.begin(), wanted.end(), candidate) != wanted.end();
        });
        if (everyone && CipherKeySize(candidate) != 0)
            return candidate;
    }
    return kDefaultCipher;
}

// Where a message goes: a block of its exact size, between the text a PGP/MIME entity puts around
// it, so the message is written once, where the caller takes it.
struct Frame {
    std::string_view before;
    std::string_view after;
};

// The block for `size` bytes of message in its frame; where the message starts in it.
char* Reserve(DataBlock& block, const Frame& frame, size_t size)
{
    block = DataBlock(frame.before.size() + size + frame.after.size());
    if (!block.Data())
        throw std::bad_alloc();
    std::copy(frame.before.begin(), frame.before.end(), block.Data());
    std::copy(frame.after.begin(), frame.after.end(), block.Data() + frame.before.size() + size);
    return block.Data() + frame.before.size();
}

// The packets into `block`, armoured on request.
void Place(DataBlock& block, const Frame& frame, std::string_view packets, bool armored,
    std::string_view label, const ArmorHeaders& headers = {})
{
    if (armored)
        WriteArmor(
            Reserve(block, frame, ArmoredSize(label, packets.size(), headers)), label, packets, headers);
    else
        std::copy(packets.begin(), packets.end(), Reserve(block, frame, packets.size()));
}

// The message in `block`, framed; a CMS or clear-signed one in `output`. Each stage that holds
// plaintext is wiped and released once the next is made.
PGPError EncodeMessage(
    const std::vector<Option>& options, std::string& output, DataBlock& block, const Frame& frame = {})
{
    const Option* input = FindOption(options, OptionKind::InputBuffer);
    if (!input)
        return kPGPError_BadOption;
    if (const Option* format = FindOption(options, OptionKind::OutputFormat))
        return CmsMessageEncoder() ? CmsMessageEncoder()(options, format->value, output) : kPGPError_NotImplemented;
    std::string_view data(static_cast<const char*>(input->pointer), input->size);
    bool text = OptionFlag(options, OptionKind::DataIsASCII);
    PlainString canonical(text ? CanonicalText(data) : std::string());
    std::string_view content = text ? canonical.View() : data;
    uint32_t now = static_cast<uint32_t>(std::time(nullptr));
    bool armored = OptionFlag(options, OptionKind::ArmorOutput);

    SigningKey signer;
    if (const Option* sign = FindOption(options, OptionKind::SignWithKey)) {
        PGPError status = UnlockSigner(*sign, signer);
        if (status != kPGPError_NoErr)
            return status;
    }
    bool detached = FindOption(options, OptionKind::DetachedSig) != nullptr;
    bool clearSign = OptionFlag(options, OptionKind::ClearSign);
    if (detached || clearSign) {
        if (!signer.publicKey)
            return kPGPError_BadOption;
        int hash = kDefaultHash;
        if (const Option* hashOption = FindOption(options, OptionKind::HashAlgorithm))
            hash = hashOption->value;
        PlainString clearSigned(clearSign ? ClearSignedText(data) : std::string());
        std::string signature = SignatureBody(*signer.publicKey, signer.secrets, clearSign || text ? 1 : 0,
            hash, now, clearSign ? clearSigned.View() : content);
        if (signature.empty())
            return kPGPError_UnsupportedAlgorithm;
        std::string packet = WritePacket(kTagSignature, signature);
        if (!clearSign) {
            Place(block, frame, packet, armored, "SIGNATURE");
            return kPGPError_NoErr;
        }
        clearSigned.Release();
        canonical.Release();
        PlainString shown(DashEscape(CanonicalText(data)));
        std::string& lines = shown.Text();
        if (lines.size() < 2 || lines.compare(lines.size() - 2, 2, "\r\n") != 0)
            lines += "\r\n";
        std::string head = "-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: " + HashArmorName(hash) + "\r\n\r\n";
        std::string armour = Armor("SIGNATURE", packet);
        output.reserve(head.size() + lines.size() + armour.size());
        output.append(head).append(lines).append(armour);
        return kPGPError_NoErr;
    }
    std::vector<const KeyRecord*> recipients;
    if (const Option* to = FindOption(options, OptionKind::EncryptToKeySet)) {
        auto set = Handles().Get<KeySet>(to->handle, ObjectKind::KeySet);
        if (!set)
            return kPGPError_BadParams;
        for (const KeyRecord* key : set->Keys())
            recipients.push_back(key);
        if (recipients.empty())
            return kPGPError_NoRecipients;
    }
    const Option* conventional = FindOption(options, OptionKind::ConventionalEncrypt);
    const Option* passphrase = conventional ? FindOption(conventional->nested, OptionKind::Passphrase) : nullptr;
    if (conventional && !passphrase)
        return kPGPError_BadOption;

    std::string fileName = OptionFlag(options, OptionKind::ForYourEyesOnly) ? "_CONSOLE" : "";
    int hash = kDefaultHash;
    if (const Option* hashOption = FindOption(options, OptionKind::HashAlgorithm))
        hash = hashOption->value;
    // The packets as pieces: a large literal stays where it lies until it is written out once.
    std::string before = signer.publicKey ? WritePacket(kTagOnePassSignature, OnePassSignatureBody(text ? 1 : 0, hash, *signer.publicKey))
                                          : std::string();
    before += LiteralPacketHeader(content.size(), text, fileName, now);
    std::string after;
    if (signer.publicKey) {
        std::string signature = SignatureBody(*signer.publicKey, signer.secrets, text ? 1 : 0, hash, now, content);
        if (signature.empty())
            return kPGPError_UnsupportedAlgorithm;
        after = WritePacket(kTagSignature, signature);
    }
    std::string_view pieces[] = { before, content, after };
    // The compressed packet: its header, then its body compressed from the pieces where they lie.
    std::string compressedHeader;
    PlainString compressed;
    if (OptionFlag(options, OptionKind::Compression, true)) {
        std::string& body = compressed.Text();
        body.reserve(1 + CompressBound(before.size() + content.size() + after.size()));
        body += static_cast<char>(kCompressZlib);
        if (Compress(kCompressZlib, pieces, body) != kPGPError_NoErr)
            return kPGPError_OutOfMemory;
        canonical.Release();
        AppendPacketHeader(compressedHeader, kTagCompressed, body.size());
        pieces[0] = compressedHeader;
        pieces[1] = body;
        pieces[2] = {};
    }
    size_t packetsSize = 0;
    for (std::string_view piece : pieces)
        packetsSize += piece.size();
    std::vector<std::pair<std::string, std::string>> headers;
    if (const Option* version = FindOption(options, OptionKind::VersionString))
        headers.emplace_back("Version", version->text);
    if (const Option* comment = FindOption(options, OptionKind::CommentString))
        headers.emplace_back("Comment", comment->text);
    PlainString packets; // plaintext where nothing is encrypted
    if (!recipients.empty() || passphrase) {
        int cipher = ChooseCipher(options, recipients);
        if (CipherKeySize(cipher) == 0)
            return kPGPError_UnsupportedAlgorithm;
        std::string sessionKey, head;
        if (recipients.empty()) {
            head = WritePacket(kTagSKESK, SKESKBody(cipher, passphrase->secret.View(), sessionKey));
        } else {
            sessionKey = RandomBytes(CipherKeySize(cipher));
            if (passphrase) {
                std::string body = SKESKBodyFor(cipher, passphrase->secret.View(), sessionKey);
                if (body.empty())
                    return kPGPError_UnsupportedAlgorithm;
                head += WritePacket(kTagSKESK, body);
            }
            for (const KeyRecord* key : recipients) {
                const PublicKey* target = EncryptionKeyOf(*key);
                std::string body = target ? PKESKBody(*target, cipher, sessionKey) : std::string();
                if (body.empty())
                    return kPGPError_KeyUnusable;
                head += WritePacket(kTagPKESK, body);
            }
        }
        // Binary output goes straight into the block an allocated output takes over.
        size_t total = head.size() + SEIPDPacketSize(cipher, packetsSize);
        char* out = nullptr;
        if (armored) {
            packets.Text().resize(total);
            out = packets.Text().data();
        } else {
            out = Reserve(block, frame, total);
        }
        bool encrypted = WriteSEIPDPacket(out + head.size(), cipher, sessionKey, pieces);
        std::fill(sessionKey.begin(), sessionKey.end(), '\0');
        compressed.Release();
        if (!encrypted)
            return kPGPError_UnsupportedAlgorithm;
        std::memcpy(out, head.data(), head.size());
        if (!armored)
            return kPGPError_NoErr;
    } else {
        packets.Text().reserve(packetsSize);
        for (std::string_view piece : pieces)
            packets.Text().append(piece);
        compressed.Release();
        canonical.Release();
    }
    Place(block, frame, packets.View(), armored, "MESSAGE", headers);
    return kPGPError_NoErr;
}

// A boundary of our own that cannot occur in Base64 or armour lines.
std::string NewSeparator()
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string separator = "=_PGPStandIn_";
    for (char c : RandomBytes(8)) {
        separator += kHex[static_cast<uint8_t>(c) >> 4];
        separator += kHex[static_cast<uint8_t>(c) & 15];
    }
    return separator;
}

// PGP/MIME output (RFC 3156): a whole multipart entity, written into `block` around the armoured
// message; the caller learns the boundary and the length of the header block through the
// option's two out locations.
PGPError EncodeMime(const std::vector<Option>& options, const Option& mime, DataBlock& block)
{
    const Option* input = FindOption(options, OptionKind::InputBuffer);
    if (!input)
        return kPGPError_BadOption;
    std::string separator = NewSeparator();
    bool signedOnly = OptionFlag(options, OptionKind::ClearSign);
    std::vector<Option> inner;
    for (const auto& option : options)
        if (option.kind != OptionKind::PGPMIMEEncoding && option.kind != OptionKind::ArmorOutput
            && option.kind != OptionKind::ClearSign)
            inner.push_back(option);
    Option armor;
    armor.kind = OptionKind::ArmorOutput;
    armor.value = 1;
    inner.push_back(armor);
    std::string header = OptionFlag(options, OptionKind::OmitMIMEVersion) ? "" : "Mime-Version: 1.0\r\n";
    PlainString signedPart;
    PlainString before; // holds the signed part
    if (signedOnly) {
        // The signature covers the first part exactly as sent, without the line end before the boundary.
        std::string& part = signedPart.Text();
        part = CanonicalText(std::string_view(static_cast<const char*>(input->pointer), input->size));
        if (part.size() >= 2 && part.compare(part.size() - 2, 2, "\r\n") == 0)
            part.resize(part.size() - 2);
        Option detached;
        detached.kind = OptionKind::DetachedSig;
        inner.push_back(detached);
        for (auto& option : inner)
            if (option.kind == OptionKind::InputBuffer) {
                option.pointer = part.data();
                option.size = static_cast<PGPSize>(part.size());
            }
        std::erase_if(inner, [](const Option& o) { return o.kind == OptionKind::DataIsASCII; });
        int hash = kDefaultHash;
        if (const Option* hashOption = FindOption(options, OptionKind::HashAlgorithm))
            hash = hashOption->value;
        std::string micalg = "pgp-" + HashArmorName(hash);
        std::transform(micalg.begin(), micalg.end(), micalg.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
        header += "Content-Type: multipart/signed; micalg=" + micalg + "; protocol=\"application/pgp-signature\";\r\n"
                  " boundary=\"" + separator + "\"\r\n\r\n";
        std::string& text = before.Text();
        text.reserve(header.size() + part.size() + 2 * separator.size() + 64);
        text.append(header).append("--").append(separator).append("\r\n").append(part).append("\r\n--");
        text.append(separator).append("\r\nContent-Type: application/pgp-signature\r\n\r\n");
    } else {
        header += "Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\";\r\n boundary=\""
            + separator + "\"\r\n\r\n";
        before.Text() = header + "--" + separator
            + "\r\nContent-Type: application/pgp-encrypted\r\n\r\nVersion: 1\r\n\r\n--" + separator
            + "\r\nContent-Type: application/octet-stream\r\n\r\n";
    }
    const std::string after = "\r\n--" + separator + "--\r\n";
    std::string cms; // a message the CMS encoder made: framed like ours
    const Frame frame { before.View(), after };
    PGPError status = EncodeMessage(inner, cms, block, frame);
    if (status != kPGPError_NoErr)
        return status;
    if (!block.Data())
        Place(block, frame, cms, false, {});
    std::memcpy(mime.pointer, separator.c_str(), separator.size() + 1);
    *static_cast<PGPSize*>(mime.pointer2) = static_cast<PGPSize>(header.size());
    return kPGPError_NoErr;
}

PGPError Encode(const std::vector<Option>& options, std::string& output, DataBlock& block)
{
    const Option* mime = FindOption(options, OptionKind::PGPMIMEEncoding);
    return mime && mime->value ? EncodeMime(options, *mime, block) : EncodeMessage(options, output, block);
}

} // namespace
} // namespace standin

using namespace standin;

extern "C" PGPError PGP_CDECL PGPEncode(PGPContextRef context, ...)
{
    va_list args;
    va_start(args, context);
    std::vector<Option> options;
    PGPError status = ConsumeOptionArguments(args, options);
    va_end(args);
    if (status != kPGPError_NoErr || !Handles().Contains(context, ObjectKind::Context))
        return Report(context, options, status != kPGPError_NoErr ? status : kPGPError_BadParams);
    status = Guarded([&] {
        std::string output;
        DataBlock block; // wiped when not handed over
        PGPError result = Encode(options, output, block);
        if (result == kPGPError_NoErr)
            result = block.Data() ? DeliverOutput(options, { block.Data(), block.Size() }, block)
                                  : DeliverOutput(options, output);
        std::fill(output.begin(), output.end(), '\0');
        return result;
    });
    return Report(context, options, status);
}
