// MimeMsgTree: the part tree of one raw message as a portable model. Nodes keep their section
// descriptor, decoded text and node kind; a tree-view adapter mirrors the model for display.
// Protected parts are decoded during the load through a callback of the owner.
#pragma once
#include "foundation/BurnString.h"
#include "mime/MailUtils.h"
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum TNodeKind : uint32_t {
    nkOther = 0,
    nkMultipart = 1,
    nkMixed = 2,
    nkRelated = 3,
    nkAlternative = 4,
    nkEncrypted = 5,
    nkSigned = 6,
    nkDigest = 7,
    nkMessage = 8,
    nkRawText = 9,
    nkSignature = 10,
    nkTextPlain = 11,
    nkTextHtml = 12,
    nkTextRtf = 13,
    nkTextOther = 14,
    nkAttachment = 15,
};

// Load mode bits.
constexpr uint32_t lmScanOnly = 0x01;
constexpr uint32_t lmWide = 0x02;
constexpr uint32_t lmRelated = 0x04;
constexpr uint32_t lmPreferFormatted = 0x08;
constexpr uint32_t lmNested = 0x10;
constexpr uint32_t lmDecode = 0x20;
// A leaf whose text would be its body as it stands keeps no copy: its text is held as a view of
// the loaded text. For trees whose texts are written out (the encrypt road), not shown.
constexpr uint32_t lmBodiesInPlace = 0x40;

// Limits of one load: nested decodes and the node count; MIME nesting is MaxMimeDepth.
constexpr int MaxNestedDecodes = 8;
constexpr int MaxTreeNodes = 10000;

// Gives the decoded text of a protected section (empty: not decoded), its charset and a status.
using TDecodeCallback = std::function<void(const std::string& SectionText, std::string& Charset,
                                           std::string& Decoded, int32_t& StatusCode, std::string& StatusText)>;

// The owner's settings (captions in UTF-8).
struct TMsgTreeData {
    std::string FontFace;
    std::string SaveFolder;
    std::string DateCaption;
    std::string FromCaption;
    std::string ToCaption;
    std::string SubjectCaption;
    std::string ReplyToCaption;
    std::string UnknownValue;
    std::string SubjectSuffix;
    std::string MessageCaption;
    std::string TextPrefix;
    std::string DefaultTypeName;
    std::string ViewableExt2;
    std::string ViewableExt3;
    std::string ViewableExt4;
    int32_t Unused = 0;
    TDecodeCallback Decode;
};

class TMimeMsgTree;

// Texts collected for display, each with the node it came from.
struct TTextItem {
    std::string Text;
    int Node = -1;
    ~TTextItem() { BurnString(Text); } // a view text may be decrypted
};
using TTextList = std::vector<TTextItem>;

struct TSectionNode {
    TMimeMsgTree* Tree = nullptr;
    int Index = 0;   // position in load order, which is the tree's pre-order
    int Parent = -1; // index of the parent node, -1 at the top
    std::vector<int> Children;
    THeaderDataEx Section;
    bool WithRelated = false;
    std::string Caption; // UTF-8
    std::string ContentRef;
    std::string Text;
    // Where the text lies when not in Text (which is then empty): views of the loaded text (a
    // body in place) or of a block TextOwner keeps alive, such as an encoder's output.
    std::vector<std::string_view> HeldText;
    std::shared_ptr<const void> TextOwner;
    std::string StatusText;
    int32_t StatusCode = 0;
    uint32_t NodeKind = nkOther;
    TDateTime MessageDate = 0;
    std::string FileName;       // attachments: the decoded file name
    std::size_t DecodedSize = 0; // size of the body after its transfer decoding
    int32_t BodyFirst = 0;       // leaves: the raw body in Section's text (empty when Last < First)
    int32_t BodyLast = -1;

    ~TSectionNode() { BurnString(Text); } // the text may be decrypted
    bool IsInSecurePart() const;
    bool HasText() const { return !Text.empty() || !HeldText.empty(); }
    // The text's pieces in order, wherever it lies.
    std::vector<std::string_view> TextPieces() const;
    // The text as one string: a copy where it is held elsewhere.
    std::string WholeText() const;
    // Takes a text of its own in place of the one it has; an own text it had is wiped first.
    void SetText(std::string NewText);
    // Takes a text held elsewhere in place of the one it has; an own text it had is wiped first.
    void HoldText(std::shared_ptr<const void> Owner, std::vector<std::string_view> Pieces);
    int GetFirstSection() const { return Children.empty() ? -1 : Children.front(); }
    int GetParentSection() const { return Parent; }
    TMimeMsgTree* GetTree() const { return Tree; }
    const std::string& GetCaption() const { return Caption; }
    TDateTime GetMessageDate() const { return MessageDate; }
    // Local date and time of a message node (UTF-8); empty for other nodes or without a date.
    std::string GetDateText() const;
    // Decoded header values of a message node (UTF-8).
    std::string GetFrom() const;
    std::string GetTo() const;
    std::string GetSubject() const;
    std::string GetReplyTo() const;
    // The summary block of a message node (UTF-8); empty for other nodes.
    std::string GetSummaryText() const;
    // The node's text for display: UTF-16 in wide mode, else ANSI. Formatted rendering of text
    // parts belongs to the part-text unit; here text parts give their text as it stands.
    std::string GetViewText();

private:
    std::string HeaderValue(const char* Name) const;
};

