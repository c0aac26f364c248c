// GDI wrappers: colour resolution, font handles, canvas drawing, DIB bitmaps and icons.
#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

int ScreenPixelsPerInch()
{
    static const int ppi = [] {
        const HDC dc = GetDC(nullptr);
        const int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc)
            ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return ppi;
}

} // namespace

COLORREF ColorToRGB(TColor color)
{
    if (color == clNone || color == clDefault)
        return RGB(0, 0, 0);
    if (static_cast<std::uint32_t>(color) & 0xFF000000u)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color);
}

// ---- TFont ----

TFont::TFont() = default;

TFont::TFont(const TFont& other)
    : name_(other.name_)
    , height_(other.height_)
    , style_(other.style_)
    , color_(other.color_)
    , charset_(other.charset_)
    , pitch_(other.pitch_)
{
}

TFont& TFont::operator=(const TFont& other)
{
    if (this != &other && !SameAs(other)) {
        name_ = other.name_;
        height_ = other.height_;
        style_ = other.style_;
        color_ = other.color_;
        charset_ = other.charset_;
        pitch_ = other.pitch_;
        Changed();
    }
    return *this;
}

TFont::~TFont()
{
    FreeHandle();
}

void TFont::SetName(const std::string& name)
{
    if (name != name_ && !name.empty()) {
        name_ = name;
        Changed();
    }
}

void TFont::SetHeight(int height)
{
    if (height != height_) {
        height_ = height;
        Changed();
    }
}

int TFont::Size() const
{
    return -MulDiv(height_, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TFont::SetColor(TColor color)
{
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TFont::SetCharset(BYTE charset)
{
    if (charset != charset_) {
        charset_ = charset;
        Changed();
    }
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch != pitch_) {
        pitch_ = pitch;
        Changed();
    }
}

void TFont::AssignHandle(HFONT font)
{
    LOGFONTA log {};
    if (!font || !GetObjectA(font, sizeof log, &log))
        return;
    name_ = log.lfFaceName;
    height_ = log.lfHeight;
    style_ = 0;
    if (log.lfWeight >= FW_BOLD)
        style_ |= fsBold;
    if (log.lfItalic)
        style_ |= fsItalic;
    if (log.lfUnderline)
        style_ |= fsUnderline;
    if (log.lfStrikeOut)
        style_ |= fsStrikeOut;
    charset_ = log.lfCharSet;
    pitch_ = static_cast<TFontPitch>(log.lfPitchAndFamily & 3);
    if (pitch_ != fpFixed && pitch_ != fpVariable)
        pitch_ = fpDefault;
    Changed();
}

HFONT TFont::Handle() const
{
    if (!handle_) {
        LOGFONTA log {};
        log.lfHeight = height_;
        log.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        log.lfItalic = (style_ & fsItalic) ? 1 : 0;
        log.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        log.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        log.lfCharSet = charset_;
        log.lfPitchAndFamily = pitch_;
        log.lfQuality = DEFAULT_QUALITY;
        const std::size_t n = std::min(name_.size(), sizeof log.lfFaceName - 1);
        std::memcpy(log.lfFaceName, name_.data(), n);
        handle_ = CreateFontIndirectA(&log);
    }
    return handle_;
}

bool TFont::SameAs(const TFont& other) const noexcept
{
    return name_ == other.name_ && height_ == other.height_ && style_ == other.style_
        && color_ == other.color_ && charset_ == other.charset_ && pitch_ == other.pitch_;
}

void TFont::Changed()
{
    FreeHandle();
    if (OnChange)
        OnChange(*this);
}

void TFont::FreeHandle() const noexcept
{
    if (handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
}

// ---- TCanvas ----

TCanvas::~TCanvas()
{
    Deselect();
}

void TCanvas::SetHandle(HDC dc) noexcept
{
    if (dc == dc_)
        return;
    Deselect();
    dc_ = dc;
}

void TCanvas::Deselect() noexcept
{
    if (!dc_)
        return;
    if (oldBrush_)
        SelectObject(dc_, oldBrush_);
    if (oldPen_)
        SelectObject(dc_, oldPen_);
    if (oldFont_)
        SelectObject(dc_, oldFont_);
    oldBrush_ = oldPen_ = oldFont_ = nullptr;
    if (brush_)
        DeleteObject(brush_);
    if (pen_)
        DeleteObject(pen_);
    if (font_)
        DeleteObject(font_);
    brush_ = nullptr;
    pen_ = nullptr;
    font_ = nullptr;
}

void TCanvas::SelectBrush()
{
    HBRUSH brush = Brush.Style == bsClear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                          : CreateSolidBrush(ColorToRGB(Brush.Color));
    HGDIOBJ old = SelectObject(dc_, brush);
    if (!oldBrush_)
        oldBrush_ = old;
    if (brush_)
        DeleteObject(brush_);
    brush_ = Brush.Style == bsClear ? nullptr : brush;
}

void TCanvas::SelectPen()
{
    HPEN pen = CreatePen(Pen.Style, Pen.Width, ColorToRGB(Pen.Color));
    HGDIOBJ old = SelectObject(dc_, pen);
    if (!oldPen_)
        oldPen_ = old;
    if (pen_)
        DeleteObject(pen_);
    pen_ = pen;
}

void TCanvas::SelectFont()
{
    if (!font_ || !selected_.SameAs(Font)) {
        selected_ = Font;
        LOGFONTA log {};
        GetObjectA(Font.Handle(), sizeof log, &log);
        const HFONT font = CreateFontIndirectA(&log);
        const HGDIOBJ old = SelectObject(dc_, font);
        if (!oldFont_)
            oldFont_ = old;
        if (font_)
            DeleteObject(font_);
        font_ = font;
    }
    SetTextColor(dc_, ColorToRGB(Font.Color()));
    if (Brush.Style == bsClear) {
        SetBkMode(dc_, TRANSPARENT);
    } else {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, ColorToRGB(Brush.Color));
    }
}

void TCanvas::FillRect(const RECT& rect)
{
    if (Brush.Style == bsClear)
        return;
    const HBRUSH brush = CreateSolidBrush(ColorToRGB(Brush.Color));
    ::FillRect(dc_, &rect, brush);
    DeleteObject(brush);
}

void TCanvas::FrameRect(const RECT& rect)
{
    const HBRUSH brush = CreateSolidBrush(ColorToRGB(Brush.Color));
    ::FrameRect(dc_, &rect, brush);
    DeleteObject(brush);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    SelectBrush();
    SelectPen();
    ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    SelectBrush();
    SelectPen();
    ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    SelectBrush();
    SelectPen();
    ::Pie(dc_, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::MoveTo(int x, int y)
{
    MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    SelectPen();
    ::LineTo(dc_, x, y);
}

void TCanvas::Polyline(const POINT* points, int count)
{
    SelectPen();
    ::Polyline(dc_, points, count);
}

void TCanvas::PolyDraw(const POINT* points, const BYTE* types, int count)
{
    SelectPen();
    ::PolyDraw(dc_, points, types, count);
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    SelectFont();
    ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text)
{
    SelectFont();
    ExtTextOutA(dc_, x, y, ETO_CLIPPED | (Brush.Style == bsClear ? 0 : ETO_OPAQUE), &rect, text.data(),
        static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT format)
{
    SelectFont();
    return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &rect, format);
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    SelectFont();
    SIZE size {};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap)
{
    if (bitmap.Empty())
        return;
    // A bitmap can be selected into one DC only: draw from the bitmap's own.
    const HDC source = const_cast<TBitmap&>(bitmap).Canvas().Handle();
    if (bitmap.TransparentColor == clNone)
        BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), source, 0, 0, CopyMode);
    else
        TransparentBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), source, 0, 0, bitmap.Width(),
            bitmap.Height(), ColorToRGB(bitmap.TransparentColor));
}

