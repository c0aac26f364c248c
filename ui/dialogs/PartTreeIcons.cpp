// Icons of the part tree: multiparts show a folder, texts and messages the icon of their file
// type, signatures the certificate icon of the system's crypto UI, attachments that of their type
// (a key or certificate block that of the armoured-key type when the system knows it).
#include "ui/dialogs/PartTreeIcons.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtilWin.h"
#include "mime/PartTexts.h"

namespace {

constexpr int SignatureIconId = 3421;

HICON TypeIcon(const std::string& fileName, const std::string& data = {})
{
    return GetFileSmallIcon(fileName, data, false, false);
}

HICON AttachmentIcon(const TSectionNode& node)
{
    if (node.Section.Kind == skPgpPublicKeyBlock || node.Section.Kind == skCertificate)
        if (HICON armored = GetDefaultIcon({}, {}, "PGP Armored File"))
            return armored;
    return TypeIcon("part" + GetFileExtension(node), node.Text);
}

HICON NodeIcon(const TSectionNode& node)
{
    switch (node.NodeKind) {
    case nkMultipart:
    case nkMixed:
    case nkRelated:
    case nkAlternative:
    case nkEncrypted:
    case nkSigned:
    case nkDigest: return TypeIcon("part.folder");
    case nkMessage:
    case nkTextPlain:
    case nkTextOther: return TypeIcon("part.txt");
    case nkTextHtml: return TypeIcon("part.htm");
    case nkTextRtf: return TypeIcon("part.rtf");
    case nkSignature: return LoadIconFromModule(GetSystemFolder() + "\\CryptUI.dll", SignatureIconId, 32, true);
    case nkAttachment: return AttachmentIcon(node);
    default: return nullptr;
    }
}

} // namespace

TPartTreeIcons::TPartTreeIcons(TComponent* owner)
    : images_(new T32BitImages(owner))
{
}

void TPartTreeIcons::AssignIcons(const TMimeMsgTree& tree, TColor background)
{
    // The icons keep their own transparency, so they suit the tree whatever colour scheme it gets
    // after this; the brush is the list's background where an icon has none.
    brush_.reset(CreateSolidBrush(ColorToRGB(background)));
    images_->InitList(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 2 * tree.SectionCount(),
        brush_.get(), true);
    indexes_.clear();
    for (int i = 0; i < tree.SectionCount(); ++i)
        indexes_.push_back(images_->AddIconImage(NodeIcon(*tree.GetSection(i)), true, true));
}

int TPartTreeIcons::ImageOf(int node) const
{
    return node >= 0 && node < static_cast<int>(indexes_.size()) ? indexes_[node] : -1;
}

TOwnedIcon TPartTreeIcons::GetIcon(int node) const
{
    const int index = ImageOf(node);
    return TOwnedIcon(index < 0 ? nullptr : ImageList_GetIcon(images_->Handle(), index, ILD_NORMAL), &DestroyIcon);
}
