// MailRange: clamping of descriptor ranges; 64-bit sums so that no field value can overflow.
#include "mime/MailRange.h"
#include <algorithm>

int32_t EffectiveLimit(std::size_t TextLength, int64_t Limit)
{
    const int64_t length = static_cast<int64_t>(std::min<std::size_t>(TextLength, INT32_MAX));
    if (Limit <= 0 || Limit > length)
        return static_cast<int32_t>(length);
    return static_cast<int32_t>(Limit);
}

TTextRange ClampRange(std::size_t TextLength, int64_t Start, int64_t Length, int64_t Limit)
{
    TTextRange range;
    const int64_t last = EffectiveLimit(TextLength, Limit);
    if (Start < 1 || Start > last)
        return range;
    int64_t end = last;
    if (Length > 0)
        end = std::min(end, Start + Length - 1);
    range.First = static_cast<int32_t>(Start);
    range.Last = static_cast<int32_t>(end);
    return range;
}
