// Tests of the multi-selecting tree view under Wine: the Shift and Ctrl rules for keys and clicks,
// the veto per node, one Change per locked step, the selection range and enumeration, the item
// height and tooltip style, the own background; and of the blending and 32-bit image lists.
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"
#include "framework/harness/KeyInjector.h"
#include "framework/harness/WindowCapture.h"
#include "ui/controls/ImgListEx.h"
#include "ui/controls/TreeViewEx.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int NodeCount = 10;

class TreeViewExTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        form = new TForm(nullptr);
        form->BorderStyle = bsNone;
        form->SetBounds(40, 40, 300, 320);
        form->Show();
        Application().ProcessMessages();
    }
    static void TearDownTestSuite()
    {
        delete form;
        form = nullptr;
    }

    void SetUp() override
    {
        tree.reset(new TTreeViewEx(form));
        tree->SetParent(form);
        tree->SetBounds(0, 0, 300, 320);
        tree->MultiSelect = true;
        for (int i = 0; i < NodeCount; ++i)
            tree->Items().Add("Node " + std::to_string(i));
        tree->OnChange = [this](TTreeView&, TTreeNode*) { ++changes; };
        tree->OnChanging = [this](TTreeView&, TTreeNode*, bool& allow) {
            ++changings;
            allow = allowChange;
        };
        Application().ProcessMessages();
    }
    void TearDown() override { tree.reset(); }

    TTreeNode* Node(int index) { return tree->Items().Item(index); }

    // The absolute indexes of the selected nodes.
    std::vector<int> SelectedIndexes()
    {
        std::vector<int> indexes;
        int index = 0;
        for (TTreeNode* node = tree->Items().GetFirstNode(); node; node = node->GetNext(), ++index)
            if (node->Selected())
                indexes.push_back(index);
        return indexes;
    }
    int CurrentIndex()
    {
        TTreeNode* current = tree->Selected();
        return current ? current->AbsoluteIndex() : -1;
    }
    void Key(WORD key, TShiftState shift = 0)
    {
        InjectKey(key, shift, tree->Handle());
        PumpPending();
    }
    // A click on the node's label with the modifier keys in the mouse message.
    void Click(int index, WPARAM modifiers = 0)
    {
        const RECT label = Node(index)->DisplayRect(true);
        const LPARAM point = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
        // The tree waits for the button to come up before it selects on a plain click.
        PostMessageA(tree->Handle(), WM_LBUTTONUP, modifiers, point);
        SendMessageA(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | modifiers, point);
        Application().ProcessMessages();
    }
    // Current node at index, with exactly the given nodes selected, by plain click and Ctrl clicks.
    void Prepare(int current, const std::vector<int>& others)
    {
        Click(current);
        for (int index : others)
            Click(index, MK_CONTROL);
        Click(current, MK_CONTROL);
        Click(current, MK_CONTROL);
        changes = changings = 0;
    }

    static TForm* form;
    std::unique_ptr<TTreeViewEx> tree;
    int changes = 0;
    int changings = 0;
    bool allowChange = true;
};
TForm* TreeViewExTest::form = nullptr;

using Indexes = std::vector<int>;

TEST_F(TreeViewExTest, PlainClickSelectsOnlyTheClickedNode)
{
    Prepare(2, { 4, 6 });
    ASSERT_EQ(SelectedIndexes(), (Indexes { 2, 4, 6 }));
    Click(5);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 5 }));
    EXPECT_EQ(CurrentIndex(), 5);
}

TEST_F(TreeViewExTest, CtrlClickTogglesOneNodeAndKeepsTheOthers)
{
    Prepare(2, { 4, 6 });
    Click(4, MK_CONTROL);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 2, 6 }));
    EXPECT_EQ(CurrentIndex(), 4);
    Click(8, MK_CONTROL);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 2, 6, 8 }));
    EXPECT_EQ(changes, 2) << "one Change per toggle";
}

TEST_F(TreeViewExTest, VetoedNodeStaysUnselected)
{
    Prepare(1, {});
    tree->OnMultiSelecting = [this](TTreeNode* node, BOOL, bool& cancel) { cancel = node == Node(3); };
    Click(3, MK_CONTROL);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 1 }));
    Click(7, MK_SHIFT);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 1, 2, 4, 5, 6, 7 }));
}

