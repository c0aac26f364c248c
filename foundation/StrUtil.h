// StrUtil: the small byte-string routines every subsystem calls (string arrays, URL schemes, hex and
// number text, trimming, lines and cutting, file-name parts) and, on Windows, the system half
// (locale compares, memory blocks, folders, files, registry, version resources, clipboard).
#pragma once

#include "foundation/StrTools.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Byte strings are std::string in the ANSI code page; positions are 1-based, 0 = not found; an
// empty string stands for a missing one. Only ParseCardinal raises.

// ---- String array --------------------------------------------------------------------------------

using TLineConverter = std::function<std::string(const std::string&)>;

// A growable array of lines; Converter (optional) is applied to each line StrArrayAddLines stores.
struct TStrArray {
    std::vector<std::string> Items;
    TLineConverter Converter;
};

void StrArrayInit(TStrArray& A);
int StrArrayGrow(TStrArray& A, int N); // returns the index of the first new slot
std::string StrArrayConvertLine(const TStrArray& A, const std::string& Line);
void StrArrayClear(TStrArray& A);
int StrArrayCount(const TStrArray& A);
std::string StrArrayGet(const TStrArray& A, int Index);
void StrArraySet(TStrArray& A, int Index, const std::string& Text);
std::string StrArrayJoin(const TStrArray& A); // every item followed by CR LF
// Stores each non-empty line of Text (ends: CR, LF, CR LF; runs of breaks are one separator).
void StrArrayAddLines(TStrArray& A, const std::string& Text);

// ---- URL schemes --------------------------------------------------------------------------------

std::string UrlScheme(const std::string& Url, int From); // up to and including the first ':'
std::string UrlAfterScheme(const std::string& Url);
bool IsAboutUrl(const std::string& Url);
bool IsCidUrl(const std::string& Url);
bool IsDataUrl(const std::string& Url);
bool IsFileUrl(const std::string& Url);
bool IsMailtoUrl(const std::string& Url);
bool IsResUrl(const std::string& Url);

// ---- Hexadecimal and number text ----------------------------------------------------------------

char LowerAsciiChar(char B);
void ByteToHexPair(uint8_t B, char* Buf);
char NibbleToHexChar(uint8_t V);
uint8_t HexDigitValue(char C);
// The text with its "%hh" escapes decoded; a '%' without two hex digits after it stays.
std::string DecodePercentEscapes(const std::string& Text);
uint8_t HexPairToByte(const char* P);
uint8_t HexPairToByteEx(const char* P, bool Single);
std::string CardinalToHex8(uint32_t V);
std::string CardinalToDecimal(uint32_t V);
std::string BytesToHex(const void* Data, int HexLen);
// Decimal, or hexadecimal after "$", "0x" or "0X". Raises EIntOverflow when the value does not
// fit 32 bits and EConvertError for an empty text or a bad digit.
uint32_t ParseCardinal(const std::string& Text);
uint32_t ParseCardinalDef(const std::string& Text, uint32_t Default);

// ---- Blanks and trimming ("blank": a byte below 33) --------------------------------------------

// A set of byte values.
class TCharSet {
public:
    TCharSet() = default;
    explicit TCharSet(std::string_view Members);
    bool Contains(char C) const { return Bits.test(static_cast<unsigned char>(C)); }

private:
    std::bitset<256> Bits;
};

std::string TrimBlanks(const std::string& Text);
std::string TrimBlanksLeft(const std::string& Text);
std::string TrimBlanksRight(const std::string& Text);
std::string TrimCharSet(const std::string& Text, const TCharSet& Set);
std::string TrimmedRange(const std::string& Text, int From, int Count);
// Here bytes are taken signed, so 0x80-0xFF count as blanks.
int NextNonBlankPos(const std::string& Text, int Start);
std::string RemoveLineBreaks(const std::string& Text);
std::string NormalizeCrLf(std::string Text);
std::string CrLfToBlank(const std::string& Text);
std::string UnwrapAngleBrackets(const std::string& Text);
std::string UnwrapQuotes(const std::string& Text);
std::string RemoveAccelChar(const std::string& Text);

// ---- Lines, words and cutting -------------------------------------------------------------------

std::string FirstLineOf(const char* P);
std::string GetLineN(const char* P, int N);
std::string TextBeforeChar(const std::string& Text, char C);
std::string CutAtChar(std::string& S, char C);
std::string CutFirstWord(std::string& S);
std::string DeleteRangeCopy(const std::string& Text, int From, int Count);
std::string DropLastChars(const std::string& Text, int N);
std::string ReplaceRange(const std::string& Text, const std::string& Insert, int At, int Count);
std::string ReplaceAllStr(const std::string& Text, const std::string& Pattern, const std::string& Replacement);
// Esc '%' decodes URL escapes; Esc '=' also drops soft line breaks of quoted-printable text.
std::string DecodeHexEscapes(const std::string& Text, bool KeepBlank, char Esc);
char* CopyBytesAdvance(char* Dest, const char* Src, int Count, bool AddCrLf);
void FillBytes(void* P, int Count, uint8_t B);
int SafeStrLen(const char* P);
std::string BytesToString(const char* P, int Count);

// ---- File-name parts ('\' is the only separator) ------------------------------------------------

std::string ExtractBaseName(const std::string& Path);
std::string GetFileExtension(const std::string& Path); // from the last '.' of the whole text
std::string GetFileNamePart(const std::string& Path);
std::string GetFolderPart(const std::string& Path);
std::string GetDrivePart(const std::string& Path);
// Only a dot in the file-name part is an extension; without one '.' + Ext is appended.
std::string ReplaceFileExtension(const std::string& Path, const std::string& Ext);
void TruncateWithBackslash(std::string& S, int Len);
std::string WithTrailingBackslash(const std::string& Path);

// The bytes of the "HTML Format" clipboard block: a 105-byte header of offsets, then Html.
std::string HtmlClipboardData(const std::string& Html);

#ifdef _WIN32
#include "foundation/StrUtilWin.h"
#endif
