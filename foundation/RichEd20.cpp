// The Windows half of the rich-text unit: the hidden rich-edit converter, code-page conversions,
// URL services bound at run time (Normaliz, WinInet) and font and character-format helpers.

#include "foundation/RichEd20.h"

#include "foundation/FreeImage.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/WindowUtils.h"
#include "framework/LibraryBinding.h"

#include <wininet.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr DWORD ConverterStyle = WS_DISABLED | ES_MULTILINE; // 0x8000004
constexpr UINT WideCodePage = 1200;
constexpr DWORD BrowserDecodeFlags = ICU_BROWSER_MODE | ICU_DECODE; // 0x12000000
constexpr DWORD DecodeNoEncodeFlags = ICU_DECODE | ICU_NO_ENCODE; // 0x30000000
constexpr DWORD AllEffectsSizeFace
    = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_SIZE | CFM_FACE;
constexpr int FaceNameLimit = LF_FACESIZE - 1; // 31 characters
constexpr int TwipsPerPoint = 20;
constexpr const char* Utf8Bom = "\xEF\xBB\xBF";

struct TRichEd20Api {
    int(WINAPI* IdnToAscii)(DWORD, const WCHAR*, int, WCHAR*, int) = nullptr;
    int(WINAPI* IdnToUnicode)(DWORD, const WCHAR*, int, WCHAR*, int) = nullptr;
    BOOL(WINAPI* InternetCanonicalizeUrlA)(const char*, char*, DWORD*, DWORD) = nullptr;
    BOOL(WINAPI* InternetCrackUrlA)(const char*, DWORD, DWORD, URL_COMPONENTSA*) = nullptr;
};

struct TRichEd20Unit {
    TLibrary Normaliz;
    TLibrary WinInet;
    TRichEd20Api Api;
    bool Initialized = false;
};

TRichEd20Unit Unit;

const TRichEd20Api& Api()
{
    if (!Unit.Initialized)
        InitRichEd20();
    return Unit.Api;
}

// ---- Wide text helpers -----------------------------------------------------------------------------

const wchar_t* WidePointer(const std::string& S)
{
    return reinterpret_cast<const wchar_t*>(S.data());
}

std::string WideTextOfBuffer(const wchar_t* Units, int Count)
{
    std::string S;
    SetWideTextLength(S, Count);
    std::copy_n(reinterpret_cast<const char*>(Units), 2 * static_cast<size_t>(Count), S.begin());
    return S;
}

// ---- The converter window ----------------------------------------------------------------------------

// The rich-edit libraries stay loaded for the life of the process once a converter needed them.
void LoadRichEditLibraries()
{
    static const char* const names[] = { "MSFTEdit.dll", "RichEd20.dll", "Riched32.dll" };
    const std::string system = GetSystemFolder();
    for (const char* name : names)
        if (!GetModuleHandleA(name))
            LoadLibraryExA((system + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const char* ConverterClass(int Version)
{
    if (Version < 3)
        return "RICHEDIT";
    return GetModuleHandleA("MSFTEdit.dll") ? "RichEdit50W" : "RichEdit20W";
}

void PutText(HWND Window, int Version, const std::string& Text, bool Wide)
{
    // An empty UTF-16 text has no two-byte terminator of its own: the control would read past it.
    static constexpr wchar_t emptyWide[1] = {};
    const char* text = Wide && Text.size() < 2 ? reinterpret_cast<const char*>(emptyWide) : Text.c_str();
    if (Version < 3) {
        if (Wide)
            SetWindowTextW(Window, reinterpret_cast<const wchar_t*>(text));
        else
            SetWindowTextA(Window, text);
        return;
    }
    SETTEXTEX settings { ST_DEFAULT, Wide ? WideCodePage : CP_ACP };
    SendMessageA(Window, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&settings), reinterpret_cast<LPARAM>(text));
}

// Window texts keep the line ends they were given (a rich-edit 1.0 control may hold bare LFs).
std::wstring WithCrLf(const std::wstring& Text)
{
    std::wstring out;
    out.reserve(Text.size() + Text.size() / 8);
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != L'\r' && Text[i] != L'\n') {
            out += Text[i];
            continue;
        }
        out += L"\r\n";
        if (Text[i] == L'\r' && i + 1 < Text.size() && Text[i + 1] == L'\n')
            ++i;
    }
    return out;
}

