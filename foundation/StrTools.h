// StrTools: the byte-string search family (exact and case-folding members), plus CutOut,
// BytesToHexSpaced and ReplaceCharInPlace. Portable; StrUtil includes it and offers the same routines.
// Positions are 1-based, 0 means "not found"; nothing here raises or allocates.
#pragma once

#include <string>

// Exact members.
int CountChar(char C, const std::string& Text);
int PosChar(char C, const std::string& Text);
int LastPosChar(char C, const std::string& Text);
int PosCharFrom(char C, const std::string& Text, int Start);
int LastPosCharFrom(char C, const std::string& Text, int Start);
int PosCharBetween(char C, const std::string& Text, int Start, int Limit);
int CountStr(const std::string& Pattern, const std::string& Text);
int PosStr(const std::string& Pattern, const std::string& Text);
int LastPosStr(const std::string& Pattern, const std::string& Text);
int PosStrFrom(const std::string& Pattern, const std::string& Text, int Start);
int LastPosStrFrom(const std::string& Pattern, const std::string& Text, int Start);
int PosStrBetween(const std::string& Pattern, const std::string& Text, int Start, int Limit);
bool StrMatchesAt(const std::string& Pattern, const std::string& Text, int Pos);
bool StartsWithStr(const std::string& Pattern, const std::string& Text);

// Case-folding members: two bytes match when equal, or when both have bit 0x40 set and differ
// only in bit 0x20 (ASCII letters, '@'/'`', '['/'{', Latin-1 0xC0-0xDF/0xE0-0xFF...). No locale.
int PosText(const std::string& Pattern, const std::string& Text);
int LastPosText(const std::string& Pattern, const std::string& Text);
int PosTextFrom(const std::string& Pattern, const std::string& Text, int Start);
int PosTextBetween(const std::string& Pattern, const std::string& Text, int Start, int Limit);
int PosTextPartBetween(const std::string& Pattern, const std::string& Text, int SubLen, int Start, int Limit);
bool TextMatchesAt(const std::string& Pattern, const std::string& Text, int Pos);
bool StartsWithText(const std::string& Pattern, const std::string& Text);

// Every Old byte of S becomes New.
void ReplaceCharInPlace(std::string& S, char Old, char New);
// Returns Count characters of S from From and deletes them from S (nothing when From or Count
// is out of range; Count is clamped to the characters left).
std::string CutOut(std::string& S, int From, int Count);
// Upper-case hex of Count bytes, one blank between bytes ("0A 1B FF"); empty for Count < 1.
std::string BytesToHexSpaced(const void* Data, int Count);
