// The editor interface against the stand-in editor library: text out with CR LF and no leaked
// memory blocks, text in, the info box, flags, fields, links and search; asserted on plain text
// and on the stand-in's call log.
#include "plugin/TERInterface.h"
#include "mime/MimeMsgTree.h"
#include "support/StandInEditor.h"

#include <gtest/gtest.h>

namespace {

class TERInterfaceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(ter.Api().Editor, nullptr);
        editor = ter.Api().TerCreateWindowAlt(0, 0, 600, 400, -1, parent.window, WS_CHILD | WS_VISIBLE);
        ASSERT_NE(editor, nullptr);
        log.Clear();
    }
    void TearDown() override { DestroyWindow(editor); }

    std::string Plain() { return ter.GetSelectedText(editor, false, false); }
    void Put(const std::string& text) { ASSERT_TRUE(ter.SetEditorText(editor, text)); }
    size_t Count(const std::string& what)
    {
        const std::string text = log.Text();
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    TTERInterface ter { ProgramFolderOfTest(), false };
    TStandInEditorLog log { ter.Api().Editor };
    TParentWindow parent;
    HWND editor = nullptr;
};

} // namespace

TEST_F(TERInterfaceTest, LoadsBothLibrariesAndReadsTheVersion)
{
    EXPECT_NE(ter.Api().Html, nullptr);
    EXPECT_EQ(ter.EditorVersion(), "15");
    ASSERT_NE(ter.Converter(), nullptr);
    EXPECT_NE(ter.Converter()->Editor(), nullptr);
}

TEST_F(TERInterfaceTest, SelectedTextHasCrLfAndGivesEveryBlockBack)
{
    Put("first\rsecond\rthird");
    EXPECT_EQ(Plain(), "first\r\nsecond\r\nthird");
    EXPECT_EQ(ter.GetSelectedTextW(editor, false, false), L"first\rsecond\rthird");
    EXPECT_NE(ter.GetEditorText(editor).find("second"), std::string::npos);
    EXPECT_EQ(log.OutstandingBlocks(), 0);
}

TEST_F(TERInterfaceTest, ReadingEverythingRestoresTheUsersSelection)
{
    Put("hello world");
    ter.SelectRange(6, 11);
    EXPECT_EQ(ter.GetSelectedText(editor, false, true), "hello world");
    EXPECT_EQ(ter.GetSelectedText(editor, true, false), "world");
    // Without a selection to restore, the one made for reading is taken away again.
    ter.Deselect();
    ter.GetSelectedText(editor, false, true);
    EXPECT_EQ(ter.GetSelectedText(editor, true, false), "");
}

TEST_F(TERInterfaceTest, AnAbsentEditorGivesEmptyTextAndFalse)
{
    EXPECT_EQ(ter.GetSelectedText(nullptr, false, false), "");
    EXPECT_EQ(ter.GetSelectedRtf(nullptr, false, false), "");
    EXPECT_FALSE(ter.ClearEditor(nullptr));
    EXPECT_FALSE(ter.SetEditorText(nullptr, "x"));
    EXPECT_FALSE(ter.InsertInfoBox(nullptr, "x", false, 100, 2));
    EXPECT_EQ(ter.GetLine(0), "");
    EXPECT_TRUE(ter.IsEditorEmpty(nullptr));
}

TEST_F(TERInterfaceTest, LinesLoseTrailingControlCharacters)
{
    Put("alpha  \t\rbeta\r");
    ter.SetCaret(1);
    EXPECT_EQ(ter.GetLine(0), "alpha");
    EXPECT_EQ(ter.GetLine(-1), "beta");
    EXPECT_EQ(ter.GetLine(7), "");
}

TEST_F(TERInterfaceTest, ClearEditorEmptiesTheControl)
{
    Put("some text\rmore");
    EXPECT_FALSE(ter.IsEditorEmpty(editor));
    EXPECT_TRUE(ter.ClearEditor(editor));
    EXPECT_EQ(Plain(), "");
    EXPECT_TRUE(ter.IsEditorEmpty(editor));
}

