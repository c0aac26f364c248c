// The part tree's display texts: a node's view text goes through the part-text renderers, so that
// HTML and RTF bodies reach viewers, exports and the mail client as readable text, never as markup.
#include "mime/MimeMsgTree.h"

#include "mime/PartFiles.h"
#include "mime/PartTexts.h"

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

} // namespace

std::string TSectionNode::GetViewText()
{
    const bool wide = (Tree->Mode & lmWide) != 0;
    if (NodeKind == nkMessage) {
        WithRelated = false;
        return wide ? Utf8TextToWide(DecodeEncodedWords(Text)) : Utf8TextToAnsi(DecodeEncodedWords(Text));
    }
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
