// Stand-in picture library: the memory streams, loading, rescaling and saving calls the picture
// unit binds, with the decoding and encoding done by the system's GDI+ (BMP, PNG, JPEG, GIF, TIFF,
// ICO). Bitmaps are 32-bit bottom-up DIBs. Used by tests and the demo only, never shipped.
#include <windows.h>

#include <objidl.h> // GDI+ needs its types first

#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace Gdiplus;

namespace {

// Format numbers of the library's public interface.
enum : int {
    FifUnknown = -1,
    FifBmp = 0,
    FifIco = 1,
    FifJpeg = 2,
    FifPng = 13,
    FifTiff = 18,
    FifGif = 25,
};

struct TFormat {
    int Fif;
    const char* Mime;
    const char* Extensions; // blank-separated, lower case
};

const TFormat Formats[] = {
    { FifBmp, "image/bmp", "bmp" },
    { FifIco, "image/vnd.microsoft.icon", "ico" },
    { FifJpeg, "image/jpeg", "jpg jpeg jpe jif" },
    { FifPng, "image/png", "png" },
    { FifTiff, "image/tiff", "tif tiff" },
    { FifGif, "image/gif", "gif" },
};

const TFormat* FormatOf(int fif)
{
    for (const TFormat& format : Formats)
        if (format.Fif == fif)
            return &format;
    return nullptr;
}

int FormatFromSignature(const BYTE* data, size_t size)
{
    auto starts = [&](const char* sig, size_t length) {
        return size >= length && std::memcmp(data, sig, length) == 0;
    };
    if (starts("\x89PNG\r\n\x1A\n", 8))
        return FifPng;
    if (starts("\xFF\xD8\xFF", 3))
        return FifJpeg;
    if (starts("GIF8", 4))
        return FifGif;
    if (starts("II*\0", 4) || starts("MM\0*", 4))
        return FifTiff;
    if (starts("BM", 2) && size > 14)
        return FifBmp;
    if (starts("\0\0\1\0", 4))
        return FifIco;
    return FifUnknown;
}

struct TMemory {
    std::vector<BYTE> Data;
    size_t Position = 0;
};

struct TPicture {
    BITMAPINFO Info {};
    std::vector<BYTE> Bits; // 32 bits a pixel, rows bottom-up
    int Width() const { return Info.bmiHeader.biWidth; }
    int Height() const { return Info.bmiHeader.biHeight; }
};

TPicture* NewPicture(int width, int height)
{
    auto* picture = new TPicture;
    BITMAPINFOHEADER& header = picture->Info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(width) * 4 * static_cast<DWORD>(height);
    picture->Bits.resize(header.biSizeImage);
    return picture;
}

bool StartGdiPlus()
{
    static ULONG_PTR token = 0;
    static bool started = false;
    if (!started) {
        GdiplusStartupInput input;
        started = GdiplusStartup(&token, &input, nullptr) == Ok;
    }
    return started;
}

// An IStream over a copy of the bytes; the caller releases it.
IStream* StreamOver(const BYTE* data, size_t size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory)
        return nullptr;
    if (size)
        std::memcpy(GlobalLock(memory), data, size), GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return nullptr;
    }
    return stream;
}

TPicture* Decode(const BYTE* data, size_t size)
{
    if (!size || FormatFromSignature(data, size) == FifUnknown || !StartGdiPlus())
        return nullptr;
    IStream* stream = StreamOver(data, size);
    if (!stream)
        return nullptr;
    GpBitmap* bitmap = nullptr;
    const bool loaded = DllExports::GdipCreateBitmapFromStream(stream, &bitmap) == Ok;
    stream->Release();
    if (!loaded)
        return nullptr;
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(bitmap, &width);
    DllExports::GdipGetImageHeight(bitmap, &height);
    TPicture* picture = nullptr;
    GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    BitmapData locked {};
    if (width && height
        && DllExports::GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB, &locked)
            == Ok) {
        picture = NewPicture(static_cast<int>(width), static_cast<int>(height));
        for (UINT row = 0; row < height; ++row)
            std::memcpy(&picture->Bits[(height - 1 - row) * width * 4],
                static_cast<const BYTE*>(locked.Scan0) + static_cast<ptrdiff_t>(row) * locked.Stride,
                width * 4);
        DllExports::GdipBitmapUnlockBits(bitmap, &locked);
    }
    DllExports::GdipDisposeImage(bitmap);
    return picture;
}

