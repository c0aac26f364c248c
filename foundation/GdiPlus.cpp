// GDI+ images over the flat interface of GdiPlus.dll, bound by name. Every use of GDI+ runs between
// a startup and a shutdown of its own; failures are a false result with a GDI+ status.
#include "foundation/GdiPlus.h"

#include "foundation/StrUtilWin.h"
#include "framework/Exceptions.h"
#include "framework/Graphics.h"
#include "framework/LibraryBinding.h"

#include <algorithm>
#include <cstdio>
#include <vector>

const char* const GdipFormatNames[GdipFormatCount] = { "", "BMP", "GIF", "JPEG", "PNG", "TIFF", "WMF" };
const char* const GdipFormatMimeTypes[GdipFormatCount]
    = { "", "image/bmp", "image/gif", "image/jpeg", "image/png", "image/tiff", "image/wmf" };

namespace {

constexpr DWORD StorageMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE; // 0x1012
constexpr int FormatJpeg = 3;
constexpr int UnitPixel = 2;
constexpr ULONG EncoderParameterValueTypeLong = 4;
constexpr GUID EncoderQuality
    = { 0x1d5be4b5, 0xfa4a, 0x452d, { 0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb } };
constexpr int WritePiece = 0x10000;

struct TGdiPlusUnit {
    int InitCount = 0;
    HMODULE Library = nullptr;
    bool LoadedByUs = false;
    TGdiPlusApi Api;
};

TGdiPlusUnit Unit;

// Raw-format GUIDs of the formats the table knows, by format index.
const char* const RawFormats[] = { nullptr, "{b96b3cab-0728-11d3-9d7b-0000f81ef32e}",
    "{b96b3cb0-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cae-0728-11d3-9d7b-0000f81ef32e}",
    "{b96b3caf-0728-11d3-9d7b-0000f81ef32e}", "{b96b3cb1-0728-11d3-9d7b-0000f81ef32e}" };

std::wstring Wide(const std::string& Text)
{
    if (Text.empty())
        return {};
    const int count = MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), wide.data(), count);
    return wide;
}

std::string Narrow(const WCHAR* Text)
{
    if (!Text || !*Text)
        return {};
    const int count = WideCharToMultiByte(CP_ACP, 0, Text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_ACP, 0, Text, -1, narrow.data(), count, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(count > 0 ? count - 1 : 0));
    return narrow;
}