std::string TakeText(HWND Window, int Version, bool Wide)
{
    if (Version < 3) {
        if (Wide) {
            const int length = GetWindowTextLengthW(Window);
            std::wstring buffer(static_cast<size_t>(length) + 4, L'\0');
            buffer.resize(std::max(GetWindowTextW(Window, buffer.data(), length + 4), 0));
            const std::wstring text = WithCrLf(buffer);
            return text.empty() ? std::string()
                                : WideTextOfBuffer(text.data(), static_cast<int>(text.size()));
        }
        const int length = GetWindowTextLengthA(Window);
        std::string buffer(static_cast<size_t>(length) + 4, '\0');
        buffer.resize(std::max(GetWindowTextA(Window, buffer.data(), length + 4), 0));
        return NormalizeCrLf(buffer);
    }
    const UINT codePage = Wide ? WideCodePage : CP_ACP;
    GETTEXTLENGTHEX query {
        static_cast<DWORD>(GTL_USECRLF | GTL_PRECISE | (Wide ? GTL_NUMCHARS : GTL_NUMBYTES)), codePage
    };
    const LRESULT length = SendMessageA(Window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    if (length <= 0)
        return {};
    const size_t bytes = (static_cast<size_t>(length) + 4) * (Wide ? 2 : 1);
    std::string buffer(bytes, '\0');
    GETTEXTEX request { static_cast<DWORD>(bytes), GT_USECRLF, codePage, nullptr, nullptr };
    const LRESULT got = SendMessageA(
        Window, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data()));
    if (got <= 0)
        return {};
    if (Wide)
        return WideTextOfBuffer(reinterpret_cast<const wchar_t*>(buffer.data()), static_cast<int>(got));
    return buffer.substr(0, static_cast<size_t>(got));
}

DWORD CALLBACK AppendStreamedRtf(DWORD_PTR Cookie, BYTE* Buffer, LONG Count, LONG* Done)
{
    try {
        reinterpret_cast<std::string*>(Cookie)->append(reinterpret_cast<const char*>(Buffer), Count);
        *Done = Count;
        return 0;
    } catch (...) {
        return 1; // ends the streaming
    }
}

// ---- URLs ----------------------------------------------------------------------------------------------

std::string PercentDecoded(const std::string& Text)
{
    return DecodeHexEscapes(Text, false, '%');
}

bool CrackUrl(const std::string& Url, URL_COMPONENTSA& Parts)
{
    const TRichEd20Api& api = Api();
    Parts = URL_COMPONENTSA {};
    Parts.dwStructSize = sizeof(Parts);
    Parts.dwSchemeLength = Parts.dwHostNameLength = Parts.dwUserNameLength = Parts.dwPasswordLength = 1;
    Parts.dwUrlPathLength = Parts.dwExtraInfoLength = 1;
    return api.InternetCrackUrlA && !Url.empty()
        && api.InternetCrackUrlA(Url.c_str(), static_cast<DWORD>(Url.size()), 0, &Parts);
}

bool IsLabelByte(char C)
{
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '-';
}

// The Unicode form of one ACE label as UTF-8; empty when it cannot be converted.
std::string UnicodeLabel(const std::string& Label)
{
    const TRichEd20Api& api = Api();
    const std::string wide = AnsiToWideText(Label);
    if (!api.IdnToUnicode || wide.empty())
        return {};
    wchar_t buffer[256] = {};
    const int count = api.IdnToUnicode(0, WidePointer(wide), WideTextLength(wide), buffer, 255);
    return count > 0 ? WideTextToUtf8NoBom(WideTextOfBuffer(buffer, count)) : std::string();
}

// ---- Pictures ----------------------------------------------------------------------------------------

