// The pass-through of ENCRYPT when the mail client names an output file: the message is handed
// on unencoded, and the result tells the mail client whether it is plain text.
#pragma once

#include <cstdint>
#include <string>

// Results of ConvertFile.
constexpr int32_t CONVERT_FAILED = 0;
constexpr int32_t CONVERT_TEXT = 1; // plain text written
constexpr int32_t CONVERT_COPIED = 2; // copied, or a text with control characters written

// Copies a queue file (".PM$") or an unreadable one as it is; writes any other text unchanged.
// 2 for a copy or a text holding control characters other than TAB, LF and CR, 1 for plain text,
// 0 when nothing could be written.
int32_t ConvertFile(const std::string& inFile, const std::string& outFile);

// True when the text holds a control character other than TAB, LF and CR.
bool HoldsControlCharacters(const std::string& text);
