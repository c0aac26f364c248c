// Picture conversion over the FreeImage library, bound by name at run time from the plug-in's or
// the program's folder. Every routine yields nothing while the library is absent.
#include "foundation/FreeImage.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "foundation/WindowUtils.h"
#include "framework/LibraryBinding.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdlib>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr char LibraryName[] = "FreeImage.dll";
constexpr int FormatUnknown = -1;
constexpr int FormatBmp = 0;
constexpr int FormatPng = 13;
constexpr int PngCompressionLevel6 = 6;
constexpr int FilterBSpline = 3;

TFreeImageApi Api;
bool LookedForLibrary = false;

const char* const ImageTypes[] = { "", "image/bmp", "image/emf", "image/wmf", "image/jpeg", "image/png",
    "image/gif", "image/tiff", "image/exif", "image/x-icon" };

// Owns a memory stream of the library.
struct TMemoryCloser {
    void operator()(TFiMemory* Stream) const noexcept { Api.CloseMemory(Stream); }
};
using TMemory = std::unique_ptr<TFiMemory, TMemoryCloser>;

// A stream over Bytes: the library reads the caller's buffer in place, so Bytes must outlive it.
TMemory MemoryOver(const std::string& Bytes)
{
    BYTE* data = Bytes.empty() ? nullptr : reinterpret_cast<BYTE*>(const_cast<char*>(Bytes.data()));
    return TMemory(Api.OpenMemory(data, static_cast<DWORD>(Bytes.size())));
}

// A text that can name a file: short, one line, no zero bytes.
bool CouldBeFileName(const std::string& Source)
{
    return !Source.empty() && Source.size() < MAX_PATH
        && Source.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
}

