// Footer formatting, header shortening, page layout and trailing-blank trimming for rich-edit
// printing (portable). The formatter is our own: a footer text comes from the language file, so
// its conversions are checked against the arguments before anything is written.
#include "ui/controls/DropEditPrintText.h"

#include "foundation/RichEd20Text.h"
#include "framework/Exceptions.h"

#include <cstdint>

namespace {

constexpr std::size_t MaxFormattedLength = 1024;

std::u16string LatinToUtf16(const std::string& text)
{
    std::u16string out;
    for (const char c : text)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

template <typename Char> std::basic_string<Char> Widen(const std::string& text);
template <> std::string Widen<char>(const std::string& text)
{
    return text;
}
template <> std::u16string Widen<char16_t>(const std::string& text)
{
    return LatinToUtf16(text);
}

template <typename Char>
std::basic_string<Char> FormatArgs(
    const std::basic_string<Char>& format, const std::vector<TFormatArg>& args, const char* kind)
{
    const auto fail = [kind](std::size_t index) {
        throw EConvertError(
            std::string("Invalid ") + kind + " string format argument #" + std::to_string(index + 1));
    };
    std::basic_string<Char> out;
    std::size_t argument = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != Char('%')) {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == Char('%')) {
            out += Char('%');
            ++i;
            continue;
        }
        if (argument >= args.size() || i + 1 >= format.size())
            fail(argument);
        const Char letter = format[i + 1];
        if (const int* number = std::get_if<int>(&args[argument])) {
            if (letter != Char('d'))
                fail(argument);
            out += Widen<Char>(std::to_string(*number));
        } else {
            if (letter != Char('s'))
                fail(argument);
            out += Widen<Char>(std::get<std::string>(args[argument]));
        }
        ++argument;
        ++i;
    }
    if (out.size() > MaxFormattedLength)
        out.resize(MaxFormattedLength);
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text)
{
    return WideTextUnits(OwnUtf8ToWide(text));
}

} // namespace

std::u16string WideTextUnits(const std::string& wide)
{
    std::u16string units;
    const int length = WideTextLength(wide);
    for (int i = 0; i < length; ++i)
        units += static_cast<char16_t>(
            static_cast<unsigned char>(wide[2 * i]) | static_cast<unsigned char>(wide[2 * i + 1]) << 8);
    return units;
}

std::string FormatAnsiArgs(const std::string& format, const std::vector<TFormatArg>& args)
{
    return FormatArgs<char>(format, args, "AS");
}

std::u16string FormatWideArgs(const std::u16string& format, const std::vector<TFormatArg>& args)
{
    return FormatArgs<char16_t>(format, args, "WS");
}

std::u16string FooterPageText(const std::string& footer, int pageCount, int currentPage)
{
    // "Page %s of %d" -> "Page %d of 3" -> "Page 2 of 3".
    const std::u16string pageFormat = IsWideText(footer)
        ? WideTextUnits(footer)
        : Utf8ToUtf16(FormatAnsiArgs(footer, { std::string("%d"), pageCount }));
    return FormatWideArgs(pageFormat, { currentPage });
}

std::u16string HeaderLineText(
    const std::string& header, int width, const std::function<int(const std::u16string&)>& textExtent)
{
    if (IsWideText(header))
        return WideTextUnits(header);
    std::u16string text = Utf8ToUtf16(header);
    const int extent = textExtent(text);
    if (extent <= width || extent <= 0)
        return text;
    int end = MulDivRound(static_cast<int>(text.size()), width, extent) - 3;
    if (end < 0)
        end = 0;
    while (end > 0 && text[static_cast<std::size_t>(end) - 1] <= u' ')
        --end;
    text.resize(static_cast<std::size_t>(end));
    return text + u"\u2000\u2026";
}

int MulDivRound(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude
        = ((product < 0 ? -product : product) + half) / (c < 0 ? -std::int64_t(c) : c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

TPrintLayout ComputePrintLayout(
    const TPrintDevice& device, const TPrintMargins& margins, int screenLineHeight)
{
    TPrintLayout layout;
    const int h = MulDivRound(screenLineHeight, device.PageHeight, device.ScreenHeight);
    const int left = MulDivRound(device.PageWidth, margins.Left, device.WidthMm);
    const int right = device.PageWidth - MulDivRound(device.PageWidth, margins.Right, device.WidthMm);
    const int top = MulDivRound(device.PageHeight, margins.Top, device.HeightMm);
    const int bottom = device.PageHeight - MulDivRound(device.PageHeight, margins.Bottom, device.HeightMm);
    layout.LineHeight = h;
    layout.FormatLeft = MulDivRound(left, 1440, device.PixelsPerInchX);
    layout.FormatRight = MulDivRound(right, 1440, device.PixelsPerInchX);
    layout.FormatTop = MulDivRound(top + h, 1440, device.PixelsPerInchY);
    layout.FormatBottom = MulDivRound(bottom - h, 1440, device.PixelsPerInchY);
    layout.Header = { left, top - h, right, top, right - left };
    layout.Footer = { left, bottom, right, bottom + h };
    return layout;
}

int LengthWithoutTrailingBlankLines(const std::u16string& text)
{
    int end = static_cast<int>(text.size());
    while (end > 0 && text[static_cast<std::size_t>(end) - 1] <= u' ')
        --end;
    if (end == 0)
        return 0;
    // The end of the line that holds the last visible character.
    const std::size_t lineBreak = text.find_first_of(u"\r\n", static_cast<std::size_t>(end));
    return lineBreak == std::u16string::npos ? static_cast<int>(text.size()) : static_cast<int>(lineBreak);
}
