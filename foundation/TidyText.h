// The portable text half of the HTML clean-up unit: UTF-8 to ASCII with numeric character
// references, and the case-folding comparison the clean-up uses. No Windows here.
#pragma once

#include <string>

// Every well-formed UTF-8 sequence of two or more bytes becomes "&#" + its decimal value + ";";
// every other byte (ASCII, and bytes of broken sequences) is copied unchanged.
std::string Utf8ToHtmlEntities(const std::string& Text);

// True when Text holds Pattern at the 1-based Pos, bytes compared by the bit-0x20 rule.
bool SameTextAt(const std::string& Pattern, const std::string& Text, int Pos);