void TCanvas::CopyRect(const RECT& target, const TCanvas& source, const RECT& sourceRect)
{
    StretchBlt(dc_, target.left, target.top, target.right - target.left, target.bottom - target.top,
        source.dc_, sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
        sourceRect.bottom - sourceRect.top, CopyMode);
}

// ---- TBitmap ----

TBitmap::TBitmap(int width, int height)
{
    SetSize(width, height);
}

TBitmap::~TBitmap()
{
    Free();
}

void TBitmap::FreeCanvas() noexcept
{
    canvas_.reset();
    if (dc_) {
        SelectObject(dc_, oldBitmap_);
        DeleteDC(dc_);
        dc_ = nullptr;
    }
}

void TBitmap::Free() noexcept
{
    FreeCanvas();
    if (bitmap_)
        DeleteObject(bitmap_);
    bitmap_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = 0;
}

void TBitmap::SetSize(int width, int height)
{
    Free();
    if (width <= 0 || height <= 0)
        return;
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_)
        return;
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    std::fill(bits_, bits_ + static_cast<std::size_t>(width) * height, 0x00FFFFFFu);
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_) {
        if (bitmap_ && !dc_) {
            dc_ = CreateCompatibleDC(nullptr);
            oldBitmap_ = SelectObject(dc_, bitmap_);
        }
        canvas_ = std::make_unique<TCanvas>(dc_);
    }
    return *canvas_;
}

bool TBitmap::AssignHandle(HBITMAP source)
{
    BITMAP info {};
    if (!source || !GetObjectA(source, sizeof info, &info))
        return false;
    SetSize(info.bmWidth, info.bmHeight);
    if (Empty())
        return false;
    const HDC sourceDc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(sourceDc, source);
    BitBlt(Canvas().Handle(), 0, 0, width_, height_, sourceDc, 0, 0, SRCCOPY);
    SelectObject(sourceDc, old);
    DeleteDC(sourceDc);
    GdiFlush();
    return true;
}

bool TBitmap::LoadFromResourceName(HINSTANCE module, const char* name)
{
    const auto loaded
        = static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded)
        return false;
    const bool ok = AssignHandle(loaded);
    DeleteObject(loaded);
    return ok;
}

// ---- TIcon ----

TIcon::~TIcon()
{
    SetHandle(nullptr);
}

void TIcon::SetHandle(HICON icon) noexcept
{
    if (icon_ && icon_ != icon)
        DestroyIcon(icon_);
    icon_ = icon;
}

bool TIcon::LoadFromResourceName(HINSTANCE module, const char* name, int size)
{
    const auto icon = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, 0));
    if (!icon)
        return false;
    SetHandle(icon);
    return true;
}
