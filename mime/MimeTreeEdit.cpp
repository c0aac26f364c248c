// MimeTreeEdit: the encrypt road's edits of a loaded part tree: encoded part bodies and the part
// headers written into the nodes before them, so the joined node texts form the new message.
#include "mime/MimeTreeEdit.h"
#include "mime/MailHost.h"
#include "mime/MailServices.h"
#include "foundation/StrUtil.h"

#include <algorithm>

namespace {

THeaderData HeaderOnly(const std::string& Header)
{
    THeaderData section = WholeTextSection(MakeSharedText(Header));
    section.Start = 0;
    return section;
}

std::string EncodeBody(std::string Body, const std::string& TransferEncoding)
{
    if (TransferEncoding == "base64")
        return EncodeBase64Body(Body);
    if (TransferEncoding == "quoted-printable")
        return EncodeQuotedPrintable(Body, "");
    return Body;
}

std::string ShownNameOf(const TSectionNode& Node) { return Node.FileName.empty() ? Node.Caption : Node.FileName; }

// The system's name for the type of a file, for a description line: the tree's default name when
// the system has none, and encoded words when it is not ASCII, since it goes into a header. The
// name is looked up decoded: the encrypt road's tree keeps names as they were written.
std::string DescriptionTypeName(const TSectionNode& Node, const std::string& FileName, const std::string& MediaType)
{
    std::string name = MailServices().FileTypeName(DecodeEncodedWords(FileName), MediaType);
    if (name.empty())
        name = Node.Tree->TreeData.DefaultTypeName;
    return TextHasNonAscii(name) ? EncodeQuotedPrintable(name, "UTF-8") : name;
}

TPartName PartNameOf(const TSectionNode& Node, const std::string& TypeName)
{
    return {ShownNameOf(Node), Node.Section.Charset, Node.ContentRef, TypeName};
}

// The part header in the node before node Index for its encoded body: the transfer encoding, the
// encryptor's flags, an attachment's encrypted-part header.
void WriteEncodedPartHeader(TMimeMsgTree& Tree, int Index, const std::string& TransferEncoding, bool PgpExtension,
                            uint32_t Flags)
{
    const TSectionNode* node = Tree.GetSection(Index);
    TSectionNode* before = Tree.GetSection(Index - 1);
    if (!before)
        return;
    if (node->NodeKind == nkAttachment) {
        const std::string& type = node->Section.ContentType;
        const std::string typeName =
            DescriptionTypeName(*node, ShownNameOf(*node), TrimBlanks(type.substr(0, type.find(';'))));
        const std::string part =
            BuildPgpEncryptedPart(PartNameOf(*node, typeName), PgpExtension, TransferEncoding, Flags);
        if (before->NodeKind == nkMessage)
            before->Text = MoveContentHeaders(before->Text, true, "", "") + "\r\n" + part;
        else if (before->NodeKind == nkRawText)
            before->Text = "--" + node->Section.Boundary + "\r\n" + part;
        return;
    }
    // The node's transfer encoding replaces whatever its header declared before.
    std::string header = before->Text;
    const THeaderData old = GetHeaderValue("Content-Transfer-Encoding:", HeaderOnly(header), false);
    if (old.Start > 0) {
        std::size_t end = old.Start - 1 + old.Length;
        if (end < header.size() && header[end] == '\r')
            ++end;
        if (end < header.size() && header[end] == '\n')
            ++end;
        header.erase(old.Start - 1, end - (old.Start - 1));
    }
    while (!header.empty() && (header.back() == '\r' || header.back() == '\n'))
        header.pop_back();
    header += "\r\nContent-Transfer-Encoding: " + TransferEncoding;
    header = MoveContentHeaders(header, false, "", before->Section.Charset);
    const THeaderData marker = GetHeaderValue("X-PM-Encryptor:", HeaderOnly(header), false);
    if (marker.Start > 0 && marker.Length > 0) {
        static const char hex[] = "0123456789ABCDEF";
        header[marker.Start - 1 + marker.Length - 1] = hex[Flags & 0xF];
    }
    before->Text = header;
}

} // namespace

int EncodeSectionBody(TMimeMsgTree& Tree, int Index, std::string Body, const std::string& TransferEncoding,
                      bool Signature, bool PgpExtension, uint32_t Flags)
{
    TSectionNode* node = Tree.GetSection(Index);
    if (!node)
        return -1;
    int last = Index;
    if (Signature) {
        const TPartName name =
            PartNameOf(*node, DescriptionTypeName(*node, ShownNameOf(*node) + ".sig", "application/pgp-signature"));
        const uint32_t kind = node->NodeKind;
        const std::string boundary = node->Section.Boundary;
        TSectionNode* header = Tree.InsertNodeAfter(Index, nkRawText);
        if (!header)
            return Index;
        header->Text = BuildPgpSignaturePart(boundary, name, kind);
        TSectionNode* signature = Tree.InsertNodeAfter(header->Index, nkAttachment);
        if (!signature)
            return header->Index;
        signature->Text = std::move(Body);
        last = signature->Index;
        if (signature->Text.empty()) {
            Tree.RemoveNode(last);
            last = header->Index;
        }
        node = Tree.GetSection(Index);
        node->SetText(EncodeBase64Body(node->WholeText()));
        return last;
    }
    // What the part held before, the plaintext of an encrypted one, does not stay behind in memory.
    node->SetText(EncodeBody(std::move(Body), TransferEncoding));
    WriteEncodedPartHeader(Tree, Index, TransferEncoding, PgpExtension, Flags);
    return last;
}

int EncodeSectionBody(TMimeMsgTree& Tree, int Index, std::shared_ptr<const void> Owner,
                      std::vector<std::string_view> Body, const std::string& TransferEncoding, bool PgpExtension,
                      uint32_t Flags)
{
    TSectionNode* node = Tree.GetSection(Index);
    if (!node)
        return -1;
    node->HoldText(std::move(Owner), std::move(Body));
    WriteEncodedPartHeader(Tree, Index, TransferEncoding, PgpExtension, Flags);
    return Index;
}
