// The key selection dialog's window side: template 10 run modally, the tree made and filled at run
// time, owner-drawn title and hint, custom-drawn items, and the single and multiple selection.
#include "engine/KeyDialog.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr int kTreeGapAbove = 12;
constexpr int kTreeGapBelow = 24;

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// One GDI object selected into a memory DC for the length of a scope.
class TSelected {
public:
    TSelected(HDC dc, HGDIOBJ object)
        : dc_(dc)
        , old_(SelectObject(dc, object))
    {
    }
    ~TSelected() { SelectObject(dc_, old_); }
    TSelected(const TSelected&) = delete;
    TSelected& operator=(const TSelected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

void FillEllipse(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
    {
        TSelected b(dc, brush), p(dc, pen);
        Ellipse(dc, left, top, right, bottom);
    }
    DeleteObject(brush);
    DeleteObject(pen);
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT box { left, top, right, bottom };
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
}

// Key images: a key (RSA legacy grey, RSA blue, DH/DSS gold), a person for the user ids, a sheet
// for a certificate; image 0 stays empty.
void PaintKeyImage(HDC dc, int index, int x)
{
    static const COLORREF kKeyColours[] = { 0, RGB(150, 150, 150), RGB(40, 90, 200), RGB(210, 160, 20) };
    switch (index) {
    case kKeyImageRSALegacy:
    case kKeyImageRSA:
    case kKeyImageDH:
        FillEllipse(dc, x + 1, 2, x + 9, 11, kKeyColours[index]);
        FillBox(dc, x + 8, 5, x + 17, 8, kKeyColours[index]);
        FillBox(dc, x + 13, 8, x + 15, 11, kKeyColours[index]);
        break;
    case kKeyImageUserIDRSALegacy:
    case kKeyImageUserIDDH: {
        const COLORREF colour = index == kKeyImageUserIDDH ? kKeyColours[3] : kKeyColours[1];
        FillEllipse(dc, x + 6, 0, x + 12, 6, colour);
        FillEllipse(dc, x + 3, 6, x + 15, 15, colour);
        break;
    }
    case kKeyImageCertificate:
        FillBox(dc, x + 3, 0, x + 15, 13, RGB(64, 64, 64));
        FillBox(dc, x + 4, 1, x + 14, 12, RGB(250, 250, 240));
        for (int y = 3; y < 10; y += 3)
            FillBox(dc, x + 6, y, x + 12, y + 1, RGB(40, 90, 200));
        break;
    default:
        break;
    }
}

// State images 1..3: not valid (hollow), marginal (half), valid (full); 0 is never shown.
void PaintStateImage(HDC dc, int index, int x)
{
    if (index == 0)
        return;
    FillEllipse(dc, x + 1, 1, x + 12, 12, RGB(255, 255, 255));
    if (index == 2)
        FillBox(dc, x + 3, 6, x + 10, 10, RGB(200, 170, 0));
    if (index == 3)
        FillEllipse(dc, x + 3, 3, x + 10, 10, RGB(0, 160, 0));
}

template <class Painter> HIMAGELIST MakeImageList(int width, int height, int count, Painter paint)
{
    HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, count, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, width * count, height);
    ReleaseDC(nullptr, screen);
    {
        TSelected selected(dc, strip);
        FillBox(dc, 0, 0, width * count, height, kMaskColour);
        for (int i = 0; i < count; ++i)
            paint(dc, i, i * width);
    }
    DeleteDC(dc);
    if (list)
        ImageList_AddMasked(list, strip, kMaskColour);
    DeleteObject(strip);
    return list;
}

void CentreOverParent(HWND window, HWND parent)
{
    RECT area {};
    if (!parent || !GetWindowRect(parent, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT self {};
    GetWindowRect(window, &self);
    const int x = area.left + ((area.right - area.left) - (self.right - self.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (self.bottom - self.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ChildRect(HWND dialog, int id)
{
    RECT rect {};
    HWND child = GetDlgItem(dialog, id);
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TSelKeyDialog::TSelKeyDialog(HWND parent)
    : parent_(parent)
{
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_TREEVIEW_CLASSES };
    InitCommonControlsEx(&controls);
    keyImages_ = MakeImageList(18, 13, 7, PaintKeyImage);
    stateImages_ = MakeImageList(13, 13, 4, PaintStateImage);
}

TSelKeyDialog::~TSelKeyDialog()
{
    if (keyImages_)
        ImageList_Destroy(keyImages_);
    if (stateImages_)
        ImageList_Destroy(stateImages_);
}

int TSelKeyDialog::Execute(std::string& recipientText, TKeyPropsList& keyList, bool& rememberedChoice)
{
    list_ = &keyList;
    wanted_ = recipientText;
    result_.clear();
    resultCode_ = kKeyDialogCancelled;
    remembered_ = false;
    const INT_PTR shown = DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(kKeyDialogTemplate), parent_,
                                          SelKeyDialogProc, reinterpret_cast<LPARAM>(this));
    MSG pending;
    while (PeekMessageA(&pending, nullptr, 0, 0, PM_REMOVE)) {
        if (pending.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(pending.wParam)); // the host's loop must still see it
            break;
        }
        TranslateMessage(&pending);
        DispatchMessageA(&pending);
    }
    list_ = nullptr;
    if (shown == -1 || resultCode_ == kKeyDialogCancelled) {
        recipientText.clear();
        return shown == -1 ? kKeyDialogFailed : kKeyDialogCancelled;
    }
    if (resultCode_ != kKeyDialogSearchServer)
        recipientText = result_;
    if (remembered_)
        rememberedChoice = true;
    return resultCode_;
}

INT_PTR CALLBACK SelKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<TSelKeyDialog*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            self->Start(dialog);
            return FALSE; // the focus is in the tree
        }
        auto* self = reinterpret_cast<TSelKeyDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
        return self ? self->HandleDialog(message, wParam, lParam) : FALSE;
    } catch (...) {
        EndDialog(dialog, -1);
        return TRUE;
    }
}

LRESULT CALLBACK TSelKeyDialog::TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TSelKeyDialog*>(GetWindowLongPtrA(tree, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(tree, message, wParam, lParam);
    try {
        return self->HandleTree(message, wParam, lParam);
    } catch (...) {
        return CallWindowProcA(self->treeProc_, tree, message, wParam, lParam);
    }
}

INT_PTR TSelKeyDialog::HandleDialog(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam)
            CentreAndScroll();
        return FALSE;
    case WM_DRAWITEM:
        DrawStatic(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom != tree_)
            return FALSE;
        if (header->code == NM_CUSTOMDRAW) {
            SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)));
            return TRUE;
        }
        if (header->code == TVN_SELCHANGEDA || header->code == TVN_SELCHANGEDW)
            SelectionChanged();
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kKeyDialogTyped && HIWORD(wParam) == EN_SETFOCUS) {
            SendDlgItemMessageA(dialog_, kKeyDialogTyped, EM_SETSEL, static_cast<WPARAM>(-1), 0);
            return TRUE;
        }
        if (HIWORD(wParam) == BN_CLICKED)
            Command(LOWORD(wParam));
        return TRUE;
    case WM_HELP:
        if (Assist)
            Assist->ShowHelp(dialog_, HelpContext);
        return TRUE;
    case WM_DESTROY:
        Destroyed();
        return FALSE;
    default:
        return FALSE;
    }
}

