// Tests of the part texts and files: the HTML rewrite for viewing (pictures, links, hostile
// names), part and message file names, cid references and the files of a related HTML body.
#include "mime/PartFiles.h"
#include "mime/PartTexts.h"
#include "FakeMailServices.h"
#include "support/FreedTextWatch.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

// Records writes in memory and hands out predictable temporary names.
class TMemoryPartServices : public TPartTextServices {
public:
    std::map<std::string, std::string> Files;
    int Counter = 0;
    std::string TempFolder() override { return "T/"; }
    std::string NewTempFileName(const std::string& Ext) override
    {
        return "T/$00000" + std::to_string(++Counter) + "$" + Ext;
    }
    std::string PictureToRtf(const std::string& Picture) override { return "{\\pict " + Picture; }
    std::string EmbedRtfPictures(const std::string& Rtf, const TSectionPictureLookup& Sections) override
    {
        std::string group;
        return Sections && Sections("img1", group) ? Rtf + "|" + group : Rtf;
    }
    bool FileExists(const std::string& FileName) override { return Files.count(FileName) != 0; }
    bool WriteFile(const std::string& FileName, const std::string& Bytes) override
    {
        Files[FileName] = Bytes;
        return true;
    }
};

class PartTexts : public testing::Test {
protected:
    TBoundLatin1Services MailServicesBinding;
    TMemoryPartServices Services;
    void SetUp() override { BindPartTextServices(&Services); }
    void TearDown() override { BindPartTextServices(nullptr); }

    std::unique_ptr<TMimeMsgTree> Load(const std::string& Text)
    {
        auto tree = std::make_unique<TMimeMsgTree>();
        tree->Reset();
        tree->TreeData.TextPrefix = "Text";
        tree->TreeData.DefaultTypeName = "File";
        tree->TreeData.MessageCaption = "Message";
        tree->LoadMessage(Text, 1, lmPreferFormatted, 0);
        return tree;
    }
};

const char* const RelatedMessage =
    "Content-Type: multipart/related; boundary=\"b\"\r\n"
    "Subject: Pictures\r\n"
    "Date: Tue, 08 Dec 2026 20:50:34 +0000\r\n\r\n"
    "--b\r\nContent-Type: text/html\r\n\r\n"
    "<p>Hi <img src=\"cid:img1\" width=\"10\" height=\"10\"> and <IMG SRC=cid:missing></p>\r\n"
    "--b\r\nContent-Type: image/png; name=\"p.png\"\r\nContent-ID: <img1>\r\nContent-Transfer-Encoding: base64\r\n\r\n"
    "UE5HREFUQQ==\r\n"
    "--b\r\nContent-Type: image/gif\r\nContent-ID: <unused>\r\n\r\nGIF\r\n"
    "--b--\r\n";

int FindKind(const TMimeMsgTree& Tree, uint32_t Kind)
{
    for (int i = 0; i < Tree.SectionCount(); ++i)
        if (Tree.GetSection(i)->NodeKind == Kind)
            return i;
    return -1;
}

} // namespace

