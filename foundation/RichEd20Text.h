// The portable half of the rich-text unit: UTF-16 texts carried in byte strings, the unit's own
// UTF-8 codec, RTF un-escaping and the URL text rules that need no Windows service.
#pragma once

#include <cstdint>
#include <string>

// Wide text: UTF-16 little-endian units followed by a two-byte zero that counts in the length.
bool IsWideText(const std::string& S);
void SetWideTextLength(std::string& S, int N); // a new zeroed buffer of N characters
int WideTextLength(const std::string& S);
int WideTextCharPos(uint16_t C, const std::string& S); // 1-based, 0 when absent
void WideTextDelete(std::string& S, int Index, int Count); // Index 0-based
std::string WideTextOfUnits(const std::u16string& Units); // terminated wide text

// The unit's own codec: a leading byte order mark is skipped, a zero byte ends the text, and a
// byte that breaks the UTF-8 pattern gives an empty result. Characters beyond the Basic
// Multilingual Plane travel as surrogate pairs. Both give empty text for empty input.
std::string OwnUtf8ToWide(const std::string& S);
std::string OwnWideToUtf8(const std::string& S);

// Four backslashes and two become one; "\'" with two hex digits becomes that byte.
std::string UnescapeRtfText(const std::string& Text);

// Bytes up to 32 off both ends, then percent escapes of the values 1 to 32 off both ends.
std::string TrimUrlText(const std::string& Url);
// Schemes of the URL cracker that reach the network: ftp, gopher, http, https, socks,
// javascript and vbscript.
bool IsNetworkScheme(int N);
// Case-folding search (bit-0x20 rule) over zero-terminated texts; null when absent.
const char* PosTextPtr(const char* Pattern, const char* Text);