void TSelKeyDialog::Start(HWND dialog)
{
    dialog_ = dialog;
    SetWindowTextA(dialog_, "PGP");
    LOGFONTA font {};
    if (GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)), sizeof font, &font)) {
        font.lfWeight = FW_BOLD;
        boldFont_ = CreateFontIndirectA(&font);
    }
    SetDlgItemTextA(dialog_, kKeyDialogTitle, (SMime ? Texts.SMimeTitle : Texts.Title).c_str());
    SetDlgItemTextA(dialog_, kKeyDialogHint, MultipleSelection ? "" : Texts.Hint.c_str());
    SetDlgItemTextA(dialog_, IDCANCEL, Texts.Cancel.c_str());
    SetDlgItemTextA(dialog_, IDOK, Texts.Ok.c_str());
    HWND typed = GetDlgItem(dialog_, kKeyDialogTyped);
    if (MultipleSelection) {
        SetDlgItemTextA(dialog_, kKeyDialogButton4, Texts.MarkAll.c_str());
        SetDlgItemTextA(dialog_, kKeyDialogButton6, Texts.UnmarkAll.c_str());
        EnableWindow(GetDlgItem(dialog_, kKeyDialogButton4), TRUE);
        EnableWindow(GetDlgItem(dialog_, kKeyDialogButton6), TRUE);
    } else {
        SetWindowLongPtrA(typed, GWL_STYLE, GetWindowLongPtrA(typed, GWL_STYLE) & ~WS_TABSTOP);
        SetDlgItemTextA(dialog_, kKeyDialogButton4, Texts.SearchServer.c_str());
        SetDlgItemTextA(dialog_, kKeyDialogButton6, SMime ? Texts.Details.c_str() : Texts.UseTypedKey.c_str());
        EnableWindow(GetDlgItem(dialog_, kKeyDialogButton4), !wanted_.empty() && !SMime);
    }
    SetWindowTextA(typed, Texts.TypedRecipients.c_str());
    EnableWindow(typed, !Texts.TypedRecipients.empty());
    CreateTree();
    FillTree();
    SetFocus(tree_);
}

