// MailUtils encodings: charset wrappers with their fallbacks, quoted-printable both ways, RFC 2047
// encoded words, RFC 2231 parameters and the small text helpers of message headers.
#include "mime/MailServices.h"
#include "mime/MailText.h"
#include "mime/MailUtils.h"
#include "foundation/BurnString.h"
#include "foundation/Base64.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool EndsInNul(const std::string& Text) { return !Text.empty() && Text.back() == '\0'; }

constexpr char hexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& Out, unsigned char C)
{
    Out += '=';
    Out += hexDigits[C >> 4];
    Out += hexDigits[C & 0x0F];
}

} // namespace

// ---- Charset wrappers ----------------------------------------------------------------------------

bool TextHasControlChars(const std::string& Text)
{
    return std::any_of(Text.begin(), Text.end(), [](char c) {
        const unsigned char b = static_cast<unsigned char>(c);
        return b < 32 && b != '\t' && b != '\n' && b != '\r';
    });
}

bool TextHasNonAscii(const std::string& Text)
{
    return std::any_of(Text.begin(), Text.end(), [](char c) {
        const unsigned char b = static_cast<unsigned char>(c);
        return !(b == '\t' || b == '\n' || b == '\r' || (b >= ' ' && b <= '~'));
    });
}

std::string AnyTextToAnsi(const std::string& Text)
{
    std::string converted
        = EndsInNul(Text) ? MailServices().Ucs2ToLocale(Text) : MailServices().Utf8ToLocale(Text);
    if (converted.empty())
        return Text;
    return converted; // moved: a message's text is not copied once more
}

std::string Utf8TextToAnsi(const std::string& Text)
{
    const std::string converted = MailServices().Utf8ToLocale(Text);
    return converted.empty() ? Text : converted;
}

std::string AnsiTextToUtf8(const std::string& Text) { return MailServices().LocaleToUtf8(Text); }

std::string Utf8TextToWide(const std::string& Text)
{
    const bool bom = Text.size() >= 3 && Text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    return MailServices().Utf8ToUcs2(bom ? Text.substr(3) : Text);
}

std::string WideTextToUtf8(const std::string& Text) { return MailServices().Ucs2ToUtf8(Text); }
std::string AnsiTextToWide(const std::string& Text) { return MailServices().LocaleToUcs2(Text); }

std::string AnyTextToWide(const std::string& Text)
{
    if (Text.empty() || EndsInNul(Text))
        return Text;
    std::string wide = MailServices().Utf8ToUcs2(Text);
    return wide.empty() ? AnsiTextToWide(Text) : wide;
}
std::string WideTextToLocaleText(const std::string& Text) { return MailServices().Ucs2ToLocale(Text); }

namespace {

// Whether a charset name is one of US-ASCII's.
bool IsAsciiCharsetName(const std::string& Charset)
{
    std::string name = Charset;
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name == "US-ASCII" || name == "ASCII" || name == "ANSI_X3.4-1968" || name == "ISO646-US"
        || name == "US";
}

} // namespace

std::string CharsetTextToAnsi(std::string Text, const std::string& Charset)
{
    // 8-bit text under a US-ASCII label was written in some other charset: converting it as ASCII
    // would lose every 8-bit letter, so it is read as undeclared text is.
    if (IsAsciiCharsetName(Charset) && TextHasNonAscii(Text))
        return AnyTextToAnsi(Text);
    std::string converted = MailServices().CharsetToLocale(Text, Charset);
    if (converted.empty())
        return Text;
    BurnString(Text); // the text given up may be decrypted
    return converted;
}

std::string CharsetTextToUtf8(const std::string& Text, const std::string& Charset)
{
    const std::string converted = MailServices().CharsetToUtf8(Text, Charset);
    return converted.empty() ? AnsiTextToUtf8(Text) : converted;
}

std::string TextToCharset(const std::string& Text, const std::string& Charset)
{
    const std::string converted = MailServices().Utf8ToCharset(Text, Charset);
    return converted.empty() ? MailServices().LocaleToCharset(Text, Charset) : converted;
}

std::string ConvertTextForHost(const std::string& Text, const std::string& HostText, const std::string& Charset,
                               const TRtfFontSpec& Font)
{
    std::string ansi = Charset.empty() ? AnyTextToAnsi(Text)
                                       : CharsetTextToAnsi(Text, MailServices().NormalizeCharsetName(Charset));
    if (HostText.empty() || HostText[0] != '<')
        return ansi;
    const std::string rtf = MailServices().PlainTextToRtf(ansi, Font);
    const std::string html = rtf.empty() ? std::string() : MailServices().RtfToHtml(rtf);
    const std::string cleaned = html.empty() ? std::string() : MailServices().CleanHtml(html);
    return cleaned.empty() ? ansi : cleaned;
}

// ---- Base64 and quoted-printable -----------------------------------------------------------------

