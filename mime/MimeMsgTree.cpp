// MimeMsgTree: loading a raw message into the part tree. Nodes are made in pre-order; recursion
// over nested multiparts, embedded messages and decoded protected parts is bounded, and a cut
// load keeps what it found.
#include "mime/MimeMsgTree.h"
#include "mime/MailServices.h"
#include "mime/MailText.h"
#include "foundation/Base64.h"
#include "foundation/BurnString.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <optional>

namespace {

std::string UpperAscii(std::string Text)
{
    for (char& c : Text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return Text;
}

std::string LowerAscii(std::string Text)
{
    for (char& c : Text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return Text;
}

// The subtype of a Content-Type value: after the '/', up to ';', trimmed, lower-cased.
std::string SubtypeOf(const std::string& ContentType)
{
    const std::string type = TrimBlanks(ContentType.substr(0, ContentType.find(';')));
    const std::size_t slash = type.find('/');
    return slash == std::string::npos ? std::string() : LowerAscii(TrimBlanks(type.substr(slash + 1)));
}

// UTF-16 (little-endian, no terminator) of a plain ASCII text.
std::string AsciiToWide(const std::string& Text)
{
    std::string wide;
    for (char c : Text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

bool SameText(const std::string& A, const std::string& B)
{
    return A.size() == B.size() && StartsWithText(A, B);
}

bool OnlyLineBreaks(std::string_view Text)
{
    return std::all_of(Text.begin(), Text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

// A text shared by the nodes of one load, burnt when the last of them lets it go: a loaded or
// spliced message may be decrypted.
TSharedText MakeBurntOnReleaseText(std::string Text)
{
    return TSharedText(new std::string(std::move(Text)), [](const std::string* Shared) {
        std::string* own = const_cast<std::string*>(Shared); // made mutable above
        BurnString(*own);
        delete own;
    });
}

// The pieces as one text, built in a block of its final size, so that no growing copy of a
// decrypted text is let go unburnt.
std::string JoinPieces(std::initializer_list<std::string_view> Pieces)
{
    std::size_t size = 0;
    for (const std::string_view piece : Pieces)
        size += piece.size();
    std::string joined;
    joined.reserve(size);
    for (const std::string_view piece : Pieces)
        joined.append(piece);
    return joined;
}

bool OnlyBlanks(std::string_view Text)
{
    return std::all_of(Text.begin(), Text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string_view SectionView(const std::string& Text, int32_t First, int32_t Last)
{
    const TTextRange range = ClampRange(Text.size(), First, static_cast<int64_t>(Last) - First + 1, 0);
    if (range.IsEmpty() || Last < First)
        return {};
    return std::string_view(Text).substr(range.First - 1, range.Last - range.First + 1);
}

std::string SectionSlice(const std::string& Text, int32_t First, int32_t Last)
{
    return std::string(SectionView(Text, First, Last));
}

// Whether a leaf's text, as a load that keeps texts makes it, is its raw body byte for byte: no
// transfer decoding, no armour to decode or rejoin, and no charset conversion (ConvertedFrom, the
// charset a text part is converted from, empty for none; 7-bit text in a charset whose 7-bit bytes
// are ASCII reads the same in any ANSI code page).
bool TextIsBodyAsItStands(std::string_view Body, const std::string& TransferEncoding, const std::string& ConvertedFrom)
{
    const std::string encoding = LowerAscii(TrimBlanks(TransferEncoding));
    if (encoding == "base64" || encoding == "quoted-printable" || Body.find("-----BEGIN ") != std::string_view::npos)
        return false;
    if (ConvertedFrom.empty())
        return true;
    const std::string& charset = ConvertedFrom;
    const bool asciiCharset = charset == "US-ASCII" || charset == "ASCII" || charset == "UTF-8" ||
                              StartsWithText("ISO-8859-", charset) || StartsWithText("WINDOWS-125", charset);
    return asciiCharset &&
           std::all_of(Body.begin(), Body.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Last position of a part's body: before the line break that precedes the next delimiter line.
int32_t BodyEndOf(const std::string& Text, const std::string& Boundary, int32_t From, int32_t Limit)
{
    const int32_t last = EffectiveLimit(Text.size(), Limit);
    const TDelimiter next = Boundary.empty() || From > last ? TDelimiter{} : FindDelimiterLine(Text, Boundary, From, last);
    if (next.Position == 0)
        return last;
    int32_t end = next.Position - 1;
    if (end >= From && Text[end - 1] == '\n')
        --end;
    if (end >= From && Text[end - 1] == '\r')
        --end;
    return end;
}

// First CR or LF at or after Pos (or Last + 1), and the length of the line break there.
int32_t LineEndOf(const std::string& Text, int32_t Pos, int32_t Last)
{
    while (Pos <= Last && Text[Pos - 1] != '\r' && Text[Pos - 1] != '\n')
        ++Pos;
    return Pos;
}

int32_t LineBreakLength(const std::string& Text, int32_t Pos, int32_t Last)
{
    if (Pos < 1 || Pos > Last)
        return 0;
    if (Text[Pos - 1] == '\r')
        return Pos + 1 <= Last && Text[Pos] == '\n' ? 2 : 1;
    return Text[Pos - 1] == '\n' ? 1 : 0;
}

std::string DecodeTransfer(std::string_view Body, const std::string& Encoding)
{
    const std::string encoding = LowerAscii(TrimBlanks(Encoding));
    if (encoding == "base64")
        return DecodeBase64Body(Body);
    if (encoding == "quoted-printable")
        return DecodeQuotedPrintable(Body, false);
    return std::string(Body);
}

// The size DecodeTransfer would give, without keeping decoded bytes: what a scan needs.
std::size_t DecodedSizeOf(std::string_view Body, const std::string& Encoding)
{
    const std::string encoding = LowerAscii(TrimBlanks(Encoding));
    if (encoding == "base64")
        return Base64DecodedSize(Body);
    if (encoding == "quoted-printable")
        return DecodeQuotedPrintable(Body, false).size();
    return Body.size();
}

std::string DecodePercent(const std::string& Text)
{
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == '%' && i + 2 < Text.size() && isxdigit(static_cast<unsigned char>(Text[i + 1])) &&
            isxdigit(static_cast<unsigned char>(Text[i + 2]))) {
            out += static_cast<char>(HexDigitValue(Text[i + 1]) * 16 + HexDigitValue(Text[i + 2]));
            i += 2;
        } else {
            out += Text[i];
        }
    }
    return out;
}

std::string ContentRefOf(const THeaderData& Part)
{
    const std::string& id = !Part.ContentID.empty() ? Part.ContentID : Part.Location;
    return UnwrapAngleBrackets(DecodePercent(id));
}

// Counts one level of recursion for as long as it lives.
class TDepthGuard {
public:
    explicit TDepthGuard(int& Depth) : Depth(Depth) { ++Depth; }
    ~TDepthGuard() { --Depth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

private:
    int& Depth;
};

// A multipart whose body opens no part (its boundary never occurs, or only closes) is read as one
// text leaf, as mature parsers read it, so its text is shown rather than an empty multipart.
bool HasDelimiterLine(const THeaderDataEx& Multipart)
{
    const std::string& text = Multipart.Str();
    const int32_t last = EffectiveLimit(text.size(), Multipart.Limit);
    const int32_t body = SectionBodyStart(Multipart);
    if (Multipart.Boundary.empty() || body > last)
        return false;
    const TDelimiter first = FindDelimiterLine(text, Multipart.Boundary, body, last);
    return first.Position > 0 && !first.Closing;
}

} // namespace

uint32_t MultipartKindOf(const std::string& ContentType)
{
    if (!StartsWithText("multipart/", TrimBlanksLeft(ContentType)))
        return nkOther;
    const std::string subtype = SubtypeOf(ContentType);
    if (subtype == "mixed")
        return nkMixed;
    if (subtype == "related")
        return nkRelated;
    if (subtype == "alternative")
        return nkAlternative;
    if (subtype == "encrypted")
        return nkEncrypted;
    if (subtype == "signed")
        return nkSigned;
    if (subtype == "digest")
        return nkDigest;
    return nkMultipart;
}

bool TSectionNode::IsInSecurePart() const
{
    for (int p = Parent; p >= 0;) {
        const TSectionNode* node = Tree->GetSection(p);
        if (node->NodeKind == nkEncrypted || node->NodeKind == nkSigned)
            return true;
        p = node->Parent;
    }
    return false;
}

std::vector<std::string_view> TSectionNode::TextPieces() const
{
    if (!HeldText.empty())
        return HeldText;
    return Text.empty() ? std::vector<std::string_view>() : std::vector<std::string_view> { Text };
}

std::string TSectionNode::WholeText() const
{
    if (HeldText.empty())
        return Text;
    std::string whole;
    for (const std::string_view piece : HeldText)
        whole += piece;
    return whole;
}

void TSectionNode::SetText(std::string NewText)
{
    ZeroString(Text);
    Text = std::move(NewText);
    HeldText.clear();
    TextOwner.reset();
}

void TSectionNode::HoldText(std::shared_ptr<const void> Owner, std::vector<std::string_view> Pieces)
{
    BurnString(Text);
    Text.shrink_to_fit();
    TextOwner = std::move(Owner);
    HeldText = std::move(Pieces);
}

void TMimeMsgTree::Reset()
{
    SecureKind = skNone;
    AttachmentCount = 0;
    BodyNode = -1;
    RawMode = HasAttachments = IsDigest = SkipHeader = TextAfterSecure = Truncated = false;
    HostFlags = 0;
    SecureStart = SecureEnd = 0;
    HeaderMask = 0;
    Mode = 0;
    Nodes.clear();
    Texts.clear();
    CurrentParent = -1;
    DecodeDepth = 0;
    SelectedSection = -1;
    PartEnds.clear();
}

TSectionNode* TMimeMsgTree::GetSection(int Index)
{
    return Index >= 0 && Index < SectionCount() ? Nodes[Index].get() : nullptr;
}

const TSectionNode* TMimeMsgTree::GetSection(int Index) const
{
    return Index >= 0 && Index < SectionCount() ? Nodes[Index].get() : nullptr;
}

std::string TMimeMsgTree::GetSectionText(int Index) const
{
    const TSectionNode* node = GetSection(Index);
    return node ? node->WholeText() : std::string();
}

uint32_t TMimeMsgTree::GetSectionKind(int Index) const
{
    const TSectionNode* node = GetSection(Index);
    return node ? node->NodeKind : nkOther;
}

int TMimeMsgTree::FindSectionKind(uint32_t Kind) const
{
    for (const auto& node : Nodes)
        if (node->Section.Kind == Kind)
            return node->Index;
    return -1;
}

TSectionNode* TMimeMsgTree::AddNode(uint32_t Kind, const THeaderData& Section, const std::string& Caption)
{
    if (SectionCount() >= MaxTreeNodes) {
        Truncated = true;
        return nullptr;
    }
    auto node = std::make_unique<TSectionNode>();
    node->Tree = this;
    node->Index = SectionCount();
    node->Parent = CurrentParent;
    node->NodeKind = Kind;
    static_cast<THeaderData&>(node->Section) = Section;
    node->Caption = Caption;
    if (CurrentParent >= 0)
        Nodes[CurrentParent]->Children.push_back(node->Index);
    Nodes.push_back(std::move(node));
    return Nodes.back().get();
}

void TMimeMsgTree::LoadMessage(const std::string& Text, int32_t Start, uint32_t LoadMode, int32_t Limit)
{
    LoadMessage(std::string(Text), Start, LoadMode, Limit);
}

void TMimeMsgTree::LoadMessage(std::string&& Text, int32_t Start, uint32_t LoadMode, int32_t Limit)
{
    LoadSharedText(MakeBurntOnReleaseText(std::move(Text)), Start, LoadMode, Limit);
}

void TMimeMsgTree::LoadBorrowedMessage(
    const std::string& Text, int32_t Start, uint32_t LoadMode, int32_t Limit)
{
    LoadSharedText(BorrowSharedText(Text), Start, LoadMode, Limit);
}

void TMimeMsgTree::LoadSharedText(TSharedText Text, int32_t Start, uint32_t LoadMode, int32_t Limit)
{
    if (Text->empty())
        return;
    uint32_t mode = LoadMode;
    if (mode & lmPreferFormatted)
        mode |= lmRelated | lmNested;
    else if (mode & lmScanOnly)
        mode |= lmNested | lmDecode;
    if (!TreeData.Decode)
        mode &= ~lmDecode;
    Mode = static_cast<uint8_t>(mode);
    // The texts' storage does not change how they are read.
    RawMode = (mode & ~lmBodiesInPlace) == (lmNested | lmDecode);
    HeaderMask = hmContentType | hmTransferEncoding | hmDisposition;

    const int32_t limit = EffectiveLimit(Text->size(), Limit);
    THeaderDataEx message;
    message.Text = std::move(Text);
    message.Start = std::max(Start, 1);
    message.Limit = limit;
    message.Level = Nodes.empty() ? 0 : 1;
    CurrentParent = -1;
    LoadLevel(message, true, 0);
    HasAttachments = AttachmentCount > 0;
}

bool TMimeMsgTree::DecodeMimeSection(THeaderDataEx& Message, bool Outermost, std::string& StatusText,
                                      int32_t& StatusCode)
{
    const THeaderData found = FindMimeSecurePart(Message);
    if (found.Kind < FirstMimeKind)
        return false;
    const int32_t start = found.Start;
    const int32_t end = found.Start + found.Length - 1;
    const bool record = Outermost || (ScanOnly() && SecureKind == skNone);
    if (record) {
        SecureKind = found.Kind;
        SecureStart = start;
        SecureEnd = start > 0 ? end : 0;
    }
    if (ScanOnly() || start == 0)
        return false;
    if (DecodeDepth >= MaxNestedDecodes) {
        Truncated = true;
        return false;
    }
    const std::string& text = Message.Str();
    std::string charset;
    std::string decoded;
    TBurnOnExit burnDecoded(decoded);
    TreeData.Decode(SectionSlice(text, start, end), charset, decoded, StatusCode, StatusText);
    if (decoded.empty())
        return false;
    // A protected part of a multipart begins with the enclosing delimiter line: that line stays,
    // so the decoded entity takes the part's place instead of landing in the preamble.
    int32_t spliceFrom = start;
    if (StrMatchesAt("--", text, start) && start > Message.Start) {
        const int32_t lineEnd = LineEndOf(text, start, end);
        spliceFrom = lineEnd + LineBreakLength(text, lineEnd, end);
    }
    const std::string_view before = SectionView(text, Message.Start, spliceFrom - 1);
    std::string_view after = SectionView(text, end + 1, EffectiveLimit(text.size(), Message.Limit));
    if (OnlyLineBreaks(after))
        after = {};
    // The next delimiter line must begin a line of its own.
    const bool breakAfter = !after.empty() && after[0] != '\r' && after[0] != '\n' && decoded.back() != '\n';
    const std::string_view lineBreak = breakAfter ? "\r\n" : "";
    if (record) {
        SecureStart = static_cast<int32_t>(before.size()) + 1;
        SecureEnd = SecureStart + static_cast<int32_t>(decoded.size() + lineBreak.size()) - 1;
        TextAfterSecure = !OnlyBlanks(after);
    }
    // A verified signature changes nothing in the text; a decrypted one replaces the section.
    if (found.Kind == skPgpMimeSigned || found.Kind == skSmimeMultipartSigned)
        return false;
    THeaderDataEx replaced;
    replaced.Text = MakeBurntOnReleaseText(JoinPieces({before, decoded, lineBreak, after}));
    replaced.Start = 1;
    replaced.Limit = EffectiveLimit(replaced.Str().size(), 0);
    replaced.Level = Message.Level;
    Message = replaced;
    FindHeaderEnd(Message, HeaderMask);
    if (Message.Start == 0) {
        Message.Start = 1;
        Message.Length = 0;
    }
    return true;
}

void TMimeMsgTree::LoadLevel(THeaderDataEx Message, bool Outermost, int Depth)
{
    if (Depth >= MaxMimeDepth || SectionCount() >= MaxTreeNodes) {
        Truncated = true;
        return;
    }
    const int32_t start = Message.Start;
    FindHeaderEnd(Message, HeaderMask);
    if (Message.Start == 0) {
        // No header block: the whole section is the body of a message without fields.
        Message.Start = start;
        Message.Length = 0;
    }
    std::string statusText;
    int32_t statusCode = 0;
    // Content that came out of a decode counts one nested decode while it is being loaded.
    std::optional<TDepthGuard> decodeGuard;
    if (Decoding() && DecodeMimeSection(Message, Outermost, statusText, statusCode))
        decodeGuard.emplace(DecodeDepth);
    Message.Boundary = GetBoundary(Message);
    Message.PartKind = static_cast<int32_t>(MultipartKindOf(Message.ContentType));

    const bool digest = Message.PartKind == nkDigest;
    if (Outermost || (!digest && !SkipHeader)) {
        TSectionNode* node = AddNode(nkMessage, Message, TreeData.MessageCaption);
        if (!node)
            return;
        node->Section.Boundary = Message.Boundary;
        node->Section.PartKind = Message.PartKind;
        node->StatusText = statusText;
        node->StatusCode = statusCode;
        if (!ScanOnly() && Message.Length > 0)
            node->Text = SectionSlice(Message.Str(), Message.Start, Message.Start + Message.Length - 1);
        const THeaderData date = GetHeaderValue("Date:", Message, false);
        std::string display;
        if (date.Start > 0)
            ParseDateHeader(date.Str(), node->MessageDate, display);
        if (node->Index == 0) {
            const std::string& header = node->Text;
            const int32_t flags = LastPosText("X-PMFLAGS:", header);
            if (flags > 0)
                HostFlags = static_cast<uint32_t>(FirstNumberInText(header.substr(flags + 9, 12)));
        }
    }
    SkipHeader = false;
    if (HasDelimiterLine(Message)) {
        WalkMultipart(Message, Depth, Outermost, statusText);
    } else if (StartsWithText("message/rfc822", TrimBlanksLeft(Message.ContentType)) && Message.Length > 0) {
        // A message whose whole body is another message: that one is loaded in its place.
        THeaderDataEx embedded = Message;
        embedded.Start = SectionBodyStart(Message);
        embedded.Length = 0;
        embedded.ContentType.clear();
        ++AttachmentCount;
        LoadLevel(embedded, false, Depth + 1);
    } else if (Message.Level == 0 || (Mode & lmNested)) {
        THeaderDataEx single = Message;
        single.PartKind = nkMessage;
        AddLeaf(single, nkMessage, EffectiveLimit(Message.Str().size(), Message.Limit));
    }
}

void TMimeMsgTree::WalkMultipart(const THeaderDataEx& Multipart, int Depth, bool Outermost,
                                 const std::string& StatusText)
{
    std::string caption = "(";
    caption += SubtypeOf(Multipart.ContentType);
    caption += ")";
    TSectionNode* node = AddNode(Multipart.PartKind, Multipart, caption);
    if (!node)
        return;
    node->Section.Boundary = Multipart.Boundary;
    node->Section.PartKind = Multipart.PartKind;
    if (Multipart.PartKind == nkSigned && !ScanOnly())
        node->Text = StatusText;
    const int multipartIndex = node->Index;
    const int savedParent = CurrentParent;
    CurrentParent = multipartIndex;
    const std::string& text = Multipart.Str();
    const int32_t limit = EffectiveLimit(text.size(), Multipart.Limit);

    THeaderData previous = Multipart;
    std::vector<std::string> open = {Multipart.Boundary};
    for (;;) {
        if (SectionCount() >= MaxTreeNodes) {
            Truncated = true;
            break;
        }
        THeaderDataEx part;
        static_cast<THeaderData&>(part) = FindNextPart(previous, Multipart.Boundary, HeaderMask);
        if (part.Start == 0)
            break;
        const std::string& type = part.ContentType;
        const bool embedded = StartsWithText("message/rfc822", TrimBlanksLeft(type));
        const bool digestEntry = Multipart.PartKind == nkDigest && (TrimBlanks(type).empty() || embedded);
        const int32_t bodyStart = SectionBodyStart(part);
        // The part runs past every delimiter line that a multipart inside it owns.
        const int32_t contentEnd = NestedContentEnd(part, digestEntry, open, Depth);
        const int32_t bodyEnd = BodyEndOf(text, Multipart.Boundary, contentEnd, limit);
        previous = part;
        previous.Length = contentEnd - part.Start;
        part.Limit = bodyEnd;
        if (RawMode) {
            TSectionNode* raw = AddNode(nkRawText, part, std::string());
            if (raw)
                raw->Text = SectionSlice(text, part.Start, part.Start + part.Length - 1);
        }
        THeaderDataEx body;
        body.Text = part.Text;
        body.Start = bodyStart;
        body.Limit = bodyEnd;
        body.Level = Multipart.Level;
        if (Decoding() && !RawMode && FindMimeSecurePart(part).Kind >= FirstMimeKind) {
            // The protected part with its own header fields, so that its kind is seen again.
            THeaderDataEx secure = body;
            const int32_t lineEnd = LineEndOf(text, part.Start, bodyEnd);
            secure.Start = lineEnd + LineBreakLength(text, lineEnd, bodyEnd);
            SkipHeader = true;
            LoadLevel(secure, false, Depth + 1);
            continue;
        }
        if (digestEntry || embedded) {
            if (digestEntry && Outermost)
                IsDigest = true;
            else
                ++AttachmentCount;
            LoadLevel(body, false, Depth + 1);
        } else if (StartsWithText("multipart/", TrimBlanksLeft(type))) {
            part.Boundary = GetBoundary(part);
            part.PartKind = static_cast<int32_t>(MultipartKindOf(type));
            if (Depth + 1 >= MaxMimeDepth || !HasDelimiterLine(part)) {
                Truncated = Truncated || Depth + 1 >= MaxMimeDepth;
                AddLeaf(part, Multipart.PartKind, bodyEnd);
            } else {
                WalkMultipart(part, Depth + 1, false, std::string());
            }
        } else {
            AddLeaf(part, Multipart.PartKind, bodyEnd);
        }
    }
    if (RawMode && CurrentParent >= 0) {
        THeaderData closing = Multipart;
        TSectionNode* raw = AddNode(nkRawText, closing, std::string());
        if (raw)
            raw->Text = "--" + Multipart.Boundary + "--";
    }
    CurrentParent = savedParent;
}

// Where the walk of the enclosing multipart looks for its next delimiter line after Part: behind
// the closing delimiter of a multipart inside the part (its own, or an embedded message's), so
// the nearest open multipart owns a delimiter line, also one that reuses an enclosing name.
int32_t TMimeMsgTree::NestedContentEnd(const THeaderData& Part, bool DigestEntry, std::vector<std::string>& Open,
                                       int Depth)
{
    const int32_t body = SectionBodyStart(Part);
    if (Depth + 1 >= MaxMimeDepth)
        return body;
    const auto key = std::make_pair(Part.Text, Part.Start);
    if (const auto known = PartEnds.find(key); known != PartEnds.end())
        return known->second;
    int32_t end = body;
    THeaderData entity = Part;
    const std::string type = TrimBlanks(Part.ContentType);
    if (StartsWithText("message/rfc822", type) || (DigestEntry && type.empty())) {
        entity.Start = body;
        FindHeaderEnd(entity, hmContentType);
    }
    const std::string boundary = entity.Start > 0 ? GetBoundary(entity) : std::string();
    if (!boundary.empty()) {
        const bool digest = MultipartKindOf(entity.ContentType) == nkDigest;
        end = std::max(body, MultipartContentEnd(entity, boundary, digest, SectionBodyStart(entity), Open, Depth + 1));
    }
    PartEnds[key] = end;
    return end;
}

// The end of the closing delimiter line of the multipart with Boundary whose body begins at From;
// an enclosing multipart's delimiter line under another name ends it unclosed, at that line.
int32_t TMimeMsgTree::MultipartContentEnd(const THeaderData& Section, const std::string& Boundary, bool Digest,
                                          int32_t From, std::vector<std::string>& Open, int Depth)
{
    const std::string& text = Section.Str();
    const int32_t last = EffectiveLimit(text.size(), Section.Limit);
    Open.push_back(Boundary);
    int32_t end = last + 1;
    for (int32_t from = From; from <= last;) {
        const TDelimiter own = FindDelimiterLine(text, Boundary, from, last);
        int32_t until = own.Position > 0 ? own.Position - 1 : last;
        int32_t enclosing = 0;
        for (std::size_t i = 0; i + 1 < Open.size(); ++i) {
            if (SameText(Open[i], Boundary))
                continue;
            const TDelimiter outer = FindDelimiterLine(text, Open[i], from, until);
            if (outer.Position > 0) {
                enclosing = outer.Position;
                until = outer.Position - 1;
            }
        }
        if (enclosing > 0) {
            // Ends before the line break in front of that line, as a closed part would.
            end = enclosing;
            if (end - 1 >= from && text[end - 2] == '\n')
                --end;
            if (end - 1 >= from && text[end - 2] == '\r')
                --end;
            break;
        }
        if (own.Position == 0)
            break;
        if (own.Closing) {
            end = LineEndOf(text, own.Position, last);
            break;
        }
        THeaderData cursor = Section;
        cursor.Start = own.Position;
        cursor.Length = 0;
        const THeaderData part = FindNextPart(cursor, Boundary, hmContentType);
        if (part.Start == 0)
            break;
        const bool entry = Digest && (TrimBlanks(part.ContentType).empty() ||
                                      StartsWithText("message/rfc822", TrimBlanksLeft(part.ContentType)));
        from = std::max(NestedContentEnd(part, entry, Open, Depth), own.Position + 1);
    }
    Open.pop_back();
    return end;
}

std::string TMimeMsgTree::DecodeArmoredBlocks(std::string Body, TSectionNode& Node)
{
    const THeaderData found = FindArmoredBlock(WholeTextSection(BorrowSharedText(Body)));
    Node.Section.Kind = found.Kind;
    if (!Decoding() || RawMode || ScanOnly() || Node.IsInSecurePart() || DecodeDepth >= MaxNestedDecodes)
        return Body;
    if (found.Kind != skPgpMessage && found.Kind != skPgpSignedMessage)
        return Body;
    std::string charset;
    std::string decoded;
    TBurnOnExit burnDecoded(decoded);
    TreeData.Decode(Body.substr(found.Start - 1, found.Length), charset, decoded, Node.StatusCode, Node.StatusText);
    if (decoded.empty())
        return Body;
    std::string ansi = charset.empty()
        ? AnyTextToAnsi(decoded)
        : CharsetTextToAnsi(std::move(decoded), MailServices().NormalizeCharsetName(charset));
    TBurnOnExit burnAnsi(ansi);
    const std::string_view body(Body);
    std::string_view after = body.substr(found.Start - 1 + found.Length);
    if (OnlyLineBreaks(after))
        after = {};
    std::string spliced = JoinPieces({body.substr(0, found.Start - 1), ansi, after});
    BurnString(Body);
    return spliced;
}

std::string TMimeMsgTree::EnclosingBoundary() const
{
    const TSectionNode* parent = GetSection(CurrentParent);
    return parent ? parent->Section.Boundary : std::string();
}

std::string TMimeMsgTree::TypeNameOf(const std::string& FileName, const std::string& ContentType) const
{
    // Unnamed parts keep the default name: their caption names the MIME type, which the text-type
    // test and the extension of an unnamed part read back.
    if (RawMode || FileName.empty())
        return TreeData.DefaultTypeName;
    const std::string system =
        MailServices().FileTypeName(FileName, TrimBlanks(ContentType.substr(0, ContentType.find(';'))));
    return system.empty() ? TreeData.DefaultTypeName : system;
}

void TMimeMsgTree::AddLeaf(const THeaderDataEx& Part, uint32_t EnclosingKind, int32_t BodyEnd)
{
    const std::string& text = Part.Str();
    const std::string& type = Part.ContentType;
    const std::string subtype = SubtypeOf(type);
    const bool keepTexts = !ScanOnly();
    if (EnclosingKind == nkAlternative && subtype != "plain" && BodyNode >= 0 &&
        !(Mode & (lmPreferFormatted | lmNested)))
        return;
    const int32_t bodyStart = Part.Length > 0 ? SectionBodyStart(Part) : Part.Start;
    // The body stays a view into the message until a node needs a text of its own.
    const std::string_view rawBody = SectionView(text, bodyStart, BodyEnd);
    std::string description = Part.Description;
    if (description.empty() && !(HeaderMask & hmDescription))
        description = GetHeaderValue("Content-Description:", Part, false).Str();
    if (!RawMode)
        description = DecodeEncodedWords(description);

    // A Content-Type that names no subtype is invalid and means text/plain (RFC 2045).
    const std::string mediaType = TrimBlanks(type.substr(0, type.find(';')));
    // A multipart without a usable boundary is read as text, as mature parsers read it.
    const bool boundless = StartsWithText("multipart/", mediaType);
    const bool isText = mediaType.find('/') == std::string::npos || StartsWithText("text/", mediaType) || boundless;
    const bool attachment = !isText || StartsWithText("attachment", TrimBlanksLeft(Part.Disposition));
    if (attachment) {
        if (!(EnclosingKind == nkEncrypted || EnclosingKind == nkSigned ||
              (EnclosingKind == nkRelated && (Mode & lmPreferFormatted))))
            ++AttachmentCount;
        THeaderDataEx part = Part;
        ReadSectionHeaders(part, hmAll, true);
        std::string name = GetHeaderParameter(type, "name", nullptr, RawMode);
        if (name.empty())
            name = GetHeaderParameter(part.Disposition, "filename", nullptr, RawMode);
        const std::string contentRef = ContentRefOf(part);
        if (name.empty())
            name = UnwrapAngleBrackets(DecodePercent(part.ContentID));
        if (name.empty() && !part.Location.empty())
            name = part.Location.substr(part.Location.rfind('/') + 1);
        const bool named = !name.empty();
        if (name.empty())
            name = TrimBlanks(type.substr(0, type.find(';')));
        const bool signature =
            EnclosingKind == nkSigned && (PosText("PGP-signature", type) > 0 || PosText("PKCS7-signature", type) > 0);
        const uint32_t kind = signature ? nkSignature : named ? nkAttachment : nkOther;
        const std::string typeName = TypeNameOf(named ? name : std::string(), type);
        TSectionNode* node = AddNode(kind, part, RawMode ? name : typeName + ": " + name);
        if (!node)
            return;
        node->FileName = name;
        node->ContentRef = contentRef;
        node->Section.Charset = NameCharset;
        node->Section.Boundary = EnclosingBoundary();
        node->BodyFirst = bodyStart;
        node->BodyLast = BodyEnd;
        if (keepTexts && !signature && (Mode & lmBodiesInPlace) &&
            TextIsBodyAsItStands(rawBody, part.TransferEncoding, std::string())) {
            node->DecodedSize = rawBody.size();
            node->Section.Kind = skNone;
            node->HoldText(nullptr, {rawBody});
        } else if (keepTexts && !signature) {
            std::string decoded = DecodeTransfer(rawBody, part.TransferEncoding);
            node->DecodedSize = decoded.size();
            node->Text = DecodeArmoredBlocks(std::move(decoded), *node);
        } else {
            node->DecodedSize = DecodedSizeOf(rawBody, part.TransferEncoding);
        }
        if (keepTexts) {
            if (signature)
                node->Text = std::string(rawBody);
            if (!signature && name.size() > 8 && PosText(".pgp.asc", name) == static_cast<int>(name.size()) - 7 &&
                node->Section.Kind >= skPgpMessage && node->Section.Kind <= skCertificate) {
                node->FileName = name.substr(0, name.size() - 4);
                node->Caption = RawMode ? node->FileName : TypeNameOf(node->FileName, type) + ": " + node->FileName;
            }
        }
        if (signature && !rawBody.empty() && node->Parent >= 0) {
            // The signature keeps its own text in the descriptor; the node shows the signed whole.
            // Its positions then describe that text, so no position points into a foreign one.
            node->Section.Text = MakeSharedText(std::string(rawBody));
            node->Section.Start = 1;
            node->Section.Length = static_cast<int32_t>(rawBody.size());
            node->Section.Limit = node->Section.Length;
            node->BodyFirst = 1;
            node->BodyLast = node->Section.Length;
            node->Section.Kind = PosText("PGP-signature", type) > 0 ? skPgpMimeSigned : skSmimeMultipartSigned;
            const TSectionNode* multipart = GetSection(node->Parent);
            const int32_t multipartEnd = EffectiveLimit(text.size(), multipart->Section.Limit);
            node->Text = keepTexts ? SectionSlice(text, multipart->Section.Start, multipartEnd) : std::string();
        }
        return;
    }

    uint32_t kind = nkTextOther;
    if (mediaType.find('/') == std::string::npos || subtype == "plain" || boundless)
        kind = nkTextPlain;
    else if (subtype == "html")
        kind = nkTextHtml;
    else if (subtype == "rtf")
        kind = nkTextRtf;
    std::string caption = TreeData.TextPrefix;
    if (!caption.empty() && !description.empty())
        caption += ": ";
    caption += description;
    if (kind == nkTextHtml)
        caption += " (html)";
    else if (kind == nkTextRtf)
        caption += " (rtf)";
    TSectionNode* node = AddNode(kind, Part, caption);
    if (!node)
        return;
    std::string charset = UpperAscii(TrimBlanks(GetHeaderParameter(type, "charset", nullptr, true)));
    charset = charset.substr(0, charset.find('*'));
    node->Section.Charset = charset;
    node->Section.Boundary = EnclosingBoundary();
    node->BodyFirst = bodyStart;
    node->BodyLast = BodyEnd;
    if (!keepTexts) {
        node->DecodedSize = DecodedSizeOf(rawBody, Part.TransferEncoding);
    } else if ((Mode & lmBodiesInPlace) &&
               TextIsBodyAsItStands(rawBody, Part.TransferEncoding,
                                    RawMode || kind == nkTextRtf ? std::string() : charset)) {
        node->DecodedSize = rawBody.size();
        node->Section.Kind = skNone;
        node->HoldText(nullptr, {rawBody});
    } else {
        std::string body = DecodeTransfer(rawBody, Part.TransferEncoding);
        node->DecodedSize = body.size();
        // The part's own text is converted first, so decrypted text spliced into it (already
        // converted from its own charset) is not converted a second time.
        if (!RawMode && kind != nkTextRtf && !charset.empty())
            body = CharsetTextToAnsi(std::move(body), MailServices().NormalizeCharsetName(charset));
        body = DecodeArmoredBlocks(std::move(body), *node);
        if (kind == nkTextPlain)
            body = RejoinArmorLines(std::move(body));
        node->Text = std::move(body);
    }
    const bool inAlternative = EnclosingKind == nkAlternative;
    const bool outermostLevel = node->Section.Level == 0;
    if (BodyNode < 0) {
        if (!inAlternative || outermostLevel)
            BodyNode = node->Index;
    } else if (!GetSection(BodyNode)->HasText() ||
               (inAlternative && outermostLevel && (Mode & lmPreferFormatted) && kind >= nkTextHtml)) {
        BodyNode = node->Index;
    }
}

// ---- Views of the loaded tree --------------------------------------------------------------------

std::string TMimeMsgTree::GetHeaderLines() const
{
    const TSectionNode* first = GetSection(0);
    if (!first)
        return {};
    std::string lines;
    for (const char* name : {"Date:", "From:", "To:", "Cc:", "Bcc:", "Subject:", "Reply-to:"}) {
        const THeaderData value = GetHeaderValue(name, first->Section, false);
        if (value.Start > 0)
            lines += first->Section.Str().substr(value.Start - 1, value.Length) + "\r\n";
    }
    return DecodeEncodedWords(lines);
}

std::string TMimeMsgTree::GetAttachmentList() const
{
    if (AttachmentCount == 0)
        return {};
    const bool wide = (Mode & lmWide) != 0;
    std::string list;
    for (int i = 1; i < SectionCount(); ++i) {
        const TSectionNode& node = *Nodes[i];
        std::string item;
        if (node.NodeKind == nkOther || node.NodeKind == nkAttachment)
            item = node.Caption;
        else if (node.NodeKind == nkMessage)
            item = DecodeEncodedWords(GetHeaderValue("Subject:", node.Section, false).Str()) + " " +
                   TreeData.SubjectSuffix;
        else
            continue;
        // The caption is shortened, not the line: its line break must stay.
        if (wide) {
            std::string utf16 = ShortenText(Utf8TextToWide(item), 260);
            if (utf16.size() >= 2)
                utf16.resize(utf16.size() - 2);
            list += AsciiToWide("=> ") + utf16 + AsciiToWide("\r\n");
        } else {
            list += "=> " + ShortenText(Utf8TextToAnsi(item), 260) + "\r\n";
        }
    }
    if (wide)
        list.append(2, '\0');
    return list;
}

std::vector<std::string_view> TMimeMsgTree::SectionTextPieces() const
{
    std::vector<std::string_view> pieces;
    for (const auto& node : Nodes) {
        const std::vector<std::string_view> text = node->TextPieces();
        std::string ending; // the text's last four bytes, which decide the line breaks after it
        for (auto piece = text.rbegin(); piece != text.rend() && ending.size() < 4; ++piece)
            ending.insert(0, piece->substr(piece->size() - std::min<std::size_t>(piece->size(), 4 - ending.size())));
        if (ending.empty())
            continue;
        pieces.insert(pieces.end(), text.begin(), text.end());
        if (node->NodeKind == nkMessage || node->NodeKind == nkRawText) {
            pieces.emplace_back("\r\n\r\n");
            continue;
        }
        const std::string_view last(ending);
        const bool endsEmptyLine = last.size() >= 2 && last.substr(last.size() - 2) == "\n\n";
        const bool endsCrLfTwice = last == "\r\n\r\n";
        if (endsEmptyLine || endsCrLfTwice)
            continue;
        pieces.emplace_back(last.back() == '\n' ? "\r\n" : "\r\n\r\n");
    }
    return pieces;
}

std::string TMimeMsgTree::JoinSectionTexts() const
{
    const std::vector<std::string_view> pieces = SectionTextPieces();
    // Room for every piece at once: a long part is copied once.
    size_t size = 0;
    for (const std::string_view piece : pieces)
        size += piece.size();
    std::string joined;
    joined.reserve(size);
    for (const std::string_view piece : pieces)
        joined += piece;
    return joined;
}

bool TMimeMsgTree::BodyIsFormatted() const
{
    const uint32_t kind = GetSectionKind(BodyNode);
    return BodyNode >= 0 && (kind == nkTextHtml || kind == nkTextRtf);
}

TDateTime TMimeMsgTree::GetMessageDate() const
{
    const TSectionNode* first = GetSection(0);
    return first ? first->MessageDate : 0;
}

// ---- Node texts -----------------------------------------------------------------------------------

namespace {

std::string ForDisplay(const std::string& Utf8, bool Wide)
{
    return Wide ? Utf8TextToWide(Utf8) : Utf8TextToAnsi(Utf8);
}

} // namespace

namespace {

std::string DecodedHeaderText(const std::string& Raw)
{
    std::string value = DecodeEncodedWords(Raw);
    RemoveBackslashEscapes(value);
    return value;
}

} // namespace

std::string TSectionNode::HeaderValue(const char* Name) const
{
    if (NodeKind != nkMessage)
        return {};
    return DecodedHeaderText(GetHeaderValue(Name, Section, false).Str());
}

std::string TSectionNode::GetFrom() const { return MailServices().DecodeIdnText(HeaderValue("From:")); }
std::string TSectionNode::GetTo() const { return MailServices().DecodeIdnText(HeaderValue("To:")); }
std::string TSectionNode::GetSubject() const { return HeaderValue("Subject:"); }
std::string TSectionNode::GetReplyTo() const { return MailServices().DecodeIdnText(HeaderValue("Reply-to:")); }

std::string TSectionNode::GetDateText() const
{
    if (NodeKind != nkMessage || MessageDate == 0)
        return {};
    return MailServices().LocalDateTimeText(MessageDate);
}

std::string TSectionNode::GetSummaryText() const
{
    if (NodeKind != nkMessage)
        return {};
    const TMsgTreeData& data = Tree->TreeData;
    auto orUnknown = [&](const std::string& Value) { return Value.empty() ? data.UnknownValue : Value; };
    const std::string date = GetDateText();
    std::string summary = data.DateCaption + "\t" + orUnknown(date) + "\r\n";
    summary += data.FromCaption + "\t" + orUnknown(GetFrom()) + "\r\n";
    // Addresses are split before their words are decoded: a decoded comma is no separator.
    const std::string firstTo = FirstAddressEtAl(GetHeaderValue("To:", Section, false).Str());
    summary += data.ToCaption + "\t" + orUnknown(MailServices().DecodeIdnText(DecodedHeaderText(firstTo))) + "\r\n";
    summary += data.SubjectCaption + "\t" + orUnknown(GetSubject());
    const std::string replyTo = GetReplyTo();
    if (!replyTo.empty())
        summary += "\r\n" + data.ReplyToCaption + " " + replyTo;
    return summary + "\r\n\r\n";
}

std::string TMimeMsgTree::GetSummary() const
{
    const TSectionNode* first = GetSection(0);
    if (!first)
        return {};
    return ForDisplay(first->GetSummaryText(), (Mode & lmWide) != 0);
}

bool TMimeMsgTree::IsTextTypeNode(int Index) const
{
    const TSectionNode* node = GetSection(Index);
    if (!node || node->NodeKind != nkOther)
        return false;
    const std::string prefix = TreeData.DefaultTypeName + ": ";
    return StartsWithStr(prefix, node->Caption) && StartsWithText("text/", node->Caption.substr(prefix.size()));
}

namespace {

// Length counts the extension's point: the lists hold ".c", ".js", ".asc".
bool IsViewableIn(const std::string& Extension, std::size_t Length, const std::string& List)
{
    // The options list extensions with their point: ".c" has two characters, ".asc" four.
    const std::string dotted = !Extension.empty() && Extension[0] == '.' ? Extension : "." + Extension;
    return dotted.size() == Length && PosText(dotted, List) > 0;
}

} // namespace

bool TMimeMsgTree::IsViewableExt2(const std::string& Extension) const
{
    return IsViewableIn(Extension, 2, TreeData.ViewableExt2);
}

bool TMimeMsgTree::IsViewableExt3(const std::string& Extension) const
{
    return IsViewableIn(Extension, 3, TreeData.ViewableExt3);
}

bool TMimeMsgTree::IsViewableExt4(const std::string& Extension) const
{
    return IsViewableIn(Extension, 4, TreeData.ViewableExt4);
}

// ---- Editing for the encrypt road -------------------------------------------------------------------

TSectionNode* TMimeMsgTree::InsertNodeAfter(int After, uint32_t Kind)
{
    if (!GetSection(After) || SectionCount() >= MaxTreeNodes)
        return nullptr;
    // The new node goes behind After's whole subtree, so pre-order stays load order.
    int position = After + 1;
    while (position < SectionCount()) {
        int p = Nodes[position]->Parent;
        while (p >= 0 && p != After)
            p = Nodes[p]->Parent;
        if (p != After)
            break;
        ++position;
    }
    auto shift = [position](int& Index) {
        if (Index >= position)
            ++Index;
    };
    for (auto& node : Nodes) {
        shift(node->Index);
        shift(node->Parent);
        for (int& child : node->Children)
            shift(child);
    }
    shift(BodyNode);
    shift(SelectedSection);
    auto node = std::make_unique<TSectionNode>();
    node->Tree = this;
    node->Index = position;
    node->Parent = Nodes[After]->Parent;
    node->NodeKind = Kind;
    node->Section.Text = Nodes[After]->Section.Text;
    if (node->Parent >= 0) {
        std::vector<int>& siblings = Nodes[node->Parent]->Children;
        siblings.insert(std::find(siblings.begin(), siblings.end(), After) + 1, position);
    }
    Nodes.insert(Nodes.begin() + position, std::move(node));
    return Nodes[position].get();
}

void TMimeMsgTree::RemoveNode(int Index)
{
    TSectionNode* node = GetSection(Index);
    if (!node || !node->Children.empty())
        return;
    if (node->Parent >= 0) {
        std::vector<int>& siblings = Nodes[node->Parent]->Children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), Index), siblings.end());
    }
    Nodes.erase(Nodes.begin() + Index);
    auto shift = [Index](int& Value) {
        if (Value > Index)
            --Value;
        else if (Value == Index)
            Value = -1;
    };
    for (auto& other : Nodes) {
        shift(other->Index);
        shift(other->Parent);
        for (int& child : other->Children)
            shift(child);
    }
    shift(BodyNode);
    shift(SelectedSection);
}

void MirrorTree(const TMimeMsgTree& Tree, TMimeTreeViewAdapter& View)
{
    View.Clear();
    std::vector<uintptr_t> handles(Tree.SectionCount(), 0);
    for (int i = 0; i < Tree.SectionCount(); ++i) {
        const TSectionNode& node = *Tree.GetSection(i);
        const uintptr_t parent = node.Parent >= 0 ? handles[node.Parent] : 0;
        handles[i] = View.AddItem(parent, node.Caption, node.NodeKind, i);
    }
}
