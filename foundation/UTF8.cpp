// Charset conversions: the iconv road (library bound by name from a full path) and the road
// without it (Windows code-page functions and the own UTF-8 codec). No conversion throws.
#include "foundation/UTF8.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/LibraryBinding.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

using TIconvOpen = void*(__cdecl*)(const char* ToCode, const char* FromCode);
using TIconvClose = int(__cdecl*)(void* Descriptor);
using TIconv
    = size_t(__cdecl*)(void* Descriptor, const char** In, size_t* InLeft, char** Out, size_t* OutLeft);
using TIconvLastError = int(__cdecl*)();
using TIconvCanonicalize = const char*(__cdecl*)(const char* Name);
using TLocaleCharset = const char*(__cdecl*)();

// The bound entry points; set at start-up and kept until the unit is finalised.
struct TIconvBinding {
    TLibrary Library;
    TIconvOpen Open = nullptr;
    TIconvClose Close = nullptr;
    TIconv Convert = nullptr;
    TIconvLastError LastError = nullptr;
    TIconvCanonicalize Canonicalize = nullptr;
    TLocaleCharset LocaleCharset = nullptr;
};

TIconvBinding Iconv;

// The iconv library's UTF-16 name. "UTF-16LE" rather than "UCS-2-INTERNAL": the same bytes for
// the basic plane, and characters beyond it survive instead of failing the whole conversion.
constexpr const char* Utf16Name = "UTF-16LE";
constexpr const char* Translit = "//TRANSLIT";
constexpr int IconvTooBig = 7; // E2BIG
// Output grows at most this many times (doubling) when a conversion needs more room.
constexpr int MaxGrowth = 4;

void* const InvalidDescriptor = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

class TIconvDescriptor {
public:
    TIconvDescriptor(const std::string& To, const std::string& From)
        : Handle(Iconv.Open(To.c_str(), From.c_str()))
    {
    }
    ~TIconvDescriptor()
    {
        if (Valid())
            Iconv.Close(Handle);
    }
    TIconvDescriptor(const TIconvDescriptor&) = delete;
    TIconvDescriptor& operator=(const TIconvDescriptor&) = delete;

    bool Valid() const { return Handle != InvalidDescriptor && Handle != nullptr; }
    void* Get() const { return Handle; }

private:
    void* Handle;
};

bool IconvFailedForRoom(size_t OutLeft, size_t Room, size_t InLeft, size_t InSize)
{
    if (Iconv.LastError)
        return Iconv.LastError() == IconvTooBig;
    // Without the error entry point: a failure with the output nearly full, or one that neither
    // read nor wrote anything (a library that converts all or nothing), is taken as lack of room.
    return OutLeft < 16 || (OutLeft == Room && InLeft == InSize);
}