std::string DecodeBase64Body(std::string_view Text)
{
    std::size_t first = 0;
    std::size_t last = Text.size();
    while (first < last && static_cast<unsigned char>(Text[first]) < 33)
        ++first;
    while (last > first && static_cast<unsigned char>(Text[last - 1]) < 33)
        --last;
    return Base64Decode(Text.substr(first, last - first));
}

std::string EncodeBase64Body(const std::string& Bytes) { return Base64Encode(Bytes); }

namespace {

// Copies the bytes that quoted-printable decoding keeps from At to To, up to the next one it
// changes ("=", and in headers "_" and TAB) or End. Sixteen at a time where SSE2 is there; To never
// runs ahead of At, so a whole store stays inside an output as long as the input.
void CopyToQpSpecial(const char*& At, const char* End, char*& To, bool Header)
{
    const char* at = At;
    char* to = To;
#if defined(__SSE2__)
    for (; End - at >= 16; at += 16, to += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
        __m128i special = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('='));
        if (Header)
            special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('_')),
                                                         _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'))));
        if (const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(special))) {
            const int skip = __builtin_ctz(found);
            At = at + skip;
            To = to + skip;
            return;
        }
    }
#endif
    for (; at < End && *at != '=' && !(Header && (*at == '_' || *at == '\t')); ++at, ++to)
        *to = *at;
    At = at;
    To = to;
}

// Hex digit values, 0xFF for other bytes.
constexpr std::array<uint8_t, 256> MakeHexValueTable()
{
    std::array<uint8_t, 256> table {};
    for (int c = 0; c < 256; ++c)
        table[c] = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 0xFF;
    return table;
}

constexpr std::array<uint8_t, 256> HexValues = MakeHexValueTable();

} // namespace