bool IsFileName(const std::string& Source)
{
    if (!CouldBeFileName(Source))
        return false;
    const DWORD attributes = GetFileAttributesA(Source.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TPicture LoadFromBytes(const std::string& Bytes)
{
    TMemory stream = MemoryOver(Bytes);
    if (!stream)
        return {};
    const int format = Api.GetFileTypeFromMemory(stream.get(), 0);
    return format == FormatUnknown ? TPicture() : TPicture(Api.LoadFromMemory(format, stream.get(), 0));
}

// Every %XX becomes its byte, zeros included (picture data is binary); anything else is kept.
std::string PercentDecode(const std::string& Text)
{
    std::string bytes;
    bytes.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '%' && i + 2 < Text.size() && std::isxdigit(static_cast<unsigned char>(Text[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(Text[i + 2]))) {
            bytes += static_cast<char>(std::strtoul(Text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            bytes += Text[i];
        }
    }
    return bytes;
}

// Rounds half to even, as the picture sizes always have been.
class TNearestRounding {
public:
    TNearestRounding()
        : previous_(std::fegetround())
    {
        std::fesetround(FE_TONEAREST);
    }
    ~TNearestRounding() { std::fesetround(previous_); }
    TNearestRounding(const TNearestRounding&) = delete;
    TNearestRounding& operator=(const TNearestRounding&) = delete;

    static LONG Round(double Value) { return static_cast<LONG>(std::nearbyint(Value)); }

private:
    int previous_;
};

} // namespace

bool LoadFreeImageApi(const std::string& Folder)
{
    if (Api.Unload)
        return true;
    std::string path;
    for (std::string candidate : { GetModuleFolderPath(reinterpret_cast<HMODULE>(&__ImageBase)),
             GetModuleFolderPath(nullptr), Folder }) {
        if (candidate.empty())
            continue;
        if (candidate.back() != '\\' && candidate.back() != '/')
            candidate += '\\';
        candidate += LibraryName;
        if (IsFullPath(candidate) && IsExistingFile(candidate)) {
            path = candidate;
            break;
        }
    }
    if (path.empty())
        return false;
    // Kept for the life of the process: bitmaps and streams may outlive any one caller.
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return false;
    TFreeImageApi api;
    const ProcBinding table[] = {
        BindProc("_FreeImage_OpenMemory@8", api.OpenMemory),
        BindProc("_FreeImage_CloseMemory@4", api.CloseMemory),
        BindProc("_FreeImage_ReadMemory@16", api.ReadMemory),
        BindProc("_FreeImage_WriteMemory@16", api.WriteMemory),
        BindProc("_FreeImage_AcquireMemory@12", api.AcquireMemory),
        BindProc("_FreeImage_LoadFromMemory@12", api.LoadFromMemory),
        BindProc("_FreeImage_SaveToMemory@16", api.SaveToMemory),
        BindProc("_FreeImage_GetWidth@4", api.GetWidth),
        BindProc("_FreeImage_GetHeight@4", api.GetHeight),
        BindProc("_FreeImage_GetDIBSize@4", api.GetDIBSize),
        BindProc("_FreeImage_GetInfoHeader@4", api.GetInfoHeader),
        BindProc("_FreeImage_GetInfo@4", api.GetInfo),
        BindProc("_FreeImage_GetBits@4", api.GetBits),
        BindProc("_FreeImage_GetMemorySize@4", api.GetMemorySize),
        BindProc("_FreeImage_GetFileTypeFromMemory@8", api.GetFileTypeFromMemory),
        BindProc("_FreeImage_GetFileType@8", api.GetFileType),
        BindProc("_FreeImage_GetFIFFromFilename@4", api.GetFIFFromFilename),
        BindProc("_FreeImage_GetFIFFromMime@4", api.GetFIFFromMime),
        BindProc("_FreeImage_GetFIFMimeType@4", api.GetFIFMimeType),
        BindProc("_FreeImage_MakeThumbnail@12", api.MakeThumbnail),
        BindProc("_FreeImage_Rescale@16", api.Rescale),
        BindProc("_FreeImage_Load@12", api.Load),
        BindProc("_FreeImage_Save@16", api.Save),
        BindProc("_FreeImage_Unload@4", api.Unload),
    };
    // A library that lacks any of the calls is not used: every routine here needs most of them.
    if (!BindProcs(module, table).empty()) {
        FreeLibrary(module);
        return false;
    }
    Api = api;
    return true;
}

bool FreeImageAvailable()
{
    if (!Api.Unload && !LookedForLibrary) {
        LookedForLibrary = true;
        LoadFreeImageApi({});
    }
    return Api.Unload != nullptr;
}

const TFreeImageApi& FreeImageApi()
{
    return Api;
}

void TPictureUnloader::operator()(TFiBitmap* Bitmap) const noexcept
{
    if (Bitmap && Api.Unload)
        Api.Unload(Bitmap);
}

TPicture LoadPicture(const std::string& Source)
{
    if (Source.empty() || !FreeImageAvailable())
        return {};
    if (IsFileName(Source)) {
        int format = Api.GetFileType(Source.c_str(), 0);
        if (format == FormatUnknown)
            format = Api.GetFIFFromFilename(Source.c_str());
        return format == FormatUnknown ? TPicture() : TPicture(Api.Load(format, Source.c_str(), 0));
    }
    TPicture picture = LoadFromBytes(Source);
    if (!picture && StartsWithText("data:", Source)) {
        int typeIndex = 0;
        picture = LoadFromBytes(DecodeDataUrl(Source, typeIndex));
    }
    return picture;
}

std::string ConvertPicture(const std::string& Source, SIZE& Size, SIZE& TwipsSize, int MaxWidth, bool Extra)
{
    if (Source.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return {};
    }
    TPicture picture = LoadPicture(Source);
    if (!picture)
        return {};
    TMemory stream(Api.OpenMemory(nullptr, 0));
    if (!stream)
        return {};
    if (Size.cx != 0 && Size.cy != 0) {
        Size = FitSize(Size, TwipsToPixels(nullptr, TwipsSize), MaxWidth);
        TPicture rescaled(Api.Rescale(picture.get(), Size.cx, Size.cy, FilterBSpline));
        if (!rescaled)
            return {};
        picture = std::move(rescaled);
    }
    if (Extra && !Api.SaveToMemory(FormatBmp, picture.get(), stream.get(), 0))
        return {};
    if (!Api.SaveToMemory(FormatPng, picture.get(), stream.get(), PngCompressionLevel6))
        return {};
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!Api.AcquireMemory(stream.get(), &data, &size) || !data || size == 0)
        return {};
    Size
        = { static_cast<LONG>(Api.GetWidth(picture.get())), static_cast<LONG>(Api.GetHeight(picture.get())) };
    TwipsSize = PixelsToTwips(nullptr, Size);
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::string DecodeDataUrl(const std::string& Url, int& TypeIndex)
{
    TypeIndex = itUnknown;
    constexpr size_t schemeLength = 5; // "data:"
    if (!StartsWithText("data:", Url))
        return {};
    const size_t comma = Url.find(',', schemeLength);
    if (comma == std::string::npos)
        return {};
    const std::string media = TrimBlanks(Url.substr(schemeLength, comma - schemeLength));
    if (!StartsWithText("image", media))
        return {};
    const size_t semicolon = media.find(';', 5);
    const std::string mediaType = media.substr(0, semicolon);
    const std::string parameters
        = semicolon == std::string::npos ? std::string() : media.substr(semicolon + 1);
    TypeIndex = ImageTypeIndex(mediaType);
    const std::string data = Url.substr(comma + 1);
    return PosText("base64", parameters) > 0 ? DecodeBase64Text(data) : PercentDecode(data);
}

int ImageTypeIndex(const std::string& MimeType)
{
    if (MimeType.empty())
        return itUnknown;
    for (int index = itBmp; index <= itIcon; ++index)
        if (SameTextIgnoreSymbols(MimeType, ImageTypes[index]))
            return index;
    return itUnknown;
}

int GetPictureTypeIndex(const std::string& Source)
{
    if (Source.empty() || !FreeImageAvailable())
        return itUnknown;
    int format = FormatUnknown;
    if (CouldBeFileName(Source)) {
        format = Api.GetFileType(Source.c_str(), 0);
        if (format == FormatUnknown)
            format = Api.GetFIFFromFilename(Source.c_str());
    }
    if (format == FormatUnknown) {
        TMemory stream = MemoryOver(Source);
        if (stream)
            format = Api.GetFileTypeFromMemory(stream.get(), 0);
    }
    const char* mimeType = format == FormatUnknown ? nullptr : Api.GetFIFMimeType(format);
    return mimeType ? ImageTypeIndex(mimeType) : itUnknown;
}

SIZE FitSize(SIZE Size, SIZE Box, int MaxWidth)
{
    TNearestRounding rounding;
    const long long sizeArea = static_cast<long long>(Size.cx) * Size.cy;
    const long long boxArea = static_cast<long long>(Box.cx) * Box.cy;
    SIZE result = Size;
    if (sizeArea != 0 && boxArea != 0 && sizeArea > boxArea) {
        const LONG height = TNearestRounding::Round(static_cast<double>(Size.cy) * Box.cx / Size.cx);
        const bool sameRatio = TNearestRounding::Round(static_cast<double>(Size.cx) / Size.cy)
            == TNearestRounding::Round(static_cast<double>(Box.cx) / Box.cy);
        // The box's own height only where it is the proportional one give or take a pixel: ratios
        // such as 1.4 and 1 round alike, and taking the box's height there would distort the picture.
        result = { Box.cx, sameRatio && std::labs(height - Box.cy) <= 1 ? Box.cy : height };
        if (result.cx == 0 && result.cy == 0)
            result = Size;
    }
    if (MaxWidth > 0 && result.cx > MaxWidth) {
        result.cy = TNearestRounding::Round(static_cast<double>(MaxWidth) * result.cy / result.cx);
        result.cx = MaxWidth;
    }
    return result;
}