TEST_F(PartTexts, PicturesAndLinksBecomeTextForViewing)
{
    const struct {
        const char* Html;
        const char* Face;
        const char* Expected;
    } cases[] = {
        {"<img src=\"x/a.png\" width=\"100\" height=\"50\">", "",
            "<table border=\"0\" bgcolor=\"#DDDDDD\"><tr><td width=\"100\" height=\"50\" align=\"center\" "
            "valign=\"middle\">[a.png]</td></tr></table>"},
        {"<img src=\"a.png\">", "Arial",
            "<table border=\"0\" bgcolor=\"#DDDDDD\"><tr><td align=\"center\" valign=\"middle\"><font "
            "face=\"Arial\">[a.png]</font></td></tr></table>"},
        {"x<img src=\"http://t/p.gif\" width=1 height=1>y", "", "xy"},
        {"x<img alt=\"none\">y", "", "xy"},
        {"<img src=\"cid:a/b%20c\" width=2>", "",
            "<table border=\"0\" bgcolor=\"#DDDDDD\"><tr><td align=\"center\" valign=\"middle\">[cid:a/b "
            "c]</td></tr></table>"},
        {"<a href=\"http://x.org/\">Home</a>", "", "Home &lt;http://x.org/&gt;"},
        {"<a href=\"/page\"><b>Home</b></a>!", "", "<b>Home &lt;http://base/page&gt;</b>!"},
        {"a<a href=\"#top\">Top</a>b", "", "ab"},
        {"<a name=\"here\">x</a>", "", "<a name=\"here\">x</a>"},
        // Malformed tags end the rewrite and keep the rest.
        {"a<a href=\"x\">no end", "", "a<a href=\"x\">no end"},
        {"a<img src=\"x.png\"", "", "a<img src=\"x.png\""},
        // Names and URLs cannot open tags again.
        {"<img src=\"x/%3Cimg%20src=http:%2F%2Ft%3E\" width=\"5&quot;onload\" height=\"7\">", "",
            "<table border=\"0\" bgcolor=\"#DDDDDD\"><tr><td width=\"5\" height=\"7\" align=\"center\" "
            "valign=\"middle\">[&lt;img src=http://t&gt;]</td></tr></table>"},
        {"<a href='http://a/?q=<script>'>t</a>", "", "t &lt;http://a/?q=&lt;script&gt;&gt;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RewriteHtmlForView(c.Html, "http://base", c.Face), c.Expected) << c.Html;
}

TEST_F(PartTexts, FileNamesFollowTheNodeKind)
{
    const struct {
        uint32_t Kind;
        const char* Caption;
        const char* Name;
        const char* Extension;
    } cases[] = {
        {nkTextPlain, "Text: Notes", "Notes.txt", ".txt"},
        {nkTextPlain, "Text: notes.TXT", "notes.TXT", ".txt"},
        {nkTextOther, "Summary", "Summary.txt", ".txt"},
        {nkTextHtml, "Text: Letter (html)", "Letter.htm", ".htm"},
        {nkTextHtml, "Text (html)", "Text.htm", ".htm"},
        {nkTextRtf, "Text: Memo (rtf)", "Memo.rtf", ".rtf"},
        {nkAttachment, "File: report.PDF", "report.PDF", ".pdf"},
        {nkAttachment, "File: application/pdf", "application_pdf", ".pdf"},
        {nkAttachment, "File: readme", "readme", ""},
        {nkOther, "File: image/x-icon", "image_x-icon", ".x-icon"},
        {nkAttachment, "File: a\"b\x01|c. . ", "a_b__c", ""},
        {nkAttachment, "File: CON.txt", "_CON.txt", ".txt"},
        {nkAttachment, "File: lpt1", "_lpt1", ""},
        {nkAttachment, "File: COM10", "COM10", ""},
        {nkMultipart, "Part", "", ""},
    };
    for (const auto& c : cases) {
        TSectionNode node;
        node.NodeKind = c.Kind;
        node.Caption = c.Caption;
        EXPECT_EQ(GetFileName(node), c.Name) << c.Caption;
        EXPECT_EQ(GetFileExtension(node), c.Extension) << c.Caption;
    }
}

TEST_F(PartTexts, LongNamesAreCapped)
{
    TSectionNode node;
    node.NodeKind = nkTextPlain;
    node.Caption = "Text: " + std::string(500, 'a');
    EXPECT_EQ(GetFileName(node), std::string(MaxPartFileName, 'a') + ".txt");
}

TEST_F(PartTexts, MessageFileNameHasSubjectAndDate)
{
    auto tree = Load(RelatedMessage);
    const TSectionNode* message = tree->GetSection(0);
    ASSERT_EQ(message->NodeKind, nkMessage);
    EXPECT_EQ(GetMessageFileName(*message), "Pictures (2026-12-08-20-50-34)");
    EXPECT_EQ(GetMessageFileName(*tree->GetSection(1)), "");
}

TEST_F(PartTexts, ContentReferencesAreFoundInImgTags)
{
    const std::string html = "<p><img src=\"cid:a%40b\"> <img width=1 src=cid:plain>"
                             "<img\tsrc='cid:q'><img src=\"http://x/cid:no\"><imgx src=cid:no></p>";
    const TCIDList list(html, false);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(0).Reference, "a@b");
    EXPECT_EQ(list.Item(1).Reference, "plain");
    EXPECT_EQ(list.Item(2).Reference, "q");
    EXPECT_EQ(html.substr(list.Item(1).StartPos - 1, list.Item(1).EndPos - list.Item(1).StartPos + 1), "cid:plain");
    EXPECT_EQ(list.ReplaceReferences(), html);
}

TEST_F(PartTexts, ContentReferencesAreFoundInRtfPictureFields)
{
    const std::string rtf = "{\\rtf1 {\\field{\\*\\fldinst { INCLUDEPICTURE \"cid:p1\" \\\\d}}}"
                            "{\\field{\\*\\fldinst {INCLUDEPICTURE pic.png}}}{\\field{\\*\\fldinst HYPERLINK x}}}";
    const TCIDList list(rtf, true);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(0).Reference, "p1");
    EXPECT_EQ(list.Item(1).Reference, "pic.png");
    EXPECT_EQ(list.RtfFlag(), 1u);
}

