// ASCII armour (RFC 4880 section 6): Base64 with a CRC-24 checksum between BEGIN and END lines,
// with "Key: value" headers. We write CR LF line ends and a blank line after the headers.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"
#include "standins/pgpsdk/openpgp/Stream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin::openpgp {

uint32_t Crc24(std::string_view data);

struct Armored {
    std::string label; // "PUBLIC KEY BLOCK", "MESSAGE", ...
    std::vector<std::pair<std::string, std::string>> headers;
    std::string data;
};

// Decodes the first armoured block in `text`. `end` (optional) receives the offset after its END
// line. No block gives kPGPError_UnsupportedFormat; a broken one kPGPError_CorruptData.
PGPError Dearmor(std::string_view text, Armored& block, size_t* end = nullptr);

// The same in two steps, so a large block is decoded once, straight into storage the caller owns:
// FindArmor reads the frame (its errors as Dearmor's), DecodeArmorBody the Base64 into `out`,
// which holds MaxDecodedSize() bytes, checking the checksum (false when broken).
struct ArmorFrame {
    std::string label;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string_view body; // the Base64 lines
    std::string_view checksum; // its four letters, empty when the block has none
    size_t end = 0; // the offset after the END line
    size_t MaxDecodedSize() const { return body.size() / 4 * 3 + 3; }
};
PGPError FindArmor(std::string_view text, ArmorFrame& frame);
bool DecodeArmorBody(const ArmorFrame& frame, char* out, size_t& size);

// Where Base64 decoding in pieces stands between two: the letters of a quantum split over them.
struct Base64State {
    uint32_t bits = 0;
    int count = 0;
    int padding = 0;
};

// The decoded bytes of an armoured block's Base64 read a piece at a time, so a large block need not
// be decoded whole; it ends early at a character that does not belong.
class ArmorSource final : public Source {
public:
    // `checked`: the checksum is computed, where a reading before has not checked it already.
    explicit ArmorSource(const ArmorFrame& frame, bool checked = true);
    size_t Read(char* out, size_t size) override;
    // Once all is read: whether the Base64 was sound and the checksum held.
    bool Intact() const;

private:
    void Decode(); // the next bytes into pending_

    std::string_view text_;
    std::string_view checksum_;
    bool checked_;
    size_t at_ = 0;
    Base64State state_;
    uint32_t crc_;
    bool broken_ = false;
    bool ended_ = false;
    char pending_[3072];
    size_t pendingAt_ = 0;
    size_t pendingSize_ = 0;
};

using ArmorHeaders = std::vector<std::pair<std::string, std::string>>;
std::string Armor(std::string_view label, std::string_view data, const ArmorHeaders& headers = {});
// The armour written straight into `out`, which holds ArmoredSize() bytes.
size_t ArmoredSize(std::string_view label, size_t dataSize, const ArmorHeaders& headers = {});
void WriteArmor(char* out, std::string_view label, std::string_view data, const ArmorHeaders& headers = {});

// The same armour of what is written to it, line by line into `next` (ArmoredSize() in all);
// Close() writes the last line, the checksum and the END line.
class ArmorSink final : public Sink {
public:
    ArmorSink(Sink& next, std::string_view label, const ArmorHeaders& headers = {});
    ~ArmorSink() override;
    ArmorSink(const ArmorSink&) = delete;
    ArmorSink& operator=(const ArmorSink&) = delete;
    void Write(std::string_view data) override;
    void Close();

private:
    static constexpr size_t kLineData = 48; // the bytes of one 64-letter line
    static constexpr size_t kLinesAtOnce = 64;
    void EncodeLine(std::string_view data);
    void Flush();

    Sink& next_;
    std::string tail_;
    uint32_t crc_;
    char pending_[kLineData]; // the start of a line not yet full
    size_t pendingSize_ = 0;
    char lines_[kLinesAtOnce * 66]; // Base64 lines, CR LF ended, on their way out
    size_t linesSize_ = 0;
};

} // namespace standin::openpgp
