// PartFiles: an HTML body and its related parts as temporary files, and the "cid:" references
// of the body pointed at them.
#include "mime/PartFiles.h"

#include "foundation/FileUtils.h"
#include "foundation/StrUtil.h"
#include "mime/MailServices.h"
#include "mime/PartTexts.h"

namespace {

bool StartsWithNoCase(const std::string& Text, std::size_t At, const char* Lower)
{
    for (std::size_t i = 0; Lower[i] != 0; ++i)
        if (At + i >= Text.size() || LowerAsciiChar(Text[At + i]) != Lower[i])
            return false;
    return true;
}

std::size_t FindNoCase(const std::string& Text, const char* Lower, std::size_t From, std::size_t Limit)
{
    const std::size_t length = std::char_traits<char>::length(Lower);
    for (std::size_t i = From; i + length <= Limit; ++i)
        if (StartsWithNoCase(Text, i, Lower))
            return i;
    return std::string::npos;
}

bool IsBlankByte(char C) { return static_cast<unsigned char>(C) <= ' '; }

std::size_t SkipBlanks(const std::string& Text, std::size_t At, std::size_t Limit)
{
    while (At < Limit && IsBlankByte(Text[At]))
        ++At;
    return At;
}

std::string BareFileName(const std::string& FileName)
{
    const std::size_t separator = FileName.find_last_of("\\/");
    return separator == std::string::npos ? FileName : FileName.substr(separator + 1);
}

std::string FolderOf(const std::string& FileName)
{
    const std::size_t separator = FileName.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : FileName.substr(0, separator + 1);
}

bool IsRtfText(const std::string& Text) { return StartsWithNoCase(Text, 0, "{\\rtf"); }

bool IsBodyKind(uint32_t Kind) { return Kind >= nkTextHtml && Kind <= nkTextOther; }

// The text is built anew at its final size and the old one burnt: it may be a decrypted body.
void ReplaceAll(std::string& Text, const std::string& From, const std::string& To)
{
    std::vector<std::size_t> found;
    for (std::size_t at = Text.find(From); at != std::string::npos; at = Text.find(From, at + From.size()))
        found.push_back(at);
    if (found.empty() || From.empty())
        return;
    std::string replaced;
    replaced.reserve(Text.size() - found.size() * From.size() + found.size() * To.size());
    std::size_t from = 0;
    for (const std::size_t at : found) {
        replaced.append(Text, from, at - from).append(To);
        from = at + From.size();
    }
    replaced.append(Text, from);
    BurnString(Text);
    Text.swap(replaced);
}

} // namespace

// ---- TFileSections --------------------------------------------------------------------------------

TFileSections::TFileSections(TSectionNode& Node, bool Rtf)
{
    TPartTextServices& services = PartTextServices();
    AddFile(GetContentRef(Node), Node.Text, services.TempFolder() + GetFileName(Node));
    if (Node.NodeKind == nkTextHtml)
        AddRelatedParts(Node, Rtf);
    const TCIDList references(Node, Rtf, this);
    if (Rtf) {
        // Without an HTML converter the body stays HTML, which must not reach the embedding as
        // if it were RTF (that would take it for a picture file name).
        mainText_ = IsRtfText(references.BodyText())
            ? services.EmbedRtfPictures(references.BodyText(), GetCount() > 1 ? PictureLookup() : nullptr)
            : references.BodyText();
        for (int i = 0; i < GetCount(); ++i)
            SetUsed(i);
    } else {
        // The saved body keeps the bytes the load left, rather than being converted to ANSI: a
        // body that came without a charset may declare its own in a meta element, which a browser
        // opening the file obeys, and characters outside the ANSI code page would be lost.
        mainText_ = references.ReplaceReferences();
    }
    if (mainText_.empty())
        mainText_ = Content(0);
    DropUnusedFiles();
}

void TFileSections::AddFile(const std::string& ContentRef, const std::string& Content, const std::string& FileName)
{
    auto item = std::make_unique<TFSItem>();
    item->Content = Content;
    item->FileName = FileName;
    items_.push_back(std::move(item));
    AddObject(ContentRef, items_.back().get());
    maxFileName_ = std::max(maxFileName_, FileName.size());
}