// GDI+ running for the life of one object.
class TGdiplusSession {
public:
    TGdiplusSession()
    {
        const TGdiPlusApi& api = GdiPlusApi();
        const TGdiplusStartupInput input;
        started_ = GdiPlusLibrary() && api.GdiplusStartup && api.GdiplusShutdown
            && api.GdiplusStartup(&token_, &input, nullptr) == gsOk;
    }
    ~TGdiplusSession()
    {
        if (started_)
            GdiPlusApi().GdiplusShutdown(token_);
    }
    TGdiplusSession(const TGdiplusSession&) = delete;
    TGdiplusSession& operator=(const TGdiplusSession&) = delete;
    explicit operator bool() const noexcept { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// Owns a GDI+ image.
struct TImageDisposer {
    void operator()(TGpImage* Image) const noexcept { GdiPlusApi().GdipDisposeImage(Image); }
};
using TImageOwner = std::unique_ptr<TGpImage, TImageDisposer>;

// The installed encoders or decoders; empty on failure.
std::vector<BYTE> CodecList(bool Encoders, UINT& Count)
{
    const TGdiPlusApi& api = GdiPlusApi();
    auto sizeOf = Encoders ? api.GdipGetImageEncodersSize : api.GdipGetImageDecodersSize;
    auto list = Encoders ? api.GdipGetImageEncoders : api.GdipGetImageDecoders;
    UINT size = 0;
    Count = 0;
    if (!sizeOf || !list || sizeOf(&Count, &size) != gsOk || size == 0)
        return {};
    std::vector<BYTE> buffer(size);
    if (list(Count, size, reinterpret_cast<TImageCodecInfo*>(buffer.data())) != gsOk)
        return {};
    return buffer;
}

std::string CodecExtensions(bool Encoders)
{
    TGdiplusSession session;
    if (!session)
        return {};
    UINT count = 0;
    const std::vector<BYTE> buffer = CodecList(Encoders, count);
    const auto* codecs = reinterpret_cast<const TImageCodecInfo*>(buffer.data());
    std::string joined;
    for (UINT i = 0; i < count && !buffer.empty(); ++i) {
        if (!joined.empty())
            joined += ';';
        joined += Narrow(codecs[i].FilenameExtension);
    }
    return joined;
}

// A GDI+ bitmap of picture bytes held in Stream (which must outlive the bitmap).
TImageOwner BitmapFromData(const std::string& Bytes, TIStream& Stream)
{
    Stream.SetSize(static_cast<std::int64_t>(Bytes.size()));
    if (Stream.Write(Bytes.data(), static_cast<std::int32_t>(Bytes.size()))
        != static_cast<std::int32_t>(Bytes.size()))
        return {};
    Stream.Seek(0, soFromBeginning);
    TGpImage* bitmap = nullptr;
    const TGdiPlusApi& api = GdiPlusApi();
    if (!api.GdipCreateBitmapFromStream || api.GdipCreateBitmapFromStream(Stream.Stream(), &bitmap) != gsOk)
        return {};
    return TImageOwner(bitmap);
}

bool ReadStreamWhole(TIStream& Stream, std::string& Bytes)
{
    const std::int64_t size = Stream.Size();
    Bytes.assign(static_cast<size_t>(std::max<std::int64_t>(size, 0)), '\0');
    Stream.Seek(0, soFromBeginning);
    return size >= 0 && Stream.Read(Bytes.data(), static_cast<std::int32_t>(size)) == size;
}

} // namespace

// ---- The binding ----------------------------------------------------------------------------------

void InitGdiPlus()
{
    if (Unit.InitCount++ > 0)
        return;
    Unit.Library = GetModuleHandleA("GdiPlus.dll");
    if (!Unit.Library) {
        Unit.Library = LoadLibraryA((GetSystemFolder() + "GdiPlus.dll").c_str());
        Unit.LoadedByUs = Unit.Library != nullptr;
    }
    TGdiPlusApi& api = Unit.Api;
    const ProcBinding table[] = {
        BindProc("GdiplusStartup", api.GdiplusStartup),
        BindProc("GdiplusShutdown", api.GdiplusShutdown),
        BindProc("GdipGetImageDecodersSize", api.GdipGetImageDecodersSize),
        BindProc("GdipGetImageDecoders", api.GdipGetImageDecoders),
        BindProc("GdipGetImageEncodersSize", api.GdipGetImageEncodersSize),
        BindProc("GdipGetImageEncoders", api.GdipGetImageEncoders),
        BindProc("GdipLoadImageFromFile", api.GdipLoadImageFromFile),
        BindProc("GdipLoadImageFromStream", api.GdipLoadImageFromStream),
        BindProc("GdipSaveImageToFile", api.GdipSaveImageToFile),
        BindProc("GdipSaveImageToStream", api.GdipSaveImageToStream),
        BindProc("GdipCloneImage", api.GdipCloneImage),
        BindProc("GdipDisposeImage", api.GdipDisposeImage),
        BindProc("GdipGetImageRawFormat", api.GdipGetImageRawFormat),
        BindProc("GdipGetImageWidth", api.GdipGetImageWidth),
        BindProc("GdipGetImageHeight", api.GdipGetImageHeight),
        BindProc("GdipGetImageThumbnail", api.GdipGetImageThumbnail),
        BindProc("GdipCreateBitmapFromFile", api.GdipCreateBitmapFromFile),
        BindProc("GdipCreateBitmapFromStream", api.GdipCreateBitmapFromStream),
        BindProc("GdipCreateHBITMAPFromBitmap", api.GdipCreateHBITMAPFromBitmap),
        BindProc("GdipCreateBitmapFromHBITMAP", api.GdipCreateBitmapFromHBITMAP),
        BindProc("GdipCreateHICONFromBitmap", api.GdipCreateHICONFromBitmap),
        BindProc("GdipCreateBitmapFromHICON", api.GdipCreateBitmapFromHICON),
        BindProc("GdipCreateFromHDC", api.GdipCreateFromHDC),
        BindProc("GdipDeleteGraphics", api.GdipDeleteGraphics),
        BindProc("GdipDrawImageRectRect", api.GdipDrawImageRectRect),
        BindProc("GdipEmfToWmfBits", api.GdipEmfToWmfBits),
    };
    BindProcs(Unit.Library, table);
}

void DoneGdiPlus()
{
    if (Unit.InitCount == 0 || --Unit.InitCount > 0)
        return;
    if (Unit.LoadedByUs)
        FreeLibrary(Unit.Library);
    Unit = TGdiPlusUnit();
}

HMODULE GdiPlusLibrary()
{
    GdiPlusApi();
    return Unit.Library;
}

TGdiPlusApi& GdiPlusApi()
{
    if (Unit.InitCount == 0)
        InitGdiPlus();
    return Unit.Api;
}

// ---- Formats --------------------------------------------------------------------------------------

std::string GuidToText(const GUID& Guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
        static_cast<unsigned long>(Guid.Data1), Guid.Data2, Guid.Data3, Guid.Data4[0], Guid.Data4[1],
        Guid.Data4[2], Guid.Data4[3], Guid.Data4[4], Guid.Data4[5], Guid.Data4[6], Guid.Data4[7]);
    return text;
}

