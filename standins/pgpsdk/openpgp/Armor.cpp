// ASCII armour: CRC-24, Base64 in 64-column lines, the armour header lines and their parsing.
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/Crypto.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace standin::openpgp {
namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kSpace = -2, kPad = -3, kBad = -1;

// The value of each Base64 letter; white space, the pad and every other byte marked apart.
constexpr std::array<int8_t, 256> kBase64Values = [] {
    std::array<int8_t, 256> values {};
    values.fill(kBad);
    for (int i = 0; i < 64; ++i)
        values[static_cast<uint8_t>(kBase64[i])] = static_cast<int8_t>(i);
    for (char c : { ' ', '\t', '\r', '\n' })
        values[static_cast<uint8_t>(c)] = kSpace;
    values['='] = kPad;
    return values;
}();

// CRC-24 a byte at a time: the bit-by-bit form costs a pass over the data for each bit.
constexpr std::array<uint32_t, 256> kCrc24Table = [] {
    std::array<uint32_t, 256> table {};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte << 16;
        for (int i = 0; i < 8; ++i) {
            crc <<= 1;
            if (crc & 0x1000000)
                crc ^= 0x1864CFB;
        }
        table[byte] = crc & 0xFFFFFF;
    }
    return table;
}();

// Base64 of `data` into `out`, which holds (data.size() + 2) / 3 * 4 bytes.
void Base64Encode(std::string_view data, char* out)
{
    size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        uint32_t chunk = static_cast<uint8_t>(data[i]) << 16 | static_cast<uint8_t>(data[i + 1]) << 8
            | static_cast<uint8_t>(data[i + 2]);
        *out++ = kBase64[chunk >> 18 & 63];
        *out++ = kBase64[chunk >> 12 & 63];
        *out++ = kBase64[chunk >> 6 & 63];
        *out++ = kBase64[chunk & 63];
    }
    if (i < data.size()) {
        uint32_t chunk = static_cast<uint8_t>(data[i]) << 16;
        if (i + 1 < data.size())
            chunk |= static_cast<uint8_t>(data[i + 1]) << 8;
        *out++ = kBase64[chunk >> 18 & 63];
        *out++ = kBase64[chunk >> 12 & 63];
        *out++ = i + 1 < data.size() ? kBase64[chunk >> 6 & 63] : '=';
        *out++ = '=';
    }
}

// The bytes of the whole quanta of `text` (white space ignored) into `out`, which holds
// (text.size() + 3) / 4 * 3 bytes; false on any other character or a letter after padding.
bool Base64Step(Base64State& state, std::string_view text, char*& out)
{
    for (size_t i = 0; i < text.size(); ++i) {
        // Four letters at once where a quantum starts, as almost all do inside a line.
        if (state.count == 0 && state.padding == 0 && i + 4 <= text.size()) {
            int a = kBase64Values[static_cast<uint8_t>(text[i])], b = kBase64Values[static_cast<uint8_t>(text[i + 1])],
                c = kBase64Values[static_cast<uint8_t>(text[i + 2])], d = kBase64Values[static_cast<uint8_t>(text[i + 3])];
            if ((a | b | c | d) >= 0) {
                uint32_t quantum = static_cast<uint32_t>(a) << 18 | static_cast<uint32_t>(b) << 12
                    | static_cast<uint32_t>(c) << 6 | static_cast<uint32_t>(d);
                *out++ = static_cast<char>(quantum >> 16 & 0xFF);
                *out++ = static_cast<char>(quantum >> 8 & 0xFF);
                *out++ = static_cast<char>(quantum & 0xFF);
                i += 3;
                continue;
            }
        }
        int value = kBase64Values[static_cast<uint8_t>(text[i])];
        if (value == kSpace)
            continue;
        if (value == kPad) {
            ++state.padding;
            continue;
        }
        if (value < 0 || state.padding)
            return false;
        state.bits = state.bits << 6 | static_cast<uint32_t>(value);
        if (++state.count == 4) {
            *out++ = static_cast<char>(state.bits >> 16 & 0xFF);
            *out++ = static_cast<char>(state.bits >> 8 & 0xFF);
            *out++ = static_cast<char>(state.bits & 0xFF);
            state.bits = 0;
            state.count = 0;
        }
    }
    return true;
}