TEST_F(PartTexts, RelatedPictureFilesReplaceTheirReferences)
{
    auto tree = Load(RelatedMessage);
    const int html = FindKind(*tree, nkTextHtml);
    ASSERT_GE(html, 0);
    TSectionNode& node = *tree->GetSection(html);
    TFileSections sections(node, false);
    ASSERT_EQ(sections.GetCount(), 2); // the body and the used picture; the unused one is dropped
    EXPECT_EQ(sections.FileName(0), "T/Text.htm");
    EXPECT_EQ(sections.Get(1), "img1");
    EXPECT_EQ(sections.FileName(1), "T/$000001$.png");
    EXPECT_EQ(sections.Content(1), "PNGDATA");
    EXPECT_NE(sections.MainText().find("<img src=\"$000001$.png\""), std::string::npos);
    EXPECT_NE(sections.MainText().find("SRC=cid:missing"), std::string::npos);
    EXPECT_EQ(sections.MaxFileNameLength(), std::string("T/$000001$.png").size());

    ASSERT_TRUE(SaveHtmlFiles(node, "Saved/letter.htm"));
    EXPECT_EQ(Services.Files.count("Saved/letter.htm"), 1u);
    EXPECT_EQ(Services.Files["Saved/$000003$.png"], "PNGDATA"); // beside the saved body
    EXPECT_NE(Services.Files["Saved/letter.htm"].find("src=\"$000003$.png\""), std::string::npos);
}

TEST_F(PartTexts, SavingBesideAnExistingFileTakesAFreeName)
{
    auto tree = Load(RelatedMessage);
    TSectionNode& node = *tree->GetSection(FindKind(*tree, nkTextHtml));
    TFileSections sections(node, false);
    Services.Files["Saved/$000001$.png"] = "older";
    ASSERT_TRUE(sections.SaveFiles("Saved/letter.htm"));
    EXPECT_EQ(Services.Files["Saved/$000001$.png"], "older");
    EXPECT_EQ(Services.Files["Saved/$000001$ (1).png"], "PNGDATA");
    EXPECT_NE(Services.Files["Saved/letter.htm"].find("src=\"$000001$ (1).png\""), std::string::npos);
}