class TMimeMsgTree {
public:
    std::string NameCharset;
    uint32_t SecureKind = skNone;
    int AttachmentCount = 0;
    int BodyNode = -1;
    bool RawMode = false;
    bool HasAttachments = false;
    bool IsDigest = false;
    bool SkipHeader = false;
    bool TextAfterSecure = false;
    uint32_t HostFlags = 0;
    int32_t SecureStart = 0;
    int32_t SecureEnd = 0;
    TMsgTreeData TreeData;
    uint8_t HeaderMask = 0;
    uint8_t Mode = 0;
    TTextList Texts;
    // Set when a limit (nesting, decodes, node count) cut the load short.
    bool Truncated = false;

    void Reset();
    // Limit 0 means the text's length. Malformed MIME never fails: what was found stays.
    void LoadMessage(const std::string& Text, int32_t Start, uint32_t LoadMode, int32_t Limit);
    // The same, taking over the caller's text instead of copying it.
    void LoadMessage(std::string&& Text, int32_t Start, uint32_t LoadMode, int32_t Limit);
    // The same over the caller's text, neither copied nor taken: it must outlive the tree.
    void LoadBorrowedMessage(const std::string& Text, int32_t Start, uint32_t LoadMode, int32_t Limit);

    int SectionCount() const { return static_cast<int>(Nodes.size()); }
    bool HasSections() const { return !Nodes.empty(); }
    TSectionNode* GetSection(int Index);
    const TSectionNode* GetSection(int Index) const;
    std::string GetSectionText(int Index) const;
    uint32_t GetSectionKind(int Index) const;
    int FindSectionKind(uint32_t Kind) const; // first node whose section kind is Kind, or -1

    int GetSelectedSection() const { return SelectedSection; }
    void SetSelectedSection(int Index) { SelectedSection = GetSection(Index) ? Index : -1; }

    // Inserts a node right after node After, under After's parent; later indices move up by one.
    TSectionNode* InsertNodeAfter(int After, uint32_t Kind);
    // Removes a leaf node; later indices move down by one.
    void RemoveNode(int Index);

    std::string GetHeaderLines() const;
    // The first node's summary: UTF-16 in wide mode, else ANSI.
    std::string GetSummary() const;
    // The body's view text and the text parts that follow it (empty for a digest).
    const TTextList& CollectBodyTexts(bool MarkRelated);
    bool IsTextTypeNode(int Index) const;
    bool IsViewableExt2(const std::string& Extension) const;
    bool IsViewableExt3(const std::string& Extension) const;
    bool IsViewableExt4(const std::string& Extension) const;
    std::string GetAttachmentList() const;
    // The node texts with the line breaks between them, in order: what JoinSectionTexts joins,
    // for a writer that needs no joined copy. The views hold while the tree is unchanged.
    std::vector<std::string_view> SectionTextPieces() const;
    std::string JoinSectionTexts() const;
    bool BodyIsFormatted() const;
    TDateTime GetMessageDate() const;

private:
    std::vector<std::unique_ptr<TSectionNode>> Nodes;
    int CurrentParent = -1;
    int DecodeDepth = 0;
    int SelectedSection = -1;
    bool ScanOnly() const { return (Mode & lmScanOnly) != 0; }
    bool Decoding() const { return (Mode & lmDecode) != 0; }

    void LoadSharedText(TSharedText Text, int32_t Start, uint32_t LoadMode, int32_t Limit);
    TSectionNode* AddNode(uint32_t Kind, const THeaderData& Section, const std::string& Caption);
    void LoadLevel(THeaderDataEx Message, bool Outermost, int Depth);
    void WalkMultipart(const THeaderDataEx& Multipart, int Depth, bool Outermost, const std::string& StatusText);
    void AddLeaf(const THeaderDataEx& Part, uint32_t EnclosingKind, int32_t BodyEnd);
    std::string EnclosingBoundary() const;
    // The system's name for a named attachment's type; else (and in RawMode) the default name.
    std::string TypeNameOf(const std::string& FileName, const std::string& ContentType) const;
    bool DecodeMimeSection(THeaderDataEx& Message, bool Outermost, std::string& StatusText, int32_t& StatusCode);
    std::string DecodeArmoredBlocks(std::string Body, TSectionNode& Node);
    int32_t NestedContentEnd(const THeaderData& Part, bool DigestEntry, std::vector<std::string>& Open, int Depth);
    int32_t MultipartContentEnd(const THeaderData& Section, const std::string& Boundary, bool Digest, int32_t From,
                                std::vector<std::string>& Open, int Depth);
    // NestedContentEnd of every part met in this load, by text and delimiter position.
    std::map<std::pair<TSharedText, int32_t>, int32_t> PartEnds;
};

// Multipart node kind of a Content-Type value (1-7); 0 when it is not a multipart.
uint32_t MultipartKindOf(const std::string& ContentType);

// What a tree view needs to mirror the model; the UI implements it (captions are UTF-8).
class TMimeTreeViewAdapter {
public:
    virtual ~TMimeTreeViewAdapter() = default;
    virtual void Clear() = 0;
    // Adds an item under Parent (0 = top) and returns its handle.
    virtual uintptr_t AddItem(uintptr_t Parent, const std::string& Caption, uint32_t NodeKind, int Node) = 0;
};

// Mirrors every node of the tree into the view, in order.
void MirrorTree(const TMimeMsgTree& Tree, TMimeTreeViewAdapter& View);
