// The key selection dialog under Wine over the keys of the GnuPG-made key rings and a groups file:
// the tree it fills, centring over the parent, single and multiple selection by mouse and keys,
// the typed-key and key-server results, cancel, and the details and help it asks for.
#include "engine/KeyDialog.h"
#include "ui/controls/KeyDialogAssist.h"
#include "engine/KeyFuncs.h"

#include "KeyDialogDriver.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

class TRecordingAssist : public IKeyDialogAssist {
public:
    void ShowDetails(HWND, POINT, const std::string& text) override
    {
        shown = true;
        details = text;
    }
    void HideDetails() override { shown = false; }
    bool DetailsShown() const override { return shown; }
    void ShowHelp(HWND, int context) override { helpContext = context; }

    bool shown = false;
    std::string details;
    int helpContext = 0;
};

void HoldKeys(std::initializer_list<int> keys)
{
    BYTE state[256] = {};
    for (int key : keys)
        state[key] = 0x80;
    SetKeyboardState(state);
}

void PressKey(HWND tree, int key, std::initializer_list<int> held = {})
{
    HoldKeys(held);
    SendMessageA(tree, WM_KEYDOWN, key, 0);
    HoldKeys({});
}

std::string ItemText(HWND tree, HTREEITEM item)
{
    char text[256] = {};
    TVITEMA query {};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return text;
}

HTREEITEM FindRoot(HWND tree, const std::string& prefix)
{
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        if (ItemText(tree, item).rfind(prefix, 0) == 0)
            return item;
    return nullptr;
}