constexpr char PngSignature[] = "\x89PNG\r\n\x1A\n";

uint32_t BigEndian32(const std::string& S, size_t At)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(S[At])) << 24
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 1])) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 2])) << 8 | static_cast<uint8_t>(S[At + 3]);
}

uint32_t LittleEndian32(const std::string& S, size_t At)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(S[At]))
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 1])) << 8
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 2])) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(S[At + 3])) << 24;
}

// The picture bytes an RTF picture group carries, with their size in pixels: re-encoded at their own
// size (a bitmap as the device-independent bitmap of the BMP that leads the converted bytes). Without
// the picture library, PNG data is carried as it is and a bitmap file as its device-independent bitmap.
bool PictureForRtf(const std::string& Source, int MaxWidth, bool AsBitmap, std::string& Data, SIZE& Pixels)
{
    if (FreeImageAvailable()) {
        SIZE twips {};
        Pixels = {};
        // A zero size converts without rescaling; MaxWidth only bounds a fitted size.
        std::string converted = ConvertPicture(Source, Pixels, twips, MaxWidth, AsBitmap);
        const size_t bitmapSize = AsBitmap && converted.size() > 14 ? LittleEndian32(converted, 2) : 0;
        if (AsBitmap && (bitmapSize <= 14 || bitmapSize > converted.size()))
            return false;
        Data = AsBitmap ? converted.substr(14, bitmapSize - 14) : std::move(converted);
        return !Data.empty() && Pixels.cx > 0 && Pixels.cy > 0;
    }
    std::string bytes = Source;
    if (GetFileAttributesA(Source.c_str()) != INVALID_FILE_ATTRIBUTES)
        bytes = ReadWholeFile(Source);
    const bool png
        = bytes.size() > 24 && bytes.compare(0, 8, PngSignature, 8) == 0 && bytes.compare(12, 4, "IHDR") == 0;
    const bool bitmapFile = bytes.size() > 26 && bytes.compare(0, 2, "BM") == 0;
    if (!AsBitmap && png) {
        Pixels = { static_cast<LONG>(BigEndian32(bytes, 16)), static_cast<LONG>(BigEndian32(bytes, 20)) };
        Data = std::move(bytes);
    } else if (AsBitmap && bitmapFile) {
        const auto height = static_cast<int32_t>(LittleEndian32(bytes, 22));
        Pixels = { static_cast<LONG>(LittleEndian32(bytes, 18)), height < 0 ? -height : height };
        Data = bytes.substr(14);
    } else {
        return false;
    }
    return Pixels.cx > 0 && Pixels.cy > 0;
}

std::string UpperHex(const std::string& Data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * Data.size());
    for (unsigned char b : Data) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

} // namespace

void InitRichEd20()
{
    const std::string system = GetSystemFolder();
    TRichEd20Unit unit;
    unit.Normaliz = TLibrary(system + "Normaliz.dll");
    const ProcBinding normaliz[]
        = { DECLARED_PROC(IdnToAscii, unit.Api.IdnToAscii), DECLARED_PROC(IdnToUnicode, unit.Api.IdnToUnicode) };
    BindProcs(unit.Normaliz.Handle(), normaliz);
    unit.WinInet = TLibrary(system + "WinInet.dll");
    const ProcBinding winInet[] = { DECLARED_PROC(InternetCanonicalizeUrlA, unit.Api.InternetCanonicalizeUrlA),
        DECLARED_PROC(InternetCrackUrlA, unit.Api.InternetCrackUrlA) };
    BindProcs(unit.WinInet.Handle(), winInet);
    unit.Initialized = true;
    Unit = std::move(unit);
}

void DoneRichEd20()
{
    Unit = TRichEd20Unit {};
}

// ---- RTF and text ---------------------------------------------------------------------------------