std::string DecodeQuotedPrintable(std::string_view Text, bool Header)
{
    std::string out(Text.size(), '\0');
    char* to = out.data();
    const char* at = Text.data();
    const char* end = at + Text.size();
    while (at < end) {
        CopyToQpSpecial(at, end, to, Header);
        if (at == end)
            break;
        if (*at != '=') {
            *to++ = ' ';
            ++at;
            continue;
        }
        if (end - at <= 2)
            break; // an '=' among the last two characters ends the text
        if (at[1] == '\r' && at[2] == '\n') {
            at += 3;
            continue;
        }
        if (at[1] == '\r' || at[1] == '\n') {
            at += 2;
            continue;
        }
        const uint8_t high = HexValues[static_cast<unsigned char>(at[1])];
        const uint8_t low = HexValues[static_cast<unsigned char>(at[2])];
        if ((high | low) < 16) { // both hex digits
            const char value = static_cast<char>(high << 4 | low);
            if (value != '\0') {
                *to++ = value;
                at += 3;
                continue;
            }
        }
        *to++ = '=';
        ++at;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

namespace {

bool IsLineBreakChar(char C) { return C == '\r' || C == '\n'; }

// How a quoted-printable body treats a byte: kept as it is, kept and a place to break after (a
// blank is encoded at a line end), a line break, or always encoded.
enum class QpByte : uint8_t { Kept, KeptBreak, Blank, LineBreak, Encoded };

constexpr std::array<QpByte, 256> MakeQpByteTable()
{
    std::array<QpByte, 256> table {};
    for (int c = 0; c < 256; ++c)
        table[c] = c < 32 || c >= 0x7F || c == '=' || c == '?' || c == '_' ? QpByte::Encoded : QpByte::Kept;
    table['/'] = table['\\'] = QpByte::KeptBreak;
    table[' '] = table['\t'] = QpByte::Blank;
    table['\r'] = table['\n'] = QpByte::LineBreak;
    return table;
}

constexpr std::array<QpByte, 256> QpBytes = MakeQpByteTable();

// "=XX" of every byte, with a fourth byte so that it is written with one four-byte copy.
constexpr std::array<std::array<char, 4>, 256> MakeEncodedTriples()
{
    std::array<std::array<char, 4>, 256> table {};
    for (int c = 0; c < 256; ++c)
        table[c] = { '=', hexDigits[c >> 4], hexDigits[c & 0x0F], '\0' };
    return table;
}

constexpr std::array<std::array<char, 4>, 256> EncodedTriples = MakeEncodedTriples();

// Characters of a body line before its soft break's '='; a kept byte right before a line end may
// still go behind them.
constexpr unsigned kLineRoom = 75;

// The encoder's output, sized once from a guess and grown only should the guess fall short; a line
// is written through a cursor, up to 32 bytes beyond its end. (Zero-filling the string 16 KB at a
// time, right before the lines are written there, measured no faster.)
class QpWriter {
public:
    explicit QpWriter(std::size_t Expected) { out_.resize(Expected + kLineSpace); }
    // A cursor with room for one more line.
    char* LineCursor()
    {
        if (out_.size() - size_ < kLineSpace)
            out_.resize(out_.size() * 2);
        return out_.data() + size_;
    }
    void LineWritten(const char* End) { size_ = static_cast<std::size_t>(End - out_.data()); }
    std::string Take()
    {
        out_.resize(size_);
        return std::move(out_);
    }

private:
    static constexpr std::size_t kLineSpace = 128;
    std::string out_;
    std::size_t size_ = 0;
};

bool StartsWithFrom(const unsigned char* In, std::size_t Size) { return Size >= 5 && std::memcmp(In, "From ", 5) == 0; }

// One output line by the byte rules, from In[0] at column 0: bytes go as they are or as "=XX" (a
// blank before a line end, "From " at the line start), the line ends at a line end or, where the
// next byte no longer fits, behind its last breakable byte (a blank, '/' or '\' kept as it is and
// not followed by an 'F') or else right there. Returns the bytes taken; the next line starts behind
// them, also after a soft break behind a breakable byte: what follows it never starts "From " nor
// finds another break place on the way to where the line was full.
std::size_t EncodeQpLine(const unsigned char* In, std::size_t Size, char*& To)
{
    char* breakTo = nullptr; // output behind the last breakable byte
    std::size_t breakAt = 0;
    std::size_t column = 0;
    for (std::size_t i = 0; i < Size; ++i) {
        const unsigned char c = In[i];
        const QpByte kind = QpBytes[c];
        if (kind == QpByte::LineBreak) {
            *To++ = static_cast<char>(c);
            return i + 1;
        }
        const bool nextIsBreak = i + 1 < Size && IsLineBreakChar(static_cast<char>(In[i + 1]));
        const bool encoded = kind == QpByte::Encoded || (kind == QpByte::Blank && (i + 1 == Size || nextIsBreak)) ||
                             (i == 0 && StartsWithFrom(In, Size));
        const std::size_t width = encoded ? 3 : 1;
        if (column + width > kLineRoom && (encoded || !nextIsBreak)) {
            const std::size_t taken = breakTo != nullptr ? breakAt : i;
            To = breakTo != nullptr ? breakTo : To;
            std::memcpy(To, "=\r\n", 3);
            To += 3;
            return taken;
        }
        if (encoded) {
            std::memcpy(To, EncodedTriples[c].data(), 3);
            To += 3;
        } else {
            *To++ = static_cast<char>(c);
            if (kind != QpByte::Kept && !(i + 1 < Size && In[i + 1] == 'F')) {
                breakTo = To;
                breakAt = i + 1;
            }
        }
        column += width;
    }
    return Size;
}

#if defined(__SSE2__)
__m128i BytesEqual(__m128i Bytes, char C) { return _mm_cmpeq_epi8(Bytes, _mm_set1_epi8(C)); }

// 0xFF for each of 16 bytes that goes out as it is: printable ASCII but '=', '?' and '_', and TAB.
__m128i KeptBytes(__m128i Bytes)
{
    // Signed: bytes from 0x80 on are negative, below the controls.
    const __m128i printable
        = _mm_and_si128(_mm_cmpgt_epi8(Bytes, _mm_set1_epi8(0x1F)), _mm_cmplt_epi8(Bytes, _mm_set1_epi8(0x7F)));
    const __m128i special =
        _mm_or_si128(_mm_or_si128(BytesEqual(Bytes, '='), BytesEqual(Bytes, '?')), BytesEqual(Bytes, '_'));
    return _mm_or_si128(_mm_andnot_si128(special, printable), BytesEqual(Bytes, '\t'));
}

__m128i LineEndBytes(__m128i Bytes) { return _mm_or_si128(BytesEqual(Bytes, '\r'), BytesEqual(Bytes, '\n')); }

// The bits below bit Count (at most 64).
uint64_t Below(unsigned Count) { return Count >= 64 ? ~uint64_t { 0 } : (uint64_t { 1 } << Count) - 1; }

// 128 bits, enough for a line: the longest takes 77 bytes.
struct TLineBits {
    uint64_t Low = 0;
    uint64_t High = 0;

    bool Has(unsigned At) const { return (At < 64 ? Low >> At : High >> (At - 64)) & 1; }
    TLineBits Below(unsigned Count) const
    {
        return Count >= 64 ? TLineBits { Low, High & ::Below(Count - 64) } : TLineBits { Low & ::Below(Count), 0 };
    }
    unsigned First() const
    {
        return Low != 0 ? static_cast<unsigned>(__builtin_ctzll(Low))
               : High != 0 ? 64 + static_cast<unsigned>(__builtin_ctzll(High))
                           : 128;
    }
    // The highest set bit plus one, 0 when none is set.
    unsigned EndOfLast() const
    {
        return High != 0  ? 128 - static_cast<unsigned>(__builtin_clzll(High))
               : Low != 0 ? 64 - static_cast<unsigned>(__builtin_clzll(Low))
                          : 0;
    }
    unsigned Count() const { return static_cast<unsigned>(__builtin_popcountll(Low) + __builtin_popcountll(High)); }
    template <typename Visit> void ForEach(Visit visit) const
    {
        for (uint64_t left = Low; left != 0; left &= left - 1)
            if (!visit(static_cast<unsigned>(__builtin_ctzll(left))))
                return;
        for (uint64_t left = High; left != 0; left &= left - 1)
            if (!visit(64 + static_cast<unsigned>(__builtin_ctzll(left))))
                return;
    }
};

// What the encoder needs to know of up to 4 KB of input, one bit per byte, so that each line is
// decided from its bits: line ends, bytes written as "=XX" (a blank right before a line end among
// them) and bytes a soft break may go behind (blanks, '/' and '\' kept as they are and not followed
// by an 'F', which could begin a "From "). The lines that start in the block are encoded from it;
// the last may reach 128 bytes beyond.
class TQpBlock {
public:
    static constexpr std::size_t kBytes = 4096;
    static constexpr std::size_t kBeyond = 128;

    // Classifies Bytes (a multiple of 64, at most kBytes) and kBeyond more; the byte after those
    // must exist.
    TQpBlock(const unsigned char* P, std::size_t Bytes)
    {
        const std::size_t words = (Bytes + kBeyond) / 64;
        uint64_t blanks[kWords];
        uint64_t efs[kWords + 1];
        for (std::size_t w = 0; w < words; ++w) {
            uint64_t kept = 0;
            uint64_t lineEnds = 0;
            uint64_t blank = 0;
            uint64_t breakable = 0;
            uint64_t f = 0;
            for (unsigned i = 0; i < 4; ++i) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + 64 * w + 16 * i));
                const auto bits = [i](__m128i Test) {
                    return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(Test))) << 16 * i;
                };
                const __m128i blankBytes = _mm_or_si128(BytesEqual(bytes, ' '), BytesEqual(bytes, '\t'));
                lineEnds |= bits(LineEndBytes(bytes));
                blank |= bits(blankBytes);
                breakable |= bits(_mm_or_si128(blankBytes, _mm_or_si128(BytesEqual(bytes, '/'), BytesEqual(bytes, '\\'))));
                kept |= bits(KeptBytes(bytes));
                f |= bits(BytesEqual(bytes, 'F'));
            }
            lineEnds_[w] = lineEnds;
            encoded_[w] = ~kept & ~lineEnds;
            breakable_[w] = breakable;
            blanks[w] = blank;
            efs[w] = f;
        }
        const unsigned char after = P[words * 64];
        lineEnds_[words] = IsLineBreakChar(static_cast<char>(after));
        efs[words] = after == 'F';
        for (std::size_t w = 0; w < words; ++w) {
            const uint64_t beforeLineEnd = lineEnds_[w] >> 1 | lineEnds_[w + 1] << 63;
            const uint64_t beforeF = efs[w] >> 1 | efs[w + 1] << 63;
            encoded_[w] |= blanks[w] & beforeLineEnd;
            breakable_[w] &= ~encoded_[w] & ~beforeF;
        }
    }

    // Encodes the line that starts at byte At of the block at column 0; returns where the next
    // starts.
    std::size_t EncodeLine(const unsigned char* Block, std::size_t At, char*& To) const
    {
        const unsigned char* in = Block + At;
        TLineBits encoded = Bits(encoded_, At);
        if (*in == 'F' && StartsWithFrom(in, 5))
            encoded.Low |= 1;
        const unsigned lineEnd = Bits(lineEnds_, At).First();
        // Bytes are written while they fit, kept ones taking one character, encoded ones three, up
        // to the first that no longer fits.
        char* const start = To;
        char* to = To;
        unsigned from = 0;
        unsigned before = 0;
        unsigned full = kLineRoom;
        encoded.Below(lineEnd).ForEach([&](unsigned Byte) {
            if (Byte + 2 * before + 3 > kLineRoom) {
                full = std::min(Byte, kLineRoom - 2 * before);
                return false;
            }
            to = CopyKept(in + from, Byte - from, to);
            std::memcpy(to, EncodedTriples[in[Byte]].data(), 4);
            to += 3;
            from = Byte + 1;
            full = kLineRoom - 2 * ++before;
            return true;
        });
        if (lineEnd <= full || (lineEnd == full + 1 && !encoded.Has(full))) {
            to = CopyKept(in + from, lineEnd - from, to);
            *to++ = static_cast<char>(in[lineEnd]);
            To = to;
            return At + lineEnd + 1;
        }
        const unsigned breakAt = Bits(breakable_, At).Below(full).EndOfLast();
        const unsigned taken = breakAt != 0 ? breakAt : full;
        // A break place before the last encoded byte written takes back what follows it.
        to = taken >= from ? CopyKept(in + from, taken - from, to) : start + taken + 2 * encoded.Below(taken).Count();
        std::memcpy(to, "=\r\n", 3);
        To = to + 3;
        return At + taken;
    }