std::vector<std::string> RootTexts(HWND tree)
{
    std::vector<std::string> texts;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(
                     SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        texts.push_back(ItemText(tree, item));
    return texts;
}

LPARAM ItemPoint(HWND tree, HTREEITEM item)
{
    RECT rect {};
    std::memcpy(&rect, &item, sizeof item);
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
}

void Click(HWND tree, HTREEITEM item, WPARAM keys = 0)
{
    const LPARAM at = ItemPoint(tree, item);
    SendMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageA(tree, WM_LBUTTONUP, keys, at);
}

std::string DialogText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class KeyDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() { LoadStandInSdk(); }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        if (HasFatalFailure())
            return;
        ann = FullKeyID("ann@example.org");
        bob = FullKeyID("bob@example.net");
        KeyRings().GroupsFile = scratch.path + "PGPgroup.pgr";
        const std::string groups = "PGPSTANDIN-GROUPS 1\r\nG\tteam\tThe team\r\nK\t" + ann + "\t1\r\nK\t" + bob
            + "\t1\r\nG\tgone\t\r\nK\t0x0123456789ABCDEF\t1\r\n";
        HANDLE file = CreateFileA(KeyRings().GroupsFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, groups.data(), static_cast<DWORD>(groups.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_GT(FindKeys("", keys, 0xB4000DCF, kKeyFilterCanEncrypt, 0), 1);
        parent = CreateWindowExA(0, "STATIC", "mail", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 60, 700, 500, nullptr,
                                 nullptr, nullptr, nullptr);
        dialog = std::make_unique<TSelKeyDialog>(parent);
        dialog->Texts.Title = "Select the recipients' keys";
        dialog->Texts.Hint = "Choose keys";
        dialog->Texts.CountSuffix = "marked";
        dialog->Assist = &assist;
    }
    void TearDown() override
    {
        dialog.reset();
        if (parent)
            DestroyWindow(parent);
        DeleteFileA(KeyRings().GroupsFile.c_str());
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    static std::string FullKeyID(const std::string& text)
    {
        std::unique_ptr<TKeyPropsList> list;
        EXPECT_EQ(FindKeys(text, list, kKeyPropKeyID, 0, 0), 1) << text;
        return list ? (*list)[0] : "";
    }

    int Run(std::string& text, std::function<void(HWND, HWND)> act)
    {
        TDialogDriver driver(std::move(act));
        return dialog->Execute(text, *keys, remembered);
    }

    TScratchFolder scratch { "zavek-keydialog" };
    std::string ann, bob;
    std::unique_ptr<TKeyPropsList> keys;
    HWND parent = nullptr;
    std::unique_ptr<TSelKeyDialog> dialog;
    TRecordingAssist assist;
    bool remembered = false;
};

TEST_F(KeyDialogTest, TreeShowsEveryKeyThatCanEncryptAndTheGroups)
{
    std::vector<std::string> roots;
    std::string childOfAnn;
    RECT dialogRect {}, parentRect {};
    std::string text;
    Run(text, [&](HWND d, HWND tree) {
        roots = RootTexts(tree);
        HTREEITEM annItem = FindRoot(tree, "Ann Lee");
        childOfAnn = ItemText(tree, reinterpret_cast<HTREEITEM>(SendMessageA(
            tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(annItem))));
        GetWindowRect(d, &dialogRect);
        GetWindowRect(parent, &parentRect);
        Press(d, IDCANCEL);
    });
    ASSERT_EQ(static_cast<int>(roots.size()), keys->Count() + 2);
    EXPECT_EQ(roots[0].rfind("Ann Lee <ann@example.org> (", 0), 0u) << roots[0];
    EXPECT_EQ(roots[roots.size() - 2], "gone (group)");
    EXPECT_EQ(roots.back(), "team (group)");
    EXPECT_EQ(childOfAnn, "Ann Lee <ann@example.org>");
    // Centred over the parent, halves rounded toward zero.
    EXPECT_NEAR((dialogRect.left + dialogRect.right) / 2, (parentRect.left + parentRect.right) / 2, 1);
    EXPECT_NEAR((dialogRect.top + dialogRect.bottom) / 2, (parentRect.top + parentRect.bottom) / 2, 1);
}

TEST_F(KeyDialogTest, SingleSelectionResults)
{
    struct Case {
        const char* name;
        std::string wanted;
        std::function<void(HWND, HWND)> act;
        int result;
        std::function<std::string()> expected;
    };
    const Case cases[] = {
        { "preselected by fuzzy search, OK", "Bobby <bob@example.net>", [](HWND d, HWND) { Press(d, IDOK); },
            kKeyDialogChosen, [&] { return bob; } },
        { "Enter in the tree", "ann@example.org", [](HWND, HWND tree) { PressKey(tree, VK_RETURN); },
            kKeyDialogChosen, [&] { return ann; } },
        { "double-click on an item", "",
            [](HWND, HWND tree) {
                SendMessageA(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, ItemPoint(tree, FindRoot(tree, "Bob Stone")));
            },
            kKeyDialogChosen, [&] { return bob; } },
        { "a group gives its members", "team", [](HWND d, HWND) { Press(d, IDOK); }, kKeyDialogChosen,
            [&] { return ann + "," + bob; } },
        { "use the typed key", "someone@else.org",
            [](HWND d, HWND tree) {
                SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindRoot(tree, "Ann Lee")));
                Press(d, kKeyDialogButton6);
            },
            kKeyDialogTypedKey, [&] { return ann + "someone@else.org"; } },
        { "Ctrl+Enter uses the typed key", "someone@else.org",
            [](HWND, HWND tree) {
                SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindRoot(tree, "Bob Stone")));
                PressKey(tree, VK_RETURN, { VK_CONTROL });
            },
            kKeyDialogTypedKey, [&] { return bob + "someone@else.org"; } },
        { "key-server search", "someone@else.org", [](HWND d, HWND) { Press(d, kKeyDialogButton4); },
            kKeyDialogSearchServer, [] { return std::string("someone@else.org"); } },
        { "cancel clears the text", "ann@example.org", [](HWND d, HWND) { Press(d, IDCANCEL); }, kKeyDialogCancelled,
            [] { return std::string(); } },
        { "closing the window cancels", "ann@example.org",
            [](HWND d, HWND) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, kKeyDialogCancelled,
            [] { return std::string(); } },
    };
    for (const Case& c : cases) {
        std::string text = c.wanted;
        remembered = false;
        EXPECT_EQ(Run(text, c.act), c.result) << c.name;
        EXPECT_EQ(text, c.expected()) << c.name;
        EXPECT_EQ(remembered, std::string(c.name).find("group") != std::string::npos) << c.name;
    }
}