bool EncoderOf(const char* mime, CLSID& clsid)
{
    UINT count = 0, size = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &size) != Ok || !size)
        return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, size, codecs) != Ok)
        return false;
    const std::wstring wanted(mime, mime + std::strlen(mime));
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && wanted == codecs[i].MimeType) {
            clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

bool Encode(int fif, const TPicture& picture, std::vector<BYTE>& out)
{
    const TFormat* format = FormatOf(fif);
    CLSID encoder {};
    if (!format || !StartGdiPlus() || !EncoderOf(format->Mime, encoder))
        return false;
    const int stride = picture.Width() * 4;
    GpBitmap* bitmap = nullptr;
    // A negative stride from the last row shows the bottom-up rows top-down.
    BYTE* lastRow = const_cast<BYTE*>(&picture.Bits[static_cast<size_t>(picture.Height() - 1) * stride]);
    if (DllExports::GdipCreateBitmapFromScan0(
            picture.Width(), picture.Height(), -stride, PixelFormat32bppARGB, lastRow, &bitmap)
        != Ok)
        return false;
    IStream* stream = StreamOver(nullptr, 0);
    bool saved = stream && DllExports::GdipSaveImageToStream(bitmap, stream, &encoder, nullptr) == Ok;
    DllExports::GdipDisposeImage(bitmap);
    if (saved) {
        STATSTG stat {};
        HGLOBAL memory = nullptr;
        saved = stream->Stat(&stat, STATFLAG_NONAME) == S_OK && GetHGlobalFromStream(stream, &memory) == S_OK;
        if (saved) {
            const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory));
            out.assign(bytes, bytes + stat.cbSize.QuadPart);
            GlobalUnlock(memory);
        }
    }
    if (stream)
        stream->Release();
    return saved;
}

// Bilinear resampling, per channel.
TPicture* Resample(const TPicture& source, int width, int height)
{
    if (width <= 0 || height <= 0 || source.Width() <= 0 || source.Height() <= 0)
        return nullptr;
    TPicture* target = NewPicture(width, height);
    const double sx = static_cast<double>(source.Width()) / width,
                 sy = static_cast<double>(source.Height()) / height;
    auto at = [&](int x, int y, int c) {
        return static_cast<double>(source.Bits[(static_cast<size_t>(y) * source.Width() + x) * 4 + c]);
    };
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, source.Height() - 1.0);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, source.Height() - 1);
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, source.Width() - 1.0);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, source.Width() - 1);
            for (int c = 0; c < 4; ++c) {
                const double top = at(x0, y0, c) + (at(x1, y0, c) - at(x0, y0, c)) * (fx - x0);
                const double bottom = at(x0, y1, c) + (at(x1, y1, c) - at(x0, y1, c)) * (fx - x0);
                target->Bits[(static_cast<size_t>(y) * width + x) * 4 + c]
                    = static_cast<BYTE>(top + (bottom - top) * (fy - y0) + 0.5);
            }
        }
    }
    return target;
}

bool ReadFileBytes(const char* name, std::vector<BYTE>& bytes, DWORD limit)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD size = std::min(GetFileSize(file, nullptr), limit);
    bytes.resize(size);
    DWORD read = 0;
    const bool ok = size == INVALID_FILE_SIZE
        ? false
        : ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
    CloseHandle(file);
    return ok;
}

} // namespace