TEST_F(TERInterfaceTest, RtfAndPlainTextGoIn)
{
    Put("{\\rtf1\\ansi plain \\b bold\\b0\\par}");
    Put("tail");
    EXPECT_EQ(Plain().substr(0, 10), "plain bold");
    EXPECT_NE(Plain().find("tail"), std::string::npos);
}

TEST_F(TERInterfaceTest, InsertTextColoursTheInsertedRangeOnly)
{
    Put("before ");
    THostFontDesc font;
    font.Name = "Arial";
    font.PointSize = 12;
    EXPECT_TRUE(ter.InsertText(editor, "coloured", -1, 0xC0C0C0, "Lucida Console", font));
    EXPECT_EQ(Count("SetTerColor(0xC0C0C0)"), 1u);
    EXPECT_EQ(Count("SetTerFont(Lucida Console)"), 1u);
    EXPECT_EQ(Count("SetTerPointSize(12)"), 1u);
    EXPECT_NE(Plain().find("before coloured"), std::string::npos);
    ter.SelectRange(7, 8);
    EXPECT_EQ(ter.GetTextColour(), COLORREF(0xC0C0C0));
    ter.SelectRange(0, 1);
    EXPECT_NE(ter.GetTextColour(), COLORREF(0xC0C0C0));
    // No colour and no format: nothing is selected or formatted.
    log.Clear();
    EXPECT_TRUE(ter.InsertText(editor, "more", -1, -1, "", font));
    EXPECT_EQ(Count("SetTerColor"), 0u);
}

TEST_F(TERInterfaceTest, InfoBoxOfEachKind)
{
    const struct {
        int kind;
        const char* colour;
    } cases[] = { { 2, "SetTerColor(0x8000)" }, { 3, "SetTerColor(0x8000)" }, { 4, "SetTerColor(0x8000)" },
        { 5, "SetTerColor(0xFF)" }, { 6, "SetTerColor(0x80FF)" } };
    for (const auto& c : cases) {
        ter.ClearEditor(editor);
        Put("message body");
        log.Clear();
        EXPECT_TRUE(ter.InsertInfoBox(editor, "Good signature", false, 1440, c.kind)) << c.kind;
        EXPECT_EQ(Count(c.colour), 1u) << c.kind;
        EXPECT_EQ(Count("TerCreateTable(1, 1)"), 1u);
        EXPECT_EQ(Count("TerCellWidth(4,"), 1u);
        EXPECT_EQ(Count("TerSetTab(4, 1440)"), 1u);
        EXPECT_EQ(Plain(), "PGP-Info:\t\tGood signature\t\t\r\nmessage body") << c.kind;
    }
}

TEST_F(TERInterfaceTest, InfoBoxOfAnOtherKindInsertsNothing)
{
    Put("body");
    log.Clear();
    EXPECT_TRUE(ter.InsertInfoBox(editor, "text", false, 1440, 1));
    EXPECT_TRUE(ter.InsertInfoBox(editor, "text", false, 1440, 7));
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(Plain(), "body");
}

// A message whose text opens with the caption still gets the box, above its own line.
TEST_F(TERInterfaceTest, AMessagesOwnInfoLineStaysTextBelowTheBox)
{
    Put("PGP-Info:\t\tGood signature, Validity: Complete\rbody");
    log.Clear();
    EXPECT_TRUE(ter.InsertInfoBox(editor, "Partly signed: Good", false, 1440, 2));
    EXPECT_EQ(Count("TerCreateTable(1, 1)"), 1u);
    EXPECT_EQ(Plain(), "PGP-Info:\t\tPartly signed: Good\t\t\r\nPGP-Info:\t\tGood signature, Validity: Complete\r\nbody");
}

TEST_F(TERInterfaceTest, MultiLineInfoTextIsIndented)
{
    Put("body");
    EXPECT_TRUE(ter.InsertInfoBox(editor, "one\r\ntwo\r\nthree", false, 1440, 5));
    EXPECT_EQ(Plain(), "PGP-Info:\t\tone\r\n\t\ttwo\r\n\t\tthree\t\t\r\nbody");
}

