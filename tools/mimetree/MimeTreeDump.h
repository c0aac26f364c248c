// The part tree of a message as JSON lines, one object per node: what the mimetree tool prints
// and what the tree tests compare with Python's email package.
#pragma once
#include "mime/MimeMsgTree.h"
#include "tools/mimetree/Sha256.h"
#include <algorithm>
#include <cstdio>
#include <string>

inline std::string JsonString(const std::string& Text)
{
    std::string out = "\"";
    for (unsigned char c : Text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Media type without parameters, lower-cased.
inline std::string MediaTypeText(const std::string& ContentType)
{
    std::string type = ContentType.substr(0, ContentType.find(';'));
    std::string out;
    for (char c : type)
        if (c != ' ' && c != '\t')
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return out;
}

inline int NodeDepth(const TMimeMsgTree& Tree, const TSectionNode& Node)
{
    int depth = 0;
    for (int p = Node.Parent; p >= 0; p = Tree.GetSection(p)->Parent)
        ++depth;
    return depth;
}

inline std::string LowerWithoutBlanks(const std::string& Text)
{
    std::string out;
    for (char c : Text)
        if (c != ' ' && c != '\t')
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return out;
}

inline bool IsLeafNode(const TSectionNode& Node)
{
    return Node.NodeKind == nkOther || Node.NodeKind >= nkSignature;
}

inline bool IsMultipartNode(const TSectionNode& Node)
{
    return Node.NodeKind >= nkMultipart && Node.NodeKind <= nkDigest;
}

// A leaf's content as its transfer encoding gives it (before any charset conversion).
inline std::string DecodedContent(const TSectionNode& Node)
{
    const std::string& text = Node.Section.Str();
    const int32_t first = std::max(Node.BodyFirst, 1);
    const int32_t last = std::min<int64_t>(Node.BodyLast, static_cast<int64_t>(text.size()));
    const std::string body = last >= first ? text.substr(first - 1, last - first + 1) : std::string();
    const std::string encoding = LowerWithoutBlanks(Node.Section.TransferEncoding);
    if (Node.NodeKind == nkSignature)
        return body;
    if (encoding == "base64")
        return DecodeBase64Body(body);
    if (encoding == "quoted-printable")
        return DecodeQuotedPrintable(body, false);
    return body;
}

// The parts of a multipart: an embedded message's node stands beside its content, so each
// message node among the children is one part together with the node after it.
inline std::size_t PartCount(const TMimeMsgTree& Tree, const TSectionNode& Node)
{
    std::size_t messages = 0;
    for (int child : Node.Children)
        messages += Tree.GetSection(child)->NodeKind == nkMessage;
    return Node.Children.size() - messages;
}

inline std::string NodeJson(const TMimeMsgTree& Tree, const TSectionNode& Node)
{
    const THeaderDataEx& s = Node.Section;
    std::string json = "{\"depth\": " + std::to_string(NodeDepth(Tree, Node)) +
                       ", \"kind\": " + std::to_string(Node.NodeKind) + ", \"type\": " +
                       JsonString(MediaTypeText(s.ContentType)) + ", \"charset\": " + JsonString(s.Charset) +
                       ", \"transfer\": " + JsonString(LowerWithoutBlanks(s.TransferEncoding)) +
                       ", \"file\": " + JsonString(Node.FileName) + ", \"start\": " + std::to_string(s.Start) +
                       ", \"length\": " + std::to_string(s.Length);
    if (IsLeafNode(Node)) {
        const std::string content = DecodedContent(Node);
        json += ", \"decoded\": " + std::to_string(content.size()) + ", \"sha256\": " + JsonString(Sha256Hex(content));
    } else {
        json += ", \"decoded\": " + std::to_string(Node.DecodedSize);
    }
    if (IsMultipartNode(Node))
        json += ", \"children\": " + std::to_string(PartCount(Tree, Node));
    return json + "}";
}

inline std::string TreeJson(const TMimeMsgTree& Tree)
{
    std::string out;
    for (int i = 0; i < Tree.SectionCount(); ++i)
        out += NodeJson(Tree, *Tree.GetSection(i)) + "\n";
    return out;
}