TEST_F(KeyDialogTest, OkNeedsAChoiceAndTheTypedKeyNeedsAText)
{
    bool okEnabled = true, typedEnabled = true, searchEnabled = true;
    std::string text;
    Run(text, [&](HWND d, HWND tree) {
        searchEnabled = IsWindowEnabled(GetDlgItem(d, kKeyDialogButton4));
        typedEnabled = IsWindowEnabled(GetDlgItem(d, kKeyDialogButton6));
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
        okEnabled = IsWindowEnabled(GetDlgItem(d, IDOK));
        Press(d, IDOK); // nothing chosen: stays open
        Press(d, IDCANCEL);
    });
    EXPECT_FALSE(searchEnabled);
    EXPECT_FALSE(typedEnabled);
    EXPECT_FALSE(okEnabled);
}

TEST_F(KeyDialogTest, MultipleSelectionMarksByMouseAndKeys)
{
    dialog->MultipleSelection = true;
    std::string afterClicks, afterAll, afterNone, afterRange;
    bool okWithoutMarks = true;
    std::string text;
    const int result = Run(text, [&](HWND d, HWND tree) {
        HTREEITEM team = FindRoot(tree, "team");
        HTREEITEM bobItem = FindRoot(tree, "Bob Stone");
        HTREEITEM annItem = FindRoot(tree, "Ann Lee");
        Click(tree, team);
        Click(tree, bobItem, MK_CONTROL);
        afterClicks = DialogText(d, kKeyDialogHint);
        PressKey(tree, 'A', { VK_CONTROL });
        afterAll = DialogText(d, kKeyDialogHint);
        PressKey(tree, 'U', { VK_CONTROL });
        afterNone = DialogText(d, kKeyDialogHint);
        okWithoutMarks = IsWindowEnabled(GetDlgItem(d, IDOK));
        Click(tree, annItem);
        Click(tree, bobItem, MK_SHIFT);
        afterRange = DialogText(d, kKeyDialogHint);
        Click(tree, team);
        Click(tree, bobItem, MK_CONTROL);
        Click(tree, annItem, MK_CONTROL);
        Click(tree, annItem, MK_CONTROL); // toggled off again
        Press(d, IDOK);
    });
    EXPECT_EQ(afterClicks, "0002 marked");
    EXPECT_EQ(afterAll, (keys->Count() + 2 < 10 ? "000" : "00") + std::to_string(keys->Count() + 2) + " marked");
    EXPECT_EQ(afterNone, "0000 marked");
    EXPECT_FALSE(okWithoutMarks);
    EXPECT_EQ(afterRange, "0002 marked");
    EXPECT_EQ(result, kKeyDialogChosen);
    EXPECT_EQ(text, bob + "," + ann) << "tree order: Bob's key, then the group's members";
    EXPECT_TRUE(remembered);
}

TEST_F(KeyDialogTest, MultipleSelectionKeysMoveFocusAndExtendTheRange)
{
    dialog->MultipleSelection = true;
    std::string text = "ann@example.org";
    std::string afterShift, afterCtrlMove, afterToggle;
    Run(text, [&](HWND d, HWND tree) {
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindRoot(tree, "Ann Lee")));
        PressKey(tree, VK_DOWN); // down to Ann's user id: the mark stays with her key
        PressKey(tree, 'A', { VK_CONTROL });
        PressKey(tree, 'U', { VK_CONTROL });
        Click(tree, FindRoot(tree, "Ann Lee"));
        // Ann's two user ids lie between her key and Bob's key.
        for (int i = 0; i < 3; ++i)
            PressKey(tree, VK_DOWN, { VK_SHIFT });
        afterShift = DialogText(d, kKeyDialogHint);
        // Past Bob's two user ids to the next key, the marks left as they are.
        for (int i = 0; i < 3; ++i)
            PressKey(tree, VK_DOWN, { VK_CONTROL });
        afterCtrlMove = DialogText(d, kKeyDialogHint);
        PressKey(tree, VK_SPACE, { VK_CONTROL });
        afterToggle = DialogText(d, kKeyDialogHint);
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(afterShift, "0002 marked");
    EXPECT_EQ(afterCtrlMove, "0002 marked");
    EXPECT_EQ(afterToggle, "0003 marked");
}

