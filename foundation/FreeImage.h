// Picture conversion: the run-time binding of the FreeImage library and what the rich-text and
// HTML conversions need of it: a picture from a file, bytes or a "data:" URL, re-encoded as PNG
// (optionally after a BMP) at a size that fits its place. Without the library nothing converts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

// The library's opaque memory stream and bitmap.
struct TFiMemory;
struct TFiBitmap;

// The bound functions (null while the library is absent).
struct TFreeImageApi {
    TFiMemory*(WINAPI* OpenMemory)(BYTE* Data, DWORD Size) = nullptr;
    void(WINAPI* CloseMemory)(TFiMemory* Stream) = nullptr;
    unsigned(WINAPI* ReadMemory)(void* Buffer, unsigned Size, unsigned Count, TFiMemory* Stream) = nullptr;
    unsigned(WINAPI* WriteMemory)(const void* Buffer, unsigned Size, unsigned Count, TFiMemory* Stream)
        = nullptr;
    BOOL(WINAPI* AcquireMemory)(TFiMemory* Stream, BYTE** Data, DWORD* Size) = nullptr;
    TFiBitmap*(WINAPI* LoadFromMemory)(int Format, TFiMemory* Stream, int Flags) = nullptr;
    BOOL(WINAPI* SaveToMemory)(int Format, TFiBitmap* Bitmap, TFiMemory* Stream, int Flags) = nullptr;
    unsigned(WINAPI* GetWidth)(TFiBitmap* Bitmap) = nullptr;
    unsigned(WINAPI* GetHeight)(TFiBitmap* Bitmap) = nullptr;
    unsigned(WINAPI* GetDIBSize)(TFiBitmap* Bitmap) = nullptr;
    BITMAPINFOHEADER*(WINAPI* GetInfoHeader)(TFiBitmap* Bitmap) = nullptr;
    BITMAPINFO*(WINAPI* GetInfo)(TFiBitmap* Bitmap) = nullptr;
    BYTE*(WINAPI* GetBits)(TFiBitmap* Bitmap) = nullptr;
    unsigned(WINAPI* GetMemorySize)(TFiBitmap* Bitmap) = nullptr;
    int(WINAPI* GetFileTypeFromMemory)(TFiMemory* Stream, int Size) = nullptr;
    int(WINAPI* GetFileType)(const char* FileName, int Size) = nullptr;
    int(WINAPI* GetFIFFromFilename)(const char* FileName) = nullptr;
    int(WINAPI* GetFIFFromMime)(const char* MimeType) = nullptr;
    const char*(WINAPI* GetFIFMimeType)(int Format) = nullptr;
    TFiBitmap*(WINAPI* MakeThumbnail)(TFiBitmap* Bitmap, int MaxPixelSize, BOOL Convert) = nullptr;
    TFiBitmap*(WINAPI* Rescale)(TFiBitmap* Bitmap, int Width, int Height, int Filter) = nullptr;
    TFiBitmap*(WINAPI* Load)(int Format, const char* FileName, int Flags) = nullptr;
    BOOL(WINAPI* Save)(int Format, TFiBitmap* Bitmap, const char* FileName, int Flags) = nullptr;
    void(WINAPI* Unload)(TFiBitmap* Bitmap) = nullptr;
};

// Image type index shared with the callers (0 = unknown).
enum TImageType : int {
    itUnknown = 0,
    itBmp = 1,
    itEmf = 2,
    itWmf = 3,
    itJpeg = 4,
    itPng = 5,
    itGif = 6,
    itTiff = 7,
    itExif = 8,
    itIcon = 9,
};

// Loads "FreeImage.dll" from the plug-in's folder, else the program's folder, else Folder (a full
// path; never the current directory) and binds it; the library then stays for the life of the
// process. True when it is bound (also when an earlier call bound it).
bool LoadFreeImageApi(const std::string& Folder);
// True when the library is bound; the first call looks in the plug-in's and the program's folder.
bool FreeImageAvailable();
const TFreeImageApi& FreeImageApi();

struct TPictureUnloader {
    void operator()(TFiBitmap* Bitmap) const noexcept;
};
using TPicture = std::unique_ptr<TFiBitmap, TPictureUnloader>;

// A bitmap from a file name, picture bytes or a "data:" URL; empty on failure.
TPicture LoadPicture(const std::string& Source);

// Source re-encoded as PNG bytes (BMP bytes and then PNG bytes with Extra). With a non-zero Size,
// the picture is first fitted into TwipsSize (the place, in twips) and MaxWidth and rescaled.
// Afterwards Size holds the picture's pixel size and TwipsSize that size in twips. Empty on
// failure (an empty Source sets the last error to ERROR_INVALID_DATA).
std::string ConvertPicture(const std::string& Source, SIZE& Size, SIZE& TwipsSize, int MaxWidth, bool Extra);

// The bytes of a "data:" URL whose media type is an image (Base64 or percent-encoded), with the
// media type's index in TypeIndex; empty otherwise.
std::string DecodeDataUrl(const std::string& Url, int& TypeIndex);
// The index of an image MIME type (compared ignoring symbols); 0 when it is none of the table.
int ImageTypeIndex(const std::string& MimeType);
// The image type index of a picture file or of picture bytes; 0 when unknown or without library.
int GetPictureTypeIndex(const std::string& Source);
// Size fitted to Box's width (keeping its aspect), then limited to MaxWidth (MaxWidth <= 0: no
// limit). A Size no larger in area than Box, or a zero area, stays as it is.
SIZE FitSize(SIZE Size, SIZE Box, int MaxWidth);
