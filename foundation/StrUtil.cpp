// The portable half of StrUtil: string arrays, URL schemes, hex and number text, trimming, lines
// and cutting, file-name parts. No Windows header; built and fuzzed natively as well.
#include "foundation/StrUtil.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }
inline bool IsLineBreak(char c) { return c == CR || c == LF; }

// Number of line ends in Text, a CR LF pair counting once; a text with CR-only line ends needs
// as many slots as one with CR LF ends.
int CountLineBreaks(const std::string& Text)
{
    int breaks = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == CR) {
            ++breaks;
            if (i + 1 < Text.size() && Text[i + 1] == LF)
                ++i;
        } else if (Text[i] == LF) {
            ++breaks;
        }
    }
    return breaks;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string Unwrap(const std::string& Text, char Open, char Close)
{
    std::string s = TrimBlanks(Text);
    while (s.size() >= 2 && s.front() == Open && s.back() == Close)
        s = s.substr(1, s.size() - 2);
    return s;
}

size_t LastBackslash(const std::string& Path) { return Path.rfind('\\'); }

// 0-based index of the first character of the file-name part.
size_t FileNameStart(const std::string& Path)
{
    size_t slash = LastBackslash(Path);
    return slash == std::string::npos ? 0 : slash + 1;
}

} // namespace

// ---- String array --------------------------------------------------------------------------------

void StrArrayInit(TStrArray& A) { A.Items.clear(); }

int StrArrayGrow(TStrArray& A, int N)
{
    int old = StrArrayCount(A);
    if (N > 0)
        A.Items.resize(A.Items.size() + static_cast<size_t>(N));
    return old;
}

std::string StrArrayConvertLine(const TStrArray& A, const std::string& Line)
{
    return A.Converter ? A.Converter(Line) : Line;
}

void StrArrayClear(TStrArray& A)
{
    A.Items.clear();
    A.Items.shrink_to_fit();
}

int StrArrayCount(const TStrArray& A) { return static_cast<int>(A.Items.size()); }

std::string StrArrayGet(const TStrArray& A, int Index)
{
    return (Index < 0 || Index >= StrArrayCount(A)) ? std::string() : A.Items[static_cast<size_t>(Index)];
}

void StrArraySet(TStrArray& A, int Index, const std::string& Text)
{
    if (Index >= 0 && Index < StrArrayCount(A))
        A.Items[static_cast<size_t>(Index)] = Text;
}

std::string StrArrayJoin(const TStrArray& A)
{
    std::string joined;
    for (const std::string& item : A.Items)
        joined += item + "\r\n";
    return joined;
}

void StrArrayAddLines(TStrArray& A, const std::string& Text)
{
    if (Text.empty())
        return;
    int slots = CountLineBreaks(Text) + (IsLineBreak(Text.back()) ? 0 : 1);
    size_t next = static_cast<size_t>(StrArrayGrow(A, slots));
    size_t i = 0;
    while (i < Text.size()) {
        size_t end = i;
        while (end < Text.size() && !IsLineBreak(Text[end]))
            ++end;
        if (end > i)
            A.Items[next++] = StrArrayConvertLine(A, Text.substr(i, end - i));
        while (end < Text.size() && IsLineBreak(Text[end]))
            ++end;
        i = end;
    }
}

// ---- URL schemes --------------------------------------------------------------------------------

std::string UrlScheme(const std::string& Url, int From)
{
    int colon = PosCharFrom(':', Url, From);
    return colon == 0 ? std::string() : Url.substr(static_cast<size_t>(From) - 1, static_cast<size_t>(colon - From + 1));
}

std::string UrlAfterScheme(const std::string& Url)
{
    size_t colon = Url.find(':');
    if (colon == std::string::npos)
        return Url;
    size_t rest = colon + 1;
    while (rest < Url.size() && Url[rest] == '/')
        ++rest;
    return Url.substr(rest);
}

bool IsAboutUrl(const std::string& Url) { return StartsWithText("about:", Url); }
bool IsCidUrl(const std::string& Url) { return StartsWithText("cid:", Url); }
bool IsDataUrl(const std::string& Url) { return StartsWithText("data:", Url); }
bool IsFileUrl(const std::string& Url) { return StartsWithText("file:", Url); }
bool IsMailtoUrl(const std::string& Url) { return StartsWithText("mailto:", Url); }
bool IsResUrl(const std::string& Url) { return StartsWithText("res:", Url); }

// ---- Hexadecimal and number text ----------------------------------------------------------------

char LowerAsciiChar(char B) { return (B >= 'A' && B <= 'Z') ? static_cast<char>(B + ('a' - 'A')) : B; }

