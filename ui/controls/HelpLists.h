// The help handler's two lists: context numbers to help pages (`TTopicList`) and the popup texts
// read from a popups page (`TPopupList`). Portable: the page is parsed without any Windows call.
#pragma once

#include "framework/StringLists.h"

#include <functional>
#include <string>
#include <vector>

// One paragraph of a popups page: its id and its whole HTML, opening tag included.
struct THelpParagraph {
    std::string Id;
    std::string Html;
};

// The paragraphs `<p id="PREFIX...">` inside the page's body, in page order. Each one ends where
// the next begins or at the body's end; a paragraph without an id ends the scan. Tag names and the
// id prefix compare without regard to letter case.
std::vector<THelpParagraph> SplitPopupParagraphs(const std::string& page, const std::string& idPrefix);

class TTopicList : public TStringList {
public:
    void AddTopic(int context, const std::string& page);
    // The page of the first line with that context number; empty when there is none.
    std::string GetTopic(int context) const;
};

class TPopupList : public TStringList {
public:
    // Makes the display text of one paragraph at the given width; number starts at 0 and may be
    // set (the text's height). An empty text leaves the paragraph out.
    using Converter = std::function<void(const std::string& html, int width, std::string& text, int& number)>;

    // Setting the text of the list parses it as a popups page: one "id=text" line per paragraph
    // with the converter's number as object. Without a converter the list stays as it is.
    void SetTextStr(const std::string& text) override;

    Converter Convert;
    int Width = 0;
    std::string IdPrefix = "IDH_";
    // Put before every text the accessors return.
    std::string Prefix;

    std::string GetPopupText(int index) const;
    std::string GetPopupTextByName(const std::string& id) const;
    int GetPopupNumber(int index) const;
};
