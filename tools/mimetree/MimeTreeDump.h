// The part tree of a message as JSON lines, one object per node: what the mimetree tool prints
// and what the tree tests compare with Python's email package.
#pragma once
#include "mime/MimeMsgTree.h"
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

inline std::string NodeJson(const TMimeMsgTree& Tree, const TSectionNode& Node)
{
    const THeaderDataEx& s = Node.Section;
    std::string transfer;
    for (char c : s.TransferEncoding)
        if (c != ' ' && c != '\t')
            transfer += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return "{\"depth\": " + std::to_string(NodeDepth(Tree, Node)) + ", \"kind\": " + std::to_string(Node.NodeKind) +
           ", \"type\": " + JsonString(MediaTypeText(s.ContentType)) + ", \"charset\": " + JsonString(s.Charset) +
           ", \"transfer\": " + JsonString(transfer) + ", \"file\": " + JsonString(Node.FileName) +
           ", \"start\": " + std::to_string(s.Start) + ", \"length\": " + std::to_string(s.Length) +
           ", \"decoded\": " + std::to_string(Node.DecodedSize) + "}";
}

inline std::string TreeJson(const TMimeMsgTree& Tree)
{
    std::string out;
    for (int i = 0; i < Tree.SectionCount(); ++i)
        out += NodeJson(Tree, *Tree.GetSection(i)) + "\n";
    return out;
}