// The bytes of a last, padded quantum into `out` (two at most); false on bad padding.
bool Base64Finish(const Base64State& state, char*& out)
{
    if (state.count == 1 || state.padding > 2 || (state.padding && state.count + state.padding != 4))
        return false;
    if (state.count == 2)
        *out++ = static_cast<char>(state.bits >> 4 & 0xFF);
    if (state.count == 3) {
        *out++ = static_cast<char>(state.bits >> 10 & 0xFF);
        *out++ = static_cast<char>(state.bits >> 2 & 0xFF);
    }
    return true;
}

// Decodes Base64 ignoring white space into `out` (text.size() / 4 * 3 + 3 bytes); false on any
// other character or bad padding.
bool Base64Decode(std::string_view text, char* out, size_t& size)
{
    char* const start = out;
    Base64State state;
    if (!Base64Step(state, text, out) || !Base64Finish(state, out))
        return false;
    size = static_cast<size_t>(out - start);
    return true;
}

// Splits `text` into lines without their line ends; `next` is where the following line starts.
std::string_view LineAt(std::string_view text, size_t at, size_t& next)
{
    size_t end = text.find('\n', at);
    next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(at, (end == std::string_view::npos ? text.size() : end) - at);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

// "-----BEGIN PGP X-----" gives "X"; empty when the line is no armour line of that kind.
std::string_view ArmorLabel(std::string_view line, std::string_view kind)
{
    std::string_view head = kind;
    if (!StartsWith(line, head) || line.size() < head.size() + 5 || line.substr(line.size() - 5) != "-----")
        return {};
    return line.substr(head.size(), line.size() - head.size() - 5);
}

} // namespace

namespace {

constexpr uint32_t kCrc24Start = 0xB704CE;

uint32_t Crc24Continued(uint32_t crc, std::string_view data)
{
    for (char c : data)
        crc = (crc << 8 & 0xFFFFFF) ^ kCrc24Table[(crc >> 16 ^ static_cast<uint8_t>(c)) & 0xFF];
    return crc;
}

} // namespace

uint32_t Crc24(std::string_view data) { return Crc24Continued(kCrc24Start, data); }

PGPError FindArmor(std::string_view text, ArmorFrame& frame)
{
    size_t at = 0, next = 0;
    std::string_view label;
    for (; at < text.size(); at = next) {
        label = ArmorLabel(LineAt(text, at, next), "-----BEGIN PGP ");
        if (!label.empty())
            break;
    }
    if (label.empty())
        return kPGPError_UnsupportedFormat;
    frame = ArmorFrame {};
    frame.label.assign(label);
    // Header lines up to the first empty line.
    for (at = next; at < text.size(); at = next) {
        std::string_view line = LineAt(text, at, next);
        if (line.empty())
            break;
        // "Key: value"; a header whose value is empty may have lost its blank to line trimming.
        size_t colon = line.find(": ");
        if (colon == std::string_view::npos && !line.empty() && line.back() == ':')
            colon = line.size() - 1;
        if (colon == std::string_view::npos)
            return kPGPError_CorruptData;
        frame.headers.emplace_back(line.substr(0, colon), line.substr(std::min(colon + 2, line.size())));
    }
    // The Base64 lines run to the checksum line or the END line; they are decoded where they lie.
    const size_t bodyStart = next;
    size_t bodyEnd = std::string_view::npos;
    for (at = next; at < text.size(); at = next) {
        std::string_view line = LineAt(text, at, next);
        std::string_view endLabel = ArmorLabel(line, "-----END PGP ");
        if (!endLabel.empty()) {
            if (endLabel != label)
                return kPGPError_CorruptData;
            frame.body
                = text.substr(bodyStart, (bodyEnd == std::string_view::npos ? at : bodyEnd) - bodyStart);
            frame.end = next;
            return kPGPError_NoErr;
        }
        if (!line.empty() && line[0] == '=' && line.size() == 5) {
            frame.checksum = line.substr(1);
            bodyEnd = std::min(bodyEnd, at);
            continue;
        }
        if (!frame.checksum.empty())
            return kPGPError_CorruptData; // data after the checksum line
    }
    return kPGPError_CorruptData; // no END line
}