void TFileSections::AddRelatedParts(const TSectionNode& Node, bool Rtf)
{
    TMimeMsgTree* tree = Node.Tree;
    const TSectionNode* parent = tree ? tree->GetSection(Node.Parent) : nullptr;
    if (!parent || !IsBodyKind(Node.NodeKind))
        return;
    // The related parts follow the body, or follow the alternative part the body belongs to.
    const TSectionNode* anchor = &Node;
    if (parent->NodeKind == nkAlternative) {
        anchor = parent;
        parent = tree->GetSection(parent->Parent);
        if (!parent)
            return;
    }
    if (parent->NodeKind != nkMixed && parent->NodeKind != nkRelated)
        return;
    TPartTextServices& services = PartTextServices();
    bool after = false;
    for (int index : parent->Children) {
        if (index == anchor->Index) {
            after = true;
            continue;
        }
        const TSectionNode* sibling = tree->GetSection(index);
        if (!after || !sibling || sibling->NodeKind != nkAttachment || sibling->Text.empty())
            continue;
        std::string content = Rtf ? services.PictureToRtf(sibling->Text) : sibling->Text;
        TBurnOnExit burnContent(content);
        if (content.empty())
            continue;
        AddFile(GetContentRef(*sibling), content, services.NewTempFileName(GetFileExtension(*sibling)));
    }
}

void TFileSections::DropUnusedFiles()
{
    for (int i = GetCount() - 1; i >= 1; --i) {
        if (UsedFlag(i) != 0)
            continue;
        TFSItem* item = &Item(i);
        Delete(i);
        std::erase_if(items_, [item](const std::unique_ptr<TFSItem>& owned) { return owned.get() == item; });
    }
}

TSectionPictureLookup TFileSections::PictureLookup()
{
    return [this](const std::string& ContentRef, std::string& PictureGroup) {
        const int index = IndexOf(ContentRef);
        if (index < 1 || Content(index).empty())
            return false;
        SetUsed(index);
        PictureGroup = Content(index);
        return true;
    };
}

bool TFileSections::SaveFiles(const std::string& FileName)
{
    if (mainText_.empty())
        return false;
    TPartTextServices& services = PartTextServices();
    const std::string folder = FolderOf(FileName);
    std::string main = mainText_;
    TBurnOnExit burnMain(main);
    std::vector<std::string> targets;
    for (int i = 1; i < GetCount(); ++i) {
        // Beside the saved body, so that its bare-name references find the files.
        const std::string bare = BareFileName(this->FileName(i));
        std::string target = folder + bare;
        for (int n = 1; services.FileExists(target) && target != this->FileName(i); ++n)
            target = NumberedFileName(folder + bare, n);
        if (BareFileName(target) != bare)
            ReplaceAll(main, bare, BareFileName(target));
        targets.push_back(target);
    }
    if (!services.WriteFile(FileName, main))
        return false;
    bool written = true;
    for (int i = 1; i < GetCount(); ++i)
        written = services.WriteFile(targets[i - 1], Content(i)) && written;
    return written;
}

// ---- TCIDList ---------------------------------------------------------------------------------------

TCIDList::TCIDList(const TSectionNode& Node, bool Rtf, TFileSections* Sections)
    : TCIDList(Node.Text, Rtf, Sections)
{
}

TCIDList::TCIDList(const std::string& Text, bool Rtf, TFileSections* Sections)
    : rtf_(Rtf ? 1 : 0), text_(Text), sections_(Sections)
{
    if (!Rtf) {
        ScanHtml();
        return;
    }
    if (!IsRtfText(text_)) {
        std::string base;
        std::string cleaned = PartTextServices().CleanHtml(text_, {}, false, base);
        TBurnOnExit burnCleaned(cleaned);
        std::string rtf = MailServices().HtmlToRtf(cleaned, 0);
        BurnString(text_);
        text_ = std::move(rtf);
    }
    ScanRtf();
}

