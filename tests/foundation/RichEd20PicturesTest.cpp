// The RTF picture-construct scanner with a recording picture maker: plain INCLUDEPICTURE fields,
// "\sslinkpict" and shape constructs, link prefixes and escapes, the "wzDescription" fallback,
// "cid:" links from the message's parts, and constructs that cannot be taken apart.
#include "foundation/RichEd20Pictures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Makes "{\pict<link>" for every link except those beginning with "missing".
struct TRecordingMaker {
    std::vector<std::string> Links;
    std::string operator()(const std::string& Link)
    {
        Links.push_back(Link);
        return Link.rfind("missing", 0) == 0 ? std::string() : "{\\pict<" + Link + ">";
    }
};

std::string Rewrite(const std::string& Rtf, TRecordingMaker& Maker, const std::string& Prefix = {},
    const TSectionPictureLookup& Sections = {})
{
    return RewriteRtfPictures(Rtf, Prefix, Sections, [&](const std::string& Link) { return Maker(Link); });
}

const std::string Head = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard A ";
const std::string Tail = " B\\par}";
const std::string PicProp = "{\\*\\picprop{\\sp{\\sn wzDescription}{\\sv C:\\\\\\\\img\\\\\\\\d.png}}}";

TEST(RichEd20Pictures, FieldsBecomeEmbeddedPictures)
{
    struct {
        const char* Name;
        std::string Construct;
        std::string Replacement;
        std::vector<std::string> Links;
    } const cases[] = {
        { "quoted link, old picture replaced, its properties kept",
            "{\\field\\flddirty{\\*\\fldinst { INCLUDEPICTURE \"C:\\\\\\\\pics\\\\\\\\a.png\" \\\\* "
            "MERGEFORMAT }}"
            "{\\fldrslt {\\pict"
                + PicProp + "\\picw10\\pich10\\wmetafile8 0102}}}",
            "{\\pict<C:\\pics\\a.png>" + PicProp + "}", { "C:\\pics\\a.png" } },
        { "unquoted link ends at a blank", "{\\field{\\*\\fldinst INCLUDEPICTURE b.png \\\\d}{\\fldrslt }}",
            "{\\pict<b.png>}", { "b.png" } },
        { "unquoted link ends at a brace", "{\\field{\\*\\fldinst INCLUDEPICTURE c.png}{\\fldrslt x}}",
            "{\\pict<c.png>}", { "c.png" } },
        { "keyword case and formatting words before it",
            "{\\field{\\*\\fldinst {\\rtlch\\fcs1 \\af0 includepicture \"d.png\"}}{\\fldrslt }}",
            "{\\pict<d.png>}", { "d.png" } },
        { "escaped bytes in the link", "{\\field{\\*\\fldinst INCLUDEPICTURE \"caf\\'e9.png\"}{\\fldrslt }}",
            "{\\pict<caf\xE9.png>}", { "caf\xE9.png" } },
        { "sslinkpict construct",
            "{\\sslinkpict{\\field{\\*\\fldinst INCLUDEPICTURE \"e.png\"}{\\fldrslt{\\pict\\pngblip 00}}}}",
            "{\\pict<e.png>}", { "e.png" } },
        { "field inside a shape result",
            "{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn fLine}{\\sv 0}}}{\\shprslt{\\field{\\*\\fldinst "
            "INCLUDEPICTURE "
            "\"f.png\"}{\\fldrslt{\\pict"
                + PicProp + " 00}}}}}",
            "{\\pict<f.png>" + PicProp + "}", { "f.png" } },
        { "empty link: the picture's description",
            "{\\field{\\*\\fldinst INCLUDEPICTURE \"\"}{\\fldrslt{\\pict" + PicProp + " 00}}}",
            "{\\pict<C:\\img\\d.png>" + PicProp + "}", { "C:\\img\\d.png" } },
        { "a picture that cannot be made leaves the construct",
            "{\\field{\\*\\fldinst INCLUDEPICTURE \"missing.png\"}{\\fldrslt{\\pict 00}}}",
            "{\\field{\\*\\fldinst INCLUDEPICTURE \"missing.png\"}{\\fldrslt{\\pict 00}}}",
            { "missing.png" } },
        { "other fields stay", "{\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\fldrslt link}}",
            "{\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\fldrslt link}}", {} },
        { "a linked picture inside a hyperlink keeps the hyperlink",
            "{\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\fldrslt {\\field{\\*\\fldinst INCLUDEPICTURE "
            "\"g.png\"}"
            "{\\fldrslt{\\pict 00}}}}}",
            "{\\field{\\*\\fldinst HYPERLINK \"http://x/\"}{\\fldrslt {\\pict<g.png>}}}", { "g.png" } },
        { "binary data with braces is skipped",
            "{\\field{\\*\\fldinst INCLUDEPICTURE \"h.png\"}{\\fldrslt{\\pict\\bin3 }{} 00}}}",
            "{\\pict<h.png>}", { "h.png" } },
    };
    for (const auto& c : cases) {
        TRecordingMaker maker;
        EXPECT_EQ(Rewrite(Head + c.Construct + Tail, maker), Head + c.Replacement + Tail) << c.Name;
        EXPECT_EQ(maker.Links, c.Links) << c.Name;
    }
}

