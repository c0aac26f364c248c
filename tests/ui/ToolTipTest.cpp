// Tests of the tooltip under Wine: placement arithmetic for every mode, tool bookkeeping, the
// oversize-only fit test, drawing flags, live showing (position, Escape, other keys, capture and
// filter given back when the owner goes), rich tips (copy, link clicks, link walking) and the
// tracking-tooltip routines.
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "ui/controls/ToolTip.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// ---- placement ----

TTipPlacement BasePlacement(TCenterToolTip mode)
{
    TTipPlacement in;
    in.Mode = mode;
    in.WorkArea = { 0, 0, 1000, 700 };
    in.Proposed = { 300, 200 };
    in.Size = { 100, 40 };
    in.Cursor = { 500, 400 };
    in.VMargin = 4;
    in.OwnerWindow = { 100, 100, 500, 400 };
    in.OwnerClientOrigin = { 104, 130 };
    in.ToolRect = { 20, 30, 80, 50 };
    return in;
}

struct PlaceCase {
    const char* name;
    TCenterToolTip mode;
    POINT expected;
};

class TipPlacement : public testing::TestWithParam<PlaceCase> { };

TEST_P(TipPlacement, AnchorsByMode)
{
    const POINT p = PlaceToolTip(BasePlacement(GetParam().mode));
    EXPECT_EQ(p.x, GetParam().expected.x);
    EXPECT_EQ(p.y, GetParam().expected.y);
}

INSTANTIATE_TEST_SUITE_P(Modes, TipPlacement,
    testing::Values(PlaceCase { "NotCentredKeepsTheProposal", cttNot, { 300, 200 } },
        PlaceCase { "TrackAtTheOwnersClientOrigin", cttTrack, { 104, 130 } },
        PlaceCase { "SubMouseCentredAboveTheCursorByTheMargin", cttSubMouse, { 450, 395 } },
        PlaceCase { "InParentCentred", cttInParent, { 250, 230 } },
        PlaceCase { "SubParentTwoBelow", cttSubParent, { 250, 402 } },
        // Tool rectangle on the screen: (124, 160) to (184, 180).
        PlaceCase { "InToolRectCentred", cttInToolRect, { 104, 150 } },
        PlaceCase { "SubToolRectTwoBelowAndCentred", cttSubToolRect, { 104, 182 } }),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(TipPlacementRules, FixedPositionWithoutModeUsesTheClientOrigin)
{
    TTipPlacement in = BasePlacement(cttNot);
    in.FixedPos = true;
    const POINT p = PlaceToolTip(in);
    EXPECT_EQ(p.x, 104);
    EXPECT_EQ(p.y, 130);
}

TEST(TipPlacementRules, WiderThanTheWorkAreaGoesToItsLeftEdge)
{
    TTipPlacement in = BasePlacement(cttNot);
    in.WorkArea = { 50, 20, 600, 700 };
    in.Size = { 800, 40 };
    const POINT p = PlaceToolTip(in);
    EXPECT_EQ(p.x, 50);
    EXPECT_EQ(p.y, 200);
}

TEST(TipPlacementRules, NearTheBottomRightIsPulledUpAndLeftButNeverBelowZero)
{
    TTipPlacement in = BasePlacement(cttSubMouse);
    in.Cursor = { 990, 695 };
    POINT p = PlaceToolTip(in);
    EXPECT_EQ(p.x, 900);
    EXPECT_EQ(p.y, 660);
    in.Cursor = { -300, -300 };
    p = PlaceToolTip(in);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

TEST(TipPlacementRules, RetextingKeepsTheCurrentPlace)
{
    TTipPlacement in = BasePlacement(cttSubToolRect);
    in.KeepPosition = true;
    const POINT p = PlaceToolTip(in);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);
}

TEST(TipPlacementRules, TheOriginHasTheLastWordBeforeTheClamp)
{
    TTipPlacement in = BasePlacement(cttInParent);
    in.AdjustAnchor = [](POINT& anchor) { anchor = { 950, 20 }; };
    const POINT p = PlaceToolTip(in);
    EXPECT_EQ(p.x, 900);
    EXPECT_EQ(p.y, 20);
}

// ---- the control ----

class ToolTipTest : public testing::Test {
protected:
    void SetUp() override
    {
        filtersBefore = Application().Filters().Count();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(120, 100, 400, 240);
        form->SetCaption("Tip owner");
        tip = new TToolTip(form.get());
        Application().ProcessMessages();
    }
    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
    }
    void ShowCentred(const std::string& text)
    {
        tip->CenterToolTip = cttSubToolRect;
        tip->SetToolRect({ 20, 30, 220, 60 });
        tip->SetText(text);
        tip->ActivateTip();
        Application().ProcessMessages();
    }
    int filtersBefore = 0;
    std::unique_ptr<TForm> form;
    TToolTip* tip = nullptr;
};

