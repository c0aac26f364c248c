// The RTF picture-construct scanner: one pass finds every group with its first control word, then
// each INCLUDEPICTURE field is taken apart from the inside out and replaced as a whole.

#include "foundation/RichEd20Pictures.h"

#include "foundation/RichEd20Text.h"
#include "foundation/StrTools.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t NoPos = std::string::npos;

struct TGroup {
    TRtfTextRange Range;
    int Parent = -1;
    std::string Word; // the first control word, when it comes before any text
    size_t Content = 0; // just after that control word and its delimiter
    int SubtreeEnd = 0; // index of the first group after this one's descendants
};

bool IsLetter(char C)
{
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
}

bool IsDigit(char C)
{
    return C >= '0' && C <= '9';
}

// A control word at Pos ('\' and letters, an optional signed number, an optional blank): its end,
// the word and the number.
size_t ReadControlWord(const std::string& Rtf, size_t Pos, std::string& Word, long& Number)
{
    size_t i = Pos + 1;
    while (i < Rtf.size() && IsLetter(Rtf[i]))
        ++i;
    Word = Rtf.substr(Pos + 1, i - Pos - 1);
    const size_t digits = i < Rtf.size() && Rtf[i] == '-' ? i + 1 : i;
    size_t end = digits;
    Number = 0;
    while (end < Rtf.size() && IsDigit(Rtf[end]) && end - digits < 9)
        Number = Number * 10 + (Rtf[end++] - '0');
    if (end == digits)
        end = i;
    else if (digits != i)
        Number = -Number;
    if (end < Rtf.size() && Rtf[end] == ' ')
        ++end;
    return end;
}

std::vector<TGroup> ScanGroups(const std::string& Rtf)
{
    std::vector<TGroup> groups;
    std::vector<int> open;
    std::vector<bool> settled; // per group: its first token has been seen
    const size_t size = Rtf.size();
    const auto settle = [&](const std::string* Word, size_t Content) {
        if (open.empty() || settled[open.back()])
            return;
        settled[open.back()] = true;
        if (Word) {
            groups[open.back()].Word = *Word;
            groups[open.back()].Content = Content;
        }
    };
    size_t i = 0;
    while (i < size) {
        const char c = Rtf[i];
        if (c == '{') {
            groups.push_back(TGroup { { i, NoPos }, open.empty() ? -1 : open.back(), {}, i + 1, 0 });
            open.push_back(static_cast<int>(groups.size() - 1));
            settled.push_back(false);
            ++i;
        } else if (c == '}') {
            if (!open.empty()) {
                groups[open.back()].Range.End = i;
                groups[open.back()].SubtreeEnd = static_cast<int>(groups.size());
                open.pop_back();
            }
            ++i;
        } else if (c == '\\' && i + 1 < size && IsLetter(Rtf[i + 1])) {
            std::string word;
            long number = 0;
            size_t end = ReadControlWord(Rtf, i, word, number);
            settle(&word, end);
            // Binary data may hold any byte, braces included.
            if (word == "bin" && number > 0)
                end = std::min(size, end + static_cast<size_t>(number));
            i = end;
        } else if (c == '\\') {
            // "\*" marks a destination and leaves the first control word to come.
            if (i + 1 < size && Rtf[i + 1] != '*')
                settle(nullptr, 0);
            i += i + 1 < size && Rtf[i + 1] == '\'' ? 4 : 2;
        } else {
            if (static_cast<unsigned char>(c) > 32)
                settle(nullptr, 0);
            ++i;
        }
    }
    for (int unclosed : open)
        groups[unclosed].SubtreeEnd = static_cast<int>(groups.size());
    return groups;
}

// Hostile texts may nest groups deeply: every search below stays inside one subtree and jumps over
// the subtrees it need not enter, so the scan as a whole stays linear.
class TGroupTree {
public:
    explicit TGroupTree(const std::string& Rtf)
        : rtf_(Rtf)
        , groups_(ScanGroups(Rtf))
    {
    }