void TSelKeyDialog::CreateTree()
{
    const RECT typed = ChildRect(dialog_, kKeyDialogTyped);
    const RECT ok = ChildRect(dialog_, IDOK);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP;
    if (!SMime)
        style |= TVS_HASBUTTONS;
    const int top = typed.bottom + kTreeGapAbove;
    tree_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "", style, typed.left, top, typed.right - typed.left,
                            std::max(20L, ok.top - kTreeGapBelow - top), dialog_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKeyDialogTree)), ThisModule(), nullptr);
    if (!tree_)
        return;
    SetWindowPos(tree_, GetDlgItem(dialog_, kKeyDialogTyped), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(tree_, WM_SETFONT, SendMessageA(dialog_, WM_GETFONT, 0, 0), FALSE);
    SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(keyImages_));
    SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(stateImages_));
    SetWindowLongPtrA(tree_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    treeProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(tree_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TSelKeyDialog::TreeProc)));
}

void TSelKeyDialog::FillTree()
{
    items_ = BuildKeyTree(*list_, SMime, Texts.GroupSuffix);
    handles_.assign(items_.size(), nullptr);
    marks_.assign(items_.size(), false);
    roots_.clear();
    if (!tree_)
        return;
    ++batch_;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const TKeyTreeItem& item = items_[i];
        TVINSERTSTRUCTA insert {};
        insert.hParent = item.parent < 0 ? TVI_ROOT : handles_[item.parent];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
        insert.item.pszText = const_cast<char*>(item.text.c_str());
        insert.item.lParam = static_cast<LPARAM>(i);
        insert.item.iImage = insert.item.iSelectedImage = item.image;
        insert.item.state = INDEXTOSTATEIMAGEMASK(item.state);
        insert.item.stateMask = TVIS_STATEIMAGEMASK;
        handles_[i] = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0,
                                                               reinterpret_cast<LPARAM>(&insert)));
        if (item.parent < 0)
            roots_.push_back(static_cast<int>(i));
    }
    if (MultipleSelection)
        for (int root : roots_)
            SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handles_[root]));
    --batch_;
    // Several recipients typed: each one's key is marked, the first focused.
    const std::vector<int> marked = MultipleSelection ? FindPreselections(items_, *list_, wanted_) : std::vector<int> {};
    preselected_ = marked.empty() ? FindPreselection(items_, *list_, wanted_, !MultipleSelection) : marked.front();
    const int focus = preselected_ >= 0 ? preselected_ : roots_.empty() ? -1 : roots_.front();
    if (focus < 0) {
        SelectionChanged();
        return;
    }
    if (items_[focus].parent >= 0)
        SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handles_[items_[focus].parent]));
    SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handles_[focus]));
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handles_[focus]));
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(handles_[focus]));
    if (MultipleSelection)
        MarkOnly(TopLevelItem(items_, focus));
    for (int top : marked)
        MarkAlso(top);
    SelectionChanged();
}

void TSelKeyDialog::CentreAndScroll()
{
    CentreOverParent(dialog_, parent_);
    if (!tree_ || preselected_ < 0)
        return;
    // The preselected item in the middle of the visible rows.
    HTREEITEM first = handles_[preselected_];
    const int half = static_cast<int>(SendMessageA(tree_, TVM_GETVISIBLECOUNT, 0, 0)) / 2;
    for (int i = 0; i < half; ++i) {
        auto previous = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_PREVIOUSVISIBLE, reinterpret_cast<LPARAM>(first)));
        if (!previous)
            break;
        first = previous;
    }
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(first));
}

