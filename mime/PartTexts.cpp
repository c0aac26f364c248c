// PartTexts: display texts of body parts, the HTML rewrite for viewing without fetching anything,
// and the file names of parts and messages.
#include "mime/PartTexts.h"

#include "foundation/FileUtils.h"
#include "foundation/StrUtil.h"
#include "foundation/TidyText.h"
#include "foundation/TimeUtils.h"
#include "mime/MailServices.h"
#include "mime/MailUtils.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string LowerText(std::string Text)
{
    for (char& c : Text)
        c = LowerAsciiChar(c);
    return Text;
}

bool StartsWithNoCase(const std::string& Text, std::size_t At, const std::string& Lower)
{
    if (At + Lower.size() > Text.size())
        return false;
    for (std::size_t i = 0; i < Lower.size(); ++i)
        if (LowerAsciiChar(Text[At + i]) != Lower[i])
            return false;
    return true;
}

std::size_t FindNoCase(const std::string& Text, const std::string& Lower, std::size_t From)
{
    for (std::size_t i = From; i + Lower.size() <= Text.size(); ++i)
        if (StartsWithNoCase(Text, i, Lower))
            return i;
    return std::string::npos;
}

bool IsBlankByte(char C) { return static_cast<unsigned char>(C) <= ' '; }