void ByteToHexPair(uint8_t B, char* Buf)
{
    if (!Buf)
        return;
    Buf[0] = NibbleToHexChar(B >> 4);
    Buf[1] = NibbleToHexChar(B);
}

char NibbleToHexChar(uint8_t V) { return "0123456789ABCDEF"[V & 15]; }

uint8_t HexDigitValue(char C)
{
    if (C >= '0' && C <= '9')
        return static_cast<uint8_t>(C - '0');
    if (C >= 'A' && C <= 'F')
        return static_cast<uint8_t>(C - 'A' + 10);
    if (C >= 'a' && C <= 'f')
        return static_cast<uint8_t>(C - 'a' + 10);
    return 0;
}

uint8_t HexPairToByte(const char* P)
{
    // The second byte is read only after the first proved to be a digit, so a terminating zero
    // right after P is never overrun.
    if (!P || !IsHexDigit(P[0]) || !IsHexDigit(P[1]))
        return 0;
    return static_cast<uint8_t>(HexDigitValue(P[0]) << 4 | HexDigitValue(P[1]));
}

uint8_t HexPairToByteEx(const char* P, bool Single)
{
    if (!Single)
        return HexPairToByte(P);
    return (P && IsHexDigit(P[0])) ? HexDigitValue(P[0]) : 0;
}

std::string CardinalToHex8(uint32_t V)
{
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(V));
    return buf;
}

std::string CardinalToDecimal(uint32_t V) { return std::to_string(V); }

std::string BytesToHex(const void* Data, int HexLen)
{
    int count = HexLen / 2;
    if (!Data || count < 1)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(Data);
    std::string hex(static_cast<size_t>(count) * 2, '0');
    for (int i = 0; i < count; ++i)
        ByteToHexPair(bytes[i], &hex[static_cast<size_t>(i) * 2]);
    return hex;
}

uint32_t ParseCardinal(const std::string& Text)
{
    auto badDigit = [&] { return EConvertError("'" + Text + "' is not a valid integer value"); };
    size_t i = 0;
    bool hex = false;
    if (!Text.empty() && Text[0] == '$') {
        hex = true;
        i = 1;
    } else if (Text.size() >= 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
        hex = true;
        i = 2;
    }
    if (i >= Text.size())
        throw badDigit(); // empty, or a prefix without digits
    while (i < Text.size() && Text[i] == '0')
        ++i; // leading zeros are not significant
    uint64_t value = 0;
    int significant = 0;
    for (; i < Text.size(); ++i) {
        char c = Text[i];
        if (hex ? !IsHexDigit(c) : !(c >= '0' && c <= '9'))
            throw badDigit();
        if (hex) {
            if (++significant > 8)
                throw EIntOverflow();
            value = value << 4 | HexDigitValue(c);
        } else {
            value = value * 10 + static_cast<uint64_t>(c - '0');
            if (value > 0xFFFFFFFFu)
                throw EIntOverflow();
        }
    }
    return static_cast<uint32_t>(value);
}

uint32_t ParseCardinalDef(const std::string& Text, uint32_t Default)
{
    try {
        return ParseCardinal(Text);
    } catch (const EConvertError&) {
        return Default;
    } catch (const EIntOverflow&) {
        return Default;
    }
}

// ---- Blanks and trimming ------------------------------------------------------------------------

TCharSet::TCharSet(std::string_view Members)
{
    for (char c : Members)
        Bits.set(static_cast<unsigned char>(c));
}

std::string TrimBlanksLeft(const std::string& Text)
{
    size_t first = 0;
    while (first < Text.size() && IsBlank(Text[first]))
        ++first;
    return Text.substr(first);
}

std::string TrimBlanksRight(const std::string& Text)
{
    size_t end = Text.size();
    while (end > 0 && IsBlank(Text[end - 1]))
        --end;
    return Text.substr(0, end);
}

std::string TrimBlanks(const std::string& Text) { return TrimBlanksLeft(TrimBlanksRight(Text)); }

std::string TrimCharSet(const std::string& Text, const TCharSet& Set)
{
    size_t first = 0, end = Text.size();
    while (first < end && Set.Contains(Text[first]))
        ++first;
    while (end > first && Set.Contains(Text[end - 1]))
        --end;
    return Text.substr(first, end - first);
}

std::string TrimmedRange(const std::string& Text, int From, int Count)
{
    size_t first = static_cast<size_t>(std::max(From, 1)) - 1;
    if (Count < 1 || first >= Text.size())
        return {};
    return TrimBlanks(Text.substr(first, static_cast<size_t>(Count)));
}

int NextNonBlankPos(const std::string& Text, int Start)
{
    if (Start < 1 || static_cast<size_t>(Start) > Text.size())
        return 0;
    for (size_t i = static_cast<size_t>(Start) - 1; i < Text.size(); ++i)
        if (static_cast<signed char>(Text[i]) > 32)
            return static_cast<int>(i) + 1;
    return 0;
}