void TSelKeyDialog::DrawStatic(const DRAWITEMSTRUCT& draw)
{
    char text[512] = {};
    GetWindowTextA(draw.hwndItem, text, sizeof text);
    RECT area = draw.rcItem;
    FillRect(draw.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    const bool title = draw.CtlID == kKeyDialogTitle;
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC, title ? RGB(0, 0, 255) : GetSysColor(COLOR_GRAYTEXT));
    HFONT font = title && boldFont_ ? boldFont_ : reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0));
    TSelected selected(draw.hDC, font);
    DrawTextA(draw.hDC, text, -1, &area,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | (title ? DT_LEFT : DT_RIGHT));
}

LRESULT TSelKeyDialog::CustomDraw(NMTVCUSTOMDRAW& draw)
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const auto index = static_cast<std::size_t>(draw.nmcd.lItemlParam);
    if (draw.nmcd.uItemState & CDIS_FOCUS) {
        draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    } else if (index < items_.size() && !(draw.nmcd.uItemState & CDIS_SELECTED)) {
        if (items_[index].warning)
            draw.clrText = RGB(255, 0, 0);
        else if (items_[index].greyed)
            draw.clrText = GetSysColor(COLOR_GRAYTEXT);
    }
    return CDRF_DODEFAULT;
}

void TSelKeyDialog::Command(int id)
{
    switch (id) {
    case IDOK: {
        std::vector<int> chosen;
        if (MultipleSelection) {
            for (int root : roots_)
                if (marks_[root])
                    chosen.push_back(root);
        } else if (const int top = FocusedTopLevel(); top >= 0) {
            chosen.push_back(top);
        }
        if (chosen.empty())
            return;
        result_ = ChosenKeyIDs(items_, *list_, chosen);
        remembered_ = MultipleSelection
            || std::any_of(chosen.begin(), chosen.end(), [&](int i) { return items_[i].kind == TKeyItemKind::Group; });
        Finish(kKeyDialogChosen);
        return;
    }
    case IDCANCEL:
        if (!HideDetailsFirst())
            Finish(kKeyDialogCancelled);
        return;
    case kKeyDialogButton4:
        if (MultipleSelection)
            SetAllMarks(true);
        else if (!SMime)
            Finish(kKeyDialogSearchServer);
        return;
    case kKeyDialogButton6:
        if (MultipleSelection) {
            SetAllMarks(false);
        } else if (SMime) {
            if (!ViewFocusedCertificate())
                ShowDetails(FocusedItem());
        } else if (const int top = FocusedTopLevel(); top >= 0 && items_[top].kind == TKeyItemKind::Key) {
            result_ = (*list_)[items_[top].data] + wanted_;
            Finish(kKeyDialogTypedKey);
        }
        return;
    default:
        return;
    }
}

void TSelKeyDialog::Finish(int result)
{
    resultCode_ = result;
    EndDialog(dialog_, result);
}

void TSelKeyDialog::Destroyed()
{
    if (Assist && Assist->DetailsShown())
        Assist->HideDetails();
    if (tree_ && treeProc_)
        SetWindowLongPtrA(tree_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(treeProc_));
    if (tree_)
        DestroyWindow(tree_);
    tree_ = nullptr;
    treeProc_ = nullptr;
    if (boldFont_)
        DeleteObject(boldFont_);
    boldFont_ = nullptr;
    if (parent_)
        BringWindowToTop(parent_);
}

int TSelKeyDialog::IndexOf(HTREEITEM item) const
{
    if (!item)
        return -1;
    TVITEMA query {};
    query.mask = TVIF_PARAM | TVIF_HANDLE;
    query.hItem = item;
    if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return -1;
    return query.lParam >= 0 && static_cast<std::size_t>(query.lParam) < items_.size() ? static_cast<int>(query.lParam)
                                                                                         : -1;
}

HTREEITEM TSelKeyDialog::FocusedItem() const
{
    return tree_ ? reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0)) : nullptr;
}

int TSelKeyDialog::FocusedTopLevel() const { return TopLevelItem(items_, IndexOf(FocusedItem())); }

void TSelKeyDialog::MoveFocus(HTREEITEM item)
{
    ++batch_;
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    --batch_;
    ShowMarks();
}

