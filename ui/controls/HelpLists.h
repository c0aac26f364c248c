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

    // Setting the text of the list takes the page's paragraphs: one "id=text" line per paragraph
    // with the converter's number as object. A paragraph is converted (with the converter and width
    // set then) only once the list is read that far, in page order, so a help handler costs no
    // conversion until a popup is asked for; every read gives the lines converting them all at once
    // would. Without a converter the list stays as it is.
    void SetTextStr(const std::string& text) override;
    // Reads and changes of the lines all count them first: the count converts what is pending.
    int GetCount() const override;
    // Drops the paragraphs not yet converted with the lines.
    void Clear() override;

    Converter Convert;
    int Width = 0;
    std::string IdPrefix = "IDH_";
    // Put before every text the accessors return.
    std::string Prefix;

    // Each converts only as far into the page as its answer lies.
    std::string GetPopupText(int index) const;
    std::string GetPopupTextByName(const std::string& id) const;
    int GetPopupNumber(int index) const;

private:
    struct TPendingPage {
        std::vector<THelpParagraph> Paragraphs;
        std::size_t Next = 0;
        Converter Convert;
        int Width = 0;
    };
    // Converts the pending paragraphs in page order until `enough` holds for the lines so far.
    void ConvertUntil(const std::function<bool()>& enough) const;

    mutable TPendingPage pending_;
    // While set, the list reads as the lines converted so far.
    mutable bool convertedOnly_ = false;
};