TEST_F(TreeViewExTest, ShiftClickExtendsAndClearsOutsideTheNewRange)
{
    struct Case {
        const char* name;
        int current;
        Indexes others;
        int clicked;
        Indexes expected;
    };
    const Case cases[] = {
        { "below the range", 2, { 3 }, 6, { 2, 3, 4, 5, 6 } },
        { "above the range", 5, { 6 }, 1, { 1, 2, 3, 4, 5, 6 } },
        { "inside, current at the top end", 2, { 7 }, 4, { 4, 5, 6, 7 } },
        { "inside, current at the bottom end", 7, { 2 }, 4, { 2, 3, 4 } },
        { "nodes before the new first end are cleared", 4, { 0, 9 }, 6, { 6, 7, 8, 9 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.current, c.others);
        Click(c.clicked, MK_SHIFT);
        EXPECT_EQ(SelectedIndexes(), c.expected);
        EXPECT_EQ(CurrentIndex(), c.clicked);
        EXPECT_EQ(changes, 1);
    }
}

TEST_F(TreeViewExTest, ShiftArrowsExtendAndShrinkTheRange)
{
    Prepare(3, {});
    Key(VK_DOWN, ssShift);
    Key(VK_DOWN, ssShift);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 3, 4, 5 }));
    Key(VK_UP, ssShift);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 3, 4 }));
    EXPECT_EQ(CurrentIndex(), 4);
}

TEST_F(TreeViewExTest, StepsAtTheLastNodeChangeNothing)
{
    for (const TShiftState shift : { ssShift, ssCtrl }) {
        SCOPED_TRACE(shift == ssShift ? "Shift+Down" : "Ctrl+Down");
        Prepare(NodeCount - 1, { 5 });
        Key(VK_DOWN, shift);
        EXPECT_EQ(SelectedIndexes(), (Indexes { 5, NodeCount - 1 }));
        EXPECT_EQ(CurrentIndex(), NodeCount - 1);
        EXPECT_EQ(changes, 0);
    }
}

TEST_F(TreeViewExTest, CtrlArrowsMoveTheCurrentNodeOnly)
{
    Prepare(2, { 6 });
    Key(VK_DOWN, ssCtrl);
    Key(VK_DOWN, ssCtrl);
    EXPECT_EQ(CurrentIndex(), 4);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 2, 6 }));
    Key(VK_SPACE, ssCtrl);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 2, 4, 6 }));
    Key(VK_UP, ssCtrl);
    Key(VK_SPACE, ssCtrl);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 2, 3, 4, 6 }));
}

TEST_F(TreeViewExTest, PlainKeyClearsTheSelectionAndMoves)
{
    Prepare(2, { 6, 7 });
    Key(VK_DOWN);
    EXPECT_EQ(CurrentIndex(), 3);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 3 }));
}