TEST_F(TERInterfaceTest, InfoBoxKeepsTheSelectionOnTheSameText)
{
    Put("select me");
    ter.SelectRange(7, 9);
    EXPECT_TRUE(ter.InsertInfoBox(editor, "info", true, 1440, 2));
    EXPECT_EQ(ter.GetSelectedText(editor, true, false), "me");
    EXPECT_EQ(Plain(), "PGP-Info:\t\tinfo\t\t\r\nselect me"); // nothing doubled
}

TEST_F(TERInterfaceTest, PrepareEditorReadsThenSetsEachFlagWord)
{
    ter.PrepareEditor(editor);
    for (const char* line : { "TerSetFlags1(TRUE, 0x20000) = 0x20000", "TerSetFlags6(TRUE, 0x2000) = 0x2000",
             "TerSetFlags7(TRUE, 0x800) = 0x800", "TerSetFlags8(TRUE, 0x1) = 0x1", "TerSetFlags9(TRUE, 0x8) = 0x8",
             "TerSetFlags10(TRUE, 0x40000) = 0x40000", "TerSetFlags11(TRUE, 0x400000) = 0x400000" })
        EXPECT_EQ(Count(line), 1u) << line;
    EXPECT_EQ(Count("(FALSE, 0x0)"), 7u);
    ter.PrepareEditorLinks(editor);
    EXPECT_EQ(Count("TerSetFlags7(TRUE, 0x10000800) = 0x10000800"), 1u);
}

TEST_F(TERInterfaceTest, FieldsFlagAndLinkColourKeepTheOtherWords)
{
    ter.PrepareEditor(editor);
    EXPECT_TRUE(ter.SetEditorFieldsFlag(false));
    EXPECT_EQ(Count("SetTerFields(527=-1, 528=0xFF0000)"), 1u);
    EXPECT_TRUE(ter.SetEditorFieldsFlag(true));
    EXPECT_EQ(Count("SetTerFields(527=0, 528=0xFF0000)"), 1u);
    log.Clear();
    EXPECT_TRUE(ter.InsertHyperlink("Key 0x1234.", "ZAVEK_URL:0x1234"));
    EXPECT_EQ(Count("SetTerFields(527=0, 528=0x8080FF)"), 1u);
    EXPECT_EQ(Count("TerInsertHyperlink(Key 0x1234., ZAVEK_URL:0x1234)"), 1u);
    EXPECT_EQ(Count("SetTerFields(527=0, 528=0xFF0000)"), 1u); // given back afterwards
    EXPECT_EQ(Plain(), "Key 0x1234.");
}

TEST_F(TERInterfaceTest, FindWithAndWithoutCase)
{
    Put("Alpha\r\rbeta ALPHA");
    EXPECT_EQ(ter.Find("alpha", 0, false), 0);
    EXPECT_EQ(ter.Find("alpha", 1, false), 12);
    EXPECT_EQ(ter.Find("alpha", 0, true), -1);
    EXPECT_EQ(ter.Find("ALPHA", 0, true), 12);
    EXPECT_EQ(ter.Find("^p^p", 0, false), 5);
    EXPECT_EQ(Count("TerSearchReplace(alpha, 130, 0)"), 1u);
    EXPECT_EQ(Count("TerSearchReplace(alpha, 2, 0)"), 1u);
}

TEST_F(TERInterfaceTest, FindersAndClassTests)
{
    EXPECT_EQ(ter.FindEditor(parent.window), editor);
    EXPECT_EQ(ter.FindViewerOrEditor(parent.window, false), editor);
    EXPECT_EQ(ter.FindViewerOrEditor(parent.window, true), editor);
    HWND viewer = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent.window, nullptr, nullptr, nullptr);
    EXPECT_EQ(ter.FindEditor(viewer), nullptr);
    EXPECT_TRUE(TTERInterface::IsHtmlViewerClass("THTMLViewer"));
    EXPECT_TRUE(TTERInterface::IsHtmlViewerClass("Internet Explorer_Server"));
    EXPECT_FALSE(TTERInterface::IsHtmlViewerClass("TER32CLASS"));
    EXPECT_FALSE(TTERInterface::IsHtmlViewerClass(""));
    EXPECT_FALSE(ter.IsHtmlViewer(editor));
    EXPECT_FALSE(ter.IsReadOnlyEditor(editor));
    using SetReadOnly = BOOL(WINAPI*)(HWND, BOOL);
    auto setReadOnly = reinterpret_cast<SetReadOnly>(
        reinterpret_cast<void*>(GetProcAddress(ter.Api().Editor, "TerSetReadOnly")));
    ASSERT_NE(setReadOnly, nullptr);
    setReadOnly(editor, TRUE);
    EXPECT_TRUE(ter.IsReadOnlyEditor(editor));
    EXPECT_FALSE(ter.IsReadOnlyEditor(parent.window));
    EXPECT_FALSE(ter.IsPrinting(editor));
}