private:
    static constexpr std::size_t kWords = (kBytes + kBeyond) / 64;

    // The bits of the 128 bytes from byte At on.
    static TLineBits Bits(const uint64_t* Words, std::size_t At)
    {
        const uint64_t* w = Words + At / 64;
        const unsigned shift = At % 64;
        const auto word = [shift](uint64_t Low, uint64_t High) {
            return Low >> shift | (High << 1) << (63 - shift);
        };
        return { word(w[0], w[1]), word(w[1], w[2]) };
    }

    // Count kept bytes: 32 at once, as most runs between encoded bytes are shorter, then 16 at a
    // time. Up to 32 bytes more may be read and written.
    static char* CopyKept(const unsigned char* From, unsigned Count, char* To)
    {
        const auto copy16 = [From, To](unsigned Done) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(To + Done), _mm_loadu_si128(reinterpret_cast<const __m128i*>(From + Done)));
        };
        copy16(0);
        copy16(16);
        for (unsigned done = 32; done < Count; done += 16)
            copy16(done);
        return To + Count;
    }

    // One word more than the bytes for the byte after them, one for reading 128 bits from the last.
    uint64_t lineEnds_[kWords + 2] = {};
    uint64_t encoded_[kWords + 2] = {};
    uint64_t breakable_[kWords + 2] = {};
};

