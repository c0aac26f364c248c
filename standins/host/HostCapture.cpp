// Pictures of the screen for a person to look at what a run showed: a 24-bit BMP file of the whole
// screen, taken by a script step or by the dialog answerer just before it answers.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <fstream>
#include <vector>

namespace {
std::string g_captureFolder;
int g_captureCount = 0;

// A device context and bitmap of the screen's size, released in reverse.
class TScreenCopy {
public:
    TScreenCopy()
        : width_(GetSystemMetrics(SM_CXSCREEN))
        , height_(GetSystemMetrics(SM_CYSCREEN))
        , screen_(GetDC(nullptr))
        , memory_(CreateCompatibleDC(screen_))
        , bitmap_(CreateCompatibleBitmap(screen_, width_, height_))
    {
    }
    ~TScreenCopy()
    {
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    TScreenCopy(const TScreenCopy&) = delete;
    TScreenCopy& operator=(const TScreenCopy&) = delete;

    // The screen's pixels, bottom row first, each row padded to four bytes; empty on failure.
    std::vector<char> Pixels(BITMAPINFOHEADER& info)
    {
        const HGDIOBJ old = SelectObject(memory_, bitmap_);
        const bool copied = BitBlt(memory_, 0, 0, width_, height_, screen_, 0, 0, SRCCOPY) != FALSE;
        SelectObject(memory_, old);
        info = {};
        info.biSize = sizeof info;
        info.biWidth = width_;
        info.biHeight = height_;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biCompression = BI_RGB;
        std::vector<char> pixels(static_cast<size_t>((width_ * 3 + 3) / 4 * 4) * height_);
        if (!copied
            || !GetDIBits(memory_, bitmap_, 0, height_, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS))
            pixels.clear();
        info.biSizeImage = static_cast<DWORD>(pixels.size());
        return pixels;
    }

private:
    int width_, height_;
    HDC screen_, memory_;
    HBITMAP bitmap_;
};

std::string FileNamePart(const std::string& text)
{
    std::string name;
    for (char c : text)
        name += (isalnum(static_cast<unsigned char>(c)) || c == '-') ? c : '_';
    return name;
}
} // namespace

bool CaptureScreen(const std::string& file)
{
    BITMAPINFOHEADER info;
    const std::vector<char> pixels = TScreenCopy().Pixels(info);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    const bool written = !pixels.empty() && out.good();
    g_log.Line("capture %s -> %s", file.c_str(), written ? "ok" : "failed");
    return written;
}

void SetCaptureFolder(const std::string& folder)
{
    g_captureFolder = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}

void CaptureIntoFolder(const std::string& name)
{
    if (g_captureFolder.empty())
        return;
    char number[8];
    wsprintfA(number, "%02d-", ++g_captureCount);
    CaptureScreen(g_captureFolder + number + FileNamePart(name) + ".bmp");
}
