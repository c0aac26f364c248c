// Colours, fonts, brushes, pens, the canvas over a device context, and bitmaps and icons.
// Colour values: 0x00BBGGRR for plain colours; 0xFF0000nn for system colour nn (GetSysColor).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

using TColor = std::int32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor SystemColor(int index)
{
    return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index));
}
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);

// The RGB value of a colour (system colours resolved now); clNone and clDefault give black.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
// The GDI pitch values, so that a font's pitch goes into LOGFONT and CHARFORMAT unchanged.
enum TFontPitch : BYTE { fpDefault = DEFAULT_PITCH, fpFixed = FIXED_PITCH, fpVariable = VARIABLE_PITCH };

// A font description with a cached GDI font. Height < 0 is the character height in pixels; Size
// is points at the screen's resolution. Changes fire OnChange.
class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);
    ~TFont();

    const std::string& Name() const noexcept { return name_; }
    void SetName(const std::string& name);
    int Height() const noexcept { return height_; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const noexcept { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    BYTE Charset() const noexcept { return charset_; }
    void SetCharset(BYTE charset);
    TFontPitch Pitch() const noexcept { return pitch_; }
    void SetPitch(TFontPitch pitch);

    // Takes name, height, style, charset and pitch from a GDI font.
    void AssignHandle(HFONT font);
    HFONT Handle() const;
    bool SameAs(const TFont& other) const noexcept;

    std::function<void(TFont&)> OnChange;

private:
    void Changed();
    void FreeHandle() const noexcept;

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    BYTE charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = fpDefault;
    mutable HFONT handle_ = nullptr;
};

enum TBrushStyle { bsSolid, bsClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

enum TPenStyle { psSolid = PS_SOLID, psDash = PS_DASH, psDot = PS_DOT, psClear = PS_NULL };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

class TBitmap;

// Drawing on a device context it does not own. Brush, Pen and Font are selected when drawing; the
// objects it created are deselected and freed when the canvas goes or its handle changes.
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) noexcept
        : dc_(dc)
    {
    }
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const noexcept { return dc_; }
    void SetHandle(HDC dc) noexcept;

    TBrush Brush;
    TPen Pen;
    TFont Font;
    DWORD CopyMode = SRCCOPY;

    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const POINT* points, int count);
    void PolyDraw(const POINT* points, const BYTE* types, int count);
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    int DrawText(const std::string& text, RECT& rect, UINT format);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    void Draw(int x, int y, const TBitmap& bitmap);
    void CopyRect(const RECT& target, const TCanvas& source, const RECT& sourceRect);

private:
    void SelectBrush();
    void SelectPen();
    void SelectFont();
    void Deselect() noexcept;

    HDC dc_ = nullptr;
    HBRUSH brush_ = nullptr;
    HPEN pen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    // The canvas selects a font of its own, so that Font may change (and free its handle) at any time.
    TFont selected_;
    HFONT font_ = nullptr;
};

// A 32-bit top-down DIB section with its own memory DC and canvas.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height);
    ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Resizes; the content is cleared to white.
    void SetSize(int width, int height);
    HBITMAP Handle() const noexcept { return bitmap_; }
    bool Empty() const noexcept { return bitmap_ == nullptr; }
    // Pixels as 0x00RRGGBB, rows top-down, Width() per row; null when empty.
    const std::uint32_t* Bits() const noexcept { return bits_; }
    std::uint32_t* Bits() noexcept { return bits_; }
    TCanvas& Canvas();
    // Takes the bitmap out of its canvas DC (made again on the next Canvas()), for calls that must
    // select the bitmap into a DC of their own.
    void FreeCanvas() noexcept;

    // Copies a GDI bitmap; false when the handle is not a usable bitmap.
    bool AssignHandle(HBITMAP source);
    // Loads a bitmap resource of a module; false when absent.
    bool LoadFromResourceName(HINSTANCE module, const char* name);
    bool LoadFromResourceId(HINSTANCE module, int id)
    {
        return LoadFromResourceName(module, MAKEINTRESOURCEA(id));
    }

    // Pixels of this colour are left out by TCanvas::Draw; clNone draws every pixel.
    TColor TransparentColor = clNone;

private:
    void Free() noexcept;

    int width_ = 0;
    int height_ = 0;
    HBITMAP bitmap_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
};

// Owns an icon handle.
class TIcon {
public:
    TIcon() = default;
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const noexcept { return icon_; }
    // Takes ownership of icon (null clears).
    void SetHandle(HICON icon) noexcept;
    bool LoadFromResourceName(HINSTANCE module, const char* name, int size = 0);

private:
    HICON icon_ = nullptr;
};
