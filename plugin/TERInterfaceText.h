// The editor interface's text rules that need no window: the info box's indented text, the rebuilt
// header block of a put-back message, the section marker lines and CR LF line ends.
#pragma once

#include <cstdint>
#include <string>

namespace TERText {

constexpr const char* INFO_BOX_CAPTION = "PGP-Info:";
constexpr char MARKER_DASH = '\x97';

// The text colour of an info box of that kind; false for kinds that insert no box.
bool InfoBoxColour(int kind, uint32_t& colour);
// Every line after the first gets two tabs in front.
std::string IndentInfoText(const std::string& text);
// Bare CR and bare LF line ends become CR LF.
std::string NormaliseLineEnds(const std::string& text);
// The header block up to the (n+1)-th blank line (the whole text when there are fewer).
std::string HeaderBlockOf(const std::string& text, int blockNumber);
// The block rebuilt for the editor: a first part up to its own blank line stays in front (leading
// blanks removed); otherwise, with firstLineApart, the first line goes in front between blank lines.
// Header lines holding ':' become the name and ':' padded to 16 characters, a TAB and the value.
std::string RebuildHeaderBlock(const std::string& block, bool firstLineApart);
// "PGP/MIME" for part-tree kinds up to 7, "S/MIME" above; "signed " in front for the signed kinds
// (6 PGP/MIME signed, 9 S/MIME multipart/signed, 10 S/MIME signed data).
std::string SectionKindName(uint32_t treeKind);
// The marker lines around a protected section; format holds one "%s" for the kind name.
std::string BeginMarkerLine(const std::string& format, const std::string& kindName);
std::string EndMarkerLine(const std::string& format, const std::string& kindName);

} // namespace TERText
