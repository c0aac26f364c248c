// The part tree's display texts: a node's view text goes through the part-text renderers, so that
// HTML and RTF bodies reach viewers, exports and the mail client as readable text, never as markup.
#include "mime/MimeMsgTree.h"

#include "mime/MailServices.h"
#include "mime/PartFiles.h"
#include "mime/PartTexts.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"

namespace {

bool IsTextNodeKind(uint32_t Kind) { return Kind >= nkTextPlain && Kind <= nkTextOther; }

std::string RenderForDisplay(TSectionNode& Node)
{
    const uint32_t mode = Node.Tree->Mode;
    if ((mode & lmWide) == 0)
        return RenderAnsiText(Node.Text, Node);
    if ((mode & lmRelated) == 0)
        return RenderWideText(Node.Text, Node);
    if (Node.WithRelated && (Node.NodeKind == nkTextHtml || IsHtmlAttachment(Node))) {
        const std::string withPictures = GetHtmlWithRelated(Node);
        if (!withPictures.empty())
            return withPictures;
    }
    return RenderRichText(Node.Text, Node);
}

// An attached text file keeps its bytes as they came (saving writes them unchanged); shown, it is
// read in the charset its part names, as a body text is, not in the system's code page.
std::string AttachedTextForView(const TSectionNode& Node, bool Wide)
{
    const std::string type = GetHeaderValue("Content-Type:", Node.Section, false).Str();
    if (PosText("text/", type) != 1)
        return Node.Text;
    std::string charset = TrimBlanks(GetHeaderParameter(type, "charset", nullptr, true));
    charset = charset.substr(0, charset.find('*'));
    if (charset.empty())
        return Node.Text;
    const std::string utf8 = CharsetTextToUtf8(Node.Text, MailServices().NormalizeCharsetName(charset));
    return Wide ? Utf8TextToWide(utf8) : Utf8TextToAnsi(utf8);
}

} // namespace

std::string TSectionNode::GetViewText()
{
    const bool wide = (Tree->Mode & lmWide) != 0;
    if (NodeKind == nkMessage) {
        WithRelated = false;
        return wide ? Utf8TextToWide(DecodeEncodedWords(Text)) : Utf8TextToAnsi(DecodeEncodedWords(Text));
    }
    if (NodeKind == nkAttachment && !IsHtmlAttachment(*this))
        return AttachedTextForView(*this, wide);
    if (!IsTextNodeKind(NodeKind) && !IsHtmlAttachment(*this))
        return Text;
    std::string rendered = RenderForDisplay(*this);
    WithRelated = false;
    return rendered;
}

const TTextList& TMimeMsgTree::CollectBodyTexts(bool MarkRelated)
{
    Texts.clear();
    TSectionNode* body = GetSection(BodyNode);
    if (IsDigest || !body)
        return Texts;
    if (MarkRelated)
        body->WithRelated = true;
    Texts.push_back({body->GetViewText(), body->Index});
    // Then the text parts that follow the body at its own level and at every level above it.
    for (int node = BodyNode; node >= 0; node = Nodes[node]->Parent) {
        const int parent = Nodes[node]->Parent;
        if (parent < 0)
            break;
        const std::vector<int>& siblings = Nodes[parent]->Children;
        bool after = false;
        for (int sibling : siblings) {
            if (sibling == node) {
                after = true;
                continue;
            }
            const uint32_t kind = Nodes[sibling]->NodeKind;
            if (after && kind >= nkTextPlain && kind <= nkTextOther)
                Texts.push_back({Nodes[sibling]->GetViewText(), sibling});
        }
    }
    return Texts;
}
