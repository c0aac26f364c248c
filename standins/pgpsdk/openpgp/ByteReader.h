// A bounds-checked cursor over bytes for the OpenPGP parsers: every read says whether the input
// held enough, so a truncated or hostile packet ends in a status, never a read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace standin::openpgp {

class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) { }

    size_t Remaining() const { return data_.size() - at_; }
    size_t Position() const { return at_; }
    bool AtEnd() const { return at_ == data_.size(); }
    std::string_view Rest() const { return data_.substr(at_); }

    bool U8(uint8_t& value)
    {
        if (Remaining() < 1)
            return false;
        value = static_cast<uint8_t>(data_[at_++]);
        return true;
    }
    bool U16(uint16_t& value)
    {
        uint8_t a, b;
        if (Remaining() < 2 || !U8(a) || !U8(b))
            return false;
        value = static_cast<uint16_t>(a << 8 | b);
        return true;
    }
    bool U32(uint32_t& value)
    {
        if (Remaining() < 4)
            return false;
        value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | static_cast<uint8_t>(data_[at_++]);
        return true;
    }
    bool Bytes(size_t count, std::string_view& out)
    {
        if (Remaining() < count)
            return false;
        out = data_.substr(at_, count);
        at_ += count;
        return true;
    }
    bool Bytes(size_t count, std::string& out)
    {
        std::string_view view;
        if (!Bytes(count, view))
            return false;
        out.assign(view);
        return true;
    }
    // An MPI: a 16-bit bit count, then the big-endian bytes (stored without the count).
    bool Mpi(std::string& value)
    {
        uint16_t bits;
        if (!U16(bits))
            return false;
        return Bytes((static_cast<size_t>(bits) + 7) / 8, value);
    }

private:
    std::string_view data_;
    size_t at_ = 0;
};

// Bit length of a big-endian unsigned number (leading zero bytes ignored).
inline int BitLength(std::string_view number)
{
    size_t i = 0;
    while (i < number.size() && number[i] == 0)
        ++i;
    if (i == number.size())
        return 0;
    int bits = static_cast<int>(number.size() - i - 1) * 8;
    for (auto top = static_cast<uint8_t>(number[i]); top; top >>= 1)
        ++bits;
    return bits;
}

// The MPI encoding of a big-endian number: bit count, then the bytes without leading zeros.
inline std::string EncodeMpi(std::string_view number)
{
    size_t i = 0;
    while (i < number.size() && number[i] == 0)
        ++i;
    int bits = BitLength(number);
    std::string out;
    out += static_cast<char>(bits >> 8);
    out += static_cast<char>(bits & 0xFF);
    out.append(number.substr(i));
    return out;
}

} // namespace standin::openpgp