#endif

// Near what the encoding of In will take, so the output rarely has to grow: each encoded byte
// takes two more, and soft breaks come about every 73 characters, or sooner behind a blank.
std::size_t EncodedSizeGuess(const unsigned char* In, std::size_t Size)
{
    std::size_t encoded = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Per byte lane a count that each encoded byte lowers by one (0xFF is -1), summed up before
    // it could wrap.
    while (Size - i >= 16) {
        __m128i lanes = _mm_setzero_si128();
        for (int round = 0; round < 255 && Size - i >= 16; ++round, i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(In + i));
            lanes = _mm_add_epi8(lanes, _mm_andnot_si128(_mm_or_si128(KeptBytes(bytes), LineEndBytes(bytes)), _mm_set1_epi8(1)));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        encoded += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                   static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; i < Size; ++i)
        encoded += QpBytes[In[i]] == QpByte::Encoded;
    const std::size_t plain = Size + 2 * encoded;
    return plain + plain / 16 + 128;
}

std::string EncodeQuotedPrintableBody(const std::string& Text)
{
    const unsigned char* in = reinterpret_cast<const unsigned char*>(Text.data());
    const std::size_t n = Text.size();
    QpWriter out(EncodedSizeGuess(in, n));
    std::size_t i = 0;
#if defined(__SSE2__)
    // A block at a time while a whole block and what its last line may reach are there.
    while (n - i > TQpBlock::kBeyond + 64) {
        const std::size_t bytes = std::min(TQpBlock::kBytes, (n - i - TQpBlock::kBeyond - 1) / 64 * 64);
        const TQpBlock block(in + i, bytes);
        std::size_t at = 0;
        while (at < bytes) {
            char* to = out.LineCursor();
            at = block.EncodeLine(in + i, at, to);
            out.LineWritten(to);
        }
        i += at;
    }
#endif
    while (i < n) {
        char* to = out.LineCursor();
        i += EncodeQpLine(in + i, n - i, to);
        out.LineWritten(to);
    }
    return out.Take();
}

// One unit of a Q word: "_", "=XX" triples (a whole UTF-8 sequence kept together) or a plain byte.
struct TQUnit {
    std::string Text;
    bool Blank = false;
};

std::vector<TQUnit> QUnits(const std::string& Text, bool Utf8)
{
    std::vector<TQUnit> units;
    const std::size_t n = Text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(Text[i]);
        TQUnit unit;
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
        if (plain) {
            unit.Text = static_cast<char>(c);
            ++i;
        } else if (c == ' ' && i + 1 < n) {
            unit.Text = "_";
            unit.Blank = true;
            ++i;
        } else {
            std::size_t length = 1;
            if (Utf8 && c >= 0xC0) {
                const std::size_t want = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
                while (length < want && i + length < n &&
                       (static_cast<unsigned char>(Text[i + length]) & 0xC0) == 0x80)
                    ++length;
            }
            for (std::size_t k = 0; k < length; ++k)
                AppendHexByte(unit.Text, static_cast<unsigned char>(Text[i + k]));
            unit.Blank = c == ' ';
            i += length;
        }
        units.push_back(std::move(unit));
    }
    return units;
}