    int Count() const { return static_cast<int>(groups_.size()); }
    const TGroup& operator[](int Index) const { return groups_[Index]; }
    bool Closed(int Index) const { return Index >= 0 && groups_[Index].Range.End != NoPos; }

    int ParentWith(int Index, const char* Word) const
    {
        const int parent = Index >= 0 ? groups_[Index].Parent : -1;
        return parent >= 0 && groups_[parent].Word == Word ? parent : -1;
    }

    // The first group with Word inside Outer that starts after From; groups inside a nested field
    // belong to that field and are passed over.
    int FindInside(int Outer, const char* Word, size_t From) const
    {
        if (!Closed(Outer))
            return -1;
        int k = Outer + 1;
        while (k < groups_[Outer].SubtreeEnd) {
            if (groups_[k].Range.Start > From && groups_[k].Word == Word)
                return k;
            k = groups_[k].Word == "field" ? groups_[k].SubtreeEnd : k + 1;
        }
        return -1;
    }

    // The first direct child of Outer with Word that starts after From.
    int ChildWith(int Outer, const char* Word, size_t From = 0) const
    {
        if (!Closed(Outer))
            return -1;
        for (int k = Outer + 1; k < groups_[Outer].SubtreeEnd; k = groups_[k].SubtreeEnd)
            if (groups_[k].Range.Start > From && groups_[k].Word == Word)
                return k;
        return -1;
    }

    int SubtreeEnd(int Index) const { return groups_[Index].SubtreeEnd; }

    // The group's text after its first control word, up to its closing brace.
    std::string Content(int Index) const
    {
        const TGroup& g = groups_[Index];
        return Closed(Index) ? rtf_.substr(g.Content, g.Range.End - g.Content) : std::string();
    }

private:
    const std::string& rtf_;
    std::vector<TGroup> groups_;
};

// Where the instruction's text begins: blanks, group braces and formatting words are passed over.
size_t InstructionStart(const std::string& Rtf, size_t Pos, size_t End)
{
    // Editors put a few formatting words there; a long run is no picture field's, and a nested
    // field or instruction begins a construct of its own.
    constexpr size_t Lookahead = 256;
    End = std::min(End, Pos + Lookahead);
    while (Pos < End) {
        const char c = Rtf[Pos];
        if (static_cast<unsigned char>(c) < 33 || c == '{') {
            ++Pos;
        } else if (c == '\\' && Pos + 1 < End && IsLetter(Rtf[Pos + 1])) {
            std::string word;
            long number = 0;
            const size_t next = ReadControlWord(Rtf, Pos, word, number);
            if (word == "field" || word == "fldinst")
                break;
            Pos = next;
        } else {
            break;
        }
    }
    return Pos;
}

// The argument of INCLUDEPICTURE in the instruction group: quoted, or up to a blank, a line break
// or '}'. Empty when the instruction is another field's.
bool IncludePictureLink(const std::string& Rtf, const TGroup& Instruction, std::string& Link)
{
    static const std::string keyword = "INCLUDEPICTURE";
    const size_t end = Instruction.Range.End;
    size_t pos = InstructionStart(Rtf, Instruction.Content, end);
    if (pos + keyword.size() > end || !TextMatchesAt(keyword, Rtf, static_cast<int>(pos) + 1))
        return false;
    pos += keyword.size();
    while (pos < end && (Rtf[pos] == ' ' || Rtf[pos] == '\t'))
        ++pos;
    size_t stop;
    if (pos < end && Rtf[pos] == '"') {
        ++pos;
        stop = std::min(Rtf.find('"', pos), end);
    } else {
        stop = pos;
        while (stop<end&& static_cast<unsigned char>(Rtf[stop])> 32 && Rtf[stop] != '}')
            ++stop;
    }
    Link = Rtf.substr(pos, stop - pos);
    return true;
}

