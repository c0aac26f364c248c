// Commands, glyphs, tooltips and save names of the parts in the message-tree dialog.
#include "ui/dialogs/MsgTreeRules.h"

#include "mime/MailHost.h"
#include "mime/PartTexts.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int TooltipMessage = 364;
constexpr int TooltipHostFile = 365;
constexpr int TooltipSignature = 366;
constexpr int TooltipKey = 367;

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

uint32_t TextHash(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (const unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string WithoutExtension(const std::string& name)
{
    const std::string extension = FileExtensionOf(name);
    return name.substr(0, name.size() - extension.size());
}

std::string WithBackslash(const std::string& folder)
{
    return folder.empty() || folder.back() == '\\' ? folder : folder + '\\';
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool IsProtectedMultipart(const TSectionNode& node)
{
    return node.NodeKind == nkEncrypted || node.NodeKind == nkSigned || node.Section.Kind != skNone;
}

} // namespace

std::string FileExtensionOf(const std::string& fileName)
{
    const size_t point = fileName.find_last_of(".\\/");
    return point == std::string::npos || fileName[point] != '.' ? std::string() : fileName.substr(point);
}

bool IsMultipartNode(const TSectionNode& node)
{
    return node.NodeKind >= nkMultipart && node.NodeKind <= nkDigest;
}

bool IsHostMessageFile(const std::string& fileName)
{
    const std::string extension = Upper(FileExtensionOf(fileName));
    return extension == ".CNM" || extension == ".CNR" || extension == ".EML";
}

bool IsPictureAttachment(const TSectionNode& node, const TPictureTest& isPicture)
{
    return node.NodeKind == nkAttachment && isPicture && isPicture(FileExtensionOf(node.FileName));
}

TPartCommands PartCommandsOf(const TMimeMsgTree& tree, int index, const TPictureTest& isPicture)
{
    TPartCommands commands;
    const TSectionNode* node = tree.GetSection(index);
    if (!node)
        return { false, true, SaveGlyphPart };
    if (node->NodeKind == nkSignature && node->Section.Kind >= skSmimeEnveloped && node->Section.Kind <= skSmimeSignedData)
        commands.SaveGlyph = SaveGlyphCertificate;
    else if (node->NodeKind == nkMessage)
        commands.SaveGlyph = SaveGlyphMessage;
    switch (node->NodeKind) {
    case nkOther: commands.View = tree.IsTextTypeNode(index); break;
    case nkAttachment: {
        const std::string extension = FileExtensionOf(node->FileName).substr(0, 4);
        commands.View = tree.IsViewableExt2(extension) || tree.IsViewableExt3(extension)
            || tree.IsViewableExt4(extension) || IsPictureAttachment(*node, isPicture);
        break;
    }
    default: commands.View = node->NodeKind >= nkMessage && node->NodeKind <= nkTextOther; break;
    }
    commands.Save = !IsMultipartNode(*node);
    return commands;
}

int TooltipTextOf(const TSectionNode& node)
{
    if (node.NodeKind == nkMessage)
        return TooltipMessage;
    if (node.NodeKind == nkSignature && node.Section.Kind >= skPgpMimeEncrypted && node.Section.Kind <= skSmimeSignedData)
        return TooltipSignature;
    if (node.NodeKind == nkAttachment && IsHostMessageFile(node.FileName))
        return TooltipHostFile;
    if (node.NodeKind == nkAttachment && (node.Section.Kind == skPgpPublicKeyBlock || node.Section.Kind == skCertificate))
        return TooltipKey;
    return 0;
}

std::string SuggestedSaveName(const TMimeMsgTree& tree, int index)
{
    const TSectionNode* node = tree.GetSection(index);
    if (!node)
        return {};
    const std::string folder = WithBackslash(tree.TreeData.SaveFolder);
    if (node->NodeKind == nkMessage) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", TextHash(node->Text));
        return folder + hex + ".CNM";
    }
    // The part's name made safe for a file of its own, never with a folder.
    const std::string name = GetFileName(*node);
    if (IsHostMessageFile(name))
        return folder + WithoutExtension(name) + ".CNM";
    return name;
}

std::string AddressPartOf(const std::string& value)
{
    const size_t open = value.rfind('<');
    const size_t close = value.find('>', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos)
        return Trimmed(value);
    return Trimmed(value.substr(open + 1, close - open - 1));
}

std::string ShownNameOf(const std::string& value)
{
    const size_t open = value.rfind('<');
    std::string name = open == std::string::npos ? std::string() : Trimmed(value.substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name.empty() ? AddressPartOf(value) : name;
}

TSentLine SentLineOf(const TSectionNode& message, const TMsgTreeData& data, const std::string& ownAddress)
{
    const std::string from = message.GetFrom();
    const bool own = !ownAddress.empty() && Upper(AddressPartOf(from)) == Upper(ownAddress);
    // An undated message reads as unknown, as its summary does, not as empty parentheses.
    const std::string date = message.GetDateText();
    return { own ? data.ToCaption : data.FromCaption,
        ShownNameOf(own ? message.GetTo() : from) + " (" + (date.empty() ? data.UnknownValue : date) + ")" };
}

std::string MessageWithHostFlags(const TMimeMsgTree& tree, int index, const std::string& fileName)
{
    const TSectionNode* node = tree.GetSection(index);
    if (!node)
        return {};
    // A message node holds only its header; the file gets the whole message from its source.
    const std::string& source = node->Section.Str();
    const int32_t start = node->Section.Start;
    const int32_t limit = node->Section.Limit > 0 ? node->Section.Limit : static_cast<int32_t>(source.size());
    if (start < 1 || limit < start || static_cast<size_t>(limit) > source.size())
        return node->Text;
    const std::string message = source.substr(static_cast<size_t>(start - 1), static_cast<size_t>(limit - start + 1));
    const TSectionNode* next = tree.GetSection(index + 1);
    if (!next)
        return message;
    return WritePMFlagsHeader(message, IsMultipartNode(*next), IsProtectedMultipart(*next), false, false, fileName);
}
