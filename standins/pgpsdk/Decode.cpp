// PGPDecode of the stand-in SDK: the input is split into sections (each armoured block, a binary
// message, each run of other text); each section goes through the events begin, analyse,
// recipients, passphrase, key found, output, signature and end. Encrypted data must carry an
// integrity check that holds; otherwise nothing of it is output.
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
#include "standins/pgpsdk/openpgp/Grammar.h"
#include "standins/pgpsdk/openpgp/Message.h"
#include "standins/pgpsdk/openpgp/Packets.h"
#include "standins/pgpsdk/openpgp/S2K.h"
#include "standins/pgpsdk/openpgp/Verify.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace standin {
namespace {

using namespace openpgp;

constexpr int kMaxPassphraseAsks = 5;
constexpr int kMaxNesting = 8; // compressed or encrypted data inside each other
constexpr size_t kMaxOutput = size_t { 256 } << 20;

// A section's bytes are views into the input, or into `decoded` for an armoured block: a block of
// its own, where its packets may be joined and decrypted in place.
struct Section {
    std::string_view data; // binary packets, or the text itself for unknown sections
    std::string_view text; // the section as it appeared in the input
    std::shared_ptr<DataBlock> decoded;
    int analysis = kPGPAnalyze_Unknown;
    bool clearSigned = false;
    bool mimeSigned = false; // a PGP/MIME signed entity: clearText is its first part
    std::string clearText; // the signed text of a clear-signed section, unescaped
    // An encrypted message read from its armour as it is decrypted, never decoded whole, and the
    // size of its encrypted packet's body.
    std::optional<ArmorFrame> encrypted;
    size_t encryptedSize = 0;
};

struct SignatureResult {
    Signature signature;
    const KeyRecord* signer = nullptr;
    const PublicKey* signingKey = nullptr;
    bool verified = false;
};

struct EncryptedKey {
    int tag = 0;
    std::string_view body;
};

class Decoder {
public:
    Decoder(PGPContextRef context, std::vector<Option> options) : context_(context), options_(std::move(options))
    {
        job_ = std::make_shared<Job>();
        jobHandle_ = Handles().Add(ObjectKind::Job, job_);
    }
    ~Decoder()
    {
        DropPlaintexts();
        Handles().Take(jobHandle_, ObjectKind::Job);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    PGPError Run();

private:
    PGPError Event(PGPEvent& event)
    {
        const Option* handler = FindOption(options_, OptionKind::EventHandler);
        if (!handler)
            return kPGPError_NoErr;
        event.job = jobHandle_;
        PGPError status = handler->handler(context_, &event, handler->pointer);
        for (auto& option : job_->added)
            options_.push_back(std::move(option));
        job_->added.clear();
        return status;
    }
    PGPError Simple(int type)
    {
        PGPEvent event {};
        event.type = type;
        return Event(event);
    }
    std::shared_ptr<KeyDBState> Keys()
    {
        const Option* db = FindOption(options_, OptionKind::KeyDBRef);
        auto object = db ? Handles().Get<KeyDB>(db->handle, ObjectKind::KeyDB) : nullptr;
        return object ? object->state : nullptr;
    }

    PGPError DecodeInput(std::string_view input, int depth);
    PGPError DecodeSection(Section& section, int depth);
    // What a packet run must be: a whole message, or the signatures of a detached or clear-text
    // signature.
    enum class Form { Message, Signatures };
    PGPError Process(std::string_view packets, Form form, int depth);
    PGPError Decrypt(std::string_view seipd, bool integrityProtected, int depth);
    PGPError DecryptArmoured(const ArmorFrame& frame, size_t encryptedSize, int depth);
    PGPError InflateArmoured(const ArmorFrame& frame, int cipher, std::string_view sessionKey, size_t inflatedSize,
                             int depth);
    PGPError Inflate(std::string_view compressed, int depth);
    // Where `data` lies in a block of the section's own, that block's bytes, which may be rewritten.
    char* Writable(std::string_view data)
    {
        for (auto& block : decrypted_)
            if (block.Holds(data))
                return block.Data() + (data.data() - block.Data());
        return nullptr;
    }
    PGPError SessionKey(std::string_view encrypted, std::string& sessionKey, int& cipher);
    PGPError TryKeys(const std::shared_ptr<KeyDBState>& db, std::string_view seipd, std::string& sessionKey,
                     int& cipher);
    PGPError AskPassphrase(bool conventional, std::string& passphrase);
    PGPError FinishSection();
    PGPError Deliver();
    // A body joined from partial chunks lives as long as the section and is wiped with it.
    void KeepPlaintext(const Packet& packet)
    {
        if (packet.joined)
            plainStrings_.push_back(packet.joined);
    }
    void DropPlaintexts();

    PGPContextRef context_;
    std::vector<Option> options_;
    uint32_t nextSection_ = 0;
    std::shared_ptr<Job> job_;
    PGPJobRef jobHandle_ = 0;

    std::vector<EncryptedKey> encryptedKeys_;
    std::vector<std::pair<int, std::string>> keyPackets_; // what encryptedKeys_ views when read from a stream
    // The section's decoded armour, decrypted and decompressed data: the output and the literal are
    // views into them, or into the input, so nothing is copied before delivery.
    std::vector<DataBlock> decrypted_;
    std::vector<std::shared_ptr<std::string>> plainStrings_; // bodies joined from partial chunks
    std::string_view output_;
    bool produced_ = false;
    bool forYourEyesOnly_ = false;
    std::string_view literalData_;
    bool clearSigned_ = false;
    std::string signedText_; // what a clear-text signature covers
    std::vector<SignatureResult> signatures_;
};

Section MakeSection(std::string_view data, std::string_view text, int analysis)
{
    Section section;
    section.data = data;
    section.text = text;
    section.analysis = analysis;
    return section;
}

enum class ArmourShape { EncryptedMessage, Other, Broken };

// Whether an armoured block holds session-key packets and one integrity-protected encrypted packet
// (markers and padding aside), read without keeping any of it, and the size of that packet's body;
// Broken where the armour does not hold. Anything else is left to the reading of the whole block.
ArmourShape SurveyArmour(const ArmorFrame& frame, size_t& encryptedSize)
{
    ArmorSource armor(frame);
    int encrypted = 0;
    PacketHeader header;
    HeaderRead read;
    while ((read = ReadPacketHeader(armor, header)) == HeaderRead::Packet) {
        PacketBodySource body(armor, header);
        const size_t size = Drain(body);
        if (header.tag == kTagSEIPD)
            encryptedSize = size;
        bool fits = !body.Broken()
            && (header.tag == kTagMarker || (header.tag == kTagPadding && encrypted == 1)
                || ((header.tag == kTagPKESK || header.tag == kTagSKESK) && encrypted == 0)
                || (header.tag == kTagSEIPD && encrypted++ == 0));
        if (!fits)
            return ArmourShape::Other;
    }
    if (read == HeaderRead::Malformed || encrypted != 1)
        return ArmourShape::Other;
    return armor.Intact() ? ArmourShape::EncryptedMessage : ArmourShape::Broken;
}

// The first armoured block of `text`, decoded once into a block of the section's own, or, where
// `mayStream` and it is an encrypted message, left in the armour to be read as it is decrypted;
// `end` is the offset after it. Errors as Dearmor's.
PGPError ArmouredSection(std::string_view text, int analysis, Section& section, std::string& label, size_t& end,
    bool mayStream = false)
{
    ArmorFrame frame;
    PGPError status = FindArmor(text, frame);
    if (status != kPGPError_NoErr)
        return status;
    size_t encryptedSize = 0;
    ArmourShape shape
        = mayStream && frame.label == "MESSAGE" ? SurveyArmour(frame, encryptedSize) : ArmourShape::Other;
    if (shape == ArmourShape::Broken)
        return kPGPError_CorruptData;
    if (shape == ArmourShape::EncryptedMessage) {
        section = MakeSection({}, text.substr(0, frame.end), analysis);
        end = frame.end;
        label = frame.label;
        section.encrypted = std::move(frame);
        section.encryptedSize = encryptedSize;
        return kPGPError_NoErr;
    }
    auto decoded = std::make_shared<DataBlock>(frame.MaxDecodedSize());
    if (!decoded->Data())
        throw std::bad_alloc();
    size_t size = 0;
    if (!DecodeArmorBody(frame, decoded->Data(), size))
        return kPGPError_CorruptData;
    section = MakeSection({ decoded->Data(), size }, text.substr(0, frame.end), analysis);
    section.decoded = std::move(decoded);
    label = std::move(frame.label);
    end = frame.end;
    return kPGPError_NoErr;
}

// A clear-signed message: the header lines, the dash-escaped text, then the signature block.
bool SplitClearSigned(std::string_view text, Section& section, size_t& end)
{
    size_t body = text.find("\n\n");
    size_t bodyCrLf = text.find("\r\n\r\n");
    if (bodyCrLf != std::string_view::npos && (body == std::string_view::npos || bodyCrLf < body))
        body = bodyCrLf + 4;
    else if (body != std::string_view::npos)
        body += 2;
    else
        return false;
    size_t marker = text.find("\n-----BEGIN PGP SIGNATURE-----", body - 1);
    if (marker == std::string_view::npos)
        return false;
    std::string label;
    size_t blockEnd = 0;
    if (ArmouredSection(text.substr(marker + 1), kPGPAnalyze_Signed, section, label, blockEnd)
        != kPGPError_NoErr)
        return false;
    std::string_view shown = text.substr(body, marker + 1 - body);
    section.text = text.substr(0, marker + 1 + blockEnd);
    section.clearText = DashUnescape(shown);
    section.clearSigned = true;
    end = marker + 1 + blockEnd;
    return true;
}

std::string Lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A PGP/MIME signed entity: a multipart/signed header (protocol application/pgp-signature), then
// the signed first part and the armoured signature in the second, between boundary lines.
bool SplitPgpMimeSigned(std::string_view input, Section& section)
{
    // Looked at first, so a binary message is not searched whole for a header end.
    constexpr std::string_view kSignedType = "content-type: multipart/signed";
    if (Lowered(input.substr(0, kSignedType.size())) != kSignedType)
        return false;
    size_t headerEnd = input.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos)
        return false;
    std::string header = Lowered(input.substr(0, headerEnd));
    if (header.rfind("content-type: multipart/signed", 0) != 0 || header.find("application/pgp-signature") == std::string::npos)
        return false;
    size_t boundaryAt = header.find("boundary=");
    if (boundaryAt == std::string::npos)
        return false;
    // The boundary keeps its case: take it from the input at the same place.
    std::string_view rest = input.substr(boundaryAt + 9, headerEnd - boundaryAt - 9);
    bool quoted = !rest.empty() && rest[0] == '"';
    size_t stop = quoted ? rest.find('"', 1) : rest.find_first_of("; \r\n");
    std::string boundary(rest.substr(quoted ? 1 : 0, stop == std::string_view::npos ? rest.size() - (quoted ? 1 : 0)
                                                                                      : stop - (quoted ? 1 : 0)));
    if (boundary.empty())
        return false;
    std::string delimiter = "--" + boundary + "\r\n";
    size_t first = input.find(delimiter, headerEnd);
    if (first == std::string_view::npos)
        return false;
    size_t contentStart = first + delimiter.size();
    size_t second = input.find("\r\n" + delimiter, contentStart);
    if (second == std::string_view::npos)
        return false;
    std::string label;
    size_t end = 0;
    if (ArmouredSection(input.substr(second), kPGPAnalyze_Signed, section, label, end) != kPGPError_NoErr)
        return false;
    section.text = input;
    section.clearText.assign(input.substr(contentStart, second - contentStart));
    section.mimeSigned = true;
    return true;
}

std::vector<Section> SplitSections(std::string_view input)
{
    std::vector<Section> sections;
    Section mime;
    if (SplitPgpMimeSigned(input, mime)) {
        sections.push_back(std::move(mime));
        return sections;
    }
    if (!input.empty() && (static_cast<uint8_t>(input[0]) & 0x80)) {
        sections.push_back(MakeSection(input, input, kPGPAnalyze_Encrypted));
        return sections;
    }
    size_t at = 0;
    while (at < input.size()) {
        size_t begin = input.find("-----BEGIN PGP ", at);
        while (begin != std::string_view::npos && begin > 0 && input[begin - 1] != '\n')
            begin = input.find("-----BEGIN PGP ", begin + 1);
        std::string_view before = input.substr(at, begin == std::string_view::npos ? std::string_view::npos : begin - at);
        if (before.find_first_not_of(" \t\r\n") != std::string_view::npos)
            sections.push_back(MakeSection(before, before, kPGPAnalyze_Unknown));
        if (begin == std::string_view::npos)
            break;
        Section block;
        std::string label;
        size_t end = 0;
        std::string_view rest = input.substr(begin);
        if (rest.substr(0, 34) == "-----BEGIN PGP SIGNED MESSAGE-----") {
            Section clear;
            if (SplitClearSigned(rest, clear, end)) {
                sections.push_back(std::move(clear));
                at = begin + end;
                continue;
            }
        }
        if (rest.substr(0, 34) == "-----BEGIN PGP SIGNED MESSAGE-----"
            || ArmouredSection(rest, kPGPAnalyze_Encrypted, block, label, end, true) != kPGPError_NoErr) {
            // A broken block stays text.
            size_t lineEnd = rest.find('\n');
            size_t stop = lineEnd == std::string_view::npos ? rest.size() : lineEnd + 1;
            sections.push_back(MakeSection(rest.substr(0, stop), rest.substr(0, stop), kPGPAnalyze_Unknown));
            at = begin + stop;
            continue;
        }
        block.analysis = label == "PUBLIC KEY BLOCK" || label == "PRIVATE KEY BLOCK" ? kPGPAnalyze_Key
            : label == "SIGNATURE" ? kPGPAnalyze_DetachedSignature
                                   : kPGPAnalyze_Encrypted;
        sections.push_back(std::move(block));
        at = begin + end;
    }
    return sections;
}

// What a message holds, from its first packet: encrypted, signed (or plain literal) data, keys.
int AnalyseMessage(std::string_view data)
{
    Packet first;
    if (ParseFirstPacket(data, first) != kPGPError_NoErr)
        return kPGPAnalyze_Unknown;
    switch (first.tag) {
    case kTagPKESK:
    case kTagSKESK:
    case kTagSEIPD:
    case kTagSymmetricallyEncrypted:
        return kPGPAnalyze_Encrypted;
    case kTagPublicKey:
    case kTagSecretKey:
        return kPGPAnalyze_Key;
    case kTagSignature: {
        std::vector<Packet> packets;
        ParsePackets(data, packets);
        return IsSignatureBlock(packets) ? kPGPAnalyze_DetachedSignature : kPGPAnalyze_Signed;
    }
    default:
        return kPGPAnalyze_Signed;
    }
}

PGPError Decoder::Run()
{
    const Option* input = FindOption(options_, OptionKind::InputBuffer);
    if (!input)
        return kPGPError_BadOption;
    if (FindOption(options_, OptionKind::InputFormat)) {
        if (!CmsMessageDecoder())
            return kPGPError_NotImplemented;
        CmsDecodeJob job { context_, options_, [this](PGPEvent& event) { return Event(event); } };
        return CmsMessageDecoder()(job, std::string_view(static_cast<const char*>(input->pointer), input->size));
    }
    return DecodeInput(std::string_view(static_cast<const char*>(input->pointer), input->size), 0);
}

PGPError Decoder::DecodeInput(std::string_view input, int depth)
{
    auto sections = SplitSections(input);
    for (auto& section : sections) {
        PGPError status = DecodeSection(section, depth);
        if (status != kPGPError_NoErr)
            return status;
    }
    return kPGPError_NoErr;
}

// Whether decoded text holds an armoured OpenPGP block at a line start. Binary content is data,
// whatever its first byte: taken for packets, a file starting with 0xFD would be refused.
bool HoldsArmouredOpenPGP(std::string_view text)
{
    if (!text.empty() && (static_cast<uint8_t>(text[0]) & 0x80))
        return false; // a section split would take it for packets
    for (size_t begin = text.find("-----BEGIN PGP "); begin != std::string_view::npos;
         begin = text.find("-----BEGIN PGP ", begin + 1))
        if (begin == 0 || text[begin - 1] == '\n')
            return true;
    return false;
}

PGPError Decoder::DecodeSection(Section& section, int depth)
{
    uint32_t index = nextSection_++;
    encryptedKeys_.clear();
    keyPackets_.clear();
    DropPlaintexts();
    output_ = {};
    literalData_ = {};
    signedText_.clear();
    clearSigned_ = false;
    signatures_.clear();
    produced_ = forYourEyesOnly_ = false;
    // The decoded armour becomes the section's own block: decrypted in place, it holds plaintext,
    // wiped with the section's others.
    if (section.decoded)
        decrypted_.push_back(std::move(*section.decoded));
    PGPEvent begin {};
    begin.type = kPGPEvent_BeginLex;
    begin.data.beginLexData.sectionNumber = index;
    PGPError status = Event(begin);
    if (status != kPGPError_NoErr)
        return status;
    if (section.analysis == kPGPAnalyze_Encrypted && !section.encrypted)
        section.analysis = AnalyseMessage(section.data);
    PGPEvent analyse {};
    analyse.type = kPGPEvent_Analyze;
    analyse.data.analyzeData.analyzeType = section.analysis;
    status = Event(analyse);
    if (status == kPGPError_SkipSection)
        return Simple(kPGPEvent_EndLex);
    if (status != kPGPError_NoErr)
        return status;
    switch (section.analysis) {
    case kPGPAnalyze_Unknown:
        if (OptionFlag(options_, OptionKind::PassThroughIfUnrecognized)) {
            output_ = section.text;
            produced_ = true;
        }
        break;
    case kPGPAnalyze_Key: {
        if (OptionFlag(options_, OptionKind::SendEventIfKeyFound)) {
            std::vector<std::shared_ptr<KeyRecord>> keys;
            if (ReadKeyRecords(section.data, keys) == kPGPError_NoErr) {
                PGPKeyDBRef db = 0;
                if (PGPNewKeyDB(context_, &db) == kPGPError_NoErr) {
                    Handles().Get<KeyDB>(db, ObjectKind::KeyDB)->state->keys = keys;
                    PGPEvent found {};
                    found.type = kPGPEvent_KeyFound;
                    found.data.keyFoundData.keyDB = db;
                    status = Event(found);
                    PGPFreeKeyDB(db);
                    if (status != kPGPError_NoErr)
                        return status;
                }
            }
        }
        if (OptionFlag(options_, OptionKind::PassThroughKeys)) {
            output_ = section.text;
            produced_ = true;
        }
        break;
    }
    case kPGPAnalyze_DetachedSignature:
        // A signature without its text is checked only against the detached-input option's data.
        if (const Option* detached = FindOption(options_, OptionKind::DetachedSig))
            if (const Option* content = FindOption(detached->nested, OptionKind::InputBuffer)) {
                literalData_ = std::string_view(static_cast<const char*>(content->pointer), content->size);
                status = Process(section.data, Form::Signatures, 0);
                if (status != kPGPError_NoErr)
                    return status;
            }
        break;
    default:
        if (section.mimeSigned) {
            literalData_ = section.clearText; // signed exactly as sent, line ends included
            output_ = section.clearText;
            produced_ = true;
            status = Process(section.data, Form::Signatures, 0);
            if (status != kPGPError_NoErr)
                return status;
            break;
        }
        if (section.clearSigned) {
            signedText_ = ClearSignedText(section.clearText);
            clearSigned_ = true;
            output_ = section.clearText;
            produced_ = true;
        }
        status = section.encrypted
            ? DecryptArmoured(*section.encrypted, section.encryptedSize, 0)
            : Process(section.data, section.clearSigned ? Form::Signatures : Form::Message, 0);
        if (status != kPGPError_NoErr)
            return status;
    }
    // With recursive decoding, decoded data that is OpenPGP again becomes further sections.
    std::string nested;
    if (OptionFlag(options_, OptionKind::RecursivelyDecode) && depth < kMaxNesting && !literalData_.empty()
        && HoldsArmouredOpenPGP(literalData_)) {
        nested.assign(output_); // the section's plaintexts go with FinishSection
        output_ = {};
        produced_ = false;
    }
    status = FinishSection();
    if (status == kPGPError_NoErr)
        status = Simple(kPGPEvent_EndLex);
    if (status == kPGPError_NoErr && !nested.empty())
        status = DecodeInput(nested, depth + 1);
    std::fill(nested.begin(), nested.end(), '\0');
    return status;
}

PGPError Decoder::Process(std::string_view data, Form form, int depth)
{
    if (depth > kMaxNesting)
        return kPGPError_CorruptData;
    std::vector<Packet> packets;
    // A body in partial chunks of the caller's input is joined into a block of the section's own,
    // where it is decrypted in place and may go to the caller as the output.
    auto joinInOwnBlock = [this](size_t size) {
        DataBlock& joined = decrypted_.emplace_back(size);
        if (!joined.Data())
            throw std::bad_alloc();
        return joined.Data();
    };
    if (ParsePacketsInPlace(data, Writable(data), packets, joinInOwnBlock) != kPGPError_NoErr)
        return kPGPError_CorruptData;
    if (!(form == Form::Message ? IsOpenPGPMessage(packets) : IsSignatureBlock(packets)))
        return kPGPError_CorruptData;
    for (const auto& packet : packets) {
        switch (packet.tag) {
        case kTagPKESK:
        case kTagSKESK:
            encryptedKeys_.push_back({ packet.tag, packet.body });
            break;
        case kTagSEIPD:
        case kTagSymmetricallyEncrypted: {
            PGPError status = Decrypt(packet.body, packet.tag == kTagSEIPD, depth);
            if (status != kPGPError_NoErr)
                return status;
            break;
        }
        case kTagCompressed: {
            KeepPlaintext(packet);
            PGPError status = Inflate(packet.body, depth);
            if (status != kPGPError_NoErr)
                return status;
            break;
        }
        case kTagLiteral: {
            ByteReader in(packet.body);
            uint8_t format, nameLength;
            std::string_view name;
            uint32_t date;
            if (!in.U8(format) || !in.U8(nameLength) || !in.Bytes(nameLength, name) || !in.U32(date))
                return kPGPError_CorruptData;
            // The grammar allows one literal per section: the output is that literal.
            KeepPlaintext(packet);
            literalData_ = output_ = in.Rest();
            produced_ = true;
            forYourEyesOnly_ = name == "_CONSOLE";
            break;
        }
        case kTagSignature: {
            SignatureResult result;
            if (ParseSignature(packet.body, result.signature) != kPGPError_NoErr)
                break;
            const Signature& sig = result.signature;
            if (auto db = Keys())
                for (const auto& key : db->keys) {
                    if (key->key.KeyID() == sig.issuer)
                        result.signingKey = &key->key;
                    for (const auto& sub : key->subKeys)
                        if (sub.key.KeyID() == sig.issuer)
                            result.signingKey = &sub.key;
                    if (result.signingKey) {
                        result.signer = key.get();
                        break;
                    }
                }
            if (result.signingKey && result.signingKey->CanSign()) {
                // A text signature covers the literal's canonical form, hashed without a copy of it.
                Digest digest(sig.hashAlgorithm);
                if (clearSigned_)
                    digest.Add(signedText_);
                else if (sig.type == 1)
                    AddCanonicalText(digest, literalData_);
                else
                    digest.Add(literalData_);
                std::string trailer = sig.version == 4
                    ? std::string { 4, static_cast<char>(0xFF) }
                        + std::string { static_cast<char>(sig.hashedData.size() >> 24),
                                        static_cast<char>(sig.hashedData.size() >> 16 & 0xFF),
                                        static_cast<char>(sig.hashedData.size() >> 8 & 0xFF),
                                        static_cast<char>(sig.hashedData.size() & 0xFF) }
                    : std::string();
                digest.Add(sig.hashedData);
                digest.Add(trailer);
                result.verified = VerifyDigest(*result.signingKey, sig, digest.Finish());
            }
            signatures_.push_back(result);
            break;
        }
        default:
            break; // one-pass headers, markers, unknown packets
        }
    }
    return kPGPError_NoErr;
}

PGPError Decoder::Decrypt(std::string_view body, bool integrityProtected, int depth)
{
    if (!integrityProtected)
        return kPGPError_IntegrityCheckFailed; // data without an integrity check is never shown
    if (body.empty() || body[0] != 1)
        return kPGPError_CorruptData;
    PlainString sessionKey;
    int cipher = 0;
    PGPError status = SessionKey(body, sessionKey.Text(), cipher);
    if (status != kPGPError_NoErr)
        return status;
    // Decrypted in place where the data lies in a block of the section's own (decoded armour,
    // decompressed data), else from the input into a new block; either may go to the caller as the
    // output.
    std::string_view encrypted = body.substr(1);
    size_t block = CipherBlockSize(cipher);
    char* plain = Writable(encrypted);
    if (!plain) {
        DataBlock& fresh = decrypted_.emplace_back(encrypted.size());
        if (!fresh.Data() && !encrypted.empty())
            return kPGPError_OutOfMemory;
        plain = fresh.Data();
    }
    bool ok = CfbDecrypt(cipher, sessionKey.View(), std::string(block, '\0'), encrypted, plain);
    sessionKey.Release();
    if (!ok || encrypted.size() < block + 2 + 22)
        return kPGPError_CorruptData;
    std::string_view all(plain, encrypted.size());
    bool prefixGood = all.substr(block - 2, 2) == all.substr(block, 2);
    std::string_view mdc = all.substr(all.size() - 22);
    bool mdcGood = mdc.substr(0, 2) == "\xD3\x14" && Hash(2, all.substr(0, all.size() - 20)) == mdc.substr(2);
    if (!prefixGood || !mdcGood)
        return kPGPError_IntegrityCheckFailed;
    return Process(all.substr(block + 2, all.size() - block - 2 - 22), Form::Message, depth + 1);
}

// The plaintext of an armoured message's encrypted packet, read from the armour as it is decoded
// and decrypted.
class ArmouredPlaintext {
public:
    // The survey of the block checked its armour: no checksum again.
    explicit ArmouredPlaintext(const ArmorFrame& frame) : armor_(frame, false) { }
    // Past the session-key packets, the version and the prefix; false where the data is too short.
    bool Open(int cipher, std::string_view sessionKey)
    {
        PacketHeader header;
        while (ReadPacketHeader(armor_, header) == HeaderRead::Packet) {
            if (header.tag == kTagSEIPD) {
                body_.emplace(armor_, header);
                char version;
                if (body_->Read(&version, 1) != 1)
                    return false;
                plain_.emplace(*body_, cipher, sessionKey);
                return plain_->Begin();
            }
            PacketBodySource skipped(armor_, header);
            Drain(skipped);
        }
        return false;
    }
    Source& Plaintext() { return *plain_; }
    // Once the plaintext was read: whether it and the armour are whole.
    PGPError Finish()
    {
        SeipdSource::Check check = plain_->Finish();
        if (check != SeipdSource::Check::Intact)
            return check == SeipdSource::Check::TooShort ? kPGPError_CorruptData : kPGPError_IntegrityCheckFailed;
        Drain(armor_);
        return armor_.Intact() ? kPGPError_NoErr : kPGPError_CorruptData;
    }

private:
    ArmorSource armor_;
    std::optional<PacketBodySource> body_;
    std::optional<SeipdSource> plain_;
};

// Whether the plaintext of an armoured message is one compressed packet and then the size it
// inflates to, its integrity checked on the way: the whole message is read for that. Other
// plaintext is left unread.
PGPError SurveyCompressed(const ArmorFrame& frame, int cipher, std::string_view sessionKey, bool& compressedOnly,
                          size_t& inflatedSize)
{
    compressedOnly = false;
    ArmouredPlaintext plain(frame);
    if (!plain.Open(cipher, sessionKey))
        return kPGPError_CorruptData;
    PacketHeader header;
    if (ReadPacketHeader(plain.Plaintext(), header) != HeaderRead::Packet || header.tag != kTagCompressed)
        return kPGPError_NoErr;
    PacketBodySource body(plain.Plaintext(), header);
    char algorithm = 0;
    PGPError inflated = body.Read(&algorithm, 1) == 1
        ? DecompressedSize(static_cast<uint8_t>(algorithm), body, kMaxOutput, inflatedSize)
        : kPGPError_CorruptData;
    Drain(body);
    const bool alone = !body.Broken() && Drain(plain.Plaintext()) == 0;
    PGPError status = plain.Finish();
    if (status != kPGPError_NoErr || !alone)
        return status;
    compressedOnly = true;
    return inflated == kPGPError_NoErr ? kPGPError_NoErr : kPGPError_CorruptData;
}

// An armoured encrypted message read from its armour as it is decrypted, instead of decoded whole
// first. Its plaintext's size follows from the encrypted packet's, so it is read once into a block of
// that size and looked at only once its integrity holds. One compressed packet, whose inflated size
// only reading it all tells, is read twice instead: to learn that size (and check its integrity),
// then to inflate it into a block of exactly that size, with no block for the compressed data.
PGPError Decoder::DecryptArmoured(const ArmorFrame& frame, size_t encryptedSize, int depth)
{
    // The session-key packets, and the encrypted data's first bytes that tell whether a key fits.
    ArmorSource armor(frame, false);
    std::string start;
    PacketHeader header;
    while (ReadPacketHeader(armor, header) == HeaderRead::Packet) {
        PacketBodySource body(armor, header);
        if (header.tag == kTagSEIPD) {
            start.resize(1 + 16 + 2); // the version, the largest block and its two repeated bytes
            start.resize(body.Read(start.data(), start.size()));
            break;
        }
        if (header.tag == kTagPKESK || header.tag == kTagSKESK) {
            std::string& packet = keyPackets_.emplace_back(header.tag, std::string()).second;
            char chunk[4096];
            for (size_t got; (got = body.Read(chunk, sizeof chunk)) > 0;)
                packet.append(chunk, got);
        } else {
            Drain(body);
        }
    }
    for (const auto& [tag, body] : keyPackets_)
        encryptedKeys_.push_back({ tag, body });
    if (start.empty() || start[0] != 1)
        return kPGPError_CorruptData;
    PlainString key;
    int cipher = 0;
    PGPError status = SessionKey(start, key.Text(), cipher);
    if (status != kPGPError_NoErr)
        return status;
    const std::string_view sessionKey = key.View();
    if (depth + 1 > kMaxNesting)
        return kPGPError_CorruptData;

    bool compressedOnly = false;
    size_t inflatedSize = 0;
    status = SurveyCompressed(frame, cipher, sessionKey, compressedOnly, inflatedSize);
    if (status != kPGPError_NoErr)
        return status;
    if (compressedOnly)
        return InflateArmoured(frame, cipher, sessionKey, inflatedSize, depth);
    // The encrypted packet's body less its version, the prefix and the closing integrity packet.
    const size_t overhead = 1 + CipherBlockSize(cipher) + 2 + 22;
    if (encryptedSize < overhead)
        return kPGPError_CorruptData;
    const size_t size = encryptedSize - overhead;
    ArmouredPlaintext plain(frame);
    if (!plain.Open(cipher, sessionKey))
        return kPGPError_CorruptData;
    DataBlock& packets = decrypted_.emplace_back(size);
    if (!packets.Data() && size != 0)
        return kPGPError_OutOfMemory;
    const size_t got = plain.Plaintext().Read(packets.Data(), size);
    char beyond = 0;
    const bool longer = plain.Plaintext().Read(&beyond, 1) != 0;
    status = plain.Finish();
    if (status != kPGPError_NoErr)
        return status; // nothing of data that does not hold is looked at, the block is wiped
    return got == size && !longer ? Process({ packets.Data(), size }, Form::Message, depth + 1)
                                  : kPGPError_CorruptData;
}

PGPError Decoder::InflateArmoured(const ArmorFrame& frame, int cipher, std::string_view sessionKey,
                                  size_t inflatedSize, int depth)
{
    ArmouredPlaintext plain(frame);
    if (!plain.Open(cipher, sessionKey))
        return kPGPError_CorruptData;
    PacketHeader header;
    if (ReadPacketHeader(plain.Plaintext(), header) != HeaderRead::Packet)
        return kPGPError_CorruptData;
    PacketBodySource body(plain.Plaintext(), header);
    char algorithm = 0;
    body.Read(&algorithm, 1);
    DataBlock& out = decrypted_.emplace_back(inflatedSize);
    if (!out.Data() && inflatedSize != 0)
        return kPGPError_OutOfMemory;
    if (DecompressInto(static_cast<uint8_t>(algorithm), body, out.Data(), inflatedSize) != kPGPError_NoErr)
        return kPGPError_CorruptData;
    Drain(body);
    PGPError status = plain.Finish();
    if (status != kPGPError_NoErr)
        return status;
    return depth + 2 > kMaxNesting ? kPGPError_CorruptData
                                   : Process({ out.Data(), inflatedSize }, Form::Message, depth + 2);
}

// Compressed data into a block of exactly its inflated size: two passes of inflate cost less than
// the copies and the spare room of a growing buffer.
PGPError Decoder::Inflate(std::string_view compressed, int depth)
{
    if (compressed.empty())
        return kPGPError_CorruptData;
    int algorithm = static_cast<uint8_t>(compressed[0]);
    size_t size = 0;
    if (DecompressedSize(algorithm, compressed.substr(1), kMaxOutput, size) != kPGPError_NoErr)
        return kPGPError_CorruptData;
    DataBlock& inflated = decrypted_.emplace_back(size);
    if (!inflated.Data() && size != 0)
        return kPGPError_OutOfMemory;
    if (DecompressInto(algorithm, compressed.substr(1), inflated.Data(), size) != kPGPError_NoErr)
        return kPGPError_CorruptData;
    return Process({ inflated.Data(), size }, Form::Message, depth + 1);
}

PGPError Decoder::SessionKey(std::string_view encrypted, std::string& sessionKey, int& cipher)
{
    auto db = Keys();
    // The recipients event: the keys of the database that the message names, and the named ids.
    std::vector<PGPKeyID> ids;
    std::vector<KeyRecord*> known;
    for (const auto& encrypted : encryptedKeys_) {
        if (encrypted.tag != kTagPKESK || encrypted.body.size() < 10)
            continue;
        std::string id(encrypted.body.substr(1, 8));
        ids.push_back(MakeKeyID(id, static_cast<uint8_t>(encrypted.body[9])));
        if (db)
            for (const auto& key : db->keys) {
                bool match = key->key.KeyID() == id;
                for (const auto& sub : key->subKeys)
                    match = match || sub.key.KeyID() == id;
                if (match && std::find(known.begin(), known.end(), key.get()) == known.end())
                    known.push_back(key.get());
            }
    }
    PGPKeySetRef recipients = NewMembersKeySet(db, known);
    PGPEvent event = RecipientsEvent(recipients, ids);
    PGPError status = Event(event);
    if (status == kPGPError_NoErr)
        status = TryKeys(db, encrypted, sessionKey, cipher);
    if (recipients)
        PGPFreeKeySet(recipients);
    return status;
}

PGPError Decoder::AskPassphrase(bool conventional, std::string& passphrase)
{
    PGPEvent event {};
    event.type = kPGPEvent_Passphrase;
    event.data.passphraseData.fromConventional = conventional;
    size_t before = options_.size();
    PGPError status = Event(event);
    if (status != kPGPError_NoErr)
        return status;
    for (size_t i = before; i < options_.size(); ++i)
        if (options_[i].kind == OptionKind::Passphrase) {
            passphrase = std::string(options_[i].secret.View());
            return kPGPError_NoErr;
        }
    return kPGPError_BadPassphrase; // answered without a passphrase: ask again
}

// Whether a session key opens the encrypted data: its first block repeats two bytes.
bool QuickCheck(int cipher, std::string_view key, std::string_view seipd)
{
    size_t block = CipherBlockSize(cipher);
    std::string start;
    if (block == 0 || key.size() != CipherKeySize(cipher) || seipd.size() < block + 3
        || !CfbDecrypt(cipher, key, std::string(block, '\0'), seipd.substr(1, block + 2), start))
        return false;
    return start.compare(block - 2, 2, start, block, 2) == 0;
}

PGPError Decoder::TryKeys(const std::shared_ptr<KeyDBState>& db, std::string_view seipd, std::string& sessionKey,
                          int& cipher)
{
    auto checksumGood = [](std::string_view key, std::string_view check) {
        uint32_t sum = 0;
        for (char c : key)
            sum += static_cast<uint8_t>(c);
        return check.size() == 2 && static_cast<uint8_t>(check[0]) == (sum >> 8 & 0xFF)
            && static_cast<uint8_t>(check[1]) == (sum & 0xFF);
    };
    // Secret keys of the database that one of the public-key packets names.
    struct Candidate {
        const EncryptedKey* packet;
        SecretKey secret;
        const KeyRecord* key;
    };
    std::vector<Candidate> candidates;
    bool conventional = false;
    bool unusable = false; // a secret key of ours was named whose algorithm this SDK cannot use
    for (const auto& encrypted : encryptedKeys_) {
        if (encrypted.tag == kTagSKESK) {
            conventional = true;
            continue;
        }
        if (!db || encrypted.body.size() < 10)
            continue;
        std::string id(encrypted.body.substr(1, 8));
        for (const auto& key : db->keys) {
            const std::string* packet = key->key.KeyID() == id ? &key->secretPacket : nullptr;
            for (const auto& sub : key->subKeys)
                if (sub.key.KeyID() == id)
                    packet = &sub.secretPacket;
            if (packet && !packet->empty()) {
                Candidate candidate { &encrypted, {}, key.get() };
                if (ParseSecretKey(*packet, candidate.secret) != kPGPError_NoErr)
                    continue;
                if (candidate.secret.publicKey.CanEncrypt())
                    candidates.push_back(std::move(candidate));
                else
                    unusable = true;
            }
        }
    }
    // No passphrase is asked for a key that could not decrypt with it.
    if (candidates.empty() && !conventional)
        return unusable ? kPGPError_UnsupportedAlgorithm : kPGPError_NoSecretKey;
    // An entered passphrase is cached, when asked, as it unlocks the key: the key is kept unlocked.
    auto tryPassphrase = [&](std::string_view passphrase, const int32_t* cacheSeconds = nullptr) {
        for (const auto& candidate : candidates) {
            std::vector<std::string> secrets;
            if (UnlockKey(candidate.secret, passphrase, secrets, cacheSeconds) != kPGPError_NoErr)
                continue;
            ByteReader in(std::string_view(candidate.packet->body).substr(10));
            std::vector<std::string> mpis;
            for (std::string mpi; !in.AtEnd() && in.Mpi(mpi);)
                mpis.push_back(mpi);
            std::string message;
            bool ok = DecryptWithKey(candidate.secret.publicKey, secrets, mpis, message);
            for (auto& secret : secrets)
                std::fill(secret.begin(), secret.end(), '\0');
            if (ok && message.size() > 3 && checksumGood(std::string_view(message).substr(1, message.size() - 3),
                                                          std::string_view(message).substr(message.size() - 2))) {
                cipher = static_cast<uint8_t>(message[0]);
                sessionKey = message.substr(1, message.size() - 3);
                std::fill(message.begin(), message.end(), '\0');
                if (QuickCheck(cipher, sessionKey, seipd))
                    return true;
            }
        }
        for (const auto& encrypted : encryptedKeys_) {
            int algorithm = 0;
            std::string key;
            if (encrypted.tag == kTagSKESK && SessionKeyFromSKESK(encrypted.body, passphrase, algorithm, key)
                && QuickCheck(algorithm, key, seipd)) {
                cipher = algorithm;
                sessionKey = std::move(key);
                return true;
            }
        }
        return false;
    };
    // Unprotected keys, the SDK's cache and the passphrases given first, then the handler up to
    // five times.
    bool unprotected = std::any_of(candidates.begin(), candidates.end(), [](const Candidate& c) { return !c.secret.Protected(); });
    if (unprotected && tryPassphrase(""))
        return kPGPError_NoErr;
    for (const auto& candidate : candidates)
        if (auto cached = CachedPassphrase(candidate.secret.publicKey.KeyID()))
            if (tryPassphrase(cached->View()))
                return kPGPError_NoErr;
    for (const auto& option : options_)
        if (option.kind == OptionKind::Passphrase && tryPassphrase(option.secret.View()))
            return kPGPError_NoErr;
    for (int ask = 0; ask < kMaxPassphraseAsks; ++ask) {
        std::string passphrase;
        PGPError status = AskPassphrase(candidates.empty(), passphrase);
        if (status == kPGPError_BadPassphrase)
            continue;
        if (status != kPGPError_NoErr)
            return status;
        const Option* cache = FindOption(options_, OptionKind::CachePassphrase);
        bool ok = tryPassphrase(passphrase, cache ? &cache->value : nullptr);
        if (ok && cache)
            for (const auto& candidate : candidates)
                CachePassphrase(candidate.secret.publicKey.KeyID(), passphrase, cache->value);
        std::fill(passphrase.begin(), passphrase.end(), '\0');
        if (ok)
            return kPGPError_NoErr;
    }
    return kPGPError_BadPassphrase;
}

// The output, handed over in the decrypted block that holds it where the caller lets the SDK
// allocate.
PGPError Decoder::Deliver()
{
    for (auto& block : decrypted_)
        if (block.Holds(output_))
            return DeliverOutput(options_, output_, block);
    return DeliverOutput(options_, output_);
}

void Decoder::DropPlaintexts()
{
    for (auto& text : plainStrings_)
        std::fill(text->begin(), text->end(), '\0');
    plainStrings_.clear();
    decrypted_.clear(); // the blocks wipe themselves
}

PGPError Decoder::FinishSection()
{
    if (produced_ && !FindOption(options_, OptionKind::DiscardOutput)) {
        PGPEvent event {};
        event.type = kPGPEvent_Output;
        event.data.outputData.outputType = forYourEyesOnly_ ? 1 : 0;
        PGPError status = Event(event);
        if (status != kPGPError_NoErr)
            return status;
        if (FindOption(options_, OptionKind::AllocatedOutputBuffer) || FindOption(options_, OptionKind::OutputBuffer)
            || FindOption(options_, OptionKind::OutputFile)) {
            status = Deliver();
            if (status != kPGPError_NoErr)
                return status;
        }
    }
    DropPlaintexts();
    auto db = Keys();
    for (const auto& result : signatures_) {
        PGPEvent event {};
        event.type = kPGPEvent_Signature;
        auto& data = event.data.signatureData;
        data.signingKeyID = MakeKeyID(result.signature.issuer, result.signature.publicKeyAlgorithm);
        // A signature by a key whose algorithm this SDK cannot compute is not checked at all.
        data.checked = result.signer != nullptr && result.signingKey->CanSign();
        data.verified = result.verified;
        data.creationTime = result.signature.created;
        data.validityPeriod = result.signature.signatureExpiry;
        data.hashAlgorithm = result.signature.hashAlgorithm;
        if (result.signer && db) {
            KeyRecord* signer = const_cast<KeyRecord*>(result.signer);
            data.signingKey = ObjectHandle(db, KeyObjectKind::Key, signer);
            data.keyRevoked = signer->Revoked();
            data.keyDisabled = signer->disabled;
            uint32_t expiry = signer->Expiration();
            data.keyExpired = expiry != 0 && expiry <= static_cast<uint32_t>(std::time(nullptr));
            data.keyValidity = KeyValidity(*db, *signer);
            data.keyCanVerify = !data.keyRevoked && !data.keyExpired && result.signingKey->CanSign();
        }
        PGPError status = Event(event);
        if (status != kPGPError_NoErr)
            return status;
    }
    return kPGPError_NoErr;
}

} // namespace
} // namespace standin

using namespace standin;

extern "C" PGPError PGP_CDECL PGPDecode(PGPContextRef context, ...)
{
    va_list args;
    va_start(args, context);
    std::vector<Option> options;
    PGPError status = ConsumeOptionArguments(args, options);
    va_end(args);
    if (status != kPGPError_NoErr)
        return status;
    if (!Handles().Contains(context, ObjectKind::Context))
        return kPGPError_BadParams;
    return Guarded([&] {
        Decoder decoder(context, std::move(options));
        return decoder.Run();
    });
}
