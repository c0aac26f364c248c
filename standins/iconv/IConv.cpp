// Stand-in for the iconv library: the entry points the charset unit binds, converting through
// UTF-16 with the Windows code-page functions. "//TRANSLIT" on the target replaces characters
// the target lacks (a few by text, the rest by the system's best fit) instead of failing.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// errno values of the C library the real library is built with.
constexpr int ErrTooBig = 7; // E2BIG
constexpr int ErrInvalid = 22; // EINVAL
constexpr int ErrIllegalSeq = 42; // EILSEQ

thread_local int LastError = 0;

enum class TForm { CodePage, Utf16, Ucs2 };

struct TCharset {
    TForm Form = TForm::CodePage;
    UINT CodePage = 0;
};

struct TConverter {
    TCharset From, To;
    bool Translit = false;
};

struct TAlias {
    const char* Name;
    const char* Canonical;
    TForm Form;
    UINT CodePage;
};

constexpr TAlias Aliases[] = {
    { "UTF-8", "UTF-8", TForm::CodePage, CP_UTF8 },
    { "UTF8", "UTF-8", TForm::CodePage, CP_UTF8 },
    { "UTF-7", "UTF-7", TForm::CodePage, CP_UTF7 },
    { "UTF-16LE", "UTF-16LE", TForm::Utf16, 0 },
    { "UCS-2-INTERNAL", "UCS-2-INTERNAL", TForm::Ucs2, 0 },
    { "UCS-2LE", "UCS-2LE", TForm::Ucs2, 0 },
    { "US-ASCII", "ASCII", TForm::CodePage, 20127 },
    { "ASCII", "ASCII", TForm::CodePage, 20127 },
    { "LATIN1", "ISO-8859-1", TForm::CodePage, 28591 },
    { "SHIFT_JIS", "SHIFT_JIS", TForm::CodePage, 932 },
    { "KSC_5601", "CP949", TForm::CodePage, 949 },
    { "GB2312", "EUC-CN", TForm::CodePage, 936 },
    { "EUC-CN", "EUC-CN", TForm::CodePage, 936 },
    { "BIG5", "BIG5", TForm::CodePage, 950 },
    { "EUC-JP", "EUC-JP", TForm::CodePage, 20932 },
    { "EUC-KR", "EUC-KR", TForm::CodePage, 949 },
    { "KOI8-R", "KOI8-R", TForm::CodePage, 20866 },
    { "KOI8-U", "KOI8-U", TForm::CodePage, 21866 },
    { "GB18030", "GB18030", TForm::CodePage, 54936 },
    { "ISO-2022-JP", "ISO-2022-JP", TForm::CodePage, 50220 },
};

// Replacements "//TRANSLIT" uses before the system's best fit.
constexpr struct {
    wchar_t Char;
    const char* Text;
} Transliterations[]
    = { { 0x20AC, "EUR" }, { 0x2122, "TM" }, { 0x2026, "..." }, { 0x0152, "OE" }, { 0x0153, "oe" } };