TEST(RichEd20Pictures, SeveralConstructsInOrder)
{
    const std::string one = "{\\field{\\*\\fldinst INCLUDEPICTURE \"1.png\"}{\\fldrslt }}";
    const std::string two = "{\\field{\\*\\fldinst INCLUDEPICTURE \"missing2.png\"}{\\fldrslt }}";
    const std::string three = "{\\field{\\*\\fldinst INCLUDEPICTURE \"3.png\"}{\\fldrslt }}";
    TRecordingMaker maker;
    EXPECT_EQ(Rewrite(Head + one + " x " + two + three + Tail, maker),
        Head + "{\\pict<1.png>} x " + two + "{\\pict<3.png>}" + Tail);
    EXPECT_EQ(maker.Links, (std::vector<std::string> { "1.png", "missing2.png", "3.png" }));
}

TEST(RichEd20Pictures, LinkPrefixCutsUpToTheSlashes)
{
    const std::string field = "{\\field{\\*\\fldinst INCLUDEPICTURE \"FILE:///C:/m/p.png\"}{\\fldrslt }}";
    TRecordingMaker maker;
    Rewrite(Head + field + Tail, maker, "file:");
    Rewrite(Head + field + Tail, maker, "http:");
    EXPECT_EQ(maker.Links, (std::vector<std::string> { "C:/m/p.png", "FILE:///C:/m/p.png" }));
}

TEST(RichEd20Pictures, ContentIdsFromTheMessageParts)
{
    const auto sections = [](const std::string& Ref, std::string& Group) {
        if (Ref != "part1@x")
            return false;
        Group = "{\\pict\\pngblip PREPARED ";
        return true;
    };
    const std::string known = "{\\field{\\*\\fldinst INCLUDEPICTURE \"cid:part1@x\"}{\\fldrslt }}";
    const std::string unknown = "{\\field{\\*\\fldinst INCLUDEPICTURE \"CID:other@x\"}{\\fldrslt }}";
    TRecordingMaker maker;
    EXPECT_EQ(Rewrite(Head + known + unknown + Tail, maker, {}, sections),
        Head + "{\\pict\\pngblip PREPARED }{\\pict<CID:other@x>}" + Tail);
    EXPECT_EQ(maker.Links, (std::vector<std::string> { "CID:other@x" })) << "only the unknown part is made";
}