TEST_F(TreeViewExTest, CtrlAAndCtrlUSelectAndClearEverything)
{
    Prepare(2, {});
    Key('A', ssCtrl);
    EXPECT_EQ(tree->SelectedCount(), NodeCount);
    EXPECT_EQ(changes, 1);
    Key('U', ssCtrl);
    EXPECT_EQ(tree->SelectedCount(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(TreeViewExTest, LockedStepsFireOneChangeAndNoPerNodeEvents)
{
    Prepare(0, {});
    tree->SelectAll(FALSE);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changings, 1) << "CanChange is asked once for the whole step";
}

TEST_F(TreeViewExTest, RefusedChangeSkipsTheWholeStep)
{
    Prepare(2, { 3 });
    allowChange = false;
    tree->SelectAll(FALSE);
    Click(6, MK_SHIFT);
    Click(8, MK_CONTROL);
    Key(VK_DOWN, ssCtrl);
    EXPECT_EQ(SelectedIndexes(), (Indexes { 2, 3 }));
    EXPECT_EQ(CurrentIndex(), 2);
    EXPECT_EQ(changes, 0);
}

TEST_F(TreeViewExTest, SelectAllHandsItsParameterAndNeedsMultiSelect)
{
    std::set<BOOL> params;
    tree->OnMultiSelecting = [&](TTreeNode* node, BOOL param, bool& cancel) {
        params.insert(param);
        cancel = node->AbsoluteIndex() % 2 == 1;
    };
    tree->SelectAll(7);
    EXPECT_EQ(params, (std::set<BOOL> { 7 }));
    EXPECT_EQ(SelectedIndexes(), (Indexes { 0, 2, 4, 6, 8 }));
    tree->UnselectAll(3);
    EXPECT_EQ(tree->SelectedCount(), 0);

    params.clear();
    Click(1, MK_CONTROL);
    EXPECT_EQ(params, (std::set<BOOL> { 0 })) << "the parameter is reset after the call";

    tree->MultiSelect = false;
    tree->SelectAll(FALSE);
    EXPECT_EQ(tree->SelectedCount(), 1);
}

TEST_F(TreeViewExTest, SelectionRangeAndEnumeration)
{
    Prepare(5, { 2, 8 });
    TTreeNode* first = nullptr;
    TTreeNode* last = nullptr;
    int firstIndex = 0;
    int lastIndex = 0;
    tree->GetSelectionRange(first, firstIndex, last, lastIndex);
    EXPECT_EQ(first, Node(2));
    EXPECT_EQ(firstIndex, 2);
    EXPECT_EQ(last, Node(8));
    EXPECT_EQ(lastIndex, 8);

    std::vector<int> seen;
    tree->OnEnumSelectedNodes = [&](TTreeNode* node, bool& cancel) {
        seen.push_back(node->AbsoluteIndex());
        cancel = node == Node(5);
    };
    tree->EnumSelectedNodes();
    EXPECT_EQ(seen, (Indexes { 2, 5 }));

    tree->Items().Clear();
    tree->GetSelectionRange(first, firstIndex, last, lastIndex);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(firstIndex, -1);
    EXPECT_EQ(lastIndex, -1);
}

TEST_F(TreeViewExTest, ExtendingWithoutAnyCurrentNodeSelectsTheNodeAlone)
{
    tree->SetSelected(nullptr);
    tree->UnselectAll(FALSE);
    ASSERT_EQ(tree->Selected(), nullptr);
    tree->ExtendSelection(Node(4));
    EXPECT_EQ(SelectedIndexes(), (Indexes { 4 }));
}

TEST_F(TreeViewExTest, WalksNestedNodesInTreeOrder)
{
    tree->Items().Clear();
    TTreeNode* a = tree->Items().Add("a");
    TTreeNode* a1 = tree->Items().AddChild(a, "a1");
    TTreeNode* a1x = tree->Items().AddChild(a1, "a1x");
    TTreeNode* a2 = tree->Items().AddChild(a, "a2");
    TTreeNode* b = tree->Items().Add("b");
    const std::vector<TTreeNode*> order { a, a1, a1x, a2, b };
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(order[i]->AbsoluteIndex(), static_cast<int>(i));
        EXPECT_EQ(order[i]->GetNext(), i + 1 < order.size() ? order[i + 1] : nullptr);
        EXPECT_EQ(order[i]->GetPrev(), i > 0 ? order[i - 1] : nullptr);
    }
    EXPECT_EQ(a1x->Text(), "a1x");
    tree->Items().Delete(a1);
    EXPECT_EQ(tree->Items().Count(), 3);
    EXPECT_EQ(a->GetNext(), a2);
}

TEST_F(TreeViewExTest, ItemHeightAndTooltipStyle)
{
    EXPECT_EQ(tree->ItemHeight(), GetSystemMetrics(SM_CYSMICON) + 2);
    EXPECT_TRUE(GetWindowLongA(tree->Handle(), GWL_STYLE) & TVS_INFOTIP);
    tree->SetToolTips(false);
    EXPECT_FALSE(GetWindowLongA(tree->Handle(), GWL_STYLE) & TVS_INFOTIP);
    tree->SetHint("All parts");
    ASSERT_NE(tree->HintToolTip(), nullptr);
    EXPECT_EQ(tree->HintToolTip()->GetText(), "All parts");
    EXPECT_EQ(tree->HintToolTip()->ToolTipStyle(), ttsUnderscore);
}

// A dialog makes its windows before it shows, as the message-tree dialog does: the height comes
// when the form shows, and holds through a later hide and show.
TEST(TreeViewExShowing, ATreeMadeOnAHiddenFormGetsItsItemHeightWhenTheFormShows)
{
    TForm hidden(nullptr);
    hidden.SetBounds(40, 40, 200, 200);
    auto* tree = new TTreeViewEx(&hidden);
    tree->SetParent(&hidden);
    tree->SetBounds(0, 0, 200, 200);
    tree->Items().Add("Node");
    hidden.HandleNeeded();
    const int systemHeight = tree->ItemHeight();
    hidden.Show();
    const int shownHeight = tree->ItemHeight();
    hidden.Hide();
    hidden.Show();
    EXPECT_NE(systemHeight, GetSystemMetrics(SM_CYSMICON) + 2);
    EXPECT_EQ(shownHeight, GetSystemMetrics(SM_CYSMICON) + 2);
    EXPECT_EQ(tree->ItemHeight(), GetSystemMetrics(SM_CYSMICON) + 2);
}

TEST_F(TreeViewExTest, DrawsItsOwnBackgroundAndHighlight)
{
    tree->SetColor(static_cast<TColor>(0x00A8C8C7));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tree->Handle(), TVM_GETBKCOLOR, 0, 0)), 0x00A8C8C7u);
    tree->SelectAll(FALSE);
    Click(9, MK_CONTROL);
    tree->Repaint();
    TBitmap picture;
    ASSERT_TRUE(CaptureWindow(tree->Handle(), picture));
    const auto rgbAt = [&](int x, int y) {
        const std::uint32_t rgb = picture.Bits()[y * picture.Width() + x];
        return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    };
    const RECT selected = Node(3)->DisplayRect(true);
    const RECT unselected = Node(9)->DisplayRect(true);
    // Frame of 2 pixels (client edge) before the client area.
    EXPECT_EQ(rgbAt(selected.right - 2 + 2, (selected.top + selected.bottom) / 2 + 2), ColorToRGB(clHighlight));
    EXPECT_EQ(rgbAt(unselected.right - 2 + 2, (unselected.top + unselected.bottom) / 2 + 2), RGB(0xC7, 0xC8, 0xA8));
    EXPECT_EQ(rgbAt(280, 300), RGB(0xC7, 0xC8, 0xA8));
}