TEST_F(PartTexts, CopiesOfTheBodyAndItsPicturesAreBurntBeforeTheyAreLetGo)
{
    // The message may be decrypted: a freed block that still holds its secret was let go unburnt.
#define SECRET "secret-of-the-body-and-of-its-picture"
    auto tree = Load("Content-Type: multipart/related; boundary=\"b\"\r\n\r\n"
                     "--b\r\nContent-Type: text/html\r\n\r\n<p>" SECRET " <img src=\"cid:img1\"> and "
                     "<img src=\"cid:img1\"></p>\r\n"
                     "--b\r\nContent-Type: image/gif; name=\"p.gif\"\r\nContent-ID: <img1>\r\n\r\nGIF " SECRET "\r\n"
                     "--b--\r\n");
    TSectionNode& node = *tree->GetSection(FindKind(*tree, nkTextHtml));
    Services.Files["Saved/$000001$.gif"] = "older"; // the saved body's references are renamed
    {
        TFreedTextWatch watch(SECRET);
        {
            TFileSections sections(node, false);
            ASSERT_EQ(sections.GetCount(), 2);
            ASSERT_TRUE(sections.SaveFiles("Saved/letter.htm"));
        }
        ASSERT_TRUE(SaveHtmlFiles(node, "Saved/again.htm"));
        EXPECT_EQ(watch.Hits(), 0);
    }
    const std::string& saved = Services.Files["Saved/letter.htm"];
    EXPECT_NE(saved.find("<p>" SECRET " <img src=\"$000001$ (1).gif\"> and <img src=\"$000001$ (1).gif\">"),
              std::string::npos)
        << saved;
    EXPECT_EQ(Services.Files["Saved/$000001$ (1).gif"], "GIF " SECRET);
#undef SECRET
}

// Mail services whose HTML converter wraps the HTML in an RTF group.
class TRtfWrappingServices : public TLatin1MailServices {
public:
    std::string HtmlToRtf(const std::string& Html, int) override { return "{\\rtf1 " + Html + "}"; }
};

TEST_F(PartTexts, RichFormEmbedsTheRelatedPictures)
{
    TRtfWrappingServices rtfServices;
    BindMailServices(&rtfServices);
    auto tree = Load(RelatedMessage);
    TSectionNode& node = *tree->GetSection(FindKind(*tree, nkTextHtml));
    node.WithRelated = true;
    const std::string rich = GetHtmlWithRelated(node);
    EXPECT_EQ(rich.compare(0, 6, "{\\rtf1"), 0);
    EXPECT_NE(rich.find("|{\\pict PNGDATA"), std::string::npos);
    EXPECT_TRUE(node.WithRelated);
}

TEST_F(PartTexts, WithoutAnHtmlConverterTheRichFormIsTheBody)
{
    auto tree = Load(RelatedMessage);
    TSectionNode& node = *tree->GetSection(FindKind(*tree, nkTextHtml));
    EXPECT_EQ(GetHtmlWithRelated(node), node.Text);
}

TEST_F(PartTexts, BodyWithoutRelatedPartsStandsAlone)
{
    auto tree = Load("Content-Type: text/html\r\nSubject: s\r\n\r\n<p>Hello</p>\r\n");
    TSectionNode& node = *tree->GetSection(FindKind(*tree, nkTextHtml));
    node.WithRelated = true;
    TFileSections sections(node, false);
    EXPECT_EQ(sections.GetCount(), 1);
    EXPECT_EQ(sections.MainText(), node.Text);
    GetHtmlWithRelated(node);
    EXPECT_FALSE(node.WithRelated);
    TSectionNode* message = tree->GetSection(0);
    EXPECT_FALSE(SaveHtmlFiles(*message, "x.htm"));
}