TRtfTxtConverter::TRtfTxtConverter(int Version)
    : version_(Version)
{
    LoadRichEditLibraries();
    window_ = CreateWindowExA(0, ConverterClass(Version), "", ConverterStyle, 0, 0, 0, 0, nullptr, nullptr,
        GetModuleHandleA(nullptr), nullptr);
    if (window_)
        SendMessageA(window_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
}

TRtfTxtConverter::~TRtfTxtConverter()
{
    if (window_)
        DestroyWindow(window_);
}

int GetRichEditVersion()
{
    const std::string file = GetSystemFolder() + "RichEd20.dll";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0)
        return 0;
    std::string block(size, '\0');
    char* value = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())
        || !VerQueryValueA(block.data(), "\\StringFileInfo\\000004B0\\ProductVersion",
            reinterpret_cast<void**>(&value), &length)
        || length == 0 || !value || value[0] < '0' || value[0] > '9')
        return 0;
    return value[0] - '0';
}

std::string RtfToPlainText(const std::string& Text, bool Wide, int Version)
{
    TRtfTxtConverter converter(Version);
    if (!converter.Window())
        return Text;
    PutText(converter.Window(), Version, Text, false);
    return TakeText(converter.Window(), Version, Wide);
}

std::string PlainTextToRtf(const std::string& Text, const TRtfFont& Font, bool IsUtf8, int Version)
{
    TRtfTxtConverter converter(Version);
    if (!converter.Window())
        return Text;
    SetCharFormatAll(converter.Window(), Font);
    const std::string text = IsUtf8 ? Utf8ToWideText(Text) : Text;
    PutText(converter.Window(), Version, text, IsUtf8 || IsWideText(text));
    std::string rtf;
    EDITSTREAM stream { reinterpret_cast<DWORD_PTR>(&rtf), 0, AppendStreamedRtf };
    SendMessageA(converter.Window(), EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return rtf.empty() ? Text : rtf;
}

int GetRichEditTextLength(HWND Control, int Version)
{
    if (Version < 2)
        return static_cast<int>(SendMessageA(Control, WM_GETTEXTLENGTH, 0, 0));
    GETTEXTLENGTHEX query { GTL_DEFAULT, WideCodePage };
    return static_cast<int>(SendMessageA(Control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

int GetRichEditTextHeight(HWND Control, int Version, int Extra1, int Extra2)
{
    const auto y = [&](LRESULT Index) {
        if (Version < 2) {
            POINTL point {};
            SendMessageA(Control, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), Index);
            return static_cast<int>(point.y);
        }
        return static_cast<int>(static_cast<short>(HIWORD(SendMessageA(Control, EM_POSFROMCHAR, Index, 0))));
    };
    const LRESULT lines = SendMessageA(Control, EM_GETLINECOUNT, 0, 0);
    const LRESULT lastLineStart = SendMessageA(Control, EM_LINEINDEX, lines > 0 ? lines - 1 : 0, 0);
    return y(lastLineStart) - y(0) + Extra1 + Extra2;
}

void SetCharFormatAll(HWND Control, const TRtfFont& Font)
{
    CHARFORMATA format {};
    format.cbSize = sizeof(format);
    SendMessageA(Control, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    format.dwMask = AllEffectsSizeFace;
    format.dwEffects = Font.Effects != 0 ? Font.Effects : CFE_AUTOCOLOR;
    if (Font.Size > 0)
        format.yHeight = Font.Size * TwipsPerPoint;
    if (!Font.FaceName.empty())
        lstrcpynA(format.szFaceName, Font.FaceName.c_str(), FaceNameLimit + 1);
    SendMessageA(Control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

// ---- Pictures ----------------------------------------------------------------------------------------

std::string MakeRtfPict(const std::string& Source, int MaxWidth, SIZE& Size, bool AsBitmap)
{
    std::string data;
    SIZE pixels {};
    if (Source.empty() || !PictureForRtf(Source, MaxWidth, AsBitmap, data, pixels))
        return {};
    // At the picture's own size: the reader's control scrolls a picture wider than its window.
    Size = PixelsToTwips(nullptr, pixels);
    return std::string(AsBitmap ? "{\\pict\\dibitmap0" : "{\\pict\\pngblip") + "\\picw"
        + std::to_string(pixels.cx) + "\\pich" + std::to_string(pixels.cy) + "\\picwgoal"
        + std::to_string(Size.cx) + "\\pichgoal" + std::to_string(Size.cy) + " " + UpperHex(data) + " ";
}

std::string MakeRtfPictFromFiles(
    const std::string& File1, const std::string& File2, int MaxWidth, bool AsBitmap)
{
    SIZE size {};
    std::string group = MakeRtfPict(File1, MaxWidth, size, AsBitmap);
    return group.empty() ? MakeRtfPict(File2, MaxWidth, size, AsBitmap) : group;
}

std::string EmbedRtfPictures(const std::string& Rtf, const std::string& LinkPrefix, int MaxWidth,
    bool AsBitmap, const TSectionPictureLookup& Sections)
{
    // The text comes from a received message: a file it names is opened only when it stays local.
    // Picture data (never free of control characters) is no name and is converted as it is.
    const auto makePicture = [&](const std::string& Source) {
        const bool isName = std::none_of(
            Source.begin(), Source.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
        SIZE size {};
        return !isName || IsOpenablePictureLink(Source) ? MakeRtfPict(Source, MaxWidth, size, AsBitmap)
                                                         : std::string();
    };
    if (!StartsWithStr("{\\rtf", Rtf)) {
        std::string group = makePicture(Rtf);
        if (group.empty())
            group = makePicture(LinkPrefix);
        return group.empty() ? Rtf : group;
    }
    return RewriteRtfPictures(Rtf, LinkPrefix, Sections, makePicture);
}

// ---- Wide text ----------------------------------------------------------------------------------------

std::string AnsiToWideText(const std::string& S)
{
    if (S.empty())
        return {};
    const int length = static_cast<int>(S.size());
    const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, S.data(), length, nullptr, 0);
    if (count <= 0)
        return {};
    std::string wide;
    SetWideTextLength(wide, count);
    MultiByteToWideChar(
        CP_ACP, MB_ERR_INVALID_CHARS, S.data(), length, reinterpret_cast<wchar_t*>(wide.data()), count);
    return wide;
}

std::string WideTextToAnsi(const std::string& S)
{
    // Anything shorter than one unit and its terminator is no wide text; one character converts.
    const int count = IsWideText(S) ? WideTextLength(S) : 0;
    if (count < 1)
        return {};
    BOOL usedDefault = FALSE;
    const int bytes
        = WideCharToMultiByte(CP_ACP, 0, WidePointer(S), count, nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault)
        return {};
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, WidePointer(S), count, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

std::string Utf8ToWideText(const std::string& S)
{
    const std::string wide = OwnUtf8ToWide(S);
    return wide.empty() ? AnsiToWideText(S) : wide;
}

std::string Utf8BufToWideText(const std::string& S)
{
    return Utf8ToWideText(S);
}

std::string WideTextToUtf8NoBom(const std::string& S)
{
    const std::string utf8 = OwnWideToUtf8(S);
    return utf8.empty() ? WideTextToAnsi(S) : utf8;
}

std::string WideTextToUtf8Bom(const std::string& S)
{
    const std::string utf8 = OwnWideToUtf8(S);
    return utf8.empty() ? WideTextToAnsi(S) : Utf8Bom + utf8;
}

std::string Utf8ToAnsiText(const std::string& S)
{
    return WideTextToAnsi(Utf8ToWideText(S));
}

std::string AnsiToUtf8Text(const std::string& S)
{
    return WideTextToUtf8NoBom(AnsiToWideText(S));
}

std::string GetWindowTextWide(HWND Window)
{
    const int length = GetWindowTextLengthW(Window);
    if (length <= 0)
        return {};
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(Window, buffer.data(), length + 1);
    return got > 0 ? WideTextOfBuffer(buffer.data(), got) : std::string();
}

std::string GetWindowTextAnsi(HWND Window)
{
    const int length = GetWindowTextLengthA(Window);
    if (length <= 0)
        return {};
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(Window, buffer.data(), length + 1);
    return buffer.substr(0, got > 0 ? static_cast<size_t>(got) : 0);
}

// ---- URLs and names -------------------------------------------------------------------------------------

std::string DecodeIdnText(const std::string& Utf8)
{
    std::string out;
    size_t copied = 0;
    for (int at = PosText("xn--", Utf8); at > 0; at = PosTextFrom("xn--", Utf8, at + 1)) {
        const size_t start = static_cast<size_t>(at - 1);
        if (start < copied)
            continue;
        size_t end = start + 4;
        while (end < Utf8.size() && IsLabelByte(Utf8[end]))
            ++end;
        const std::string unicode = UnicodeLabel(Utf8.substr(start, end - start));
        if (unicode.empty())
            continue;
        out += Utf8.substr(copied, start - copied) + unicode;
        copied = end;
    }
    return copied == 0 ? Utf8 : out + Utf8.substr(copied);
}

std::string CanonicalizeLink(const std::string& Url, bool Decode)
{
    std::string text = UnwrapAngleBrackets(Url);
    if (IsDataUrl(text))
        return text;
    DWORD flags = BrowserDecodeFlags;
    if (Decode) {
        text = PercentDecoded(text);
        flags = DecodeNoEncodeFlags;
    }
    if (text.size() <= 1)
        return {};
    if (StartsWithText("about:", text)) {
        text.erase(0, 6);
    } else if (const size_t slashes = text.find("///"); slashes != std::string::npos) {
        text.erase(slashes, 1);
    }
    const TRichEd20Api& api = Api();
    DWORD size = 1;
    char probe[1] = {};
    if (!api.InternetCanonicalizeUrlA || api.InternetCanonicalizeUrlA(text.c_str(), probe, &size, flags)
        || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return TrimUrlText(text);
    std::string canonical(static_cast<size_t>(size) + 1, '\0');
    size = static_cast<DWORD>(canonical.size());
    if (!api.InternetCanonicalizeUrlA(text.c_str(), canonical.data(), &size, flags))
        return TrimUrlText(text);
    canonical.resize(size);
    return TrimUrlText(canonical);
}

int UrlSchemeNumber(const std::string& Url)
{
    const std::string canonical = CanonicalizeLink(Url, false);
    URL_COMPONENTSA parts;
    if (CrackUrl(canonical, parts) || CrackUrl(PercentDecoded(canonical), parts))
        return parts.nScheme;
    return -1;
}

bool IsNetworkUrl(const std::string& Url)
{
    return IsNetworkScheme(UrlSchemeNumber(Url));
}

std::string FileUrlToPath(const std::string& Url)
{
    const std::string canonical = CanonicalizeLink(Url, false);
    URL_COMPONENTSA parts;
    if (!CrackUrl(canonical, parts) || !parts.lpszUrlPath || parts.dwUrlPathLength <= 1)
        return {};
    std::string path = PercentDecoded(std::string(parts.lpszUrlPath, parts.dwUrlPathLength));
    // "file://server/share/x" names its server as the host: without it the path would point at a
    // share of another machine, or none.
    const std::string host
        = parts.lpszHostName ? std::string(parts.lpszHostName, parts.dwHostNameLength) : "";
    const bool isDrive = host.size() == 2 && host[1] == ':';
    if (!host.empty() && !isDrive && !(host.size() == 9 && StartsWithText("localhost", host)))
        path = "//" + host + (path.empty() || path[0] != '/' ? "/" : "") + path;
    else if (path.size() > 2 && path[0] == '/' && path[2] == ':')
        path.erase(0, 1); // "/C:/x" of "file://localhost/C:/x"
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.size() > 1 && path[0] == '\\' && path[1] != '\\')
        path.insert(0, 1, '\\');
    return path;
}

// ---- Fonts and character formats --------------------------------------------------------------------------

HFONT CreateDerivedFont(HFONT Font, int Size, const std::string& FaceName, TFontStyles Style)
{
    LOGFONTA font {};
    if (!Font || GetObjectA(Font, sizeof(font), &font) == 0)
        return nullptr;
    if (Size != -1) {
        HDC screen = GetDC(nullptr);
        font.lfHeight = -MulDiv(Size, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
    }
    if (!FaceName.empty())
        lstrcpynA(font.lfFaceName, FaceName.c_str(), FaceNameLimit + 1);
    if (Style != 0) {
        font.lfWeight = (Style & fsBold) ? FW_BOLD : FW_DONTCARE;
        font.lfItalic = (Style & fsItalic) ? TRUE : FALSE;
        font.lfUnderline = (Style & fsUnderline) ? TRUE : FALSE;
        font.lfStrikeOut = (Style & fsStrikeOut) ? TRUE : FALSE;
    }
    return CreateFontIndirectA(&font);
}

CHARFORMATA FontToCharFormat(const TFont& Font, const std::string& FaceName, int Size, DWORD Mask)
{
    CHARFORMATA format {};
    format.cbSize = sizeof(format);
    format.dwMask = !FaceName.empty() && Size > 0 ? CFM_SIZE | CFM_FACE : Mask;
    const TFontStyles style = Font.Style();
    format.dwEffects = ((style & fsBold) ? CFE_BOLD : 0) | ((style & fsItalic) ? CFE_ITALIC : 0)
        | ((style & fsUnderline) ? CFE_UNDERLINE : 0) | ((style & fsStrikeOut) ? CFE_STRIKEOUT : 0);
    if (Font.Color() == clWindowText)
        format.dwEffects |= CFE_AUTOCOLOR;
    else
        format.crTextColor = ColorToRGB(Font.Color());
    format.yHeight = (Size > 0 ? Size : Font.Size()) * TwipsPerPoint;
    format.bCharSet = Font.Charset();
    format.bPitchAndFamily = Font.Pitch();
    lstrcpynA(format.szFaceName, (FaceName.empty() ? Font.Name() : FaceName).c_str(), FaceNameLimit + 1);
    return format;
}

TFont CharFormatToFont(const CHARFORMATA& Format)
{
    TFont font;
    font.SetColor(
        (Format.dwEffects & CFE_AUTOCOLOR) ? clWindowText : static_cast<TColor>(Format.crTextColor));
    font.SetName(Format.szFaceName);
    font.SetCharset(Format.bCharSet);
    const BYTE pitch = Format.bPitchAndFamily & 3;
    font.SetPitch(pitch == FIXED_PITCH || pitch == VARIABLE_PITCH ? static_cast<TFontPitch>(pitch) : fpDefault);
    font.SetSize(Format.yHeight / TwipsPerPoint);
    const DWORD effects = Format.dwEffects;
    TFontStyles style = 0;
    style |= (effects & CFE_BOLD) ? TFontStyles(fsBold) : 0u;
    style |= (effects & CFE_ITALIC) ? TFontStyles(fsItalic) : 0u;
    style |= (effects & CFE_UNDERLINE) ? TFontStyles(fsUnderline) : 0u;
    style |= (effects & CFE_STRIKEOUT) ? TFontStyles(fsStrikeOut) : 0u;
    font.SetStyle(style);
    return font;
}

TCharFormatValue GetCharFormatValue(const CHARFORMATA& Format, DWORD Mask)
{
    constexpr DWORD AllEffects = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT; // 15
    switch (Mask) {
    case CFM_BOLD:
    case CFM_ITALIC:
    case CFM_UNDERLINE:
    case CFM_STRIKEOUT:
        return (Format.dwEffects & Mask) != 0;
    case AllEffects:
        return static_cast<int>(Format.dwEffects & AllEffects);
    case CFM_CHARSET:
        return static_cast<int>(Format.bCharSet);
    case CFM_OFFSET:
        return static_cast<int>(Format.yOffset);
    case CFM_FACE:
        return std::string(Format.szFaceName);
    case CFM_COLOR:
        return static_cast<int>(Format.crTextColor);
    case CFM_SIZE:
        return static_cast<int>(Format.yHeight / TwipsPerPoint);
    default:
        return std::monostate {};
    }
}