TEST(RichEd20Pictures, WhatCannotBeTakenApartStaysAsItIs)
{
    TRecordingMaker maker;
    const std::string plain = Head + "no pictures" + Tail;
    EXPECT_EQ(Rewrite(plain, maker), plain);
    EXPECT_EQ(Rewrite("", maker), "");

    // The second construct is cut off: the first is rewritten, the rest is copied unchanged.
    const std::string first = "{\\field{\\*\\fldinst INCLUDEPICTURE \"1.png\"}{\\fldrslt }}";
    const std::string cut = " {\\field{\\*\\fldinst INCLUDEPICTURE \"2.png\"}{\\fldrslt {\\pict 00";
    EXPECT_EQ(Rewrite(Head + first + cut, maker), Head + "{\\pict<1.png>}" + cut);
    const std::string open = Head + "{\\field{\\*\\fldinst INCLUDEPICTURE \"3.png\"";
    EXPECT_EQ(Rewrite(open, maker), open);
    EXPECT_EQ(maker.Links, (std::vector<std::string> { "1.png" }));
}

// Hostile bodies nest fields deeply; the scan must stay linear (quadratic work here would take
// minutes, past the test's time limit).
TEST(RichEd20Pictures, DeepNestingStaysFast)
{
    constexpr int depth = 30000;
    std::string nested;
    for (int i = 0; i < depth; ++i)
        nested += "{\\field{\\*\\fldinst INCLUDEPICTURE missing}{\\fldrslt ";
    nested += "{\\pict 00}" + std::string(2 * depth, '}');
    std::string instructions;
    for (int i = 0; i < depth; ++i)
        instructions += "{\\fldinst ";
    instructions += std::string(depth, '}');
    std::string properties = "{\\field{\\*\\fldinst INCLUDEPICTURE \"\"}{\\fldrslt{\\pict{\\*\\picprop";
    for (int i = 0; i < depth; ++i)
        properties += "{\\sp{\\sn x}{\\sv y}}";
    properties += "}}}}";

    int made = 0;
    const auto nothing = [&](const std::string&) {
        ++made;
        return std::string();
    };
    for (const std::string& body : { nested, instructions, properties }) {
        const std::string rtf = Head + body + Tail;
        EXPECT_EQ(RewriteRtfPictures(rtf, {}, {}, nothing), rtf);
    }
    EXPECT_EQ(made, depth) << "each nested field asked once; an empty description asks nothing";
}

TEST(RichEd20Pictures, RecordsOfAConstruct)
{
    TRtfPictProps props;
    props.AddGroup("\\fldinst", { 10, 20 });
    props.AddGroup("\\field", { 5, 40 });
    props.AddGroup("\\pict", { 25, 35 });
    ASSERT_NE(props.GroupOf("\\pict"), nullptr);
    EXPECT_EQ(props.GroupOf("\\pict")->Start, 25u);
    EXPECT_EQ(props.GroupOf("\\shp"), nullptr);
    EXPECT_EQ(props.Outermost().Start, 5u);
    EXPECT_EQ(props.Outermost().End, 40u);

    TRBStringList pieces;
    pieces.Add("a");
    pieces.Add("");
    pieces.Add("bc");
    EXPECT_EQ(pieces.Joined(), "abc");
}

} // namespace

TEST(RichEd20Pictures, OnlyLinksThatStayBelowTheFolderMayBeOpened)
{
    for (const char* link : { "a.png", "pics\\a.png", "pics/sub/a.png", "icon\\a.png", "COM10.png", "...png" })
        EXPECT_TRUE(IsOpenablePictureLink(link)) << link;
    for (const char* link : { "", "\\\\host\\share\\x.png", "//host/share/x.png", "\\\\.\\pipe\\x", "\\\\?\\C:\\x.png",
             "\\x.png", "/x.png", "C:\\Users\\me\\x.png", "c:x.png", "file:///C:/x.png", "http://h/x.png",
             "a.png:stream", "..\\x.png", "pics/../../x.png", "CON", "nul.png", "pics\\Com1.gif", "LPT9 .png",
             "conout$" })
        EXPECT_FALSE(IsOpenablePictureLink(link)) << link;
}
