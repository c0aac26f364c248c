// GDI+ images: the run-time binding of the GDI+ flat interface, a class-framework stream over an
// in-memory COM stream, the installed encoders by extension, and one image that loads, saves,
// renders, rotates and copies itself. Without GdiPlus.dll nothing here works, and nothing crashes.
#pragma once

#include "framework/Streams.h"
#include "framework/StringLists.h"

#include <windows.h>

#include <objidl.h>

#include <memory>
#include <string>

class TBitmap;

// ---- The binding --------------------------------------------------------------------------------

struct TGpImage; // GDI+ images and bitmaps (a bitmap is an image)
struct TGpGraphics;
using TGpStatus = int;

struct TGdiplusStartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

struct TImageCodecInfo {
    CLSID Clsid;
    GUID FormatID;
    const WCHAR* CodecName;
    const WCHAR* DllName;
    const WCHAR* FormatDescription;
    const WCHAR* FilenameExtension;
    const WCHAR* MimeType;
    DWORD Flags;
    DWORD Version;
    DWORD SigCount;
    DWORD SigSize;
    const BYTE* SigPattern;
    const BYTE* SigMask;
};

struct TEncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    void* Value;
};

struct TEncoderParameters {
    UINT Count;
    TEncoderParameter Parameter[1];
};

// One procedure variable per function; null while unbound.
struct TGdiPlusApi {
    TGpStatus(WINAPI* GdiplusStartup)(ULONG_PTR* Token, const TGdiplusStartupInput* Input, void* Output)
        = nullptr;
    void(WINAPI* GdiplusShutdown)(ULONG_PTR Token) = nullptr;
    TGpStatus(WINAPI* GdipGetImageDecodersSize)(UINT* Count, UINT* Size) = nullptr;
    TGpStatus(WINAPI* GdipGetImageDecoders)(UINT Count, UINT Size, TImageCodecInfo* Decoders) = nullptr;
    TGpStatus(WINAPI* GdipGetImageEncodersSize)(UINT* Count, UINT* Size) = nullptr;
    TGpStatus(WINAPI* GdipGetImageEncoders)(UINT Count, UINT Size, TImageCodecInfo* Encoders) = nullptr;
    TGpStatus(WINAPI* GdipLoadImageFromFile)(const WCHAR* FileName, TGpImage** Image) = nullptr;
    TGpStatus(WINAPI* GdipLoadImageFromStream)(IStream* Stream, TGpImage** Image) = nullptr;
    TGpStatus(WINAPI* GdipSaveImageToFile)(
        TGpImage* Image, const WCHAR* FileName, const CLSID* Encoder, const TEncoderParameters* Parameters)
        = nullptr;
    TGpStatus(WINAPI* GdipSaveImageToStream)(
        TGpImage* Image, IStream* Stream, const CLSID* Encoder, const TEncoderParameters* Parameters)
        = nullptr;
    TGpStatus(WINAPI* GdipCloneImage)(TGpImage* Image, TGpImage** Clone) = nullptr;
    TGpStatus(WINAPI* GdipDisposeImage)(TGpImage* Image) = nullptr;
    TGpStatus(WINAPI* GdipGetImageRawFormat)(TGpImage* Image, GUID* Format) = nullptr;
    TGpStatus(WINAPI* GdipGetImageWidth)(TGpImage* Image, UINT* Width) = nullptr;
    TGpStatus(WINAPI* GdipGetImageHeight)(TGpImage* Image, UINT* Height) = nullptr;
    TGpStatus(WINAPI* GdipGetImageThumbnail)(
        TGpImage* Image, UINT Width, UINT Height, TGpImage** Thumbnail, void* Callback, void* CallbackData)
        = nullptr;
    TGpStatus(WINAPI* GdipCreateBitmapFromFile)(const WCHAR* FileName, TGpImage** Bitmap) = nullptr;
    TGpStatus(WINAPI* GdipCreateBitmapFromStream)(IStream* Stream, TGpImage** Bitmap) = nullptr;
    TGpStatus(WINAPI* GdipCreateHBITMAPFromBitmap)(TGpImage* Bitmap, HBITMAP* Result, DWORD Background)
        = nullptr;
    TGpStatus(WINAPI* GdipCreateBitmapFromHBITMAP)(HBITMAP Bitmap, HPALETTE Palette, TGpImage** Result)
        = nullptr;
    TGpStatus(WINAPI* GdipCreateHICONFromBitmap)(TGpImage* Bitmap, HICON* Result) = nullptr;
    TGpStatus(WINAPI* GdipCreateBitmapFromHICON)(HICON Icon, TGpImage** Result) = nullptr;
    TGpStatus(WINAPI* GdipCreateFromHDC)(HDC DC, TGpGraphics** Graphics) = nullptr;
    TGpStatus(WINAPI* GdipDeleteGraphics)(TGpGraphics* Graphics) = nullptr;
    TGpStatus(WINAPI* GdipDrawImageRectRect)(TGpGraphics* Graphics, TGpImage* Image, float DstX, float DstY,
        float DstWidth, float DstHeight, float SrcX, float SrcY, float SrcWidth, float SrcHeight, int SrcUnit,
        const void* Attributes, void* Callback, void* CallbackData)
        = nullptr;
    UINT(WINAPI* GdipEmfToWmfBits)(HENHMETAFILE Emf, UINT Size, BYTE* Data, INT MapMode, INT Flags) = nullptr;
};