TEST_F(TERInterfaceTest, CaretFontAndTabForwards)
{
    Put("one\rtwo\rthree");
    EXPECT_TRUE(ter.SetCaret(1));
    EXPECT_EQ(ter.GetCaretLine(), 1);
    EXPECT_EQ(ter.GetCaretPos(), 4);
    EXPECT_TRUE(ter.MoveCaretToStart());
    EXPECT_EQ(ter.GetCaretPos(), 0);
    EXPECT_GT(ter.GetCaretLineHeight(), 0);
    THostFontDesc font;
    font.PointSize = 14;
    font.Style = 1 | 4; // the record's italic and bold bits
    ter.SelectRange(0, 3);
    EXPECT_TRUE(ter.SetFontStyle(font, "Courier New"));
    EXPECT_EQ(Count("SetTerDefaultFont(Courier New, 14, 3)"), 1u);
    EXPECT_EQ(ter.GetFontName(ter.GetCurrentFont()), "Courier New");
    EXPECT_EQ(ter.GetFontSize(ter.GetCurrentFont()), 14);
    EXPECT_TRUE(ter.SetTabStop(720, TerApi::TAB_LEFT));
    EXPECT_EQ(ter.GetTabStop(), 720);
    EXPECT_TRUE(ter.SetTabStop(0, TerApi::TAB_LEFT));
    EXPECT_EQ(ter.GetTabStop(), 0);
}

TEST_F(TERInterfaceTest, HorizontalLineSpansTheClientWidthLessAScrollBar)
{
    ter.ClearEditor(editor);
    EXPECT_TRUE(ter.InsertHorizontalLine());
    RECT client {};
    GetClientRect(editor, &client);
    HDC screen = GetDC(nullptr);
    const int twips = MulDiv(client.right - GetSystemMetrics(SM_CXVSCROLL), 1440, GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Count("TerInsertDrawObject(3, " + std::to_string(twips) + ")"), 1u);
}

namespace {

TPutBackRecord ReaderRecord()
{
    TPutBackRecord r;
    r.Mode = 0;
    r.HostV4 = true;
    r.MessageFont.Name = "Arial";
    r.MessageFont.PointSize = 10;
    r.GoodSignatureText = "Good signature";
    r.OtherSignatureText = "Other";
    r.LinkCaption = "Show all parts in ";
    r.LinkData = "the message tree";
    r.BeginMarkerFormat = "Start of %s part";
    r.EndMarkerFormat = "End of %s part";
    return r;
}

} // namespace