// RFC 2047 Q words of at most 75 characters: every byte outside the safe set is encoded (so no
// raw control character or line break gets inside a word), no soft line breaks, and a word is
// split at its last blank, else where it is full, never inside a triple or a UTF-8 sequence.
std::string EncodeQWords(const std::string& Text, const std::string& Charset)
{
    const std::string open = "=?" + Charset + "?Q?";
    const std::size_t maxWord = 75;
    const std::size_t softColumn = 61;
    const bool utf8 = PosText("UTF-8", Charset) == 1;
    const std::vector<TQUnit> units = QUnits(Text, utf8);
    std::vector<std::string> words;
    std::string payload;
    std::size_t lastBlankEnd = std::string::npos;
    auto closeAt = [&](std::size_t at) {
        words.push_back(payload.substr(0, at));
        payload.erase(0, at);
        lastBlankEnd = std::string::npos;
    };
    for (const TQUnit& unit : units) {
        if (open.size() + payload.size() + unit.Text.size() + 2 > maxWord && !payload.empty())
            closeAt(lastBlankEnd != std::string::npos ? lastBlankEnd : payload.size());
        if (open.size() + payload.size() + unit.Text.size() + 2 > maxWord && !payload.empty())
            closeAt(payload.size());
        payload += unit.Text;
        if (unit.Blank)
            lastBlankEnd = payload.size();
        if (open.size() + payload.size() > softColumn && unit.Blank)
            closeAt(payload.size());
    }
    if (!payload.empty() || words.empty())
        words.push_back(payload);
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            out += "\r\n ";
        out += open + words[i] + "?=";
    }
    return out;
}

} // namespace

std::string EncodeQuotedPrintable(const std::string& Text, const std::string& Charset)
{
    if (Text.empty())
        return {};
    return Charset.empty() ? EncodeQuotedPrintableBody(Text) : EncodeQWords(Text, Charset);
}

// ---- Address headers -----------------------------------------------------------------------------

namespace {

// For every byte: is it inside a double-quoted string (the quotes included)?
std::vector<bool> QuotedMap(const std::string& Text)
{
    std::vector<bool> quoted(Text.size(), false);
    bool inside = false;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '"' && IsUnescapedAt(Text, static_cast<int>(i) + 1)) {
            quoted[i] = true;
            inside = !inside;
            continue;
        }
        quoted[i] = inside;
    }
    return quoted;
}

bool IsSpanStop(char C) { return C == '>' || C == '(' || C == ',' || C == ':' || C == ';'; }
bool IsSpanEnd(char C) { return C == ')' || C == '<' || C == ',' || C == ';'; }

} // namespace

std::string EncodeAddressHeader(const std::string& Text, const std::string& Charset)
{
    const std::vector<bool> quoted = QuotedMap(Text);
    std::string out;
    std::size_t copied = 0;
    std::size_t i = 0;
    while (i < Text.size()) {
        if (!(static_cast<unsigned char>(Text[i]) & 0x80)) {
            ++i;
            continue;
        }
        // The span: back to a delimiter outside quotes (a list comma included, so two addresses
        // never merge into one word), forward to the next one; blanks at its edges stay outside.
        std::size_t first = i;
        while (first > copied && !(IsSpanStop(Text[first - 1]) && !quoted[first - 1]))
            --first;
        std::size_t end = i;
        while (end < Text.size() && !(IsSpanEnd(Text[end]) && !quoted[end]))
            ++end;
        while (first < end && (Text[first] == ' ' || Text[first] == '\t'))
            ++first;
        while (end > first && (Text[end - 1] == ' ' || Text[end - 1] == '\t'))
            --end;
        std::string span;
        for (std::size_t k = first; k < end; ++k)
            if (!(Text[k] == '"' && quoted[k] && IsUnescapedAt(Text, static_cast<int>(k) + 1)))
                span += Text[k];
        out.append(Text, copied, first - copied);
        out += EncodeQuotedPrintable(span, Charset);
        copied = end;
        i = std::max(end, i + 1);
    }
    out.append(Text, copied, std::string::npos);
    if (out.size() >= 67 && out.find("\r\n") == std::string::npos) {
        const std::size_t blank = out.find(' ');
        if (blank != std::string::npos && blank > 0)
            out.insert(blank, "\r\n");
    }
    return out;
}

// ---- Encoded words -------------------------------------------------------------------------------