std::string RemoveLineBreaks(const std::string& Text)
{
    std::string joined;
    joined.reserve(Text.size());
    for (char c : Text)
        if (!IsLineBreak(c))
            joined += c;
    return joined;
}

std::string NormalizeCrLf(std::string Text)
{
    // Text already in CR LF is given back as it is; the rest is built from the first other break on.
    size_t from = Text.find_first_of("\r\n");
    while (from != std::string::npos && Text[from] == CR && from + 1 < Text.size() && Text[from + 1] == LF)
        from = Text.find_first_of("\r\n", from + 2);
    if (from == std::string::npos)
        return Text;
    std::string normal;
    normal.reserve(Text.size() + Text.size() / 16);
    normal.assign(Text, 0, from);
    for (size_t i = from; i < Text.size(); ++i) {
        char c = Text[i];
        if (c == CR && i + 1 < Text.size() && Text[i + 1] == LF) {
            normal += "\r\n";
            ++i;
        } else if (IsLineBreak(c)) {
            normal += "\r\n";
        } else {
            normal += c;
        }
    }
    return normal;
}

std::string CrLfToBlank(const std::string& Text) { return ReplaceAllStr(Text, "\r\n", " "); }

std::string UnwrapAngleBrackets(const std::string& Text) { return Unwrap(Text, '<', '>'); }

std::string UnwrapQuotes(const std::string& Text) { return Unwrap(Text, '"', '"'); }

std::string RemoveAccelChar(const std::string& Text)
{
    std::string s = Text;
    size_t amp = s.find('&');
    if (amp != std::string::npos)
        s.erase(amp, 1);
    return s;
}

// ---- Lines, words and cutting -------------------------------------------------------------------

std::string FirstLineOf(const char* P)
{
    if (!P)
        return {};
    return std::string(P, std::strcspn(P, "\r"));
}

std::string GetLineN(const char* P, int N)
{
    if (!P || N < 1)
        return {};
    const char* line = P;
    for (int i = 1; i < N; ++i) {
        const char* cr = std::strchr(line, CR);
        if (!cr)
            break; // fewer lines: the last one
        line = cr + std::strspn(cr, "\r\n");
    }
    return FirstLineOf(line);
}

std::string TextBeforeChar(const std::string& Text, char C)
{
    size_t at = Text.find(C);
    return (at == std::string::npos || at == 0) ? Text : Text.substr(0, at);
}

std::string CutAtChar(std::string& S, char C)
{
    size_t at = S.find(C);
    std::string head;
    if (at == std::string::npos) {
        head.swap(S);
    } else {
        head = S.substr(0, at);
        S.erase(0, at + 1);
    }
    return head;
}

std::string CutFirstWord(std::string& S)
{
    auto blank = std::find_if(S.begin(), S.end(), IsBlank);
    if (blank == S.end()) {
        std::string word = TrimBlanks(S);
        S.clear();
        return word;
    }
    size_t at = static_cast<size_t>(blank - S.begin());
    std::string word = TrimBlanks(S.substr(0, at));
    S.erase(0, at + 1);
    return word;
}

std::string DeleteRangeCopy(const std::string& Text, int From, int Count)
{
    std::string copy = Text;
    if (From >= 1 && Count >= 1 && static_cast<size_t>(From) <= copy.size())
        copy.erase(static_cast<size_t>(From) - 1, static_cast<size_t>(Count));
    return copy;
}

std::string DropLastChars(const std::string& Text, int N)
{
    if (N >= 0)
        return Text;
    size_t drop = static_cast<size_t>(-static_cast<int64_t>(N));
    return drop >= Text.size() ? std::string() : Text.substr(0, Text.size() - drop);
}

std::string ReplaceRange(const std::string& Text, const std::string& Insert, int At, int Count)
{
    if (Text.empty() || Insert.empty() || At < 1)
        return Text;
    if (static_cast<size_t>(At) > Text.size())
        return Text + Insert;
    std::string s = Text;
    s.replace(static_cast<size_t>(At) - 1, static_cast<size_t>(std::max(Count, 0)), Insert);
    return s;
}

std::string ReplaceAllStr(const std::string& Text, const std::string& Pattern, const std::string& Replacement)
{
    if (Text.empty() || Pattern.empty())
        return Text;
    std::string result;
    int from = 1;
    for (int at = PosStrFrom(Pattern, Text, from); at != 0; at = PosStrFrom(Pattern, Text, from)) {
        result.append(Text, static_cast<size_t>(from) - 1, static_cast<size_t>(at - from));
        result += Replacement;
        from = at + static_cast<int>(Pattern.size());
    }
    if (static_cast<size_t>(from) <= Text.size())
        result.append(Text, static_cast<size_t>(from) - 1, std::string::npos);
    return result;
}