int FormatIndexOfRawFormat(const GUID& Format)
{
    const std::string text = GuidToText(Format);
    for (int index = 1; index < static_cast<int>(std::size(RawFormats)); ++index)
        if (text == RawFormats[index])
            return index;
    return 0;
}

// ---- Free routines --------------------------------------------------------------------------------

std::string GetGdipDecoderExtensions()
{
    return CodecExtensions(false);
}

std::string GetGdipEncoderExtensions()
{
    return CodecExtensions(true);
}

HBITMAP CreateBitmapFromData(const std::string& Bytes)
{
    try {
        if (Bytes.empty() || !GdiPlusLibrary())
            return nullptr;
        TIStream stream;
        TGdiplusSession session;
        if (!session)
            return nullptr;
        TImageOwner bitmap = BitmapFromData(Bytes, stream);
        HBITMAP result = nullptr;
        const TGdiPlusApi& api = GdiPlusApi();
        if (!bitmap || !api.GdipCreateHBITMAPFromBitmap
            || api.GdipCreateHBITMAPFromBitmap(bitmap.get(), &result, 0) != gsOk)
            return nullptr;
        return result;
    } catch (const Exception&) {
        return nullptr;
    }
}

HICON CreateIconFromData(const std::string& Bytes)
{
    try {
        if (Bytes.empty() || !GdiPlusLibrary())
            return nullptr;
        TIStream stream;
        TGdiplusSession session;
        if (!session)
            return nullptr;
        TImageOwner bitmap = BitmapFromData(Bytes, stream);
        const TGdiPlusApi& api = GdiPlusApi();
        if (!bitmap || !api.GdipGetImageThumbnail || !api.GdipCreateHICONFromBitmap)
            return nullptr;
        TGpImage* thumbnail = nullptr;
        if (api.GdipGetImageThumbnail(bitmap.get(), static_cast<UINT>(GetSystemMetrics(SM_CXSMICON)),
                static_cast<UINT>(GetSystemMetrics(SM_CYSMICON)), &thumbnail, nullptr, nullptr)
            != gsOk)
            return nullptr;
        TImageOwner small(thumbnail);
        HICON icon = nullptr;
        return api.GdipCreateHICONFromBitmap(small.get(), &icon) == gsOk ? icon : nullptr;
    } catch (const Exception&) {
        return nullptr;
    }
}

// ---- TIStream -------------------------------------------------------------------------------------

