// MIME Base64 for whole byte strings: the encoder writes mail-body lines of 76 characters,
// the decoder accepts any line layout and skips every byte outside the alphabet.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Encoded text of Bytes: 76-character lines separated by CR LF, no CR LF after the last line.
std::string Base64Encode(const std::string& Bytes);

// Bytes of Text; non-alphabet bytes (line breaks, blanks, "=") are skipped, a lone trailing
// character is dropped.
std::string Base64Decode(std::string_view Text);

// Exact length of Base64Decode's result for Text, without decoding it.
std::size_t Base64DecodedSize(std::string_view Text);

// Exact length of Base64Encode's result for N input bytes.
std::size_t Base64EncodedSize(std::size_t N);