extern "C" {

TMemory* WINAPI FreeImage_OpenMemory(BYTE* data, DWORD size)
{
    try {
        auto* memory = new TMemory;
        if (data && size)
            memory->Data.assign(data, data + size);
        return memory;
    } catch (...) {
        return nullptr;
    }
}

void WINAPI FreeImage_CloseMemory(TMemory* stream)
{
    delete stream;
}

unsigned WINAPI FreeImage_ReadMemory(void* buffer, unsigned size, unsigned count, TMemory* stream)
{
    if (!stream || !size)
        return 0;
    const size_t items = std::min<size_t>(count, (stream->Data.size() - stream->Position) / size);
    std::memcpy(buffer, stream->Data.data() + stream->Position, items * size);
    stream->Position += items * size;
    return static_cast<unsigned>(items);
}

unsigned WINAPI FreeImage_WriteMemory(const void* buffer, unsigned size, unsigned count, TMemory* stream)
{
    try {
        if (!stream)
            return 0;
        const size_t bytes = static_cast<size_t>(size) * count;
        if (stream->Data.size() < stream->Position + bytes)
            stream->Data.resize(stream->Position + bytes);
        std::memcpy(stream->Data.data() + stream->Position, buffer, bytes);
        stream->Position += bytes;
        return count;
    } catch (...) {
        return 0;
    }
}

BOOL WINAPI FreeImage_AcquireMemory(TMemory* stream, BYTE** data, DWORD* size)
{
    if (!stream || !data || !size)
        return FALSE;
    *data = stream->Data.data();
    *size = static_cast<DWORD>(stream->Data.size());
    return TRUE;
}

int WINAPI FreeImage_GetFileTypeFromMemory(TMemory* stream, int)
{
    return stream ? FormatFromSignature(stream->Data.data(), stream->Data.size()) : FifUnknown;
}

int WINAPI FreeImage_GetFileType(const char* name, int)
{
    try {
        std::vector<BYTE> head;
        return name && ReadFileBytes(name, head, 16) ? FormatFromSignature(head.data(), head.size())
                                                     : FifUnknown;
    } catch (...) {
        return FifUnknown;
    }
}

int WINAPI FreeImage_GetFIFFromFilename(const char* name)
{
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    if (!dot || !dot[1])
        return FifUnknown;
    std::string extension(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const TFormat& format : Formats) {
        const std::string list = std::string(" ") + format.Extensions + " ";
        if (list.find(" " + extension + " ") != std::string::npos)
            return format.Fif;
    }
    return FifUnknown;
}

int WINAPI FreeImage_GetFIFFromMime(const char* mime)
{
    if (!mime)
        return FifUnknown;
    if (lstrcmpiA(mime, "image/x-icon") == 0)
        return FifIco;
    for (const TFormat& format : Formats)
        if (lstrcmpiA(mime, format.Mime) == 0)
            return format.Fif;
    return FifUnknown;
}

const char* WINAPI FreeImage_GetFIFMimeType(int fif)
{
    const TFormat* format = FormatOf(fif);
    return format ? format->Mime : nullptr;
}

TPicture* WINAPI FreeImage_LoadFromMemory(int, TMemory* stream, int)
{
    try {
        return stream ? Decode(stream->Data.data(), stream->Data.size()) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

TPicture* WINAPI FreeImage_Load(int, const char* name, int)
{
    try {
        std::vector<BYTE> bytes;
        return name && ReadFileBytes(name, bytes, MAXDWORD) ? Decode(bytes.data(), bytes.size()) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

BOOL WINAPI FreeImage_SaveToMemory(int fif, TPicture* dib, TMemory* stream, int)
{
    try {
        std::vector<BYTE> bytes;
        if (!dib || !stream || !Encode(fif, *dib, bytes))
            return FALSE;
        return FreeImage_WriteMemory(bytes.data(), 1, static_cast<unsigned>(bytes.size()), stream)
            == bytes.size();
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI FreeImage_Save(int fif, TPicture* dib, const char* name, int)
{
    try {
        std::vector<BYTE> bytes;
        if (!dib || !name || !Encode(fif, *dib, bytes))
            return FALSE;
        HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return FALSE;
        DWORD written = 0;
        const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            && written == bytes.size();
        return CloseHandle(file) && ok;
    } catch (...) {
        return FALSE;
    }
}

void WINAPI FreeImage_Unload(TPicture* dib)
{
    delete dib;
}

unsigned WINAPI FreeImage_GetWidth(TPicture* dib)
{
    return dib ? dib->Width() : 0;
}
unsigned WINAPI FreeImage_GetHeight(TPicture* dib)
{
    return dib ? dib->Height() : 0;
}

unsigned WINAPI FreeImage_GetDIBSize(TPicture* dib)
{
    return dib ? static_cast<unsigned>(sizeof(BITMAPINFOHEADER) + dib->Bits.size()) : 0;
}

BITMAPINFOHEADER* WINAPI FreeImage_GetInfoHeader(TPicture* dib)
{
    return dib ? &dib->Info.bmiHeader : nullptr;
}

BITMAPINFO* WINAPI FreeImage_GetInfo(TPicture* dib)
{
    return dib ? &dib->Info : nullptr;
}
BYTE* WINAPI FreeImage_GetBits(TPicture* dib)
{
    return dib ? dib->Bits.data() : nullptr;
}

unsigned WINAPI FreeImage_GetMemorySize(TPicture* dib)
{
    return dib ? static_cast<unsigned>(sizeof(TPicture) + dib->Bits.size()) : 0;
}

TPicture* WINAPI FreeImage_Rescale(TPicture* dib, int width, int height, int)
{
    try {
        return dib ? Resample(*dib, width, height) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

TPicture* WINAPI FreeImage_MakeThumbnail(TPicture* dib, int maxPixelSize, BOOL)
{
    try {
        if (!dib || maxPixelSize <= 0)
            return nullptr;
        const int longest = std::max(dib->Width(), dib->Height());
        if (longest <= maxPixelSize)
            return Resample(*dib, dib->Width(), dib->Height());
        const int width = std::max(1, MulDiv(dib->Width(), maxPixelSize, longest));
        const int height = std::max(1, MulDiv(dib->Height(), maxPixelSize, longest));
        return Resample(*dib, width, height);
    } catch (...) {
        return nullptr;
    }
}

} // extern "C"
