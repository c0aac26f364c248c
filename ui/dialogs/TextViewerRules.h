// The text viewer's window-free rules: menu captions built from the language texts, file-safe
// default names, the folder caption's date range, the summary lines that print bold, and the
// Unicode form of a saved text. Portable, so both builds test them.
#pragma once

#include "foundation/TimeUtils.h"

#include <string>
#include <vector>

// "Html Text" + " " + the text's first word (with its blank) + "&" + the rest: the accelerator
// falls on the word after the first blank.
std::string HtmlWithImagesCaption(const std::string& withObjects);
// The pattern with its first "%s" replaced by the argument.
std::string FormatWithOne(const std::string& pattern, const std::string& argument);
// A menu caption without its "&".
std::string WithoutAccelerator(const std::string& caption);
// Each of * / : < > ? \ | becomes "_".
std::string FileSafeName(const std::string& name);
// The name with its extension (from the last point after the last path separator) replaced.
std::string ReplaceExtension(const std::string& name, const std::string& extension);
// count + countText + ", " + earlier + " - " + later; the dates come in list order and the earlier
// is always first whatever the sort order.
std::string DateRangeText(int count, const std::string& countText, TDateTime first, TDateTime last,
    const std::string& firstText, const std::string& lastText);
// Wide text as a UTF-16 file holds it: the byte order mark, then the units without the two-byte
// terminator.
std::string WideFileBytes(const std::string& wideText);

// A span of the summary, in characters counted as the rich edit counts them (a CR LF is one).
struct TBoldSpan {
    int Start;
    int Length;
};
// The values after the first TAB of the summary's lines, up to the first line that holds only
// characters up to the blank.
std::vector<TBoldSpan> SummaryValueSpans(const std::u16string& summary);
