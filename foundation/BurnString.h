// Burning texts that held plaintext or a secret: their bytes zeroed in a way the compiler may not
// drop, even where the memory is released right after.
#pragma once

#include <algorithm>
#include <string>

// Overwrites every byte of the text with one value; its size stays.
inline void FillString(std::string& text, char value)
{
    std::fill(text.begin(), text.end(), value);
    asm volatile("" : : "r"(text.data()) : "memory"); // the written bytes count as read
}

// Zeroes the text's bytes; its size stays.
inline void ZeroString(std::string& text) { FillString(text, '\0'); }

// Zeroes the text, then empties it.
inline void BurnString(std::string& text)
{
    ZeroString(text);
    text.clear();
}

// Burns a string the caller owns on every way out of its scope.
class TBurnOnExit {
public:
    explicit TBurnOnExit(std::string& text)
        : text_(text)
    {
    }
    ~TBurnOnExit() { BurnString(text_); }
    TBurnOnExit(const TBurnOnExit&) = delete;
    TBurnOnExit& operator=(const TBurnOnExit&) = delete;

private:
    std::string& text_;
};