std::string DecodeHexEscapes(const std::string& Text, bool KeepBlank, char Esc)
{
    std::string decoded;
    decoded.reserve(Text.size());
    const char* p = Text.c_str(); // the terminating zero stops HexPairToByte at the end
    size_t i = 0;
    while (i < Text.size()) {
        if (p[i] != Esc) {
            decoded += p[i++];
            continue;
        }
        if (Esc == '=' && IsLineBreak(p[i + 1])) {
            ++i;
            while (i < Text.size() && IsLineBreak(p[i]))
                ++i;
            continue;
        }
        uint8_t value = HexPairToByte(p + i + 1);
        if (value == 0 || (KeepBlank && IsBlank(static_cast<char>(value)))) {
            decoded += p[i++];
        } else {
            decoded += static_cast<char>(value);
            i += 3;
        }
    }
    return decoded.size() < Text.size() ? decoded : Text;
}

char* CopyBytesAdvance(char* Dest, const char* Src, int Count, bool AddCrLf)
{
    if (Count <= 0 || !Dest || !Src)
        return Dest;
    std::memmove(Dest, Src, static_cast<size_t>(Count));
    Dest += Count;
    if (AddCrLf) {
        *Dest++ = CR;
        *Dest++ = LF;
    }
    return Dest;
}

void FillBytes(void* P, int Count, uint8_t B)
{
    if (P && Count > 0)
        std::memset(P, B, static_cast<size_t>(Count));
}

int SafeStrLen(const char* P) { return P ? static_cast<int>(std::strlen(P)) : 0; }

std::string BytesToString(const char* P, int Count)
{
    return (P && Count > 0) ? std::string(P, static_cast<size_t>(Count)) : std::string();
}

// ---- File-name parts ----------------------------------------------------------------------------

std::string ExtractBaseName(const std::string& Path)
{
    std::string name = GetFileNamePart(Path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string GetFileExtension(const std::string& Path)
{
    size_t dot = Path.rfind('.');
    return dot == std::string::npos ? std::string() : Path.substr(dot);
}

std::string GetFileNamePart(const std::string& Path) { return Path.substr(FileNameStart(Path)); }

std::string GetFolderPart(const std::string& Path) { return Path.substr(0, FileNameStart(Path)); }

std::string GetDrivePart(const std::string& Path)
{
    return (Path.size() >= 2 && Path[1] == ':') ? Path.substr(0, 2) : std::string();
}

std::string ReplaceFileExtension(const std::string& Path, const std::string& Ext)
{
    if (Path.empty())
        return {};
    std::string bare = (!Ext.empty() && Ext[0] == '.') ? Ext.substr(1) : Ext;
    size_t dot = Path.rfind('.');
    if (dot == std::string::npos || dot < FileNameStart(Path))
        return Path + '.' + bare;
    return Path.substr(0, dot + 1) + bare;
}

void TruncateWithBackslash(std::string& S, int Len)
{
    if (Len < 1) {
        S.clear();
        return;
    }
    size_t len = static_cast<size_t>(Len);
    if (len <= S.size() && S[len - 1] == '\\') {
        S.resize(len);
    } else if (len < S.size()) {
        S.resize(len + 1);
        S[len] = '\\';
    } else if (S.empty() || S.back() != '\\') {
        S += '\\';
    }
}

std::string WithTrailingBackslash(const std::string& Path)
{
    if (Path.empty() || Path.back() == '\\')
        return Path;
    return Path + '\\';
}

std::string HtmlClipboardData(const std::string& Html)
{
    int htmlPos = PosText("<html", Html);
    unsigned start = htmlPos ? 104u + static_cast<unsigned>(htmlPos) : 105u;
    unsigned end = 105u + static_cast<unsigned>(Html.size());
    char header[128];
    std::snprintf(header, sizeof header,
        "Version:0.9\r\nStartHTML:%.10u\r\nEndHTML:%.10u\r\nStartFragment:%.10u\r\nEndFragment:%.10u\r\n", start,
        end, start, end);
    return header + Html;
}

std::string DecodePercentEscapes(const std::string& Text)
{
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '%' && i + 2 < Text.size() && isxdigit(static_cast<unsigned char>(Text[i + 1])) &&
            isxdigit(static_cast<unsigned char>(Text[i + 2]))) {
            out += static_cast<char>(HexDigitValue(Text[i + 1]) * 16 + HexDigitValue(Text[i + 2]));
            i += 2;
        } else {
            out += Text[i];
        }
    }
    return out;
}
