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
#include <optional>

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
    PGPError status = UnlockKey(secret, text, signer.secrets);
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

// Where a message goes: a block between the text a PGP/MIME entity puts around it, so the message
// is written once, where the caller takes it.
struct Frame {
    std::string_view before;
    std::string_view after;
};

// The block for at most `capacity` bytes of message in its frame; where the message starts in it.
// Pages of it that are never written cost nothing, so it is sized for the largest message.
char* Reserve(DataBlock& block, const Frame& frame, size_t capacity)
{
    block = DataBlock(frame.before.size() + capacity + frame.after.size());
    if (!block.Data())
        throw std::bad_alloc();
    std::copy(frame.before.begin(), frame.before.end(), block.Data());
    return block.Data() + frame.before.size();
}

// The frame's end after the `size` bytes of message written, and the block cut to what it holds.
void Seal(DataBlock& block, const Frame& frame, size_t size)
{
    std::copy(frame.after.begin(), frame.after.end(), block.Data() + frame.before.size() + size);
    block.Trim(frame.before.size() + size + frame.after.size());
}

// The packets into `block`, armoured on request.
void Place(DataBlock& block, const Frame& frame, std::string_view packets, bool armored,
    std::string_view label, const ArmorHeaders& headers = {})
{
    size_t size = armored ? ArmoredSize(label, packets.size(), headers) : packets.size();
    char* out = Reserve(block, frame, size);
    if (armored)
        WriteArmor(out, label, packets, headers);
    else
        std::copy(packets.begin(), packets.end(), out);
    Seal(block, frame, size);
}

// How a message is wrapped: the session-key packets and the key of its encrypted data (none when
// it is not encrypted), compression, armour.
struct Wrapping {
    std::string sessionKeyPackets;
    PlainString sessionKey;
    int cipher = 0;
    bool compressed = true;
    bool armored = false;
    ArmorHeaders headers;
    bool Encrypted() const { return cipher != 0; }
};

// The inner packets of a message: what precedes the literal's data, the data (text is written in
// its canonical form), and what follows it.
struct Content {
    std::string before;
    std::string_view data;
    bool text = false;
    size_t dataSize = 0;
    std::string after;
    size_t Size() const { return before.size() + dataSize + after.size(); }
    void WriteTo(Sink& sink) const
    {
        sink.Write(before);
        if (text)
            WriteCanonicalText(sink, data);
        else
            sink.Write(data);
        sink.Write(after);
    }
};

// The most the wrapped message takes: the output block is reserved for it.
size_t WrappedBound(const Content& content, const Wrapping& wrapping)
{
    size_t size = content.Size();
    if (wrapping.compressed)
        size = PartialPacketSink::MaxSize(1 + CompressBound(size));
    if (wrapping.Encrypted())
        size = wrapping.sessionKeyPackets.size()
            + PartialPacketSink::MaxSize(SeipdSink::BodySize(wrapping.cipher, size));
    return wrapping.armored ? ArmoredSize("MESSAGE", size, wrapping.headers) : size;
}

// The content through each stage of its wrapping, from the inside out, into `out`. Lengths that
// are only known at the end are written as partial chunks, as peers write them.
PGPError WriteWrapped(const Content& content, const Wrapping& wrapping, Sink& out)
{
    std::optional<ArmorSink> armor;
    if (wrapping.armored)
        armor.emplace(out, "MESSAGE", wrapping.headers);
    Sink& binary = armor ? static_cast<Sink&>(*armor) : out;
    std::optional<PartialPacketSink> encryptedPacket;
    std::optional<SeipdSink> encrypted;
    if (wrapping.Encrypted()) {
        binary.Write(wrapping.sessionKeyPackets);
        encryptedPacket.emplace(binary, kTagSEIPD);
        encrypted.emplace(*encryptedPacket, wrapping.cipher, wrapping.sessionKey.View());
        if (!encrypted->Begin())
            return kPGPError_UnsupportedAlgorithm;
    }
    Sink& packets = encrypted ? static_cast<Sink&>(*encrypted) : binary;
    std::optional<PartialPacketSink> compressedPacket;
    std::optional<DeflateSink> compressed;
    if (wrapping.compressed) {
        compressedPacket.emplace(packets, kTagCompressed);
        const char algorithm = static_cast<char>(kCompressZlib);
        compressedPacket->Write({ &algorithm, 1 });
        compressed.emplace(*compressedPacket, kCompressZlib);
        if (compressed->Status() != kPGPError_NoErr)
            return compressed->Status();
    }
    content.WriteTo(compressed ? static_cast<Sink&>(*compressed) : packets);
    if (compressed) {
        compressed->Close();
        compressedPacket->Close();
    }
    if (encrypted) {
        encrypted->Close();
        encryptedPacket->Close();
    }
    if (armor)
        armor->Close();
    return kPGPError_NoErr;
}