TEST_F(PartTexts, RenderedListLinesEndInOneLineBreak)
{
    auto tree = Load("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                     "one\r\n--b\r\nContent-Type: text/plain\r\n\r\ntwo\r\n\r\n--b--\r\n");
    const TTextList& list = tree->CollectBodyTexts(false);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(RenderText(*tree, list), "one\r\ntwo\r\n");
    const std::string wide = RenderWideText(*tree, list);
    EXPECT_EQ(wide, std::string("o\0n\0e\0\r\0\n\0t\0w\0o\0\r\0\n\0\0\0", 22));
}

TEST_F(PartTexts, HtmlRendersThroughTheViewRewrite)
{
    auto tree = Load("Content-Type: text/html\r\n\r\n<a href=\"http://x/\">Home</a>");
    const TSectionNode& node = *tree->GetSection(FindKind(*tree, nkTextHtml));
    // The portable converters pass formatted text through, which shows the rewritten HTML.
    EXPECT_EQ(RenderAnsiText(node.Text, node), "Home &lt;http://x/&gt;");
}

// Mail services whose converters show what they were given: HTML to "RTF[...]", RTF to
// "TEXT[...]" (or UTF-16 with the wide flag), so each rendering route can be told apart.
class TMarkingServices : public TLatin1MailServices {
public:
    std::string HtmlToRtf(const std::string& Html, int) override { return "{\\rtf1 " + Html + "}"; }
    std::string RtfToText(const std::string& Rtf, bool Wide) override
    {
        const std::string text = "TEXT[" + Rtf + "]";
        return Wide ? LocaleToUcs2(text) : text;
    }
};

TEST_F(PartTexts, EachNodeKindRendersByItsRoute)
{
    TMarkingServices marking;
    BindMailServices(&marking);
    const struct {
        uint32_t Kind;
        const char* Text;
        const char* Ansi;
    } cases[] = {
        {nkTextHtml, "<a href=\"http://x/\">Home</a>", "TEXT[{\\rtf1 Home &lt;http://x/&gt;}]"},
        {nkTextHtml, "{\\rtf1 x}", "TEXT[{\\rtf1 x}]"}, // HTML that is RTF counts as RTF
        {nkTextRtf, "{\\rtf1 y}", "TEXT[{\\rtf1 y}]"},
        {nkTextPlain, "plain \xE9", "plain \xE9"},
        {nkTextPlain, "caf\xC3\xA9 without a charset", "caf\xE9 without a charset"}, // UTF-8
    };
    for (const auto& c : cases) {
        TSectionNode node;
        node.NodeKind = c.Kind;
        EXPECT_EQ(RenderAnsiText(c.Text, node), c.Ansi) << c.Text;
        EXPECT_EQ(RenderWideText(c.Text, node), marking.LocaleToUcs2(c.Ansi)) << c.Text;
    }
    TSectionNode rtf;
    rtf.NodeKind = nkTextRtf;
    EXPECT_EQ(RenderRichText("{\\rtf1 z}", rtf), "{\\rtf1 z}");
}

TEST_F(PartTexts, FailedConversionsFallBack)
{
    // The default converters give nothing back for the RTF route of this service.
    class TEmptyServices : public TLatin1MailServices {
    public:
        std::string RtfToText(const std::string&, bool) override { return {}; }
    } empty;
    BindMailServices(&empty);
    TSectionNode html, rtf;
    html.NodeKind = nkTextHtml;
    rtf.NodeKind = nkTextRtf;
    EXPECT_EQ(RenderAnsiText("<p>caf\xC3\xA9</p>", html), "<p>caf\xE9</p>"); // UTF-8 to ANSI
    EXPECT_EQ(RenderAnsiText("{\\rtf1 r}", rtf), "{\\rtf1 r}");
    EXPECT_EQ(RenderWideText("{\\rtf1 r}", rtf), "{\\rtf1 r}");
}

TEST_F(PartTexts, EntitiesMakeTheViewAscii)
{
    std::string out;
    PrepareHtmlForView("<p>caf\xC3\xA9 <img src=\"a/\xE2\x82\xAC.png\"></p>", "", true, out, true);
    EXPECT_EQ(out, "<p>caf&#233; <table border=\"0\" bgcolor=\"#DDDDDD\"><tr><td align=\"center\" "
                   "valign=\"middle\">[&#8364;.png]</td></tr></table></p>");
    PrepareHtmlForView("<img src=a.png>", "", false, out, false);
    EXPECT_EQ(out, "<img src=a.png>");
}

// A message as a user gets it: an HTML body, a picture and a key. The tree names the named
// attachments by the system's file types; every view of the body (viewer, body texts, wide and
// rich forms) is rendered, never the markup; an .htm attachment renders like a body; a signature's
// section text is its own part.
TEST_F(PartTexts, ViewTextsOfAMessageAreRenderedByTheirRoute)
{
    class TTypedMarkingServices : public TMarkingServices {
    public:
        std::string FileTypeName(const std::string& FileName, const std::string& MimeType) override
        {
            return FileName.find(".png") != std::string::npos ? "PNG Bild (" + MimeType + ")" : "";
        }
    } services;
    BindMailServices(&services);
    const std::string message = "Content-Type: multipart/mixed; boundary=\"m\"\r\nSubject: Gr\xC3\xBC\xC3\x9F" "e\r\n\r\n"
                                "--m\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>Hallo <b>Welt</b></p>\r\n"
                                "--m\r\nContent-Type: image/png; name=\"Bl\xC3\xBC" "te.png\"\r\n\r\nPNG\r\n"
                                "--m\r\nContent-Type: application/pgp-keys; name=\"key.asc\"\r\n\r\n"
                                "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\nxx\r\n-----END PGP PUBLIC KEY BLOCK-----\r\n"
                                "--m\r\nContent-Type: text/html; name=\"page.htm\"\r\n"
                                "Content-Disposition: attachment\r\n\r\n<i>page</i>\r\n"
                                "--m\r\nContent-Type: application/pdf\r\n\r\n%PDF\r\n--m--\r\n";
    auto tree = Load(message);
    const int body = FindKind(*tree, nkTextHtml);
    ASSERT_EQ(tree->BodyNode, body);
    std::vector<std::string> captions;
    for (int i = 0; i < tree->SectionCount(); ++i)
        if (tree->GetSection(i)->NodeKind == nkAttachment || tree->GetSection(i)->NodeKind == nkOther)
            captions.push_back(tree->GetSection(i)->Caption);
    const std::vector<std::string> expected {"PNG Bild (image/png): Bl\xC3\xBCte.png", "File: key.asc",
        "File: page.htm", "File: application/pdf"};
    EXPECT_EQ(captions, expected);

    TSectionNode& html = *tree->GetSection(body);
    const std::string rendered = "TEXT[{\\rtf1 <p>Hallo <b>Welt</b></p>}]";
    EXPECT_EQ(html.GetViewText(), rendered);
    EXPECT_EQ(tree->CollectBodyTexts(true).front().Text, rendered);
    tree->Mode = lmWide;
    EXPECT_EQ(html.GetViewText(), services.LocaleToUcs2(rendered));
    tree->Mode = lmWide | lmRelated;
    html.WithRelated = true;
    EXPECT_EQ(html.GetViewText(), "{\\rtf1 <p>Hallo <b>Welt</b></p>}");
    EXPECT_FALSE(html.WithRelated);
    tree->Mode = 0;

    TSectionNode* page = nullptr;
    for (int i = 0; i < tree->SectionCount(); ++i)
        if (tree->GetSection(i)->FileName == "page.htm")
            page = tree->GetSection(i);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsHtmlAttachment(*page));
    EXPECT_EQ(page->GetViewText(), "TEXT[{\\rtf1 <i>page</i>}]");
    TSectionNode& key = *tree->GetSection(FindKind(*tree, nkAttachment) + 1);
    EXPECT_EQ(key.FileName, "key.asc");
    EXPECT_EQ(key.GetViewText(), key.Text); // a key is not text: it is imported, not rendered
    EXPECT_EQ(GetSectionText(*tree->GetSection(0)), message);
}
