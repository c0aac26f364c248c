// The picture print job: margins in millimetres become device units, the bitmap keeps its size
// in inches unless it is larger than the printable area, and an unfinished job is aborted.
#include "ui/dialogs/BitmapPrinter.h"

#include "framework/Exceptions.h"
#include "framework/PrintJob.h"

#include <memory>
#include <vector>

namespace {

struct TScreenDpi {
    int X = 96;
    int Y = 96;
};

TScreenDpi ScreenDpi()
{
    TScreenDpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi = { GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY) };
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

// The bitmap's pixels as a top-down 32-bit DIB.
bool TakeDib(HBITMAP bitmap, BITMAPINFO& info, std::vector<std::uint32_t>& bits)
{
    BITMAP shape {};
    if (!GetObjectA(bitmap, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0)
        return false;
    info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits.resize(static_cast<std::size_t>(shape.bmWidth) * static_cast<std::size_t>(shape.bmHeight));
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, shape.bmHeight, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == shape.bmHeight;
}

} // namespace

bool DrawBitmapPage(HDC printer, HBITMAP bitmap, const TPrinterPrefs& prefs)
{
    BITMAPINFO info {};
    std::vector<std::uint32_t> bits;
    if (!TakeDib(bitmap, info, bits))
        return false;
    const int pageWidth = GetDeviceCaps(printer, HORZRES);
    const int pageHeight = GetDeviceCaps(printer, VERTRES);
    const int widthMm = GetDeviceCaps(printer, HORZSIZE);
    const int heightMm = GetDeviceCaps(printer, VERTSIZE);
    if (pageWidth <= 0 || pageHeight <= 0 || widthMm <= 0 || heightMm <= 0)
        return false;
    const int left = MulDiv(pageWidth, prefs.MarginLeft, widthMm);
    const int right = MulDiv(pageWidth, prefs.MarginRight, widthMm);
    const int top = MulDiv(pageHeight, prefs.MarginTop, heightMm);
    const int bottom = MulDiv(pageHeight, prefs.MarginBottom, heightMm);
    const int areaWidth = pageWidth - left - right;
    const int areaHeight = pageHeight - top - bottom;
    if (areaWidth <= 0 || areaHeight <= 0)
        return false;

    const int pixelsWide = info.bmiHeader.biWidth;
    const int pixelsHigh = -info.bmiHeader.biHeight;
    const TScreenDpi screen = ScreenDpi();
    int width = MulDiv(pixelsWide, GetDeviceCaps(printer, LOGPIXELSX), screen.X);
    int height = MulDiv(pixelsHigh, GetDeviceCaps(printer, LOGPIXELSY), screen.Y);
    if (width > areaWidth || height > areaHeight) {
        // The side that overflows more sets the scale; the other follows the picture's shape.
        if (MulDiv(height, areaWidth, width) > areaHeight) {
            width = MulDiv(width, areaHeight, height);
            height = areaHeight;
        } else {
            height = MulDiv(height, areaWidth, width);
            width = areaWidth;
        }
    }
    const int x = (pageWidth - width) / 2;
    const int y = (pageHeight - height) / 2;
    const int drawn = StretchDIBits(
        printer, x, y, width, height, 0, 0, pixelsWide, pixelsHigh, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    return drawn != static_cast<int>(GDI_ERROR);
}

bool PrintBitmap(TBitmapPrinterData& data, const TPrintDialogEntries& entries)
{
    if (!data.Bitmap || !ExecutePrintDialog(data, entries))
        return false;
    const HDC dc = CreatePrinterDC(data.Prefs);
    const std::string printer = PrinterNameOf(data.Prefs);
    if (!dc)
        throw EPrintFailure(TPrintFailure::PrinterNotOpened, printer);
    TPrintJob job(dc, data.DocumentTitle);
    if (!job.Started())
        throw EPrintFailure(TPrintFailure::JobRefused, printer);
    if (!DrawBitmapPage(job.Dc(), data.Bitmap, data.Prefs) || !job.Finish())
        throw EPrintFailure(TPrintFailure::PageNotPrinted, printer);
    return true;
}