std::string Upper(const char* Name)
{
    std::string text(Name);
    for (auto& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool ParseNumber(const std::string& Digits, UINT& Number)
{
    if (Digits.empty() || Digits.size() > 5)
        return false;
    Number = 0;
    for (const char c : Digits) {
        if (c < '0' || c > '9')
            return false;
        Number = Number * 10 + UINT(c - '0');
    }
    return true;
}

// Looks a charset name up; "CPnnn", "WINDOWS-nnn" and "ISO-8859-n" by their number.
bool FindCharset(const std::string& Name, TCharset& Charset, std::string* Canonical = nullptr)
{
    for (const auto& alias : Aliases) {
        if (Name == alias.Name) {
            Charset = { alias.Form, alias.CodePage };
            if (Canonical)
                *Canonical = alias.Canonical;
            return true;
        }
    }
    UINT number = 0;
    if ((Name.rfind("CP", 0) == 0 && ParseNumber(Name.substr(2), number))
        || (Name.rfind("WINDOWS-", 0) == 0 && ParseNumber(Name.substr(8), number))) {
        if (!IsValidCodePage(number))
            return false;
        Charset = { TForm::CodePage, number };
        if (Canonical)
            *Canonical = "CP" + std::to_string(number);
        return true;
    }
    if (Name.rfind("ISO-8859-", 0) == 0 && ParseNumber(Name.substr(9), number) && number >= 1
        && number <= 16) {
        Charset = { TForm::CodePage, 28590 + number };
        if (Canonical)
            *Canonical = Name;
        return true;
    }
    return false;
}

bool ToWide(const TCharset& From, const char* In, size_t Size, std::wstring& Wide)
{
    if (From.Form != TForm::CodePage) {
        if (Size % 2 != 0)
            return false;
        Wide.assign(Size / 2, L'\0');
        std::memcpy(Wide.data(), In, Size);
        if (From.Form == TForm::Ucs2)
            for (const wchar_t c : Wide)
                if (c >= 0xD800 && c <= 0xDFFF)
                    return false;
        return true;
    }
    if (Size == 0) {
        Wide.clear();
        return true;
    }
    const DWORD flags = From.CodePage == CP_UTF7 ? 0 : MB_ERR_INVALID_CHARS;
    const int units = MultiByteToWideChar(From.CodePage, flags, In, int(Size), nullptr, 0);
    if (units <= 0)
        return false;
    Wide.assign(size_t(units), L'\0');
    return MultiByteToWideChar(From.CodePage, flags, In, int(Size), Wide.data(), units) == units;
}

// One code-page conversion of Wide; Exact refuses any character the target lacks.
bool FromWideCodePage(UINT CodePage, const wchar_t* Wide, int Units, bool Exact, std::string& Out)
{
    Out.clear();
    if (Units == 0)
        return true;
    const bool unicodeTarget = CodePage == CP_UTF8 || CodePage == CP_UTF7;
    const DWORD flags = unicodeTarget ? (CodePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0)
                                      : (Exact ? WC_NO_BEST_FIT_CHARS : 0);
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultArg = unicodeTarget ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(CodePage, flags, Wide, Units, nullptr, 0, nullptr, usedDefaultArg);
    if (size <= 0 || (Exact && usedDefault))
        return false;
    Out.assign(size_t(size), '\0');
    return WideCharToMultiByte(CodePage, flags, Wide, Units, Out.data(), size, nullptr, usedDefaultArg)
        == size;
}

bool TransliterateCodePage(UINT CodePage, const std::wstring& Wide, std::string& Out)
{
    Out.clear();
    for (size_t i = 0; i < Wide.size();) {
        const size_t units = (Wide[i] >= 0xD800 && Wide[i] <= 0xDBFF && i + 1 < Wide.size()) ? 2 : 1;
        std::string piece;
        if (!FromWideCodePage(CodePage, Wide.data() + i, int(units), true, piece)) {
            const char* replacement = nullptr;
            for (const auto& t : Transliterations)
                if (units == 1 && Wide[i] == t.Char)
                    replacement = t.Text;
            if (replacement)
                piece = replacement;
            else if (!FromWideCodePage(CodePage, Wide.data() + i, int(units), false, piece))
                return false;
        }
        Out += piece;
        i += units;
    }
    return true;
}

bool FromWide(const TConverter& Conv, const std::wstring& Wide, std::string& Out)
{
    if (Conv.To.Form != TForm::CodePage) {
        if (Conv.To.Form == TForm::Ucs2)
            for (const wchar_t c : Wide)
                if (c >= 0xD800 && c <= 0xDFFF)
                    return false;
        Out.assign(reinterpret_cast<const char*>(Wide.data()), Wide.size() * 2);
        return true;
    }
    if (FromWideCodePage(Conv.To.CodePage, Wide.data(), int(Wide.size()), true, Out))
        return true;
    return Conv.Translit && TransliterateCodePage(Conv.To.CodePage, Wide, Out);
}

size_t Fail(int Error)
{
    LastError = Error;
    errno = Error;
    return size_t(-1);
}

} // namespace

extern "C" {

void* libiconv_open(const char* ToCode, const char* FromCode)
{
    if (ToCode == nullptr || FromCode == nullptr) {
        Fail(ErrInvalid);
        return reinterpret_cast<void*>(-1);
    }
    TConverter conv;
    std::string to = Upper(ToCode);
    const size_t suffix = to.find("//");
    if (suffix != std::string::npos) {
        conv.Translit = to.substr(suffix) == "//TRANSLIT";
        to.resize(suffix);
    }
    if (!FindCharset(to, conv.To) || !FindCharset(Upper(FromCode), conv.From)) {
        Fail(ErrInvalid);
        return reinterpret_cast<void*>(-1);
    }
    return new TConverter(conv);
}

// Converts the whole input in one step; when the output does not fit, nothing is written.
size_t libiconv(void* Descriptor, const char** In, size_t* InLeft, char** Out, size_t* OutLeft)
{
    if (Descriptor == nullptr || Descriptor == reinterpret_cast<void*>(-1))
        return Fail(ErrInvalid);
    if (In == nullptr || *In == nullptr || InLeft == nullptr)
        return 0; // reset of the shift state: nothing to do for these charsets
    if (Out == nullptr || *Out == nullptr || OutLeft == nullptr)
        return Fail(ErrInvalid);
    const auto& conv = *static_cast<const TConverter*>(Descriptor);
    std::wstring wide;
    std::string converted;
    if (!ToWide(conv.From, *In, *InLeft, wide) || !FromWide(conv, wide, converted))
        return Fail(ErrIllegalSeq);
    if (converted.size() > *OutLeft)
        return Fail(ErrTooBig);
    std::memcpy(*Out, converted.data(), converted.size());
    *Out += converted.size();
    *OutLeft -= converted.size();
    *In += *InLeft;
    *InLeft = 0;
    LastError = 0;
    return 0;
}

int libiconv_close(void* Descriptor)
{
    if (Descriptor == nullptr || Descriptor == reinterpret_cast<void*>(-1)) {
        Fail(ErrInvalid);
        return -1;
    }
    delete static_cast<TConverter*>(Descriptor);
    return 0;
}

// The canonical name of a known charset; an unknown name is returned as given.
const char* iconv_canonicalize(const char* Name)
{
    thread_local std::string canonical;
    TCharset charset;
    if (Name == nullptr || !FindCharset(Upper(Name), charset, &canonical))
        return Name;
    return canonical.c_str();
}

const char* locale_charset()
{
    thread_local std::string name;
    name = "CP" + std::to_string(GetACP());
    return name.c_str();
}

int iconv_getlasterror()
{
    return LastError;
}

} // extern "C"
