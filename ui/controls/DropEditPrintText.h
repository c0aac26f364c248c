// The window-free half of rich-edit printing: the footer's two formatting helpers and its
// two-step page text, the shortened header line, the page layout arithmetic and the end of the
// text without its trailing blank lines.
#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

// An argument of FormatAnsiArgs/FormatWideArgs: an integer (for "%d") or an 8-bit string ("%s").
using TFormatArg = std::variant<int, std::string>;

// Formats with "%d" and "%s" conversions only, taken by position ("%%" is a percent sign). A
// conversion that does not fit its argument, or has none, raises EConvertError "Invalid AS string
// format argument #n" (n from 1). The result holds at most 1,024 characters.
std::string FormatAnsiArgs(const std::string& format, const std::vector<TFormatArg>& args);
// The same over UTF-16 ("WS" in the error); string arguments are taken as Latin-1.
std::u16string FormatWideArgs(const std::u16string& format, const std::vector<TFormatArg>& args);

// The footer of a page. An 8-bit footer is UTF-8 whose first conversion "%s" becomes the current
// page and whose second "%d" the page count ("Page %s of %d" gives "Page 2 of 3"); a wide text
// footer (UTF-16 with its two-byte zero) has one "%d" for the current page.
std::u16string FooterPageText(const std::string& footer, int pageCount, int currentPage);

// The header as drawn: an 8-bit header is UTF-8 and, when wider than width, is cut to fit and
// ends in an en quad and an ellipsis; a wide text header is drawn as it is.
std::u16string HeaderLineText(
    const std::string& header, int width, const std::function<int(const std::u16string&)>& textExtent);

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int MulDivRound(int a, int b, int c);

struct TPrintMargins {
    int Left = 0; // millimetres
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// What the layout needs of the printer and the screen.
struct TPrintDevice {
    int PageWidth = 0; // printer pixels
    int PageHeight = 0;
    int WidthMm = 0; // HORZSIZE
    int HeightMm = 0; // VERTSIZE
    int PixelsPerInchX = 0;
    int PixelsPerInchY = 0;
    int ScreenHeight = 0; // screen pixels
};

struct THeaderLine {
    int Left = 0;
    int Top = 0; // of the text
    int Right = 0;
    int RuleY = 0;
    int Width = 0; // available for the text
};

struct TFooterLine {
    int Left = 0;
    int RuleY = 0;
    int Right = 0;
    int TextY = 0; // baseline: the text stands right-aligned on it
};

struct TPrintLayout {
    int LineHeight = 0; // printer pixels
    // The rich edit's format rectangle, in twips.
    int FormatLeft = 0;
    int FormatTop = 0;
    int FormatRight = 0;
    int FormatBottom = 0;
    THeaderLine Header;
    TFooterLine Footer;
};

// The page layout for a text whose line is screenLineHeight screen pixels high.
TPrintLayout ComputePrintLayout(
    const TPrintDevice& device, const TPrintMargins& margins, int screenLineHeight);

// The length of text that ends with the last line holding a character above blank (lines end at
// CR or LF); 0 when there is none.
int LengthWithoutTrailingBlankLines(const std::u16string& text);

// The UTF-16 units of a wide text (without its two-byte zero).
std::u16string WideTextUnits(const std::string& wide);