TEST_F(ToolTipTest, OneToolPerTextAndNoneAfterAnEmptyText)
{
    EXPECT_EQ(tip->ToolCount(), 0);
    tip->SetText("first");
    EXPECT_EQ(tip->ToolCount(), 1);
    tip->SetText("first");
    EXPECT_EQ(tip->ToolCount(), 1);
    tip->SetText("second");
    EXPECT_EQ(tip->ToolCount(), 1);
    EXPECT_EQ(tip->GetText(), "second");
    tip->SetText("");
    EXPECT_EQ(tip->ToolCount(), 0);
    EXPECT_FALSE(tip->Showing());
    EXPECT_EQ(tip->GetText(), "");
}

TEST_F(ToolTipTest, DrawFlagsFollowStyleAndMaximumWidth)
{
    EXPECT_EQ(tip->DrawFlags(), 0x100205u);
    tip->SetToolTipStyle(ttsUnderscore);
    EXPECT_EQ(tip->DrawFlags(), 0x000205u);
    tip->SetToolTipStyle(ttsCenterText);
    tip->SetMaxWidth(200);
    EXPECT_EQ(tip->DrawFlags(), 0x100215u);
    tip->SetMaxWidth(0);
    EXPECT_EQ(tip->DrawFlags(), 0x100215u);
    EXPECT_EQ(tip->HMargin, 4);
    EXPECT_EQ(tip->VMargin, 2);
}

TEST_F(ToolTipTest, DelaysAreTakenFromTheApplicationWhenTheToolIsAdded)
{
    tip->SetText("delays");
    EXPECT_EQ(tip->HintPause(), 500);
    EXPECT_EQ(tip->HintHidePause(), 2500);
    EXPECT_EQ(tip->HintShortPause(), 250);
}

