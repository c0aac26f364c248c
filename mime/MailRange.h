// MailRange: the one place where a descriptor's (start, length, limit) becomes a safe range.
// Every search of the message model asks for its range here, so no caller's arithmetic can
// reach outside the text, whatever a hostile or truncated message puts into a descriptor.
#pragma once
#include <cstddef>
#include <cstdint>

// A 1-based closed range First..Last; empty when First < 1 or Last < First.
struct TTextRange {
    int32_t First = 0;
    int32_t Last = -1;
    bool IsEmpty() const { return First < 1 || Last < First; }
};

// Last position a search may reach: Limit, or the text's end when Limit is 0 or beyond it.
int32_t EffectiveLimit(std::size_t TextLength, int64_t Limit);

// Start..Start+Length-1 when Length > 0, else Start..Limit; always inside 1..EffectiveLimit.
// A Start below 1 means "no section" and gives an empty range.
TTextRange ClampRange(std::size_t TextLength, int64_t Start, int64_t Length, int64_t Limit);