// The text after the first run of '/' of a link that begins with Prefix (compared ignoring case).
std::string WithoutLinkPrefix(const std::string& Link, const std::string& Prefix)
{
    if (Prefix.empty() || !StartsWithText(Prefix, Link))
        return Link;
    size_t slash = Link.find('/');
    if (slash == NoPos)
        return Link;
    while (slash < Link.size() && Link[slash] == '/')
        ++slash;
    return Link.substr(slash);
}

std::string Trimmed(const std::string& S)
{
    size_t first = 0, end = S.size();
    while (first < end && static_cast<unsigned char>(S[first]) < 33)
        ++first;
    while (end > first && static_cast<unsigned char>(S[end - 1]) < 33)
        --end;
    return S.substr(first, end - first);
}

// The value of the shape property "wzDescription" inside a "\\picprop" group.
std::string PictureDescription(const TGroupTree& Tree, int PicProp)
{
    for (int name = PicProp + 1; Tree.Closed(PicProp) && name < Tree.SubtreeEnd(PicProp); ++name) {
        if (Tree[name].Word != "sn" || Trimmed(Tree.Content(name)) != "wzDescription")
            continue;
        const int property = Tree[name].Parent;
        const int value = Tree.ChildWith(property, "sv", Tree[name].Range.Start);
        return value >= 0 ? UnescapeRtfText(Tree.Content(value)) : std::string();
    }
    return {};
}

std::string PictureGroupFor(
    const std::string& Link, const TSectionPictureLookup& Sections, const TPictureGroupMaker& MakePicture)
{
    static const std::string cid = "cid:";
    if (Sections && StartsWithText(cid, Link)) {
        std::string group;
        if (Sections(Link.substr(cid.size()), group) && !group.empty())
            return group;
    }
    return MakePicture && !Link.empty() ? MakePicture(Link) : std::string();
}

// Records the groups around an instruction, from the inside out; false when they are not all closed.
bool RecordConstruct(const TGroupTree& Tree, int Instruction, TRtfPictProps& Props, int& Outer)
{
    Props.AddGroup("\\fldinst", Tree[Instruction].Range);
    Outer = Instruction;
    if (const int field = Tree.ParentWith(Instruction, "field"); field >= 0) {
        Props.AddGroup("\\field", Tree[field].Range);
        Outer = field;
        if (const int link = Tree.ParentWith(field, "sslinkpict"); link >= 0) {
            Props.AddGroup("\\sslinkpict", Tree[link].Range);
            Outer = link;
        } else if (const int result = Tree.ParentWith(field, "fldrslt");
                   Tree.ParentWith(result, "sslinkpict") >= 0) {
            Props.AddGroup("\\fldrslt", Tree[result].Range);
            Outer = Tree.ParentWith(result, "sslinkpict");
            Props.AddGroup("\\sslinkpict", Tree[Outer].Range);
        } else if (const int shapeResult = Tree.ParentWith(field, "shprslt");
                   Tree.ParentWith(shapeResult, "shp") >= 0) {
            const int shape = Tree.ParentWith(shapeResult, "shp");
            Props.AddGroup("\\shprslt", Tree[shapeResult].Range);
            if (const int instructions = Tree.ChildWith(shape, "shpinst"); instructions >= 0)
                Props.AddGroup("\\shpinst", Tree[instructions].Range);
            Props.AddGroup("\\shp", Tree[shape].Range);
            Outer = shape;
        }
    }
    return Tree.Closed(Outer);
}

} // namespace

int TRtfPictProps::AddGroup(const std::string& ControlWord, const TRtfTextRange& Range)
{
    ranges_.push_back(Range);
    return AddObject(ControlWord, &ranges_.back());
}

const TRtfTextRange* TRtfPictProps::GroupOf(const std::string& ControlWord) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (Get(i) == ControlWord)
            return static_cast<const TRtfTextRange*>(GetObject(i));
    return nullptr;
}

