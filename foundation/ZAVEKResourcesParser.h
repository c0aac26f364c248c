// The language text file format, apart from any list class: entries numbered from 0, '#' comment
// lines, quoted entries over several lines. Portable so that it can be tested and fuzzed natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The entries of a language text file. `commentChar` 0 turns comment lines off.
std::vector<std::string> ParseLanguageText(const std::string& text, char commentChar = '#');

// The text shown for a PGPsdk error code that has no line: "#" and the code as 8 upper-case
// hexadecimal digits (two's complement for negative codes).
std::string UnknownPGPErrorText(int32_t code);

// The 0-based line of the error text file that holds the text of `code` (line 0 is -12000);
// negative when the code lies before the first line.
int64_t PGPErrorLineOfCode(int32_t code);
