// Taking RTF picture constructs apart: INCLUDEPICTURE fields (plain, inside "\sslinkpict" or in a
// shape's result) become embedded picture groups. Portable: the picture itself comes from the
// caller, so the scanner builds and is fuzzed natively.
#pragma once

#include "framework/StringLists.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>

// A group of the RTF text: Start at its '{', End at its '}' (npos while unclosed), 0-based.
struct TRtfTextRange {
    size_t Start = 0;
    size_t End = std::string::npos;
};

// The groups of one picture construct, one line per control word ("\field", "\fldinst", ...),
// each line's object its range, owned by the list.
class TRtfPictProps : public TStringList {
public:
    int AddGroup(const std::string& ControlWord, const TRtfTextRange& Range);
    const TRtfTextRange* GroupOf(const std::string& ControlWord) const; // null when not recorded
    TRtfTextRange Outermost() const; // the group that holds all the others

private:
    std::deque<TRtfTextRange> ranges_;
};

// The pieces of the rewritten RTF, in order.
class TRBStringList : public TStringList {
public:
    std::string Joined() const;
};

// The RTF picture group (without its closing brace) for a link; empty when it cannot be made.
using TPictureGroupMaker = std::function<std::string(const std::string& Link)>;
// The prepared picture group of the message part with this content reference; false when the
// message has no such part.
using TSectionPictureLookup = std::function<bool(const std::string& ContentRef, std::string& PictureGroup)>;

// Rtf with every linked picture that can be made replaced by an embedded one; Rtf itself when
// nothing was replaced. A link beginning with LinkPrefix loses everything up to its first run of
// '/'; a "cid:" link is looked up in Sections (when given) before MakePicture is asked.
std::string RewriteRtfPictures(const std::string& Rtf, const std::string& LinkPrefix,
    const TSectionPictureLookup& Sections, const TPictureGroupMaker& MakePicture);

// True when a picture link of a received text may be opened: a relative path that stays below
// its folder. Links to other machines (UNC, "\\.\" and "\\?\" devices), absolute paths, drive
// letters, addresses with a scheme, ".." and device names such as "CON" or "COM1" are refused, so
// that no message makes the plug-in contact a host or embed a file of the user's.
bool IsOpenablePictureLink(const std::string& Link);