// The '>' that ends the tag opened at From, quoted values skipped; npos when the tag never ends.
std::size_t TagEnd(const std::string& Html, std::size_t From)
{
    char quote = 0;
    for (std::size_t i = From; i < Html.size(); ++i) {
        const char c = Html[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string::npos;
}

// The value of attribute Name (lower case) inside one tag's text; Found tells a missing one apart.
std::string AttributeValue(const std::string& Tag, const std::string& Name, bool& Found)
{
    Found = false;
    std::size_t i = 0;
    while (i < Tag.size() && Tag[i] != ' ' && !IsBlankByte(Tag[i]))
        ++i; // the element name
    while (i < Tag.size()) {
        while (i < Tag.size() && (IsBlankByte(Tag[i]) || Tag[i] == '/'))
            ++i;
        const std::size_t nameStart = i;
        while (i < Tag.size() && !IsBlankByte(Tag[i]) && Tag[i] != '=' && Tag[i] != '>')
            ++i;
        const std::string name = LowerText(Tag.substr(nameStart, i - nameStart));
        while (i < Tag.size() && IsBlankByte(Tag[i]))
            ++i;
        std::string value;
        if (i < Tag.size() && Tag[i] == '=') {
            ++i;
            while (i < Tag.size() && IsBlankByte(Tag[i]))
                ++i;
            if (i < Tag.size() && (Tag[i] == '"' || Tag[i] == '\'')) {
                const std::size_t close = Tag.find(Tag[i], i + 1);
                const std::size_t end = close == std::string::npos ? Tag.size() : close;
                value = Tag.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const std::size_t start = i;
                while (i < Tag.size() && !IsBlankByte(Tag[i]) && Tag[i] != '>')
                    ++i;
                value = Tag.substr(start, i - start);
            }
        }
        if (name.empty() && i == nameStart)
            ++i;
        if (name == Name) {
            Found = true;
            return value;
        }
    }
    return {};
}

// Names and URLs go into the view's HTML as text: nothing in them may open a tag again.
std::string EscapeHtmlText(const std::string& Text, bool KeepAmpersands)
{
    std::string out;
    for (char c : Text) {
        switch (c) {
        case '&': out += KeepAmpersands ? "&" : "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A width or height is copied only as a number (or a percentage), never as markup.
std::string SizeValue(const std::string& Value)
{
    std::string out;
    for (char c : TrimBlanks(Value))
        if ((c >= '0' && c <= '9') || c == '%')
            out += c;
    return out;
}

std::string WithBase(const std::string& Reference, const std::string& BaseRef)
{
    return !Reference.empty() && Reference[0] == '/' ? BaseRef + Reference : Reference;
}

// The grey box that stands for a picture; empty for a tracking pixel or a picture without source.
std::string PictureBox(const std::string& Tag, const std::string& BaseRef, const std::string& FontFace)
{
    bool hasSrc = false, hasWidth = false, hasHeight = false;
    const std::string src = AttributeValue(Tag, "src", hasSrc);
    const std::string width = SizeValue(AttributeValue(Tag, "width", hasWidth));
    const std::string height = SizeValue(AttributeValue(Tag, "height", hasHeight));
    if (TrimBlanks(src).empty() || width == "1" || height == "1")
        return {};
    const std::string full = WithBase(TrimBlanks(src), BaseRef);
    const std::string name =
        DecodePercentEscapes(StartsWithNoCase(full, 0, "cid:") ? full : full.substr(full.rfind('/') + 1));
    std::string box = "<table border=\"0\" bgcolor=\"#DDDDDD\"><tr><td";
    if (hasWidth && hasHeight)
        box += " width=\"" + width + "\" height=\"" + height + "\"";
    box += " align=\"center\" valign=\"middle\">";
    const bool font = !FontFace.empty();
    if (font)
        box += "<font face=\"" + EscapeHtmlText(FontFace, false) + "\">";
    box += "[" + EscapeHtmlText(name, false) + "]";
    if (font)
        box += "</font>";
    return box + "</td></tr></table>";
}

// Inner content split into its text and the tags that close it ("<b>Home</b>" -> "<b>Home", "</b>").
std::pair<std::string, std::string> SplitTrailingTags(const std::string& Inner)
{
    std::size_t cut = Inner.size();
    for (;;) {
        std::size_t end = cut;
        while (end > 0 && IsBlankByte(Inner[end - 1]))
            --end;
        if (end == 0 || Inner[end - 1] != '>')
            break;
        const std::size_t open = Inner.rfind('<', end - 1);
        if (open == std::string::npos)
            break;
        cut = open;
    }
    return {Inner.substr(0, cut), Inner.substr(cut)};
}

bool IsElementStart(const std::string& Html, std::size_t At, const std::string& LowerName)
{
    if (!StartsWithNoCase(Html, At, LowerName))
        return false;
    const std::size_t next = At + LowerName.size();
    return next < Html.size() && (IsBlankByte(Html[next]) || Html[next] == '>' || Html[next] == '/');
}

std::string RewriteRange(const std::string& Html, const std::string& BaseRef, const std::string& FontFace)
{
    std::string out;
    std::size_t i = 0;
    while (i < Html.size()) {
        const std::size_t open = Html.find('<', i);
        if (open == std::string::npos)
            break;
        out.append(Html, i, open - i);
        const bool image = IsElementStart(Html, open, "<img");
        const bool link = IsElementStart(Html, open, "<a");
        if (!image && !link) {
            out += '<';
            i = open + 1;
            continue;
        }
        const std::size_t end = TagEnd(Html, open + 1);
        if (end == std::string::npos)
            return out + Html.substr(open);
        const std::string tag = Html.substr(open + 1, end - open - 1);
        if (image) {
            out += PictureBox(tag, BaseRef, FontFace);
            i = end + 1;
            continue;
        }
        bool hasHref = false;
        const std::string href = TrimBlanks(AttributeValue(tag, "href", hasHref));
        if (!hasHref) {
            out.append(Html, open, end + 1 - open);
            i = end + 1;
            continue;
        }
        const std::size_t close = FindNoCase(Html, "</a>", end + 1);
        if (close == std::string::npos)
            return out + Html.substr(open);
        if (href.empty() || href[0] != '#') {
            const auto [text, trailing] =
                SplitTrailingTags(RewriteRange(Html.substr(end + 1, close - end - 1), BaseRef, FontFace));
            out += text + " &lt;" + EscapeHtmlText(WithBase(href, BaseRef), true) + "&gt;" + trailing;
        }
        i = close + 4;
    }
    if (i < Html.size())
        out.append(Html, i);
    return out;
}

bool EndsWithLineBreak(const std::string& Text, bool Wide)
{
    if (Wide) {
        // The last character before the two-byte terminator.
        const std::size_t n = Text.size();
        return n >= 4 && Text[n - 4] == '\n' && Text[n - 3] == 0;
    }
    return !Text.empty() && (Text.back() == '\n' || Text.back() == '\r');
}

bool IsRtfText(const std::string& Text) { return StartsWithNoCase(Text, 0, "{\\rtf"); }

enum class TRenderKind { Plain, Html, Rtf };

TRenderKind RenderKindOf(const std::string& Text, const TSectionNode& Node)
{
    const bool html = Node.NodeKind == nkTextHtml || IsHtmlAttachment(Node);
    if (Node.NodeKind == nkTextRtf || (html && IsRtfText(Text)))
        return TRenderKind::Rtf;
    return html ? TRenderKind::Html : TRenderKind::Plain;
}

bool EndsInTwoNuls(const std::string& Text)
{
    return Text.size() >= 2 && Text.size() % 2 == 0 && Text[Text.size() - 1] == 0 && Text[Text.size() - 2] == 0;
}

std::string ViewHtml(const std::string& Text, const std::string& FontFace)
{
    std::string prepared;
    PrepareHtmlForView(Text, FontFace, true, prepared, false);
    return prepared;
}

std::string FaceOf(const TSectionNode& Node) { return Node.Tree ? Node.Tree->TreeData.FontFace : std::string(); }

std::string ExtensionOf(const std::string& Name)
{
    const std::size_t dot = Name.rfind('.');
    if (dot == std::string::npos || dot + 1 >= Name.size() || Name.find_first_of("\\/", dot) != std::string::npos)
        return {};
    return Name.substr(dot);
}

bool IsDeviceName(const std::string& Name)
{
    const std::string base = LowerText(Name.substr(0, Name.find('.')));
    for (const char* device : {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"})
        if (base == device)
            return true;
    return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

std::string CaptionName(const TSectionNode& Node)
{
    const std::size_t colon = Node.Caption.find(": ");
    return Utf8TextToAnsi(colon == std::string::npos ? Node.Caption : Node.Caption.substr(colon + 2));
}

} // namespace

// ---- Services ---------------------------------------------------------------------------------

std::string TPartTextServices::CleanHtml(const std::string& Html, const std::string&, bool, std::string& BaseHref)
{
    BaseHref.clear();
    return Html;
}

std::string TPartTextServices::PictureToRtf(const std::string&) { return {}; }

std::string TPartTextServices::EmbedRtfPictures(const std::string& Rtf, const TSectionPictureLookup&) { return Rtf; }

namespace {
TPartTextServices* boundServices = nullptr;
} // namespace

TPartTextServices& DefaultPartTextServices();

TPartTextServices& PartTextServices() { return boundServices ? *boundServices : DefaultPartTextServices(); }

void BindPartTextServices(TPartTextServices* Services) { boundServices = Services; }

// ---- Rendering --------------------------------------------------------------------------------

std::string RewriteHtmlForView(const std::string& Html, const std::string& BaseRef, const std::string& FontFace)
{
    return RewriteRange(Html, BaseRef, FontFace);
}

void PrepareHtmlForView(
    const std::string& Html, const std::string& FontFace, bool Replace, std::string& Out, bool Entities)
{
    std::string base;
    Out = PartTextServices().CleanHtml(Html, FontFace, Entities, base);
    if (Replace)
        Out = RewriteHtmlForView(Out, base, FontFace);
    if (Entities)
        Out = Utf8ToHtmlEntities(Out);
}

std::string RenderAnsiText(const std::string& Text, const TSectionNode& Node)
{
    if (EndsInTwoNuls(Text) && Node.NodeKind >= nkTextPlain && Node.NodeKind <= nkTextOther)
        return WideTextToLocaleText(Text);
    switch (RenderKindOf(Text, Node)) {
    case TRenderKind::Html: {
        const std::string plain = FormattedTextToPlain(ViewHtml(Text, {}), 0, 0);
        return plain.empty() ? Utf8TextToAnsi(Text) : plain;
    }
    case TRenderKind::Rtf: {
        const std::string plain = FormattedTextToPlain(Text, 0, 0);
        return plain.empty() ? Text : plain;
    }
    case TRenderKind::Plain: break;
    }
    return AnyTextToAnsi(Text);
}

std::string RenderWideText(const std::string& Text, const TSectionNode& Node)
{
    if (EndsInTwoNuls(Text) && Node.NodeKind >= nkTextPlain && Node.NodeKind <= nkTextOther)
        return Text;
    switch (RenderKindOf(Text, Node)) {
    case TRenderKind::Html: {
        const std::string wide = FormattedTextToPlain(ViewHtml(Text, {}), ftpWide, 0);
        return wide.empty() ? Utf8TextToWide(Text) : wide;
    }
    case TRenderKind::Rtf: {
        const std::string wide = FormattedTextToPlain(Text, ftpWide, 0);
        return wide.empty() ? Text : wide;
    }
    case TRenderKind::Plain: break;
    }
    // A body without a charset keeps its bytes at the load: UTF-8 there is read as UTF-8.
    return AnyTextToWide(Text);
}

std::string RenderRichText(const std::string& Text, const TSectionNode& Node)
{
    switch (RenderKindOf(Text, Node)) {
    case TRenderKind::Html: {
        const std::string rtf = FormattedTextToPlain(ViewHtml(Text, FaceOf(Node)), ftpRich, 0);
        return rtf.empty() ? Utf8TextToWide(Text) : rtf;
    }
    case TRenderKind::Rtf: {
        const std::string rtf = FormattedTextToPlain(Text, ftpRich, 0);
        return rtf.empty() ? AnsiTextToWide(Text) : rtf;
    }
    case TRenderKind::Plain: break;
    }
    return RenderWideText(Text, Node);
}

std::string RenderText(const TMimeMsgTree& Tree, const TTextList& List)
{
    std::string joined;
    for (const TTextItem& item : List) {
        const TSectionNode* node = Tree.GetSection(item.Node);
        std::string line = node ? RenderAnsiText(item.Text, *node) : item.Text;
        if (!EndsWithLineBreak(line, false))
            line += "\r\n";
        joined += line;
    }
    return joined;
}

std::string RenderWideText(const TMimeMsgTree& Tree, const TTextList& List)
{
    std::string joined;
    for (const TTextItem& item : List) {
        const TSectionNode* node = Tree.GetSection(item.Node);
        std::string line = node ? RenderWideText(item.Text, *node) : AnsiTextToWide(item.Text);
        const bool lineBreak = EndsWithLineBreak(line, true);
        if (EndsInTwoNuls(line))
            line.resize(line.size() - 2);
        if (!lineBreak)
            line += std::string("\r\0\n\0", 4);
        joined += line;
    }
    return joined.append(2, '\0');
}

// ---- Names and texts of a node -------------------------------------------------------------------

std::string MakeSafePartFileName(const std::string& Name)
{
    std::string safe = MakeValidFileName(Name);
    if (safe.size() > MaxPartFileName)
        safe.resize(MaxPartFileName);
    while (!safe.empty() && (safe.back() == '.' || IsBlankByte(safe.back())))
        safe.pop_back();
    if (IsDeviceName(safe))
        safe.insert(0, "_");
    return safe;
}

std::string GetFileName(const TSectionNode& Node)
{
    std::string name = CaptionName(Node);
    switch (Node.NodeKind) {
    case nkOther:
    case nkSignature:
    case nkAttachment:
        return MakeSafePartFileName(name);
    case nkMessage:
    case nkTextPlain:
    case nkTextOther:
        name = MakeSafePartFileName(name);
        return ExtensionOf(name).empty() ? name + ".txt" : name;
    case nkTextHtml:
    case nkTextRtf: {
        const std::size_t blank = name.rfind(' ');
        if (blank != std::string::npos)
            name.resize(blank);
        return MakeSafePartFileName(name) + (Node.NodeKind == nkTextHtml ? ".htm" : ".rtf");
    }
    default:
        return {};
    }
}

std::string GetFileExtension(const TSectionNode& Node)
{
    const std::string extension = LowerText(ExtensionOf(GetFileName(Node)));
    // Unnamed attachments are captioned with their MIME type; its subtype stands for the extension.
    if (!extension.empty() || (Node.NodeKind != nkAttachment && Node.NodeKind != nkOther))
        return extension;
    const std::string caption = Utf8TextToAnsi(Node.Caption);
    const std::size_t slash = caption.rfind('/');
    return slash == std::string::npos ? std::string() : "." + LowerText(caption.substr(slash + 1));
}

std::string GetMessageFileName(const TSectionNode& Node)
{
    if (Node.NodeKind != nkMessage)
        return {};
    TSystemTime time{};
    FillSystemTime(time, Node.MessageDate);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u-%02u-%02u-%02u", time.wYear, time.wMonth, time.wDay,
        time.wHour, time.wMinute, time.wSecond);
    return MakeSafePartFileName(Utf8TextToAnsi(Node.GetSubject())) + " (" + stamp + ")";
}

bool IsHtmlAttachment(const TSectionNode& Node)
{
    return Node.NodeKind == nkAttachment && GetFileExtension(Node).rfind(".htm", 0) == 0;
}

std::string GetContentRef(const TSectionNode& Node)
{
    return Node.ContentRef.empty() ? GetFileName(Node) : Node.ContentRef;
}

std::string GetSectionText(const TSectionNode& Node)
{
    const std::string& text = Node.Section.Str();
    const std::size_t limit = Node.Section.Limit > 0
        ? std::min(static_cast<std::size_t>(Node.Section.Limit), text.size())
        : text.size();
    const std::size_t start = Node.Section.Start > 0 ? static_cast<std::size_t>(Node.Section.Start) : 1;
    return start <= limit ? text.substr(start - 1, limit - start + 1) : std::string();
}
