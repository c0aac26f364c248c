// Reading protected text and addresses out of an editor control: the selection or the whole text,
// classified by the message model and, when it does not recognise it, by a scan of the part tree.
#include "plugin/TERInterface.h"

#include "foundation/ZAVEKCommon.h"
#include "mime/MailUtils.h"
#include "mime/MimeMsgTree.h"

namespace {

uint32_t ProtectedKind(TMimeMsgTree& tree, const std::string& text)
{
    THeaderData found;
    const uint32_t kind = FindSecureSection(BorrowSharedText(text), found);
    if (kind != skNone)
        return kind;
    tree.Reset();
    tree.LoadMessage(text, 1, lmScanOnly, 0);
    return tree.SecureKind;
}

bool IsSignedKind(uint32_t kind)
{
    return kind == skCertificate || (kind >= skSmimeEnveloped && kind <= skSmimeSignedData);
}

} // namespace

uint32_t TTERInterface::GetEditorPgpText(HWND editor, TMimeMsgTree& tree, std::string& text, bool acceptSigned)
{
    text = GetSelectedText(editor, true, false);
    if (text.empty())
        text = GetSelectedText(editor, false, true);
    const uint32_t kind = text.empty() ? skNone : ProtectedKind(tree, text);
    if (kind == skNone || (IsSignedKind(kind) && !acceptSigned))
        text.clear();
    return kind;
}

uint32_t TTERInterface::GetEditorPgpWhole(HWND editor, TMimeMsgTree& tree, std::string& text, bool acceptSigned)
{
    text = GetSelectedText(editor, false, true);
    const uint32_t kind = text.empty() ? skNone : ProtectedKind(tree, text);
    if (kind == skNone || kind == skPgpPublicKeyBlock || (IsSignedKind(kind) && !acceptSigned))
        text.clear();
    return kind;
}

std::string TTERInterface::GetSelectedAddress(HWND editor, bool& found)
{
    found = false;
    const std::string selection = GetSelectedText(editor, true, false);
    if (selection.find('@') != std::string::npos)
        return EmailOfUserID(selection);
    const std::string keyID = NormalizeKeyIDText(selection);
    found = !keyID.empty();
    return keyID;
}