namespace {

// The CRC-24 an armour's checksum line states; false where its four letters are no checksum.
bool StoredChecksum(std::string_view checksum, uint32_t& crc)
{
    char bytes[6];
    size_t size = 0;
    if (checksum.size() != 4 || !Base64Decode(checksum, bytes, size) || size != 3)
        return false;
    crc = static_cast<uint32_t>(static_cast<uint8_t>(bytes[0])) << 16 | static_cast<uint8_t>(bytes[1]) << 8
        | static_cast<uint8_t>(bytes[2]);
    return true;
}

} // namespace

bool DecodeArmorBody(const ArmorFrame& frame, char* out, size_t& size)
{
    if (!Base64Decode(frame.body, out, size))
        return false;
    uint32_t stored = 0;
    return frame.checksum.empty() || (StoredChecksum(frame.checksum, stored) && stored == Crc24({ out, size }));
}

ArmorSource::ArmorSource(const ArmorFrame& frame, bool checked)
    : text_(frame.body)
    , checksum_(frame.checksum)
    , checked_(checked)
    , crc_(kCrc24Start)
{
}

size_t ArmorSource::Read(char* out, size_t size)
{
    size_t done = 0;
    while (done < size) {
        if (pendingAt_ == pendingSize_) {
            if (ended_)
                break;
            Decode();
            continue;
        }
        size_t taken = std::min(size - done, pendingSize_ - pendingAt_);
        std::memcpy(out + done, pending_ + pendingAt_, taken);
        pendingAt_ += taken;
        done += taken;
    }
    return done;
}

void ArmorSource::Decode()
{
    // A piece of the text no longer than pending_ holds the bytes of, whatever its white space.
    constexpr size_t kPiece = sizeof pending_ / 3 * 4 - 4;
    std::string_view piece = text_.substr(at_, kPiece);
    at_ += piece.size();
    char* out = pending_;
    ended_ = at_ == text_.size();
    if (!Base64Step(state_, piece, out) || (ended_ && !Base64Finish(state_, out))) {
        broken_ = ended_ = true;
        out = pending_;
    }
    pendingAt_ = 0;
    pendingSize_ = static_cast<size_t>(out - pending_);
    if (checked_)
        crc_ = Crc24Continued(crc_, { pending_, pendingSize_ });
}

bool ArmorSource::Intact() const
{
    if (broken_ || !ended_ || pendingAt_ != pendingSize_)
        return false;
    uint32_t stored = 0;
    return checksum_.empty() || !checked_ || (StoredChecksum(checksum_, stored) && stored == crc_);
}

PGPError Dearmor(std::string_view text, Armored& block, size_t* end)
{
    ArmorFrame frame;
    PGPError status = FindArmor(text, frame);
    if (status != kPGPError_NoErr)
        return status;
    block.label = std::move(frame.label);
    block.headers = std::move(frame.headers);
    block.data.resize(frame.MaxDecodedSize());
    size_t size = 0;
    if (!DecodeArmorBody(frame, block.data.data(), size))
        return kPGPError_CorruptData;
    block.data.resize(size);
    if (end)
        *end = frame.end;
    return kPGPError_NoErr;
}