// The session key and the packets that carry it to each recipient and to the passphrase.
PGPError EncryptTo(const std::vector<Option>& options, const std::vector<const KeyRecord*>& recipients,
    const Option* passphrase, Wrapping& wrapping)
{
    int cipher = ChooseCipher(options, recipients);
    if (CipherKeySize(cipher) == 0 || CipherBlockSize(cipher) == 0)
        return kPGPError_UnsupportedAlgorithm;
    std::string& head = wrapping.sessionKeyPackets;
    if (recipients.empty()) {
        std::string body = SKESKBody(cipher, passphrase->secret.View(), wrapping.sessionKey.Text());
        if (body.empty())
            return kPGPError_UnsupportedAlgorithm;
        head = WritePacket(kTagSKESK, body);
    } else {
        wrapping.sessionKey.Text() = RandomBytes(CipherKeySize(cipher));
        if (passphrase) {
            std::string body = SKESKBodyFor(cipher, passphrase->secret.View(), wrapping.sessionKey.View());
            if (body.empty())
                return kPGPError_UnsupportedAlgorithm;
            head += WritePacket(kTagSKESK, body);
        }
        for (const KeyRecord* key : recipients) {
            const PublicKey* target = EncryptionKeyOf(*key);
            std::string body = target ? PKESKBody(*target, cipher, wrapping.sessionKey.View()) : std::string();
            if (body.empty())
                return kPGPError_KeyUnusable;
            head += WritePacket(kTagPKESK, body);
        }
    }
    wrapping.cipher = cipher;
    return kPGPError_NoErr;
}

// The message in `block`, framed; a CMS or clear-signed one in `output`. Every stage streams into
// the block, so only the input and the message stand at once.
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
    uint32_t now = static_cast<uint32_t>(std::time(nullptr));
    bool armored = OptionFlag(options, OptionKind::ArmorOutput);
    // Text is signed in its canonical form, fed to the digest without a copy of it.
    auto addContent = [&](Digest& digest) {
        if (text)
            AddCanonicalText(digest, data);
        else
            digest.Add(data);
    };

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
        std::string signature = clearSign
            ? SignatureBody(*signer.publicKey, signer.secrets, 1, hash, now, clearSigned.View())
            : SignatureBody(*signer.publicKey, signer.secrets, text ? 1 : 0, hash, now, addContent);
        if (signature.empty())
            return kPGPError_UnsupportedAlgorithm;
        std::string packet = WritePacket(kTagSignature, signature);
        if (!clearSign) {
            Place(block, frame, packet, armored, "SIGNATURE");
            return kPGPError_NoErr;
        }
        clearSigned.Release();
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
    Content content;
    content.data = data;
    content.text = text;
    content.dataSize = text ? CanonicalTextSize(data) : data.size();
    if (signer.publicKey) {
        content.before = WritePacket(kTagOnePassSignature, OnePassSignatureBody(text ? 1 : 0, hash, *signer.publicKey));
        std::string signature = SignatureBody(*signer.publicKey, signer.secrets, text ? 1 : 0, hash, now, addContent);
        if (signature.empty())
            return kPGPError_UnsupportedAlgorithm;
        content.after = WritePacket(kTagSignature, signature);
    }
    content.before += LiteralPacketHeader(content.dataSize, text, fileName, now);

    Wrapping wrapping;
    wrapping.compressed = OptionFlag(options, OptionKind::Compression, true);
    wrapping.armored = armored;
    if (const Option* version = FindOption(options, OptionKind::VersionString))
        wrapping.headers.emplace_back("Version", version->text);
    if (const Option* comment = FindOption(options, OptionKind::CommentString))
        wrapping.headers.emplace_back("Comment", comment->text);
    if (!recipients.empty() || passphrase) {
        PGPError status = EncryptTo(options, recipients, passphrase, wrapping);
        if (status != kPGPError_NoErr)
            return status;
    }
    size_t capacity = WrappedBound(content, wrapping);
    BlockSink out(Reserve(block, frame, capacity), capacity);
    PGPError status = WriteWrapped(content, wrapping, out);
    if (status != kPGPError_NoErr)
        return status;
    Seal(block, frame, out.Written());
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