TEST_F(TERInterfaceTest, PutBackMarksProtectedSectionsAndLinksTheParts)
{
    Put("old encrypted text");
    TPutBackRecord r = ReaderRecord();
    r.Parts = { { "Before\r\n", 0 }, { "Secret line\r\n", 5 }, { "After", 0 } };
    r.HasSignature = true;
    EXPECT_TRUE(ter.PutMessageIntoEditor(editor, r));
    EXPECT_EQ(ter.GetCaretPos(), 0);
    const std::string ten(10, '\x97'), eleven(11, '\x97');
    const std::string text = Plain();
    EXPECT_EQ(text.find("old encrypted"), std::string::npos);
    EXPECT_NE(text.find("Before\r\n< " + ten + " Start of PGP/MIME part " + ten + " >\r\nSecret line\r\n< " + eleven
                  + " End of PGP/MIME part " + eleven + " >\r\nAfter"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find(std::string(20, '\x97') + "\r\nGood signature\r\nShow all parts in the message tree."),
        std::string::npos)
        << text;
    EXPECT_EQ(Count("TerInsertHyperlink(Show all parts in the message tree., ZAVEK_URL:the message tree)"), 1u);
    EXPECT_GE(Count("SetTerFont(Lucida Console)"), 2u);
    EXPECT_GE(Count("SetTerColor(0xC0C0C0)"), 3u);
    EXPECT_EQ(Count("TerEnableRefresh(0)"), 1u);
    EXPECT_EQ(Count("TerEnableRefresh(1)"), 1u);
    EXPECT_EQ(log.OutstandingBlocks(), 0);
}

TEST_F(TERInterfaceTest, PutBackOfAnOpenSectionClosesItAndSMimeIsNamed)
{
    TPutBackRecord r = ReaderRecord();
    r.Parts = { { "Signed text", 9 } };
    EXPECT_TRUE(ter.PutMessageIntoEditor(editor, r));
    const std::string text = Plain();
    EXPECT_NE(text.find(" Start of signed S/MIME part "), std::string::npos) << text;
    EXPECT_NE(text.find("Signed text\r\n< " + std::string(11, '\x97') + " End of signed S/MIME part"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("Good signature"), std::string::npos); // no signature reported
}

TEST_F(TERInterfaceTest, PutBackBeforeVersionFourKeepsTheHeaderBlock)
{
    Put("From: a\rTo: b\r\r-----BEGIN PGP MESSAGE-----");
    TPutBackRecord r = ReaderRecord();
    r.HostV4 = false;
    r.Parts = { { "plain ", 5 }, { "text", 0 } };
    EXPECT_TRUE(ter.PutMessageIntoEditor(editor, r));
    EXPECT_EQ(Plain(), "From: a\r\nTo: b\r\n\r\nplain text");
}

TEST_F(TERInterfaceTest, PutBackIntoAReplyRebuildsItsHeaderBlock)
{
    Put("Original message\rFrom:  someone\rSubject:   x\r\r-----BEGIN PGP MESSAGE-----");
    TPutBackRecord r = ReaderRecord();
    r.Mode = 1;
    r.Flags = 1;
    r.LeadText = "You wrote:\r\n";
    r.FurtherText = "-- sig";
    r.Parts = { { "decrypted", 0 } };
    EXPECT_TRUE(ter.PutMessageIntoEditor(editor, r));
    EXPECT_EQ(Plain(),
        "\r\n\r\n-- sig\r\n\r\nYou wrote:\r\nOriginal message\r\nFrom:           \tsomeone\r\nSubject:        \tx\r\n"
        "decrypted\r\n");
}

TEST_F(TERInterfaceTest, PutBackIntoAForwardAddsTheClosingText)
{
    Put("Forwarded message\rFrom: someone\r\rarmoured");
    TPutBackRecord r = ReaderRecord();
    r.Mode = 2;
    r.ClosingText = "End of forwarded message";
    r.Parts = { { "decrypted", 0 } };
    EXPECT_TRUE(ter.PutMessageIntoEditor(editor, r));
    EXPECT_EQ(Plain(),
        "\r\n\r\nForwarded message\r\nFrom:           \tsomeone\r\ndecrypted\r\n\r\nEnd of forwarded message\r\n");
}

TEST_F(TERInterfaceTest, PutBackWithoutPartsOrEditorDoesNothing)
{
    Put("kept");
    TPutBackRecord r = ReaderRecord();
    EXPECT_FALSE(ter.PutMessageIntoEditor(editor, r));
    r.Parts = { { "x", 0 } };
    EXPECT_FALSE(ter.PutMessageIntoEditor(nullptr, r));
    EXPECT_EQ(Plain(), "kept");
}

TEST_F(TERInterfaceTest, ProtectedTextIsFoundByItsKind)
{
    const std::string armour = "-----BEGIN PGP MESSAGE-----\r\n\r\nhQEMA1234\r\n-----END PGP MESSAGE-----";
    const std::string keyBlock = "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\nmQEN\r\n-----END PGP PUBLIC KEY BLOCK-----";
    const std::string certificate = "-----BEGIN CERTIFICATE-----\r\nMIIB\r\n-----END CERTIFICATE-----";
    const struct {
        std::string text;
        bool whole;
        bool acceptSigned;
        uint32_t kind;
        bool kept;
    } cases[] = {
        { "Hello\r\n" + armour, false, false, 1, true },
        { "just words", false, true, 0, false },
        { keyBlock, false, false, 3, true },
        { keyBlock, true, false, 3, false }, // the whole-text form leaves key blocks alone
        { certificate, false, false, 4, false },
        { certificate, false, true, 4, true },
        { armour, true, false, 1, true },
    };
    TMimeMsgTree tree;
    for (const auto& c : cases) {
        ter.ClearEditor(editor);
        Put(c.text);
        std::string text = "stale";
        const uint32_t kind = c.whole ? ter.GetEditorPgpWhole(editor, tree, text, c.acceptSigned)
                                      : ter.GetEditorPgpText(editor, tree, text, c.acceptSigned);
        EXPECT_EQ(kind, c.kind) << c.text;
        EXPECT_EQ(text.empty(), !c.kept) << c.text;
        if (c.kept) {
            EXPECT_EQ(text, c.text);
        }
    }
}

TEST_F(TERInterfaceTest, ASelectedPartIsTakenAlone)
{
    Put("before -----BEGIN PGP MESSAGE-----\r\n\r\nhQEMA1234\r\n-----END PGP MESSAGE----- after");
    ter.SelectRange(7, 7 + 64); // paragraph ends count one
    TMimeMsgTree tree;
    std::string text;
    EXPECT_EQ(ter.GetEditorPgpText(editor, tree, text, false), 1u);
    EXPECT_EQ(text, "-----BEGIN PGP MESSAGE-----\r\n\r\nhQEMA1234\r\n-----END PGP MESSAGE-----");
}

TEST_F(TERInterfaceTest, SelectedAddressOrKeyId)
{
    const struct {
        const char* text;
        const char* result;
        bool found;
    } cases[] = {
        { "Ann Smith <ann@example.org>", "ann@example.org", false },
        { "key 1234ABCD5678EF90", "0x1234ABCD5678EF90", true },
        { "0xDEADBEEF", "0xDEADBEEF", true },
        { "hello", "", false },
    };
    for (const auto& c : cases) {
        ter.ClearEditor(editor);
        Put(c.text);
        ter.SelectRange(0, -1);
        bool found = false;
        EXPECT_EQ(ter.GetSelectedAddress(editor, found), c.result) << c.text;
        EXPECT_EQ(found, c.found) << c.text;
    }
}

TEST_F(TERInterfaceTest, FollowingALinkMovesTheCaretThere)
{
    ShowWindow(parent.window, SW_SHOWNORMAL);
    UpdateWindow(parent.window);
    Put("see ");
    ASSERT_TRUE(ter.InsertHyperlink("the link", "ZAVEK_URL:x"));
    Put(" now");
    using SetReadOnly = BOOL(WINAPI*)(HWND, BOOL);
    reinterpret_cast<SetReadOnly>(reinterpret_cast<void*>(GetProcAddress(ter.Api().Editor, "TerSetReadOnly")))(
        editor, TRUE);
    int x = 0, y = 0;
    ASSERT_TRUE(ter.Api().TerTextPosToPix(editor, 6, &x, &y));
    POINT point { x + 2, y + 4 };
    ClientToScreen(editor, &point);
    SetCursorPos(point.x, point.y);
    POINT actual {};
    GetCursorPos(&actual);
    if (actual.x != point.x || actual.y != point.y)
        GTEST_SKIP() << "the pointer cannot be moved here";
    ter.MoveCaretToStart();
    EXPECT_EQ(ter.GetLineUnderMouse(editor), "see the link now");
    EXPECT_TRUE(ter.IsOverLink("see the link now"));
    EXPECT_FALSE(ter.IsOverLink("the link")); // the field must be shorter than the text
    ter.FollowLinkUnderMouse(editor);
    EXPECT_EQ(ter.GetCaretPos(), 6);
}