namespace {

// The armour's lines before the Base64 and after it, CR LF ended.
struct ArmorText {
    std::string head;
    std::string tail;
    ArmorText(std::string_view label, const ArmorHeaders& headers)
    {
        auto line = [](std::string& out, std::initializer_list<std::string_view> parts) {
            for (auto part : parts)
                out.append(part);
            out.append("\r\n");
        };
        line(head, { "-----BEGIN PGP ", label, "-----" });
        for (const auto& [key, value] : headers)
            if (!value.empty()) // an empty header says nothing
                line(head, { key, ": ", value });
        line(head, {});
        line(tail, { "-----END PGP ", label, "-----" });
    }
};

constexpr size_t kChecksumLine = 7; // "=" and four letters, CR LF

// "=" and the checksum's four letters, CR LF, at `out`; where they end.
char* WriteChecksumLine(char* out, uint32_t crc)
{
    const char crcBytes[]
        = { static_cast<char>(crc >> 16), static_cast<char>(crc >> 8 & 0xFF), static_cast<char>(crc & 0xFF) };
    *out++ = '=';
    Base64Encode({ crcBytes, 3 }, out);
    out += 4;
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

size_t Base64LinesSize(size_t dataSize)
{
    size_t letters = (dataSize + 2) / 3 * 4;
    return letters + (letters + 63) / 64 * 2;
}

} // namespace

size_t ArmoredSize(std::string_view label, size_t dataSize, const ArmorHeaders& headers)
{
    ArmorText text(label, headers);
    return text.head.size() + Base64LinesSize(dataSize) + kChecksumLine + text.tail.size();
}

void WriteArmor(char* out, std::string_view label, std::string_view data, const ArmorHeaders& headers)
{
    BlockSink block(out, ArmoredSize(label, data.size(), headers));
    ArmorSink armor(block, label, headers);
    armor.Write(data);
    armor.Close();
}

ArmorSink::ArmorSink(Sink& next, std::string_view label, const ArmorHeaders& headers)
    : next_(next)
    , crc_(kCrc24Start)
{
    ArmorText text(label, headers);
    next_.Write(text.head);
    tail_ = std::move(text.tail);
}

ArmorSink::~ArmorSink()
{
    // An unencrypted message passes here as plaintext.
    WipeBytes(pending_, sizeof pending_);
    WipeBytes(lines_, sizeof lines_);
}

void ArmorSink::Write(std::string_view data)
{
    crc_ = Crc24Continued(crc_, data);
    if (pendingSize_ > 0) {
        size_t taken = std::min(kLineData - pendingSize_, data.size());
        std::memcpy(pending_ + pendingSize_, data.data(), taken);
        pendingSize_ += taken;
        data.remove_prefix(taken);
        if (pendingSize_ < kLineData)
            return;
        EncodeLine({ pending_, kLineData });
        pendingSize_ = 0;
    }
    for (; data.size() >= kLineData; data.remove_prefix(kLineData))
        EncodeLine(data.substr(0, kLineData));
    std::memcpy(pending_, data.data(), data.size());
    pendingSize_ = data.size();
}

void ArmorSink::Close()
{
    if (pendingSize_ > 0)
        EncodeLine({ pending_, pendingSize_ });
    pendingSize_ = 0;
    linesSize_ = static_cast<size_t>(WriteChecksumLine(lines_ + linesSize_, crc_) - lines_);
    Flush();
    next_.Write(tail_);
}

void ArmorSink::EncodeLine(std::string_view data)
{
    char* out = lines_ + linesSize_;
    Base64Encode(data, out);
    out += (data.size() + 2) / 3 * 4;
    *out++ = '\r';
    *out++ = '\n';
    linesSize_ = static_cast<size_t>(out - lines_);
    if (linesSize_ + 66 > sizeof lines_)
        Flush();
}

void ArmorSink::Flush()
{
    next_.Write({ lines_, linesSize_ });
    linesSize_ = 0;
}

std::string Armor(std::string_view label, std::string_view data, const ArmorHeaders& headers)
{
    std::string out(ArmoredSize(label, data.size(), headers), '\0');
    WriteArmor(out.data(), label, data, headers);
    return out;
}

} // namespace standin::openpgp