void TCIDList::ScanHtml()
{
    for (std::size_t at = FindNoCase(text_, "<img", 0, text_.size()); at != std::string::npos;
        at = FindNoCase(text_, "<img", at + 4, text_.size())) {
        if (at + 4 >= text_.size() || !IsBlankByte(text_[at + 4]))
            continue;
        const std::size_t close = text_.find('>', at);
        const std::size_t tagEnd = close == std::string::npos ? text_.size() : close;
        const std::size_t src = FindNoCase(text_, "src=", at, tagEnd);
        if (src == std::string::npos)
            continue;
        std::size_t p = SkipBlanks(text_, src + 4, tagEnd);
        const char quote = p < tagEnd && (text_[p] == '"' || text_[p] == '\'') ? text_[p] : 0;
        if (quote != 0)
            ++p;
        if (!StartsWithNoCase(text_, p, "cid:"))
            continue;
        const std::size_t prefix = p;
        p += 4;
        std::size_t end = p;
        if (quote != 0) {
            end = text_.find(quote, p);
            if (end == std::string::npos)
                end = text_.size();
        } else {
            while (end < text_.size() && !IsBlankByte(text_[end]) && text_[end] != '>')
                ++end;
        }
        std::size_t last = end;
        while (last > p && (IsBlankByte(text_[last - 1]) || text_[last - 1] == '>'))
            --last;
        if (last > p)
            items_.push_back({DecodePercentEscapes(text_.substr(p, last - p)), static_cast<int32_t>(prefix + 1),
                static_cast<int32_t>(last)});
    }
}

void TCIDList::ScanRtf()
{
    for (std::size_t at = text_.find("\\fldinst"); at != std::string::npos; at = text_.find("\\fldinst", at + 8)) {
        std::size_t p = at + 8;
        while (p < text_.size() && (IsBlankByte(text_[p]) || text_[p] == '{'))
            ++p;
        if (!StartsWithNoCase(text_, p, "includepicture"))
            continue;
        p = SkipBlanks(text_, p + 14, text_.size());
        const bool quoted = p < text_.size() && text_[p] == '"';
        if (quoted)
            ++p;
        const std::size_t start = p;
        if (StartsWithNoCase(text_, p, "cid:"))
            p += 4;
        std::size_t end = p;
        while (end < text_.size() &&
               (quoted ? text_[end] != '"' : !IsBlankByte(text_[end]) && text_[end] != '}' && text_[end] != '\\'))
            ++end;
        if (end > p)
            items_.push_back({DecodePercentEscapes(text_.substr(p, end - p)), static_cast<int32_t>(start + 1),
                static_cast<int32_t>(end)});
    }
}

std::string TCIDList::ReplaceReferences() const
{
    if (!sections_)
        return text_;
    // The references in text order, each with its file's bare name; one that lies inside the one
    // before (a "<img" inside a quoted reference) is no reference of its own.
    std::vector<std::pair<const TCIDItem*, std::string>> replaced;
    std::size_t size = text_.size();
    int32_t previousEnd = 0;
    for (const TCIDItem& item : items_) {
        const int index = sections_->IndexOf(item.Reference);
        if (index < 1 || item.StartPos <= previousEnd)
            continue;
        replaced.emplace_back(&item, BareFileName(sections_->FileName(index)));
        size += replaced.back().second.size();
        previousEnd = item.EndPos;
        sections_->SetUsed(index);
    }
    // Built at its final size: no growing copy of the body is let go unburnt.
    std::string text;
    text.reserve(size);
    std::size_t from = 0;
    for (const auto& [item, name] : replaced) {
        text.append(text_, from, item->StartPos - 1 - from).append(name);
        from = item->EndPos;
    }
    text.append(text_, from);
    return text;
}

// ---- Node helpers ---------------------------------------------------------------------------------

std::string GetHtmlWithRelated(TSectionNode& Node)
{
    if (Node.NodeKind != nkTextHtml && Node.NodeKind != nkTextRtf)
        return {};
    TFileSections sections(Node, true);
    if (sections.GetCount() <= 1)
        Node.WithRelated = false;
    return sections.MainText();
}

bool SaveHtmlFiles(TSectionNode& Node, const std::string& FileName)
{
    if (Node.NodeKind != nkTextHtml)
        return false;
    TFileSections sections(Node, false);
    return sections.SaveFiles(FileName);
}