void TSelKeyDialog::SelectionChanged()
{
    if (batch_ > 0)
        return;
    if (MultipleSelection) {
        ShowMarks();
        return;
    }
    const int top = FocusedTopLevel();
    EnableWindow(GetDlgItem(dialog_, IDOK), top >= 0);
    const bool key = top >= 0 && items_[top].kind == TKeyItemKind::Key;
    EnableWindow(GetDlgItem(dialog_, kKeyDialogButton6), SMime ? top >= 0 : key && !wanted_.empty());
}

void TSelKeyDialog::BeginBatch()
{
    if (batch_++ == 0 && tree_)
        SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
}

void TSelKeyDialog::EndBatch()
{
    if (--batch_ > 0)
        return;
    ShowMarks();
    if (tree_) {
        SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree_, nullptr, TRUE);
    }
}

void TSelKeyDialog::MarkOnly(int top)
{
    if (top < 0)
        return;
    BeginBatch();
    std::fill(marks_.begin(), marks_.end(), false);
    marks_[top] = true;
    anchor_ = top;
    EndBatch();
}

void TSelKeyDialog::MarkAlso(int top)
{
    BeginBatch();
    marks_[top] = true;
    EndBatch();
}

void TSelKeyDialog::MarkRange(int from, int to)
{
    auto position = [&](int item) {
        return static_cast<int>(std::find(roots_.begin(), roots_.end(), item) - roots_.begin());
    };
    if (to < 0)
        return;
    const int a = from < 0 ? position(to) : position(from), b = position(to);
    BeginBatch();
    std::fill(marks_.begin(), marks_.end(), false);
    for (int i = std::min(a, b); i <= std::max(a, b) && i < static_cast<int>(roots_.size()); ++i)
        marks_[roots_[i]] = true;
    EndBatch();
}

void TSelKeyDialog::SetAllMarks(bool on)
{
    BeginBatch();
    for (int root : roots_)
        marks_[root] = on;
    EndBatch();
}

void TSelKeyDialog::ToggleMark(int top)
{
    if (top < 0)
        return;
    BeginBatch();
    marks_[top] = !marks_[top];
    anchor_ = top;
    EndBatch();
}

void TSelKeyDialog::ShowMarks()
{
    if (batch_ > 0 || !tree_)
        return;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        TVITEMA state {};
        state.mask = TVIF_STATE | TVIF_HANDLE;
        state.hItem = handles_[i];
        state.stateMask = TVIS_SELECTED;
        state.state = marks_[i] ? TVIS_SELECTED : 0;
        SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&state));
    }
    const int count = MarkedCount();
    SetDlgItemTextA(dialog_, kKeyDialogHint, MarkedCountText(count, Texts.CountSuffix).c_str());
    EnableWindow(GetDlgItem(dialog_, IDOK), count > 0);
}

int TSelKeyDialog::MarkedCount() const
{
    return static_cast<int>(std::count_if(roots_.begin(), roots_.end(), [&](int root) { return marks_[root]; }));
}

bool TSelKeyDialog::MultipleKey(WPARAM key)
{
    const bool shift = KeyDown(VK_SHIFT), control = KeyDown(VK_CONTROL);
    if (control && (key == 'A' || key == 'U')) {
        SetAllMarks(key == 'A');
        return true;
    }
    if (control && key == VK_SPACE) {
        ToggleMark(FocusedTopLevel());
        return true;
    }
    if (key == VK_UP || key == VK_DOWN) {
        auto next = reinterpret_cast<HTREEITEM>(SendMessageA(
            tree_, TVM_GETNEXTITEM, key == VK_UP ? TVGN_PREVIOUSVISIBLE : TVGN_NEXTVISIBLE,
            reinterpret_cast<LPARAM>(FocusedItem())));
        if (!next)
            return true;
        MoveFocus(next);
        const int top = FocusedTopLevel();
        if (shift)
            MarkRange(anchor_, top);
        else if (!control)
            MarkOnly(top);
        return true;
    }
    return false;
}

void TSelKeyDialog::MultipleClick(HTREEITEM item, bool shift, bool control)
{
    MoveFocus(item);
    const int top = TopLevelItem(items_, IndexOf(item));
    if (shift)
        MarkRange(anchor_, top);
    else if (control)
        ToggleMark(top);
    else
        MarkOnly(top);
}