// Binds GdiPlus.dll (already loaded, else from the system folder) the first time; later calls only
// count. DoneGdiPlus undoes one call and frees the library with the last.
void InitGdiPlus();
void DoneGdiPlus();
// The library's handle: null when GDI+ is absent.
HMODULE GdiPlusLibrary();
// The procedure variables (initialised on first use).
TGdiPlusApi& GdiPlusApi();

// ---- Formats and status ---------------------------------------------------------------------------

enum TGdipStatus : int {
    gsOk = 0,
    gsGenericError = 1,
    gsOutOfMemory = 3,
    gsWin32Error = 7,
    gsAccessDenied = 12,
    gsUnknownImageFormat = 13,
};

constexpr int GdipFormatCount = 7;
extern const char* const GdipFormatNames[GdipFormatCount]; // "", "BMP", "GIF", "JPEG", "PNG", "TIFF", "WMF"
extern const char* const GdipFormatMimeTypes[GdipFormatCount]; // "", "image/bmp", ... "image/wmf"

// A GUID as lower-case text, "{b96b3cab-0728-11d3-9d7b-0000f81ef32e}".
std::string GuidToText(const GUID& Guid);
// The format index of a raw-format GUID: BMP 1, GIF 2, JPEG 3, PNG 4, TIFF 5; 0 for any other.
int FormatIndexOfRawFormat(const GUID& Format);

// ---- Free routines --------------------------------------------------------------------------------

// The file-name patterns of all installed decoders (encoders) joined by ';'; empty without GDI+.
std::string GetGdipDecoderExtensions();
std::string GetGdipEncoderExtensions();
// A Windows bitmap made from picture bytes; 0 on any failure. The caller deletes it.
HBITMAP CreateBitmapFromData(const std::string& Bytes);
// An icon drawn from picture bytes at the small icon size; 0 on any failure. The caller destroys it.
HICON CreateIconFromData(const std::string& Bytes);

// ---- TIStream -------------------------------------------------------------------------------------

// A class-framework stream over a COM stream in global memory, for GDI+ to read and write.
class TIStream : public TStream {
public:
    // Raises EOleSysError when the lock bytes, the storage or the stream cannot be made.
    TIStream();
    ~TIStream() override;
    TIStream(const TIStream&) = delete;
    TIStream& operator=(const TIStream&) = delete;

    std::int32_t Read(void* Buffer, std::int32_t Count) override;
    std::int32_t Write(const void* Buffer, std::int32_t Count) override;
    // Origins other than the three known ones give 0 and an invalid-argument result.
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(std::int64_t NewSize) override;
    std::int64_t Size() override;
    void Clear();

    IStream* Stream() const noexcept { return stream_; }
    HRESULT LastResult() const noexcept { return lastResult_; }

private:
    ILockBytes* lockBytes_ = nullptr;
    IStorage* storage_ = nullptr;
    IStream* stream_ = nullptr;
    HRESULT lastResult_ = S_OK;
};

// ---- TEncoderIDs ----------------------------------------------------------------------------------

// Lines "extension=encoder CLSID" of every installed encoder, with the format index as object
// (-1 when the encoder's format is none of the table's).
class TEncoderIDs : public TStringList {
public:
    int FormatIndex(int Line) const;
};

// ---- TGdipImage -----------------------------------------------------------------------------------

class TGdipImage {
public:
    // Raises EAbort when GDI+ is absent or does not start.
    TGdipImage();
    ~TGdipImage();
    TGdipImage(const TGdipImage&) = delete;
    TGdipImage& operator=(const TGdipImage&) = delete;

    int FillEncoderList();
    bool LoadFromFile(const std::string& FileName);
    bool LoadFromData(const std::string& Bytes);
    // The encoder is chosen by the name's extension; JPEG is saved at quality 100.
    bool SaveToFile(const std::string& FileName);
    // The image's raw bytes: the file it came from, or the bytes it was loaded from.
    bool GetImageBytes(std::string& Bytes);
    // Renders the image into Graphic, which takes the image's size.
    bool AssignToGraphic(TBitmap& Graphic);
    bool CopyToClipboard();
    // A quarter turn of Graphic, to the left (counter-clockwise) or the right.
    bool Rotate90(TBitmap& Graphic, bool Left);

    const TEncoderIDs& Encoders() const noexcept { return *encoders_; }
    int LastStatus() const noexcept { return lastStatus_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    int FormatIndex() const noexcept { return formatIndex_; }
    const std::string& DefaultExtension() const noexcept { return defaultExtension_; }
    const std::string& FileName() const noexcept { return fileName_; }
    bool LoadedFromFile() const noexcept { return loadedFromFile_; }

private:
    void DisposeImage() noexcept;
    void ReadProperties();
    bool Render(TBitmap& Target);

    std::unique_ptr<TEncoderIDs> encoders_;
    std::unique_ptr<TIStream> imageStream_;
    int lastStatus_ = gsOk;
    TGpImage* image_ = nullptr;
    bool loadedFromFile_ = false;
    int width_ = 0;
    int height_ = 0;
    int formatIndex_ = 0;
    std::string defaultExtension_;
    std::string fileName_;
    ULONG_PTR token_ = 0;
};