// ---- image lists ----

HICON MakeIcon(COLORREF colour)
{
    TBitmap image(16, 16);
    TBitmap mask(16, 16);
    for (int i = 0; i < 16 * 16; ++i) {
        image.Bits()[i] = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
        mask.Bits()[i] = (i % 16) < 8 ? 0 : 0xFFFFFF; // left half opaque
    }
    image.FreeCanvas();
    mask.FreeCanvas();
    ICONINFO info { TRUE, 0, 0, mask.Handle(), image.Handle() };
    return CreateIconIndirect(&info);
}

TEST(ImageLists, InitListNeedsABrush)
{
    T32BitImages images(nullptr);
    try {
        images.InitList(16, 16, 4, nullptr, false);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Invalid ImageList");
    }
}

TEST(ImageLists, AddIconImageCountsAndFreesIcons)
{
    T32BitImages images(nullptr);
    images.InitList(16, 16, 4, GetSysColorBrush(COLOR_WINDOW), false);
    EXPECT_EQ(images.AddIconImage(nullptr, true, true), -1);
    EXPECT_EQ(images.Count(), 0);

    HICON kept = MakeIcon(RGB(255, 0, 0));
    EXPECT_EQ(images.AddIconImage(kept, false, false), 0);
    ICONINFO info {};
    ASSERT_TRUE(GetIconInfo(kept, &info)) << "the icon stays when not asked to free it";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(kept);

    HICON freed = MakeIcon(RGB(0, 0, 255));
    EXPECT_EQ(images.AddIconImage(freed, true, true), 1);
    EXPECT_EQ(images.Count(), 3) << "the selected copy follows the icon";
    EXPECT_FALSE(GetIconInfo(freed, &info));

    T32BitImages direct(nullptr);
    direct.InitList(16, 16, 1, GetSysColorBrush(COLOR_WINDOW), true);
    EXPECT_EQ(direct.AddIconImage(MakeIcon(RGB(0, 255, 0)), true, true), 0);
    EXPECT_EQ(direct.Count(), 2);
}

TEST(ImageLists, DrawnIconsKeepTheirGeneratedMask)
{
    T32BitImages images(nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
    images.InitList(16, 16, 1, brush, false);
    images.AddIconImage(MakeIcon(RGB(255, 0, 0)), false, true);
    TBitmap target(16, 16);
    ImageList_Draw(images.Handle(), 0, target.Canvas().Handle(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(target.Bits()[8 * 16 + 2] & 0xFFFFFF, 0xFF0000u) << "the icon's opaque half";
    EXPECT_EQ(target.Bits()[8 * 16 + 12] & 0xFFFFFF, 0xFFFFFFu) << "the mask keeps the clear half clear";
    DeleteObject(brush);
}

TEST(ImageLists, DrawBlendedMixesAtThePercentage)
{
    TBlendImages images(nullptr);
    ASSERT_TRUE(images.CanBlend());
    TBitmap& work = images.WorkBitmap();
    for (int i = 0; i < work.Width() * work.Height(); ++i)
        work.Bits()[i] = 0x000000;
    TBitmap target(32, 32);
    images.DrawBlended(target.Canvas(), 0, 0, 16, 16, 50);
    // 255 * 127 / 255 darker: about half of white.
    const std::uint32_t blended = target.Bits()[5 * 32 + 5] & 0xFF;
    EXPECT_NEAR(static_cast<int>(blended), 128, 2);
    EXPECT_EQ(target.Bits()[20 * 32 + 20] & 0xFFFFFF, 0xFFFFFFu) << "outside the destination";
}

} // namespace