LRESULT TSelKeyDialog::HandleTree(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND tree = tree_;
    WNDPROC base = treeProc_;
    auto hit = [&]() -> std::pair<HTREEITEM, UINT> {
        TVHITTESTINFO test {};
        test.pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&test)));
        return { item, test.flags };
    };
    switch (message) {
    case WM_GETDLGCODE: {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN
            && (msg->wParam == VK_RETURN
                || (msg->wParam == VK_ESCAPE && Assist && Assist->DetailsShown())))
            return DLGC_WANTALLKEYS | CallWindowProcA(base, tree, message, wParam, lParam);
        break;
    }
    case WM_KEYDOWN: {
        const bool closedTip = HideDetailsFirst();
        if (wParam == VK_ESCAPE && closedTip)
            return 0;
        const bool control = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT);
        if (control && wParam == 'I') {
            ShowDetails(FocusedItem());
            return 0;
        }
        if (wParam == VK_RETURN) {
            const bool typedKey = !MultipleSelection && control && IsWindowEnabled(GetDlgItem(dialog_, kKeyDialogButton6));
            Command(typedKey ? kKeyDialogButton6 : IDOK);
            return 0;
        }
        if (!MultipleSelection)
            break;
        if (MultipleKey(wParam))
            return 0;
        if (shift || control || wParam == VK_SHIFT || wParam == VK_CONTROL || wParam == VK_TAB || wParam == VK_F1)
            break;
        const LRESULT done = CallWindowProcA(base, tree, message, wParam, lParam);
        MarkOnly(FocusedTopLevel());
        return done;
    }
    case WM_CHAR:
        if (wParam < 32)
            return 0; // the keys were handled on key-down; no beep and no incremental search
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        HideDetailsFirst();
        const auto [item, flags] = hit();
        if (message == WM_RBUTTONDOWN) {
            if (item && (flags & TVHT_ONITEM)) {
                SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
                ShowDetails(item);
            }
            return 0;
        }
        if (!MultipleSelection || !item || !(flags & TVHT_ONITEM))
            break;
        SetFocus(tree);
        MultipleClick(item, (wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        const auto [item, flags] = hit();
        if (MultipleSelection || !item || !(flags & TVHT_ONITEM))
            break;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        Command(IDOK);
        return 0;
    }
    default:
        break;
    }
    return CallWindowProcA(base, tree, message, wParam, lParam);
}

void TSelKeyDialog::ShowDetails(HTREEITEM item)
{
    const int index = IndexOf(item);
    if (!Assist || index < 0)
        return;
    RECT rect {};
    std::memcpy(&rect, &item, sizeof item); // the message takes the item in the rectangle's place
    SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    POINT at { rect.left, rect.bottom };
    ClientToScreen(tree_, &at);
    Assist->ShowDetails(tree_, at, DetailsText(index));
}

bool TSelKeyDialog::ViewFocusedCertificate()
{
    const int top = FocusedTopLevel();
    if (!ViewCertificate || !Certificates || top < 0 || items_[top].data < 0)
        return false;
    const std::vector<TX509CertPropsRec> certificates = Certificates((*list_)[items_[top].data]);
    const int picked = EntryCertificate(items_, top, certificates);
    if (picked < 0)
        return false;
    ViewCertificate(dialog_, certificates[picked], items_[top].text);
    return true;
}

std::string TSelKeyDialog::DetailsText(int index) const
{
    const TKeyTreeItem& item = items_[index];
    if (item.kind == TKeyItemKind::Group)
        return GroupDetailsText(items_, *list_, index);
    const std::string& keyID = (*list_)[item.data];
    if (SMime && Certificates) {
        // The certificates of the user id the item stands for, else all of its key's.
        std::vector<TX509CertPropsRec> certificates = Certificates(keyID), named;
        for (const TX509CertPropsRec& certificate : certificates)
            if (certificate.SubjectName == item.text)
                named.push_back(certificate);
        const std::string text = CertificateDetailsText(named.empty() ? certificates : named, Names);
        if (!text.empty())
            return text;
    }
    std::string text = KeyDetailsText(list_->Record(item.data), keyID, Names);
    if (SMime)
        text = item.text + "\r\n" + text;
    return text;
}

bool TSelKeyDialog::HideDetailsFirst()
{
    if (!Assist || !Assist->DetailsShown())
        return false;
    Assist->HideDetails();
    return true;
}
