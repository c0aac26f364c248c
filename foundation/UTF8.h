// Conversions between the four text forms of the plug-in: ANSI (the locale charset), UTF-8,
// UTF-16 held in a byte string (with a counted two-byte NUL) and any named MIME charset.
// The iconv library is used when it was loaded; otherwise the Windows code pages and the own codec.
#pragma once

#include "foundation/UTF8Codec.h"
#include "framework/StringLists.h"

#include <string>

// The MIME charsets with a fixed Windows code page: sorted "NAME=VALUE" rows, the code page as
// each row's object (IntFromObject); looked up with IndexOfName, which ignores case.
extern TStringList TCharsetList;

// Unit initialisation (builds the charset list) and finalisation (empties it, releases iconv).
void InitUTF8();
void DoneUTF8();

// Binds the iconv library "IConv.dll" from Folder, a full path; true when bound. It stays bound
// until the unit is finalised.
bool LoadIconvLibrary(const std::string& Folder);
bool IconvLoaded();

// Upper-cased; "", "CHAR" and "US-ASCII" become "WINDOWS-" + the ANSI code page, "ISO-8859-1"
// becomes "WINDOWS-1252".
std::string NormalizeCharsetName(const std::string& Name);
// The name handed to the iconv library.
std::string CanonicalCharsetName(const std::string& Name);

// True for seven-bit text without NUL, which reads the same in UTF-8 and in every ANSI code page.
bool IsSevenBitText(const std::string& Text);

// Each conversion returns an empty text on failure or for an empty input.
std::string LocaleToUtf8(const std::string& Text);
std::string Utf8ToLocale(const std::string& Text);
std::string LocaleToUcs2(const std::string& Text);
std::string Ucs2ToLocale(const std::string& Text);
std::string Utf8ToUcs2(const std::string& Text);
std::string Ucs2ToUtf8(const std::string& Text);
std::string LocaleToCharset(const std::string& Text, const std::string& Charset);
std::string CharsetToLocale(const std::string& Text, const std::string& Charset);
std::string Utf8ToCharset(const std::string& Text, const std::string& Charset);
std::string CharsetToUtf8(const std::string& Text, const std::string& Charset);

// Text of a charset of the charset list to UTF-8 through its Windows code page, with the UTF-8
// byte order mark in front when WithBom; empty for a charset outside the list.
std::string CodePageToUtf8(const std::string& Text, const std::string& Charset, bool WithBom);

// A text whose last byte is 0 is UTF-16; any other is UTF-8 or, failing that, ANSI already.
std::string AnyTextToLocale(const std::string& Text);
std::string AnyTextToUcs2(const std::string& Text);