// Converts Text in one call into Room bytes; on lack of room retries with doubled room.
std::string IconvConvert(const std::string& To, const std::string& From, const std::string& Text, size_t Room)
{
    if (Text.empty() || !Iconv.Open)
        return {};
    TIconvDescriptor descriptor(To, From);
    if (!descriptor.Valid())
        return {};
    Room += 16;
    for (int attempt = 0; attempt <= MaxGrowth; ++attempt, Room *= 2) {
        std::string out(Room, '\0');
        const char* in = Text.data();
        size_t inLeft = Text.size();
        char* outPos = out.data();
        size_t outLeft = Room;
        size_t result = Iconv.Convert(descriptor.Get(), &in, &inLeft, &outPos, &outLeft);
        if (result != static_cast<size_t>(-1)) // end a stateful target in its initial state
            result = Iconv.Convert(descriptor.Get(), nullptr, nullptr, &outPos, &outLeft);
        if (result != static_cast<size_t>(-1)) {
            out.resize(Room - outLeft);
            return out;
        }
        if (!IconvFailedForRoom(outLeft, Room, inLeft, Text.size()))
            return {};
        Iconv.Convert(descriptor.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    return {};
}

std::string LocaleCharsetName()
{
    if (Iconv.LocaleCharset) {
        const char* name = Iconv.LocaleCharset();
        if (name && *name)
            return name;
    }
    return "CP" + CardinalToDecimal(GetACP());
}

std::string Utf16WithNul(const std::wstring& Wide)
{
    std::string out(reinterpret_cast<const char*>(Wide.data()), Wide.size() * 2);
    out.append(2, '\0');
    return out;
}

// UTF-16 units of a byte string up to its first 0 unit.
std::wstring UnitsOf(const std::string& Utf16)
{
    std::wstring wide;
    for (size_t i = 0; i + 1 < Utf16.size(); i += 2) {
        const auto unit = static_cast<wchar_t>(uint8_t(Utf16[i]) | uint8_t(Utf16[i + 1]) << 8);
        if (unit == 0)
            break;
        wide += unit;
    }
    return wide;
}

bool MultiByteToWide(UINT CodePage, DWORD Flags, const std::string& Text, std::wstring& Wide)
{
    Wide.clear();
    if (Text.empty())
        return true;
    const int units = MultiByteToWideChar(CodePage, Flags, Text.data(), int(Text.size()), nullptr, 0);
    if (units <= 0)
        return false;
    Wide.assign(size_t(units), L'\0');
    return MultiByteToWideChar(CodePage, Flags, Text.data(), int(Text.size()), Wide.data(), units) == units;
}

std::string WideToMultiByte(UINT CodePage, const std::wstring& Wide)
{
    if (Wide.empty())
        return {};
    const int size
        = WideCharToMultiByte(CodePage, 0, Wide.data(), int(Wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string out(size_t(size), '\0');
    if (WideCharToMultiByte(CodePage, 0, Wide.data(), int(Wide.size()), out.data(), size, nullptr, nullptr)
        != size)
        return {};
    return out;
}

// Text in a Windows code page to UTF-8; a trailing NUL of the conversion is dropped.
std::string CodePageTextToUtf8(UINT CodePage, DWORD Flags, const std::string& Text)
{
    std::wstring wide;
    if (!MultiByteToWide(CodePage, Flags, Text, wide))
        return {};
    std::string utf8 = WideToMultiByte(CP_UTF8, wide);
    if (!utf8.empty() && utf8.back() == '\0')
        utf8.pop_back();
    return utf8;
}

std::string UpperAscii(std::string Text)
{
    for (auto& c : Text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return Text;
}

// Windows code page for a common MIME charset name, used without the iconv library so that such
// bodies are not read as ANSI; 0 when there is none.
UINT FallbackCodePage(const std::string& Charset)
{
    static constexpr struct {
        const char* Name;
        UINT CodePage;
    } names[] = { { "UTF-8", CP_UTF8 }, { "UTF8", CP_UTF8 }, { "UTF-7", CP_UTF7 }, { "KOI8-R", 20866 },
        { "KOI8-U", 21866 }, { "GB18030", 54936 }, { "ISO-2022-JP", 50220 }, { "EUC-JP", 20932 },
        { "EUC-CN", 936 }, { "EUC-KR", 949 } };
    const std::string name = UpperAscii(Charset);
    for (const auto& n : names)
        if (name == n.Name)
            return IsValidCodePage(n.CodePage) ? n.CodePage : 0;
    UINT codePage = 0;
    if (StartsWithStr("ISO-8859-", name)) {
        const UINT part = ParseCardinalDef(name.substr(9), 0);
        codePage = part >= 1 && part <= 16 ? 28590 + part : 0;
    } else if (StartsWithStr("WINDOWS-", name)) {
        codePage = ParseCardinalDef(name.substr(8), 0);
    } else if (StartsWithStr("CP", name)) {
        codePage = ParseCardinalDef(name.substr(2), 0);
    }
    return codePage != 0 && IsValidCodePage(codePage) ? codePage : 0;
}

std::string AnsiToUtf8WithoutIconv(const std::string& Text)
{
    std::wstring wide;
    if (!MultiByteToWide(CP_ACP, MB_ERR_INVALID_CHARS, Text, wide))
        return {};
    return EncodeUtf8(Utf16WithNul(wide));
}

// Code page of a charset-list row whose name part is Charset, or 0.
UINT ListedCodePage(const std::string& Charset)
{
    if (TCharsetList.Count() == 0)
        InitUTF8();
    const int row = TCharsetList.IndexOfName(Charset);
    return row < 0 ? 0 : static_cast<UINT>(IntFromObject(TCharsetList.Objects(row)));
}

} // namespace

TStringList TCharsetList;

bool IsSevenBitText(const std::string& Text)
{
    return std::all_of(
        Text.begin(), Text.end(), [](char c) { return c != '\0' && static_cast<unsigned char>(c) < 0x80; });
}

void InitUTF8()
{
    static constexpr struct {
        const char* Row;
        UINT CodePage;
    } rows[] = { { "SHIFT_JIS=CP932", 932 }, { "KSC_5601=CP949", 949 }, { "GB2312=CP936", 936 },
        { "BIG5=CP950", 950 }, { "EUC-CN=EUC-CN", 51936 }, { "EUC-JP=EUC-JP", 51932 },
        { "EUC-KR=EUC-KR", 51949 } };
    TCharsetList.Clear();
    TCharsetList.SetSorted(true);
    for (const auto& row : rows)
        TCharsetList.AddObject(row.Row, ObjectFromInt(row.CodePage));
}

void DoneUTF8()
{
    TCharsetList.Clear();
    Iconv = TIconvBinding {};
}

bool LoadIconvLibrary(const std::string& Folder)
{
    if (Iconv.Open)
        return true;
    if (Folder.empty())
        return false;
    const bool separated = Folder.back() == '\\' || Folder.back() == '/';
    TIconvBinding binding;
    binding.Library = TLibrary(Folder + (separated ? "" : "\\") + "IConv.dll");
    if (!binding.Library)
        return false;
    const ProcBinding table[] = {
        BindProc("libiconv_open", binding.Open),
        BindProc("libiconv_close", binding.Close),
        BindProc("libiconv", binding.Convert),
        BindProc("iconv_getlasterror", binding.LastError),
        BindProc("iconv_canonicalize", binding.Canonicalize),
        BindProc("locale_charset", binding.LocaleCharset),
    };
    BindProcs(binding.Library.Handle(), table);
    if (!binding.Open || !binding.Close || !binding.Convert)
        return false;
    Iconv = std::move(binding);
    return true;
}

bool IconvLoaded()
{
    return Iconv.Open != nullptr;
}

std::string NormalizeCharsetName(const std::string& Name)
{
    const std::string name = UpperAscii(Name);
    if (name.empty() || name == "CHAR" || name == "US-ASCII")
        return "WINDOWS-" + CardinalToDecimal(GetACP());
    if (name == "ISO-8859-1")
        return "WINDOWS-1252";
    return name;
}

std::string CanonicalCharsetName(const std::string& Name)
{
    if (Iconv.Canonicalize) {
        const char* canonical = Iconv.Canonicalize(Name.c_str());
        return canonical ? canonical : Name;
    }
    if (StartsWithText("WINDOWS-", Name))
        return "CP" + Name.substr(8);
    return Name;
}

std::string LocaleToUtf8(const std::string& Text)
{
    if (IconvLoaded())
        return IconvConvert("UTF-8", LocaleCharsetName(), Text, 4 * Text.size());
    return AnsiToUtf8WithoutIconv(Text);
}

std::string Utf8ToLocale(const std::string& Text)
{
    if (IsSevenBitText(Text))
        return Text;
    const std::string utf8 = WithoutUtf8Bom(Text);
    if (IconvLoaded())
        return IconvConvert(LocaleCharsetName() + Translit, "UTF-8", utf8, utf8.size());
    return WideToMultiByte(CP_ACP, UnitsOf(DecodeUtf8(utf8)));
}

std::string LocaleToUcs2(const std::string& Text)
{
    if (Text.empty())
        return {};
    if (IconvLoaded()) {
        std::string utf16 = IconvConvert(Utf16Name, LocaleCharsetName(), Text, 2 * Text.size());
        return utf16.empty() ? utf16 : utf16.append(2, '\0');
    }
    return AnsiToWideBuffer(Text);
}

std::string Ucs2ToLocale(const std::string& Text)
{
    const std::wstring wide = UnitsOf(Text);
    if (IconvLoaded())
        return IconvConvert(LocaleCharsetName() + Translit, Utf16Name,
            std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2), wide.size() * 2);
    return WideToMultiByte(CP_ACP, wide);
}

std::string Utf8ToUcs2(const std::string& Text)
{
    const std::string utf8 = WithoutUtf8Bom(Text);
    if (utf8.empty())
        return {};
    if (IconvLoaded()) {
        std::string utf16 = IconvConvert(Utf16Name, "UTF-8", utf8, 2 * utf8.size());
        return utf16.empty() ? utf16 : utf16.append(2, '\0');
    }
    return DecodeUtf8(utf8);
}

std::string Ucs2ToUtf8(const std::string& Text)
{
    if (IconvLoaded()) {
        const std::wstring wide = UnitsOf(Text);
        return IconvConvert("UTF-8", Utf16Name,
            std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2), wide.size() * 4);
    }
    return EncodeUtf8(Text);
}

std::string LocaleToCharset(const std::string& Text, const std::string& Charset)
{
    return IconvConvert(CanonicalCharsetName(Charset) + Translit, LocaleCharsetName(), Text, 4 * Text.size());
}

std::string CharsetToLocale(const std::string& Text, const std::string& Charset)
{
    return IconvConvert(LocaleCharsetName() + Translit, CanonicalCharsetName(Charset), Text, Text.size());
}

std::string Utf8ToCharset(const std::string& Text, const std::string& Charset)
{
    return IconvConvert(CanonicalCharsetName(Charset) + Translit, "UTF-8", Text, Text.size());
}

std::string CharsetToUtf8(const std::string& Text, const std::string& Charset)
{
    if (Text.empty())
        return {};
    if (ListedCodePage(Charset) != 0) {
        std::string utf8 = CodePageToUtf8(Text, Charset, false);
        // Some systems lack the list's EUC code pages; the other roads may still read the text.
        if (!utf8.empty())
            return utf8;
    }
    if (IconvLoaded())
        return IconvConvert("UTF-8", CanonicalCharsetName(Charset), Text, 4 * Text.size());
    if (const UINT codePage = FallbackCodePage(Charset))
        return CodePageTextToUtf8(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, Text);
    return AnsiToUtf8WithoutIconv(Text);
}

std::string CodePageToUtf8(const std::string& Text, const std::string& Charset, bool WithBom)
{
    const UINT codePage = ListedCodePage(Charset);
    if (codePage == 0 || Text.empty())
        return {};
    const std::string utf8 = CodePageTextToUtf8(codePage, 0, Text);
    if (utf8.empty() || !WithBom)
        return utf8;
    return "\xEF\xBB\xBF" + utf8;
}

std::string AnyTextToLocale(const std::string& Text)
{
    if (Text.empty())
        return {};
    if (Text.back() == '\0')
        return Ucs2ToLocale(Text);
    std::string ansi = Utf8ToLocale(Text);
    return ansi.empty() ? Text : ansi;
}

std::string AnyTextToUcs2(const std::string& Text)
{
    if (Text.empty())
        return {};
    if (Text.back() == '\0')
        return Text;
    std::string utf16 = Utf8ToUcs2(Text);
    return utf16.empty() ? LocaleToUcs2(Text) : utf16;
}