TRtfTextRange TRtfPictProps::Outermost() const
{
    TRtfTextRange outer { std::string::npos, 0 };
    for (const TRtfTextRange& range : ranges_)
        if (range.Start < outer.Start)
            outer = range;
    return outer;
}

std::string TRBStringList::Joined() const
{
    std::string text;
    for (int i = 0; i < GetCount(); ++i)
        text += Get(i);
    return text;
}

std::string RewriteRtfPictures(const std::string& Rtf, const std::string& LinkPrefix,
    const TSectionPictureLookup& Sections, const TPictureGroupMaker& MakePicture)
{
    const TGroupTree tree(Rtf);
    TRBStringList pieces;
    size_t copied = 0; // everything before this position is in pieces or replaced
    for (int g = 0; g < tree.Count(); ++g) {
        if (tree[g].Word != "fldinst" || tree[g].Range.Start < copied)
            continue;
        // A construct that cannot be taken apart ends the rewriting; the rest stays as it is.
        if (!tree.Closed(g))
            break;
        std::string link;
        if (!IncludePictureLink(Rtf, tree[g], link))
            continue;
        TRtfPictProps props;
        int outer = -1;
        if (!RecordConstruct(tree, g, props, outer))
            break;
        const int field = tree.ParentWith(g, "field");
        const int owner = field >= 0 ? field : outer;
        const int result = tree.FindInside(owner, "fldrslt", tree[g].Range.End);
        const int picture = tree.FindInside(result >= 0 ? result : owner, "pict", tree[g].Range.End);
        const int picProp
            = picture >= 0 ? tree.FindInside(picture, "picprop", tree[picture].Range.Start) : -1;
        if (result >= 0)
            props.AddGroup("\\fldrslt", tree[result].Range);
        if (picture >= 0)
            props.AddGroup("\\pict", tree[picture].Range);
        if (picProp >= 0)
            props.AddGroup("\\picprop", tree[picProp].Range);

        link = UnescapeRtfText(WithoutLinkPrefix(link, LinkPrefix));
        if (link.empty() && picProp >= 0)
            link = PictureDescription(tree, picProp);
        const std::string group = PictureGroupFor(link, Sections, MakePicture);
        if (group.empty())
            continue; // the construct stays as it was
        // The whole construct goes, so the new group needs only its own closing brace.
        const TRtfTextRange whole = props.Outermost();
        const TRtfTextRange* kept = props.GroupOf("\\picprop");
        pieces.Add(Rtf.substr(copied, whole.Start - copied));
        pieces.Add(
            group + (kept ? Rtf.substr(kept->Start, kept->End - kept->Start + 1) : std::string()) + "}");
        copied = whole.End + 1;
    }
    if (pieces.GetCount() == 0)
        return Rtf;
    pieces.Add(Rtf.substr(copied));
    return pieces.Joined();
}

namespace {

bool IsDeviceName(std::string part)
{
    // A device answers to its name whatever extension or trailing blanks follow it.
    part = part.substr(0, part.find('.'));
    while (!part.empty() && part.back() == ' ')
        part.pop_back();
    std::transform(part.begin(), part.end(), part.begin(), [](unsigned char c) { return static_cast<char>(toupper(c)); });
    static const char* const names[] = { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$" };
    if (std::find(std::begin(names), std::end(names), part) != std::end(names))
        return true;
    return part.size() == 4 && (part.compare(0, 3, "COM") == 0 || part.compare(0, 3, "LPT") == 0)
        && part[3] >= '0' && part[3] <= '9';
}

} // namespace

bool IsOpenablePictureLink(const std::string& Link)
{
    if (Link.empty() || Link[0] == '\\' || Link[0] == '/' || Link.find(':') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= Link.size()) {
        const size_t end = std::min(Link.find_first_of("\\/", start), Link.size());
        const std::string part = Link.substr(start, end - start);
        if (part == ".." || IsDeviceName(part))
            return false;
        start = end + 1;
    }
    return true;
}