TIStream::TIStream()
{
    HRESULT result = CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes_);
    if (SUCCEEDED(result))
        result = StgCreateDocfileOnILockBytes(lockBytes_, StorageMode, 0, &storage_);
    if (SUCCEEDED(result))
        result = storage_->CreateStream(L"ISTREAM", StorageMode, 0, 0, &stream_);
    if (FAILED(result)) {
        if (storage_)
            storage_->Release();
        if (lockBytes_)
            lockBytes_->Release();
        throw EOleSysError(result);
    }
}

TIStream::~TIStream()
{
    stream_->Release();
    storage_->Release();
    lockBytes_->Release();
}

std::int32_t TIStream::Read(void* Buffer, std::int32_t Count)
{
    if (Count <= 0)
        return 0;
    const std::int64_t position = Position();
    const std::int64_t remaining = Size() - position;
    ULONG read = 0;
    lastResult_ = stream_->Read(Buffer, static_cast<ULONG>(Count), &read);
    if (read < static_cast<ULONG>(Count) && remaining >= Count)
        lastResult_ = STG_E_READFAULT;
    return static_cast<std::int32_t>(read);
}

std::int32_t TIStream::Write(const void* Buffer, std::int32_t Count)
{
    if (Count <= 0)
        return 0;
    ULONG written = 0;
    lastResult_ = stream_->Write(Buffer, static_cast<ULONG>(Count), &written);
    if (written < static_cast<ULONG>(Count))
        lastResult_ = STG_E_WRITEFAULT;
    return static_cast<std::int32_t>(written);
}

std::int64_t TIStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    if (Origin != soFromBeginning && Origin != soFromCurrent && Origin != soFromEnd) {
        lastResult_ = E_INVALIDARG;
        return 0;
    }
    LARGE_INTEGER move;
    move.QuadPart = Offset;
    ULARGE_INTEGER position {};
    lastResult_ = stream_->Seek(move, static_cast<DWORD>(Origin), &position);
    return FAILED(lastResult_) ? -1 : static_cast<std::int64_t>(position.QuadPart);
}

void TIStream::SetSize(std::int64_t NewSize)
{
    ULARGE_INTEGER size;
    size.QuadPart = static_cast<ULONGLONG>(std::max<std::int64_t>(NewSize, 0));
    lastResult_ = stream_->SetSize(size);
}

std::int64_t TIStream::Size()
{
    STATSTG stat {};
    lastResult_ = stream_->Stat(&stat, STATFLAG_NONAME);
    return FAILED(lastResult_) ? 0 : static_cast<std::int64_t>(stat.cbSize.QuadPart);
}

void TIStream::Clear()
{
    Seek(0, soFromBeginning);
    SetSize(0);
}

// ---- TEncoderIDs ----------------------------------------------------------------------------------

int TEncoderIDs::FormatIndex(int Line) const
{
    return static_cast<int>(reinterpret_cast<intptr_t>(GetObject(Line)));
}

// ---- TGdipImage -----------------------------------------------------------------------------------

TGdipImage::TGdipImage()
{
    const TGdiPlusApi& api = GdiPlusApi();
    const TGdiplusStartupInput input;
    if (!GdiPlusLibrary() || !api.GdiplusStartup || !api.GdiplusShutdown
        || api.GdiplusStartup(&token_, &input, nullptr) != gsOk)
        throw EAbort();
    try {
        encoders_ = std::make_unique<TEncoderIDs>();
        imageStream_ = std::make_unique<TIStream>();
        FillEncoderList();
    } catch (...) {
        api.GdiplusShutdown(token_);
        throw;
    }
}

TGdipImage::~TGdipImage()
{
    DisposeImage();
    GdiPlusApi().GdiplusShutdown(token_);
}

void TGdipImage::DisposeImage() noexcept
{
    if (image_)
        GdiPlusApi().GdipDisposeImage(image_);
    image_ = nullptr;
}

