// MailText: small scanning helpers shared by the section and the encoding code of MailUtils
// (line starts, header parameters). Internal to the message model.
#pragma once
#include <cstdint>
#include <string>

// True at position 1 or right after a CR or LF (1-based).
bool IsLineStartAt(const std::string& Text, int32_t Position);

// The position right after the parameter Name in a header value (0 = absent). A hit counts only
// at a parameter start (the value's start or after ';'), outside quoted strings, and when blanks
// and then '=' or '*' follow, so "name" is never found inside "filename" or inside a value.
int32_t FindParameterName(const std::string& Value, const std::string& Name, int32_t From);

// The plain value after a parameter name: blanks, TABs and '=' skipped; a quoted value up to the
// next unescaped quote (or the end), else up to ';', CR, LF or the end with blanks trimmed.
std::string ParameterValueAt(const std::string& Value, int32_t AfterName);

// True when the text is well-formed UTF-8 (plain ASCII included).
bool IsValidUtf8(const std::string& Text);

// A delimiter line "--" + Boundary at or after From (up to Last). RFC 2046 allows only "--" and
// blanks after the boundary, so a longer boundary that merely begins with this one does not count.
struct TDelimiter {
    int32_t Position = 0; // 0 = none
    bool Closing = false; // "--" + Boundary + "--"
};
TDelimiter FindDelimiterLine(const std::string& Text, const std::string& Boundary, int32_t From, int32_t Last);
