// The own UTF-8 codec of the charset unit: UTF-16 held in a byte string (little-endian units and
// a counted two-byte NUL) to UTF-8 and back, surrogate pairs included. Portable.
#pragma once

#include <string>

// UTF-8 of the UTF-16 units in Utf16, read up to the first 0 unit. A surrogate pair gives one
// four-byte character; an unpaired surrogate half is kept as its own three-byte form.
std::string EncodeUtf8(const std::string& Utf16);

// UTF-16 units of Utf8 (read up to the first 0 byte) followed by the two-byte NUL; empty when
// the text is not well-formed UTF-8 or holds a value above U+10FFFF.
std::string DecodeUtf8(const std::string& Utf8);

// The text begins with the UTF-8 byte order mark EF BB BF.
bool HasUtf8Bom(const char* Text);

// Text without a leading UTF-8 byte order mark.
std::string WithoutUtf8Bom(const std::string& Text);
