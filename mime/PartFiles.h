// PartFiles: the temporary files that let a browser or the rich-text viewer show an HTML body with
// the pictures of its multipart/related message, and the "cid:" references inside the body that
// are pointed at those files. Portable; files and pictures go through TPartTextServices.
#pragma once

#include "foundation/BurnString.h"
#include "foundation/RichEd20Pictures.h"
#include "framework/StringLists.h"
#include "mime/MimeMsgTree.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TFSItem {
    std::string Content;
    std::string FileName;
    uint32_t Used = 0;
    ~TFSItem() { BurnString(Content); } // a decrypted body or picture
};

// One line per file, the line being the part's content reference; the first line is the body.
class TFileSections : public TStringList {
public:
    TFileSections(TSectionNode& Node, bool Rtf);
    TFileSections(const TFileSections&) = delete;
    TFileSections& operator=(const TFileSections&) = delete;
    ~TFileSections() { BurnString(mainText_); }

    const std::string& Content(int Index) const { return Item(Index).Content; }
    const std::string& FileName(int Index) const { return Item(Index).FileName; }
    uint32_t UsedFlag(int Index) const { return Item(Index).Used; }
    void SetUsed(int Index) { Item(Index).Used = 1; }
    const std::string& MainText() const { return mainText_; }
    std::size_t MaxFileNameLength() const { return maxFileName_; }
    // Prepared RTF pictures of the related parts by content reference (RTF form only).
    TSectionPictureLookup PictureLookup();

    // Writes the main text to FileName and each further file beside it (a unique name there),
    // the main text pointing at what was written. False without a main text or when a write fails.
    bool SaveFiles(const std::string& FileName);

private:
    std::vector<std::unique_ptr<TFSItem>> items_;
    std::string mainText_;
    std::size_t maxFileName_ = 0;

    TFSItem& Item(int Index) const { return *static_cast<TFSItem*>(GetObject(Index)); }
    void AddFile(const std::string& ContentRef, const std::string& Content, const std::string& FileName);
    void AddRelatedParts(const TSectionNode& Node, bool Rtf);
    void DropUnusedFiles();
};

struct TCIDItem {
    std::string Reference; // %-escapes decoded
    int32_t StartPos = 0;  // 1-based: the "cid:" prefix when there is one, else the reference
    int32_t EndPos = 0;    // 1-based: the reference's last byte
};

// The content references of one body: "<img src=cid:...>" in HTML, INCLUDEPICTURE fields in RTF.
class TCIDList {
public:
    TCIDList(const TSectionNode& Node, bool Rtf, TFileSections* Sections = nullptr);
    // Scans Text itself (HTML, or RTF with Rtf) without a node.
    TCIDList(const std::string& Text, bool Rtf, TFileSections* Sections = nullptr);
    TCIDList(const TCIDList&) = delete;
    TCIDList& operator=(const TCIDList&) = delete;
    ~TCIDList() { BurnString(text_); }

    int Count() const { return static_cast<int>(items_.size()); }
    const TCIDItem& Item(int Index) const { return items_[Index]; }
    uint32_t RtfFlag() const { return rtf_; }
    const std::string& BodyText() const { return text_; }
    // The body text with each reference to a line of the sections replaced by that file's bare
    // name (the file is marked used); the text unchanged without references or sections.
    std::string ReplaceReferences() const;

private:
    uint32_t rtf_ = 0;
    std::string text_;
    TFileSections* sections_ = nullptr;
    std::vector<TCIDItem> items_;

    void ScanHtml();
    void ScanRtf();
};

// For an HTML or RTF node the main text with RTF pictures embedded; clears WithRelated when the
// body has no related files. Empty for other nodes.
std::string GetHtmlWithRelated(TSectionNode& Node);
// For an HTML node writes the body to FileName and its related parts beside it.
bool SaveHtmlFiles(TSectionNode& Node, const std::string& FileName);