TEST_F(KeyDialogTest, DetailsAndHelpGoThroughTheAssist)
{
    bool stillOpenAfterEscape = false;
    std::string text = "bob@example.net";
    const int result = Run(text, [&](HWND d, HWND tree) {
        PressKey(tree, 'I', { VK_CONTROL });
        SendMessageA(tree, WM_KEYDOWN, VK_ESCAPE, 0);
        stillOpenAfterEscape = IsWindow(d) && !assist.shown;
        SendMessageA(tree, WM_RBUTTONDOWN, 0, ItemPoint(tree, FindRoot(tree, "team")));
        HELPINFO help {};
        help.cbSize = sizeof help;
        SendMessageA(d, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
        Press(d, IDCANCEL); // closes the group's details first
        Press(d, IDCANCEL);
    });
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_EQ(result, kKeyDialogCancelled);
    EXPECT_NE(assist.details.find("team (group)\r\nAnn Lee"), std::string::npos) << assist.details;
    EXPECT_EQ(assist.helpContext, kKeyDialogHelpContext);
}

TEST_F(KeyDialogTest, DetailsShowInATrackingTooltipInTheTreesFont)
{
    TKeyDialogAssist real(nullptr);
    dialog->Assist = &real;
    std::string tipText;
    bool visible = false, hiddenByKey = false, fontMatches = false;
    std::string text = "ann@example.org";
    Run(text, [&](HWND d, HWND tree) {
        PressKey(tree, 'I', { VK_CONTROL });
        HWND tip = FindWindowA(TOOLTIPS_CLASSA, nullptr);
        visible = real.DetailsShown() && tip && IsWindowVisible(tip);
        LOGFONTA tipFont {}, treeFont {};
        if (tip) {
            // The tip may keep its own copy of the font: compare what the fonts are.
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tip, WM_GETFONT, 0, 0)), sizeof tipFont, &tipFont);
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tree, WM_GETFONT, 0, 0)), sizeof treeFont, &treeFont);
        }
        fontMatches = tip && tipFont.lfHeight == treeFont.lfHeight
            && std::string(tipFont.lfFaceName) == std::string(treeFont.lfFaceName);
        char buffer[1024] = {};
        TOOLINFOA info {};
        info.cbSize = sizeof info;
        info.hwnd = tree;
        info.uId = reinterpret_cast<UINT_PTR>(tree);
        info.lpszText = buffer;
        if (tip)
            SendMessageA(tip, TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
        tipText = buffer;
        PressKey(tree, VK_DOWN);
        hiddenByKey = !real.DetailsShown();
        Press(d, IDCANCEL);
    });
    EXPECT_TRUE(visible);
    EXPECT_TRUE(fontMatches);
    EXPECT_NE(tipText.find(ann), std::string::npos) << tipText;
    EXPECT_TRUE(hiddenByKey);
    dialog->Assist = &assist;
}

LPARAM ItemIndex(HWND tree, HTREEITEM item)
{
    TVITEMA query {};
    query.mask = TVIF_PARAM | TVIF_HANDLE;
    query.hItem = item;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    return query.lParam;
}

// What the dialog answers to the tree's custom-draw request for one item in a state.
std::pair<LRESULT, COLORREF> DrawItem(HWND dialog, HWND tree, HTREEITEM item, UINT state)
{
    NMTVCUSTOMDRAW draw {};
    draw.nmcd.hdr.hwndFrom = tree;
    draw.nmcd.hdr.idFrom = kKeyDialogTree;
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.lItemlParam = ItemIndex(tree, item);
    draw.nmcd.uItemState = state;
    draw.clrText = RGB(1, 2, 3);
    const LRESULT result = SendMessageA(dialog, WM_NOTIFY, kKeyDialogTree, reinterpret_cast<LPARAM>(&draw));
    return { result, draw.clrText };
}