int TGdipImage::FillEncoderList()
{
    encoders_->Clear();
    UINT count = 0;
    const std::vector<BYTE> buffer = CodecList(true, count);
    const auto* codecs = reinterpret_cast<const TImageCodecInfo*>(buffer.data());
    for (UINT i = 0; i < count && !buffer.empty(); ++i) {
        const std::string clsid = GuidToText(codecs[i].Clsid);
        const std::string description = Narrow(codecs[i].FormatDescription);
        intptr_t formatIndex = -1;
        for (int index = 0; index < GdipFormatCount; ++index)
            if (description == GdipFormatNames[index])
                formatIndex = index;
        std::string patterns = Narrow(codecs[i].FilenameExtension);
        size_t start = 0;
        while (start <= patterns.size()) {
            const size_t end = std::min(patterns.find(';', start), patterns.size());
            std::string pattern = patterns.substr(start, end - start);
            if (pattern.rfind("*.", 0) == 0)
                pattern.erase(0, 2);
            if (!pattern.empty())
                encoders_->AddObject(pattern + "=" + clsid, reinterpret_cast<void*>(formatIndex));
            start = end + 1;
        }
    }
    return encoders_->Count();
}

void TGdipImage::ReadProperties()
{
    const TGdiPlusApi& api = GdiPlusApi();
    UINT width = 0, height = 0;
    api.GdipGetImageWidth(image_, &width);
    api.GdipGetImageHeight(image_, &height);
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    GUID format {};
    formatIndex_ = api.GdipGetImageRawFormat(image_, &format) == gsOk ? FormatIndexOfRawFormat(format) : 0;
    if (formatIndex_ == 0)
        lastStatus_ = gsUnknownImageFormat;
    std::string extension = GdipFormatNames[formatIndex_];
    for (char& c : extension)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    defaultExtension_ = extension.empty() ? std::string() : "." + extension;
}

bool TGdipImage::LoadFromFile(const std::string& FileName)
{
    DisposeImage();
    const std::wstring name = Wide(FileName);
    lastStatus_ = GdiPlusApi().GdipLoadImageFromFile(name.c_str(), &image_);
    if (lastStatus_ != gsOk) {
        image_ = nullptr;
        return false;
    }
    ReadProperties();
    fileName_ = FileName;
    imageStream_->Clear();
    loadedFromFile_ = true;
    return true;
}

bool TGdipImage::LoadFromData(const std::string& Bytes)
{
    imageStream_->Seek(0, soFromBeginning);
    imageStream_->SetSize(static_cast<std::int64_t>(Bytes.size()));
    size_t done = 0;
    while (done < Bytes.size()) {
        const auto piece = static_cast<std::int32_t>(std::min<size_t>(WritePiece, Bytes.size() - done));
        const std::int32_t written = imageStream_->Write(Bytes.data() + done, piece);
        done += static_cast<size_t>(std::max(written, 0));
        if (written != piece)
            break;
    }
    if (done < Bytes.size() || FAILED(imageStream_->LastResult())) {
        lastStatus_ = gsWin32Error;
        return false;
    }
    imageStream_->Seek(0, soFromBeginning);
    DisposeImage();
    lastStatus_ = GdiPlusApi().GdipLoadImageFromStream(imageStream_->Stream(), &image_);
    loadedFromFile_ = false;
    if (lastStatus_ != gsOk) {
        image_ = nullptr;
        return false;
    }
    ReadProperties();
    return true;
}

bool TGdipImage::SaveToFile(const std::string& FileName)
{
    const size_t dot = FileName.rfind('.');
    const int line = dot == std::string::npos ? -1 : encoders_->IndexOfName(FileName.substr(dot + 1));
    const int formatIndex = line < 0 ? -1 : encoders_->FormatIndex(line);
    if (formatIndex <= 0 || !image_) {
        lastStatus_ = gsGenericError;
        return false;
    }
    CLSID encoder {};
    const std::wstring clsidText = Wide(encoders_->Values(GdipFormatNames[formatIndex]));
    if (FAILED(CLSIDFromString(clsidText.c_str(), &encoder))) {
        lastStatus_ = gsGenericError;
        return false;
    }
    ULONG quality = 100;
    TEncoderParameters parameters { 1, { { EncoderQuality, 1, EncoderParameterValueTypeLong, &quality } } };
    const std::wstring name = Wide(FileName);
    lastStatus_ = GdiPlusApi().GdipSaveImageToFile(
        image_, name.c_str(), &encoder, formatIndex == FormatJpeg ? &parameters : nullptr);
    return lastStatus_ == gsOk;
}