TEST_F(ToolTipTest, OversizeOnlyShowsTextThatDoesNotFitTheOwner)
{
    auto* edit = new TForm(nullptr);
    std::unique_ptr<TForm> owner(edit);
    owner->BorderStyle = bsNone;
    owner->HandleNeeded();
    auto* small = new TToolTip(owner.get());
    small->OversizeOnly = true;
    const std::string text = "A text of some length";
    HDC dc = GetDC(owner->Handle());
    const auto font = reinterpret_cast<HFONT>(SendMessageA(owner->Handle(), WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size;
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(owner->Handle(), dc);

    owner->SetClientSize(size.cx, 40);
    EXPECT_EQ(small->OversizedText(text), "");
    small->SetText(text);
    EXPECT_EQ(small->ToolCount(), 0);

    owner->SetClientSize(size.cx - 1, 40);
    EXPECT_EQ(small->OversizedText(text), text);
    small->SetText(text);
    EXPECT_EQ(small->ToolCount(), 1);

    small->OnGetOversizedText = [](const std::string& t) { return "[" + t + "]"; };
    EXPECT_EQ(small->OversizedText("x"), "[x]");
}

TEST_F(ToolTipTest, CentredTipShowsTwoPixelsBelowItsToolRectangle)
{
    ShowCentred("Centred tip");
    ASSERT_TRUE(tip->Showing());
    RECT r;
    GetWindowRect(tip->Handle(), &r);
    POINT origin {};
    ClientToScreen(form->Handle(), &origin);
    EXPECT_EQ(r.top, origin.y + 60 + 2);
    EXPECT_NEAR((r.left + r.right) / 2, origin.x + 120, 1);
    EXPECT_EQ(GetCapture(), form->Handle());
    EXPECT_EQ(Application().Filters().Count(), filtersBefore + 1);
}

TEST_F(ToolTipTest, RetextingAVisibleCentredTipKeepsItsPlace)
{
    ShowCentred("Centred tip");
    ASSERT_TRUE(tip->Showing());
    RECT before;
    GetWindowRect(tip->Handle(), &before);
    tip->SetText("A somewhat longer centred tip");
    Application().ProcessMessages();
    RECT after;
    GetWindowRect(tip->Handle(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(tip->ToolCount(), 1);
}

TEST_F(ToolTipTest, EscapePopsTheTipAndGivesBackFilterAndCapture)
{
    ShowCentred("Escape me");
    ASSERT_TRUE(tip->Showing());
    PostMessageA(tip->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    Application().ProcessMessages();
    EXPECT_FALSE(tip->Showing());
    EXPECT_EQ(Application().Filters().Count(), filtersBefore);
    EXPECT_NE(GetCapture(), form->Handle());
}

TEST_F(ToolTipTest, APlainKeyPopsTheTip)
{
    ShowCentred("Any key");
    ASSERT_TRUE(tip->Showing());
    PostMessageA(tip->Handle(), WM_KEYDOWN, 'K', 0);
    Application().ProcessMessages();
    EXPECT_FALSE(tip->Showing());
}

TEST_F(ToolTipTest, OwnerGoneWhileShownLeavesNoCaptureAndNoFilter)
{
    ShowCentred("Owner goes");
    ASSERT_EQ(GetCapture(), form->Handle());
    int hidden = 0;
    tip->OnHideToolTip = [&hidden](TToolTip&) { ++hidden; };
    form.reset();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Application().Filters().Count(), filtersBefore);
}

TEST_F(ToolTipTest, DeactivatingAShownTipEndsItsShowing)
{
    ShowCentred("Deactivate");
    int hidden = 0;
    tip->OnHideToolTip = [&hidden](TToolTip&) { ++hidden; };
    EXPECT_TRUE(tip->DeactivateTip());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Application().Filters().Count(), filtersBefore);
    EXPECT_EQ(hidden, 1);
    EXPECT_FALSE(tip->DeactivateTip());
}

// Waits up to two seconds for the condition, handling messages meanwhile.
template <typename Condition> bool WaitFor(Condition condition)
{
    for (int i = 0; i < 200 && !condition(); ++i) {
        Application().ProcessMessages();
        Sleep(10);
    }
    return condition();
}

TEST_F(ToolTipTest, PlainTipShowsWhenThePointerRestsOnTheOwnerAndGoesWhenItLeaves)
{
    form->Show();
    tip->SetText("Resting pointer");
    POINT inside { 100, 80 };
    ClientToScreen(form->Handle(), &inside);
    SetCursorPos(inside.x, inside.y);
    Application().ProcessMessages();
    SetCursorPos(inside.x + 1, inside.y + 1);
    if (!WaitFor([&] { return tip->Showing(); }))
        GTEST_SKIP() << "no pointer moves on this display";
    EXPECT_EQ(GetCapture(), form->Handle());
    RECT r;
    GetWindowRect(tip->Handle(), &r);
    const RECT work = ScreenWorkArea(tip->Handle());
    EXPECT_GE(r.left, work.left);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);

    SetCursorPos(inside.x + 600, inside.y + 400);
    EXPECT_TRUE(WaitFor([&] { return !tip->Showing(); }));
    EXPECT_NE(GetCapture(), form->Handle());
    EXPECT_EQ(Application().Filters().Count(), filtersBefore);
}

TEST_F(ToolTipTest, VisibleIsTheStyleBitOnly)
{
    tip->SetVisible(true);
    EXPECT_TRUE(GetWindowLongA(tip->Handle(), GWL_STYLE) & WS_VISIBLE);
    tip->SetVisible(false);
    EXPECT_FALSE(tip->Showing());
}

// ---- rich tips ----

constexpr const char* RichText = "{\\rtf1\\ansi Read the TOPIC?3 now}";

class RichToolTipTest : public ToolTipTest {
protected:
    void SetUp() override
    {
        ToolTipTest::SetUp();
        tip->SetToolTipStyle(ttsRichText);
        if (!tip->TextWindow())
            GTEST_SKIP() << "no rich-edit control";
    }
    std::wstring RichContent()
    {
        GETTEXTLENGTHEX query { GTL_NUMCHARS, 1200 };
        const auto n = SendMessageW(tip->TextWindow(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
        std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
        GETTEXTEX get { static_cast<DWORD>(text.size() * 2), GT_DEFAULT, 1200, nullptr, nullptr };
        const auto copied = SendMessageW(
            tip->TextWindow(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(copied));
        return text;
    }
    // Marks characters [from, to) as a link.
    void MarkLink(LONG from, LONG to)
    {
        CHARRANGE range { from, to };
        SendMessageW(tip->TextWindow(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_LINK;
        format.dwEffects = CFE_LINK;
        SendMessageW(tip->TextWindow(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        CHARRANGE none { 0, 0 };
        SendMessageW(tip->TextWindow(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
    }
    CHARRANGE Selection()
    {
        CHARRANGE range {};
        SendMessageW(tip->TextWindow(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    void ClickAt(LONG position)
    {
        POINTL at {};
        SendMessageW(tip->TextWindow(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
        const LPARAM where = MAKELPARAM(at.x + 2, at.y + 2);
        SendMessageW(tip->TextWindow(), WM_LBUTTONDOWN, MK_LBUTTON, where);
        SendMessageW(tip->TextWindow(), WM_LBUTTONUP, 0, where);
        Application().ProcessMessages();
    }
};

TEST_F(RichToolTipTest, RichStyleHasWiderMarginsAndStreamsRtfIn)
{
    EXPECT_EQ(tip->VMargin, 4);
    tip->SetText(RichText);
    EXPECT_EQ(RichContent(), L"Read the TOPIC?3 now");
    EXPECT_EQ(tip->ToolCount(), 1);
    tip->SetText("");
    EXPECT_EQ(RichContent(), L"");
    EXPECT_EQ(tip->ToolCount(), 0);
}

TEST_F(RichToolTipTest, ShownRichTipIsAsHighAsItsLinesAndTakesTheFocus)
{
    tip->CenterToolTip = cttSubToolRect;
    tip->SetToolRect({ 20, 30, 220, 60 });
    tip->SetText("{\\rtf1\\ansi one\\par two\\par three}");
    tip->ActivateTip();
    Application().ProcessMessages();
    ASSERT_TRUE(tip->Showing());
    EXPECT_EQ(GetFocus(), tip->TextWindow());
    RECT r;
    GetWindowRect(tip->Handle(), &r);
    TEXTMETRICA metrics {};
    HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, tip->Font().Handle());
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_GE(r.bottom - r.top, 2 * metrics.tmHeight + 2 * tip->VMargin);
    EXPECT_LT(r.bottom - r.top, 5 * metrics.tmHeight + 6 * tip->VMargin);
}

TEST_F(RichToolTipTest, TabSelectsALinkAndEnterClicksIt)
{
    tip->CenterToolTip = cttSubToolRect;
    tip->SetToolRect({ 20, 30, 220, 60 });
    tip->SetText(RichText);
    MarkLink(9, 16);
    tip->ActivateTip();
    Application().ProcessMessages();
    ASSERT_TRUE(tip->Showing());
    std::string clicked;
    tip->OnLinkClick = [&clicked](const std::string& url) {
        clicked = url;
        return std::string("{\\rtf1\\ansi Next}");
    };
    InjectKey(VK_TAB, 0, tip->TextWindow());
    Application().ProcessMessages();
    EXPECT_EQ(Selection().cpMin, 9);
    EXPECT_EQ(Selection().cpMax, 16);
    InjectKey(VK_RETURN, 0, tip->TextWindow());
    Application().ProcessMessages();
    EXPECT_EQ(clicked, "TOPIC?3");
    EXPECT_EQ(RichContent(), L"Next");
}

TEST_F(RichToolTipTest, LinkWalkSelectsWholeLinksForwardAndBack)
{
    tip->SetText("{\\rtf1\\ansi aa LINK bb MORE cc}");
    MarkLink(3, 7);
    MarkLink(11, 15);
    tip->SelectNextLink(true);
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 7);
    tip->SelectNextLink(true);
    EXPECT_EQ(Selection().cpMin, 11);
    EXPECT_EQ(Selection().cpMax, 15);
    tip->SelectNextLink(true);
    EXPECT_EQ(Selection().cpMin, 18);
    EXPECT_EQ(Selection().cpMax, 18);
    tip->SelectNextLink(false);
    EXPECT_EQ(Selection().cpMin, 11);
    EXPECT_EQ(Selection().cpMax, 15);
    tip->SelectNextLink(false);
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 7);
    tip->SelectNextLink(false);
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 0);
}

TEST_F(RichToolTipTest, LinkClickWithAnEmptyAnswerEmptiesTheTip)
{
    tip->SetText(RichText);
    MarkLink(9, 16);
    std::string clicked;
    tip->OnLinkClick = [&clicked](const std::string& url) {
        clicked = url;
        return std::string();
    };
    ClickAt(10);
    EXPECT_EQ(clicked, "TOPIC?3");
    EXPECT_EQ(RichContent(), L"");
    EXPECT_EQ(tip->ToolCount(), 0);
}

TEST_F(RichToolTipTest, LinkClickWithAnAnswerShowsItInPlaceOfTheOldText)
{
    tip->SetText(RichText);
    MarkLink(9, 16);
    tip->OnLinkClick = [](const std::string&) { return std::string("{\\rtf1\\ansi The topic text}"); };
    ClickAt(10);
    EXPECT_EQ(RichContent(), L"The topic text");
    EXPECT_EQ(tip->ToolCount(), 1);
}

TEST_F(RichToolTipTest, CtrlCCopiesWithoutPoppingTheTip)
{
    tip->CenterToolTip = cttSubToolRect;
    tip->SetToolRect({ 20, 30, 220, 60 });
    tip->SetText(RichText);
    tip->ActivateTip();
    Application().ProcessMessages();
    ASSERT_TRUE(tip->Showing());
    // Each key is handled before the next sets its own modifier state.
    InjectKey('A', ssCtrl, tip->TextWindow());
    Application().ProcessMessages();
    InjectKey('C', ssCtrl, tip->TextWindow());
    Application().ProcessMessages();
    EXPECT_TRUE(tip->Showing());
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, L"Read the TOPIC?3 now");
    InjectKey(VK_ESCAPE, 0, tip->TextWindow());
    Application().ProcessMessages();
    EXPECT_FALSE(tip->Showing());
}

// ---- tracking tooltips ----

TEST_F(ToolTipTest, TrackingTipShowsWithAppendedTextAndGoesAway)
{
    HWND window = form->Handle();
    HWND tracking = CreateTrackingToolTip(window, nullptr, { 0, 0, 10, 10 }, "Key 0x1234", 300,
        TTitleData { 1, "Details" }, 7, true, false, false);
    ASSERT_NE(tracking, nullptr);
    const std::string more = " (expired)";
    EXPECT_TRUE(ShowTrackingToolTip(tracking, window, nullptr, { 200, 150 }, &more));
    TOOLINFOA info {};
    std::string text;
    GetTrackingToolInfo(tracking, window, nullptr, info, text);
    EXPECT_EQ(text, "Key 0x1234 (expired)");
    EXPECT_EQ(info.lParam, 7);
    EXPECT_EQ(info.uFlags & (TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE), UINT(TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE));
    EXPECT_TRUE(IsWindowVisible(tracking));
    HideTrackingToolTip(tracking, window, nullptr, nullptr);
    EXPECT_FALSE(IsWindowVisible(tracking));

    GetTrackingToolInfo(tracking, window, GetDesktopWindow(), info, text);
    EXPECT_EQ(info.cbSize, 0u);
    EXPECT_EQ(text, "");
    EXPECT_EQ(DestroyTrackingToolTip(tracking, window, nullptr), nullptr);
    EXPECT_FALSE(IsWindow(tracking));
}

} // namespace
