// Range and typing rules of the spin edit.
#include "ui/controls/SpinRules.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

std::optional<int> ParseSpinNumber(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+')
        ++begin;
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

int ClampToRange(int value, const TSpinRange& range)
{
    return std::max(range.Min, std::min(value, range.Max));
}

std::string SpinText(int value, const TSpinRange& range)
{
    return range.BlankAtMinimum && value == range.Min ? std::string() : std::to_string(value);
}

int ClampWhileTyping(int value, const TSpinRange& range)
{
    return std::min(value, range.Max);
}

int RangeTextLength(const TSpinRange& range)
{
    return static_cast<int>(std::max(std::to_string(range.Min).size(), std::to_string(range.Max).size()));
}

int StepSpinValue(int value, int delta, const TSpinRange& range)
{
    const std::int64_t stepped = static_cast<std::int64_t>(value) + delta;
    return static_cast<int>(std::max<std::int64_t>(range.Min, std::min<std::int64_t>(stepped, range.Max)));
}

TOvertype OvertypeDigit(const std::string& text, int selStart, int selLength, char digit)
{
    const int size = static_cast<int>(text.size());
    selStart = std::clamp(selStart, 0, size);
    selLength = std::clamp(selLength, 0, size - selStart);
    if (selLength == 0)
        return { text, selStart, 0 };
    std::string result = text;
    result[static_cast<std::size_t>(selStart)] = digit;
    return { result, selStart + 1, selLength - 1 };
}
