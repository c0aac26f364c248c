// The text rules of the rich-edit control that need no window: which runs of a line are mail
// addresses, how a link's text is reported, and how a link is shown in its tip.
#pragma once

#include "foundation/StrUtil.h"

#include <string>
#include <vector>

// A run of characters inside a line: 0-based start and length.
struct TTextRun {
    int Start = 0;
    int Length = 0;
    bool operator==(const TTextRun&) const = default;
};

// The mail addresses around every "@" of the line from index from on (0-based): each run reaches
// left to the first left-stop character and right to the first right-stop one; after an opening
// quote or bracket it reaches on to the matching closing one, or to the line's end.
std::vector<TTextRun> MailAddressRuns(const std::u16string& line, int from = 0);

// A link text that holds "@" and no scheme before it (a mail address) gets "mailto:" in front.
std::string LinkTextWithScheme(const std::string& text);
bool IsMailtoLink(const std::string& text);
