// Parsers for OpenPGP user ids ("Name (comment) <address>"): the address and the name part.
// Pure text code shared by the product helpers and the key property lists; no Windows needed.
#pragma once

#include <string>

// True when the whole text is one run of printable bytes (33..126 without '[', '\' and ']')
// that contains '@'.
bool IsEmailAddress(const std::string& text);

// The address of a user id: the text between the '<' before the last '@' and the '>' after it,
// trimmed of bytes that cannot stand in an address; else the run of address bytes around the
// last '@'; empty without '@'.
std::string ExtractEmailAddress(const std::string& userID);

// The name of a user id: a part in unescaped double quotes; else the text before the first '<'
// (or before the address word), the text in the last parentheses, the text after the last '>'
// or the whole text, the first that is not empty. Trimmed of blanks and controls, backslashes
// removed.
std::string ExtractUserName(const std::string& userID);