TEST_F(KeyDialogTest, ItemsAreDrawnInTheirColours)
{
    std::string text;
    LRESULT prepaint = 0;
    COLORREF key = 0, member = 0, focused = 0;
    Run(text, [&](HWND d, HWND tree) {
        NMTVCUSTOMDRAW draw {};
        draw.nmcd.hdr = { tree, static_cast<UINT_PTR>(kKeyDialogTree), static_cast<UINT>(NM_CUSTOMDRAW) };
        draw.nmcd.dwDrawStage = CDDS_PREPAINT;
        prepaint = SendMessageA(d, WM_NOTIFY, kKeyDialogTree, reinterpret_cast<LPARAM>(&draw));
        HTREEITEM team = FindRoot(tree, "team");
        HTREEITEM firstMember = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(team)));
        key = DrawItem(d, tree, FindRoot(tree, "Ann Lee"), 0).second;
        member = DrawItem(d, tree, firstMember, 0).second;
        focused = DrawItem(d, tree, firstMember, CDIS_FOCUS).second;
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(prepaint, CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(key, RGB(1, 2, 3)) << "an ordinary key keeps the tree's colour";
    EXPECT_EQ(member, GetSysColor(COLOR_GRAYTEXT)) << "group members are grey";
    EXPECT_EQ(focused, GetSysColor(COLOR_HIGHLIGHTTEXT)) << "the focused item is highlighted";
}

TEST_F(KeyDialogTest, CertificateModeOffersDetailsAndNoSearch)
{
    dialog->SMime = true;
    dialog->Texts.SMimeTitle = "Select the recipients' certificates";
    dialog->Texts.Details = "Certificate issued by";
    std::string title, button6;
    bool searchEnabled = true, hasButtons = true;
    std::string text = "ann@example.org";
    Run(text, [&](HWND d, HWND tree) {
        char buffer[128] = {};
        GetDlgItemTextA(d, kKeyDialogTitle, buffer, sizeof buffer);
        title = buffer;
        GetDlgItemTextA(d, kKeyDialogButton6, buffer, sizeof buffer);
        button6 = buffer;
        searchEnabled = IsWindowEnabled(GetDlgItem(d, kKeyDialogButton4));
        hasButtons = (GetWindowLongPtrA(tree, GWL_STYLE) & TVS_HASBUTTONS) != 0;
        Press(d, IDCANCEL);
    });
    EXPECT_EQ(title, "Select the recipients' certificates");
    EXPECT_EQ(button6, "Certificate issued by");
    EXPECT_FALSE(searchEnabled);
    EXPECT_FALSE(hasButtons);
}

// Button 6 in S/MIME mode shows the focused entry's own certificate: a key with two certificates
// of one subject and a third of another gives each entry its own, and an entry whose certificate
// is no longer found falls back to the details.
TEST_F(KeyDialogTest, CertificateModeButton6ViewsTheFocusedEntrysCertificate)
{
    const std::string holder = "0xCE27CE27CE27CE27";
    TKeyPropsRec& record = keys->Record(keys->Add(holder));
    record.UserIDs.emplace();
    for (const char* subject : { "Ann\tCN=Ann", "Ann at work\tCN=Ann at work", "Ann\tCN=Ann" })
        record.UserIDs->SetKind(record.UserIDs->Add(subject), kCertValid);
    std::vector<TX509CertPropsRec> certificates(3);
    for (int i = 0; i < 3; ++i) {
        certificates[i].KeyID = holder;
        certificates[i].SubjectName = i == 1 ? "CN=Ann at work" : "CN=Ann";
        certificates[i].Der = "der-" + std::to_string(i + 1);
    }
    dialog->SMime = true;
    dialog->Certificates = [&](const std::string& keyID) {
        return keyID == holder ? certificates : std::vector<TX509CertPropsRec> {};
    };
    std::vector<std::string> viewed;
    dialog->ViewCertificate = [&](HWND, const TX509CertPropsRec& certificate, const std::string& title) {
        viewed.push_back(certificate.Der + " " + title);
    };
    bool detailsInstead = false;
    std::vector<std::string> rootTexts;
    std::string text;
    Run(text, [&](HWND d, HWND tree) {
        rootTexts = RootTexts(tree);
        std::vector<HTREEITEM> roots;
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        for (; item; item = reinterpret_cast<HTREEITEM>(
                         SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
            roots.push_back(item);
        if (roots.size() >= 3) {
            for (HTREEITEM root : { roots[1], roots[2], roots[0] }) {
                Click(tree, root);
                Press(d, kKeyDialogButton6);
            }
            certificates.clear();
            Press(d, kKeyDialogButton6);
            detailsInstead = assist.shown;
            Press(d, IDCANCEL);
        }
        Press(d, IDCANCEL);
    });
    rootTexts.resize(std::min<std::size_t>(rootTexts.size(), 3)); // the groups follow
    ASSERT_EQ(rootTexts, (std::vector<std::string> { "CN=Ann", "CN=Ann", "CN=Ann at work" }));
    EXPECT_EQ(viewed, (std::vector<std::string> { "der-3 CN=Ann", "der-2 CN=Ann at work", "der-1 CN=Ann" }));
    EXPECT_TRUE(detailsInstead) << "no certificate of the entry: the details show the key";
}

} // namespace