namespace {

// Raw header bytes between words may be 8-bit ANSI; the result must be one encoding (UTF-8).
std::string RawRunToUtf8(const std::string& Run)
{
    if (IsValidUtf8(Run))
        return Run;
    const std::string converted = AnsiTextToUtf8(Run);
    return converted.empty() ? Run : converted;
}

// Decoded words may carry NUL, CR or LF (B encoding): none of them belongs in a header value.
std::string CleanDecodedWord(const std::string& Word)
{
    std::string out;
    out.reserve(Word.size());
    for (char c : Word) {
        if (c == '\0')
            continue;
        out += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    }
    return out;
}

bool IsWhiteRun(const std::string& Text)
{
    return std::all_of(Text.begin(), Text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

} // namespace

std::string DecodeEncodedWords(const std::string& Text)
{
    std::string out;
    std::size_t from = 0;
    bool afterWord = false;
    for (;;) {
        const std::size_t open = Text.find("=?", from);
        if (open == std::string::npos)
            break;
        const std::size_t charsetEnd = Text.find('?', open + 2);
        const bool shaped = charsetEnd != std::string::npos && charsetEnd + 2 < Text.size() &&
                            Text[charsetEnd + 2] == '?';
        const std::size_t close = shaped ? Text.find("?=", charsetEnd + 3) : std::string::npos;
        if (close == std::string::npos)
            break; // not a word: the rest is copied as it is
        // Whitespace between two words is never part of the text (RFC 2047), also when the
        // first word ends in a blank, as the words of a long folded text do.
        const std::string between = Text.substr(from, open - from);
        if (!(afterWord && IsWhiteRun(between)))
            out += RawRunToUtf8(between);
        std::string charset = Text.substr(open + 2, charsetEnd - open - 2);
        charset = charset.substr(0, charset.find('*'));
        for (char& c : charset)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        const char encoding = Text[charsetEnd + 1];
        const std::string body = Text.substr(charsetEnd + 3, close - charsetEnd - 3);
        std::string decoded;
        if (encoding == 'B' || encoding == 'b')
            decoded = CharsetTextToUtf8(DecodeBase64Body(body), charset);
        else if (encoding == 'Q' || encoding == 'q')
            decoded = CharsetTextToUtf8(DecodeQuotedPrintable(body, true), charset);
        else
            decoded = AnsiTextToUtf8(body);
        decoded = CleanDecodedWord(decoded);
        if (!decoded.empty() && decoded.front() == ' ')
            while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r' || out.back() == '\n'))
                out.pop_back();
        out += decoded;
        afterWord = true;
        from = close + 2;
    }
    out += RawRunToUtf8(Text.substr(std::min(from, Text.size())));
    if (afterWord)
        while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r' || out.back() == '\n'))
            out.pop_back();
    return out;
}

// ---- Parameters ----------------------------------------------------------------------------------

namespace {

std::string UpperAscii(std::string Text)
{
    for (char& c : Text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return Text;
}

// RFC 2231: name*=cs'lang'value, name*0*=..., name*1=..., read in the order they stand.
std::string ReadExtendedParameter(const std::string& Value, const std::string& Name, int32_t AfterName)
{
    std::string joined;
    std::string charset;
    bool charsetTaken = false;
    int32_t after = AfterName;
    const int32_t length = static_cast<int32_t>(Value.size());
    while (after > 0 && after <= length && Value[after - 1] == '*') {
        // name*= (one extended value), name*N= (plain section) or name*N*= (extended section).
        int32_t p = after + 1;
        const int32_t digits = p;
        while (p <= length && Value[p - 1] >= '0' && Value[p - 1] <= '9')
            ++p;
        bool extended = p == digits;
        if (!extended && p <= length && Value[p - 1] == '*') {
            extended = true;
            ++p;
        }
        std::string section = ParameterValueAt(Value, p);
        if (extended) {
            const std::size_t quote1 = section.find('\'');
            const std::size_t quote2 = quote1 == std::string::npos ? quote1 : section.find('\'', quote1 + 1);
            if (!charsetTaken && quote2 != std::string::npos) {
                charset = UpperAscii(section.substr(0, quote1));
                section.erase(0, quote2 + 1);
            }
            section = DecodePercentEscapes(section);
        }
        charsetTaken = true;
        joined += section;
        // The next section must follow directly as the same name with a star.
        const int32_t next = FindParameterName(Value, Name, p);
        int32_t semicolon = p;
        bool quoted = false;
        while (semicolon <= length && (quoted || Value[semicolon - 1] != ';')) {
            if (Value[semicolon - 1] == '"')
                quoted = !quoted;
            ++semicolon;
        }
        int32_t q = semicolon + 1;
        while (q <= length && (Value[q - 1] == ' ' || Value[q - 1] == '\t' || Value[q - 1] == '\r' || Value[q - 1] == '\n'))
            ++q;
        if (next == 0 || next - static_cast<int32_t>(Name.size()) != q)
            break;
        if (next + 1 > length || !(Value[next] >= '0' && Value[next] <= '9'))
            break;
        after = next;
    }
    // Plain ASCII reads the same in every charset.
    if (!TextHasNonAscii(joined))
        return joined;
    return CharsetTextToUtf8(joined, MailServices().NormalizeCharsetName(charset));
}

} // namespace

std::string GetHeaderParameter(const std::string& NameOrValue, const std::string& ParamName,
                               const THeaderData* Section, bool Raw)
{
    std::string value = Section ? GetHeaderValue(NameOrValue, *Section, true).Str() : NameOrValue;
    value = TrimBlanks(value);
    if (value.empty() || ParamName.empty())
        return {};
    int32_t after = FindParameterName(value, ParamName, 1);
    if (after == 0)
        return {};
    while (after <= static_cast<int32_t>(value.size()) && (value[after - 1] == ' ' || value[after - 1] == '\t'))
        ++after;
    if (value[after - 1] == '*')
        return ReadExtendedParameter(value, ParamName, after);
    if (!Raw) {
        value = DecodeEncodedWords(value);
        after = FindParameterName(value, ParamName, 1);
    }
    return ParameterValueAt(value, after);
}

// ---- Text helpers --------------------------------------------------------------------------------

bool HasDoubledCarriageReturns(const std::string& Text) { return Text.find("\r\r\n") != std::string::npos; }

std::string NormalizeLineBreaks(const std::string& Text)
{
    if (!HasDoubledCarriageReturns(Text))
        return Text;
    std::string out;
    out.reserve(Text.size());
    for (char c : Text) {
        if (c == '\n')
            while (out.size() >= 2 && out.back() == '\r' && out[out.size() - 2] == '\r')
                out.pop_back();
        out += c;
    }
    return out;
}

std::string ConcatTexts(const std::vector<std::string>& Texts, int LastIndex)
{
    const int last = std::min(LastIndex, static_cast<int>(Texts.size()) - 1);
    bool wide = false;
    for (int i = last; i >= 0; --i)
        if (!Texts[i].empty()) {
            wide = EndsInNul(Texts[i]);
            break;
        }
    std::string out;
    for (int i = 0; i <= last; ++i) {
        const std::string& text = Texts[i];
        if (wide && text.size() >= 2)
            out.append(text, 0, text.size() - 2);
        else if (!wide)
            out += text;
    }
    if (wide)
        out.append(2, '\0');
    return out;
}

std::string ShortenText(const std::string& Text, int Maximum)
{
    if (Maximum < 4 || Text.empty())
        return {};
    if (EndsInNul(Text)) {
        // The terminator counts: a text fits with Maximum units before it, as an ANSI text does
        // with Maximum bytes.
        const std::size_t units = Text.size() / 2 - 1;
        if (units <= static_cast<std::size_t>(Maximum))
            return Text;
        std::string out = Text.substr(0, static_cast<std::size_t>(Maximum - 2) * 2);
        out += std::string("\x20\x00\x26\x20\x00\x00", 6);
        return out;
    }
    if (Text.size() <= static_cast<std::size_t>(Maximum))
        return Text;
    return Text.substr(0, Maximum - 2) + " \x85";
}

int FirstNumberInText(const std::string& Text)
{
    std::size_t i = 0;
    while (i < Text.size() && !(Text[i] >= '0' && Text[i] <= '9'))
        ++i;
    int64_t value = 0;
    while (i < Text.size() && Text[i] >= '0' && Text[i] <= '9') {
        value = std::min<int64_t>(value * 10 + (Text[i] - '0'), INT32_MAX);
        ++i;
    }
    return static_cast<int>(value);
}

std::string DropBlankText(const std::string& Text)
{
    const bool blank = std::all_of(Text.begin(), Text.end(), [](char c) { return c == '\r' || c == '\n'; });
    return blank ? std::string() : Text;
}

std::string BlankLineSuffix(const std::string& Text)
{
    if (Text.empty())
        return {};
    if (EndsInNul(Text)) {
        const std::string crlf("\r\0\n\0", 4);
        const std::string body = Text.size() >= 2 ? Text.substr(0, Text.size() - 2) : std::string();
        auto endsWith = [&](const std::string& tail) {
            return body.size() >= tail.size() && body.compare(body.size() - tail.size(), tail.size(), tail) == 0;
        };
        const std::string nul("\0\0", 2);
        if (endsWith(crlf + crlf))
            return {};
        return endsWith(crlf) ? crlf + nul : crlf + crlf + nul;
    }
    auto endsWith = [&](const char* tail) {
        const std::string t(tail);
        return Text.size() >= t.size() && Text.compare(Text.size() - t.size(), t.size(), t) == 0;
    };
    if (endsWith("\r\n\r\n"))
        return {};
    return endsWith("\r\n") ? "\r\n" : "\r\n\r\n";
}

void RemoveBackslashEscapes(std::string& Text)
{
    std::string out;
    out.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '\\') {
            if (i + 1 < Text.size())
                out += Text[++i];
            continue;
        }
        out += Text[i];
    }
    Text = std::move(out);
}

bool IsUnescapedAt(const std::string& Text, int Position)
{
    if (Position <= 1)
        return true;
    if (Position - 1 > static_cast<int>(Text.size()))
        return false;
    if (Text[Position - 2] != '\\')
        return true;
    return Position >= 3 && Text[Position - 3] == '\\';
}

int AddressItemLength(const std::string& Text, int Start)
{
    const int length = static_cast<int>(Text.size());
    if (Start < 1 || Start > length)
        return 0;
    int p = Start;
    while (p <= length && Text[p - 1] != ',') {
        const char c = Text[p - 1];
        if (c == '\\') {
            p += 2;
            continue;
        }
        if (c == '"' || c == '(') {
            const char close = c == '"' ? '"' : ')';
            ++p;
            while (p <= length && Text[p - 1] != close)
                p += Text[p - 1] == '\\' ? 2 : 1;
        }
        ++p;
    }
    return std::min(p, length + 1) - Start;
}

std::string FirstAddressEtAl(const std::string& Text)
{
    const int first = AddressItemLength(Text, 1);
    if (first >= static_cast<int>(Text.size()))
        return Text;
    const std::string rest = TrimBlanks(Text.substr(first + 1));
    if (rest.empty())
        return Text;
    return Text.substr(0, first) + " et al.";
}
