// Window capture and a small PNG writer (stored deflate blocks: no compression library needed).
#include "framework/harness/WindowCapture.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t {};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw)
{
    std::vector<std::uint8_t> z { 0x78, 0x01 };
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    std::size_t offset = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - offset, 65535);
        const bool last = offset + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n));
        z.push_back(static_cast<std::uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
            raw.begin() + static_cast<std::ptrdiff_t>(offset + n));
        offset += n;
    } while (offset < raw.size());
    PutBigEndian(z, (b << 16) | a);
    return z;
}

} // namespace

bool CaptureWindow(HWND window, TBitmap& bitmap)
{
    RECT r;
    if (!IsWindow(window) || !GetWindowRect(window, &r))
        return false;
    bitmap.SetSize(r.right - r.left, r.bottom - r.top);
    if (bitmap.Empty())
        return false;
    RedrawWindow(
        window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const HDC source = GetWindowDC(window);
    const bool ok
        = BitBlt(bitmap.Canvas().Handle(), 0, 0, bitmap.Width(), bitmap.Height(), source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    GdiFlush();
    return ok;
}

bool SaveBitmapAsPng(const TBitmap& bitmap, const std::string& fileName)
{
    if (bitmap.Empty())
        return false;
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(h) * (1 + 3 * static_cast<std::size_t>(w)));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t pixel = bitmap.Bits()[static_cast<std::size_t>(y) * w + x];
            raw.push_back(static_cast<std::uint8_t>(pixel >> 16));
            raw.push_back(static_cast<std::uint8_t>(pixel >> 8));
            raw.push_back(static_cast<std::uint8_t>(pixel));
        }
    }
    std::vector<std::uint8_t> png { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(w));
    PutBigEndian(header, static_cast<std::uint32_t>(h));
    header.insert(header.end(), { 8, 2, 0, 0, 0 });
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && ok;
}

bool IsUniform(const TBitmap& bitmap)
{
    const std::size_t n = static_cast<std::size_t>(bitmap.Width()) * bitmap.Height();
    for (std::size_t i = 1; i < n; ++i)
        if ((bitmap.Bits()[i] & 0xFFFFFF) != (bitmap.Bits()[0] & 0xFFFFFF))
            return false;
    return true;
}

std::string SaveWindowPicture(HWND window, const std::string& name)
{
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("ZAVEK_CAPTURE_DIR", folder, MAX_PATH))
        GetTempPathA(MAX_PATH, folder);
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += '\\';
    path += name + ".png";
    TBitmap picture;
    return CaptureWindow(window, picture) && SaveBitmapAsPng(picture, path) ? path : std::string();
}