bool TGdipImage::GetImageBytes(std::string& Bytes)
{
    Bytes.clear();
    if (!loadedFromFile_) {
        lastStatus_ = ReadStreamWhole(*imageStream_, Bytes) ? gsOk : gsWin32Error;
        return lastStatus_ == gsOk;
    }
    try {
        HANDLE file = CreateFileA(
            fileName_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            lastStatus_ = gsAccessDenied;
            return false;
        }
        LARGE_INTEGER size {};
        DWORD read = 0;
        bool whole = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
        if (whole) {
            Bytes.resize(static_cast<size_t>(size.QuadPart));
            whole = ReadFile(file, Bytes.data(), static_cast<DWORD>(Bytes.size()), &read, nullptr)
                && read == Bytes.size();
        }
        CloseHandle(file);
        lastStatus_ = whole ? gsOk : gsGenericError;
    } catch (const std::bad_alloc&) {
        lastStatus_ = gsOutOfMemory;
    }
    if (lastStatus_ != gsOk)
        Bytes.clear();
    return lastStatus_ == gsOk;
}

bool TGdipImage::Render(TBitmap& Target)
{
    const TGdiPlusApi& api = GdiPlusApi();
    if (!image_) {
        lastStatus_ = gsGenericError;
        return false;
    }
    Target.SetSize(width_, height_);
    if (Target.Empty()) {
        lastStatus_ = gsOutOfMemory;
        return false;
    }
    RECT clip {};
    GetClipBox(Target.Canvas().Handle(), &clip);
    TGpGraphics* graphics = nullptr;
    lastStatus_ = api.GdipCreateFromHDC(Target.Canvas().Handle(), &graphics);
    if (lastStatus_ != gsOk)
        return false;
    lastStatus_ = api.GdipDrawImageRectRect(graphics, image_, static_cast<float>(clip.left),
        static_cast<float>(clip.top), static_cast<float>(clip.right - clip.left),
        static_cast<float>(clip.bottom - clip.top), 0, 0, static_cast<float>(width_),
        static_cast<float>(height_), UnitPixel, nullptr, nullptr, nullptr);
    api.GdipDeleteGraphics(graphics);
    return lastStatus_ == gsOk;
}

bool TGdipImage::AssignToGraphic(TBitmap& Graphic)
{
    return Render(Graphic);
}

bool TGdipImage::CopyToClipboard()
{
    TBitmap bitmap;
    if (!Render(bitmap))
        return false;
    bitmap.FreeCanvas();
    // The clipboard takes a device-dependent copy; ours stays with the bitmap object.
    HANDLE copy = CopyImage(bitmap.Handle(), IMAGE_BITMAP, 0, 0, 0);
    if (copy) {
        const TClipboardSession clipboard;
        if (clipboard.Open() && EmptyClipboard() && SetClipboardData(CF_BITMAP, copy))
            return true;
    }
    if (copy)
        DeleteObject(copy);
    lastStatus_ = gsWin32Error;
    return false;
}

bool TGdipImage::Rotate90(TBitmap& Graphic, bool Left)
{
    const int width = Graphic.Width(), height = Graphic.Height();
    TBitmap rotated(height, width);
    if (rotated.Empty() || !Graphic.Bits()) {
        lastStatus_ = gsOutOfMemory;
        return false;
    }
    // Pixels are moved one by one: both are 32-bit top-down DIBs, and a parallelogram blit is
    // not exact everywhere (Wine's leaves pixels out).
    GdiFlush();
    const std::uint32_t* source = Graphic.Bits();
    std::uint32_t* target = rotated.Bits();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int targetX = Left ? y : height - 1 - y;
            const int targetY = Left ? width - 1 - x : x;
            target[targetY * height + targetX] = source[y * width + x];
        }
    Graphic.SetSize(height, width);
    std::copy(target, target + static_cast<size_t>(width) * height, Graphic.Bits());
    lastStatus_ = gsOk;
    return true;
}
