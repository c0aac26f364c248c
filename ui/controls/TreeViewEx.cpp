// The multi-selecting tree view: key and mouse rules, locked range changes, custom-drawn colours,
// the theme rule and the hint tooltip.
#include "ui/controls/TreeViewEx.h"

#include "foundation/UxThemes.h"
#include "ui/controls/ThemeApi.h"

namespace {

constexpr DWORD InfoTipStyle = TVS_INFOTIP;
constexpr UINT LastKeyMessage = 0x109;

// The modifier part the rules look at.
TShiftState ShiftAndCtrl(TShiftState shift) noexcept
{
    return shift & (ssShift | ssCtrl);
}

} // namespace

TTreeViewEx::TTreeViewEx(TComponent* owner)
    : TTreeView(owner)
{
    MultiSelectStyle = msControlSelect | msShiftSelect;
}

TTreeViewEx::~TTreeViewEx()
{
    DestroyHandle();
}

void TTreeViewEx::CreateParams(TCreateParams& params)
{
    TTreeView::CreateParams(params);
    if (toolTips_)
        params.Style |= InfoTipStyle;
}

void TTreeViewEx::CreateWindowHandleDone()
{
    TTreeView::CreateWindowHandleDone();
    ApplyThemeRule();
    SendMessageA(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    toolTip_ = new TToolTip(this);
    toolTip_->SetToolTipStyle(ttsUnderscore);
    toolTip_->SetText(Hint);
    ApplyShowingHeight();
}

int TTreeViewEx::ItemHeight()
{
    return static_cast<int>(SendMessageA(Handle(), TVM_GETITEMHEIGHT, 0, 0));
}

void TTreeViewEx::SetItemHeight(int height)
{
    SendMessageA(Handle(), TVM_SETITEMHEIGHT, static_cast<WPARAM>(height), 0);
}

void TTreeViewEx::SetToolTips(bool value)
{
    if (value == toolTips_)
        return;
    toolTips_ = value;
    if (!HandleAllocated())
        return;
    const auto style = static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE));
    SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>(value ? style | InfoTipStyle : style & ~InfoTipStyle));
}

void TTreeViewEx::SetHint(const std::string& hint)
{
    Hint = hint;
    if (toolTip_)
        toolTip_->SetText(hint);
}

// Styles follow the colour: only a window-coloured tree looks like the system's, and a themed one
// draws its own frame.
void TTreeViewEx::ApplyThemeRule()
{
    HWND window = Handle();
    if (!SetWindowThemed(window, Color() == clWindow))
        return;
    const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style & ~WS_BORDER));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
        SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TTreeViewEx::ColorChanged()
{
    TTreeView::ColorChanged();
    // A colour set before the control has a parent is applied when its window is made.
    if (!HandleAllocated() && !Parent())
        return;
    ApplyThemeRule();
    SendMessageA(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

void TTreeViewEx::ApplyShowingHeight()
{
    if (HandleAllocated() && Showing())
        SetItemHeight(GetSystemMetrics(SM_CYSMICON) + 2);
}

void TTreeViewEx::VisibleChanged()
{
    TTreeView::VisibleChanged();
    ApplyShowingHeight();
}

void TTreeViewEx::ShowingChanged()
{
    TTreeView::ShowingChanged();
    ApplyShowingHeight();
}

void TTreeViewEx::MouseEnter()
{
    if (toolTip_)
        toolTip_->SetActive(true);
    TTreeView::MouseEnter();
}

void TTreeViewEx::MouseLeave()
{
    if (toolTip_)
        toolTip_->SetActive(false);
    TTreeView::MouseLeave();
}

// ---- selection ----

int TTreeViewEx::SelectedCount() const
{
    int count = 0;
    for (TTreeNode* node = const_cast<TTreeViewEx*>(this)->Items().GetFirstNode(); node; node = node->GetNext())
        if (node->Selected())
            ++count;
    return count;
}

void TTreeViewEx::GetSelectionRange(TTreeNode*& first, int& firstIndex, TTreeNode*& last, int& lastIndex)
{
    first = last = Selected();
    firstIndex = lastIndex = first ? first->AbsoluteIndex() : -1;
    bool seenSelected = false;
    int index = 0;
    for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNext(), ++index) {
        if (!node->Selected())
            continue;
        if (!seenSelected) {
            first = node;
            firstIndex = index;
            seenSelected = true;
        }
        last = node;
        lastIndex = index;
    }
}

bool TTreeViewEx::BeginLock()
{
    if (!CanChange(nullptr))
        return false;
    locked_ = true;
    Items().BeginUpdate();
    return true;
}

void TTreeViewEx::EndLock()
{
    locked_ = false;
    Items().EndUpdate();
    Change(nullptr);
}

void TTreeViewEx::SetNodeSelected(TTreeNode* node, bool selected)
{
    TVITEMA item {};
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = node->ItemId();
    item.stateMask = TVIS_SELECTED;
    item.state = selected ? TVIS_SELECTED : 0;
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

UINT TTreeViewEx::NodeState(TTreeNode* node)
{
    TVITEMA item {};
    item.mask = TVIF_STATE | TVIF_HANDLE;
    item.hItem = node->ItemId();
    item.stateMask = TVIS_SELECTED;
    SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.state;
}

bool TTreeViewEx::AskMultiSelecting(TTreeNode* node)
{
    bool cancel = false;
    if (OnMultiSelecting)
        OnMultiSelecting(node, selectAllParam_, cancel);
    return cancel;
}

void TTreeViewEx::SelectRange(TTreeNode* first, TTreeNode* last)
{
    for (TTreeNode* node = first; node; node = node->GetNext()) {
        SetNodeSelected(node, !AskMultiSelecting(node));
        if (node == last)
            break;
    }
}

void TTreeViewEx::MakeCurrent(TTreeNode* node)
{
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->ItemId() : nullptr));
}

void TTreeViewEx::ClearSelection(TTreeNode* keep)
{
    if (!BeginLock())
        return;
    for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNext())
        SetNodeSelected(node, false);
    if (!keep) {
        EndLock();
        return;
    }
    MakeCurrent(nullptr);
    locked_ = false;
    // Unlocked, so the tree's own selection (and its notifications) mark the kept node.
    MakeCurrent(keep);
    Items().EndUpdate();
}

void TTreeViewEx::SelectAll(BOOL param)
{
    if (!MultiSelect)
        return;
    selectAllParam_ = param;
    if (BeginLock()) {
        SelectRange(Items().GetFirstNode(), nullptr);
        EndLock();
    }
    selectAllParam_ = FALSE;
}

void TTreeViewEx::UnselectAll(BOOL param)
{
    if (!MultiSelect)
        return;
    selectAllParam_ = param;
    ClearSelection(nullptr);
    selectAllParam_ = FALSE;
}

void TTreeViewEx::EnumSelectedNodes()
{
    if (!MultiSelect || !OnEnumSelectedNodes)
        return;
    for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNext()) {
        if (!node->Selected())
            continue;
        bool cancel = false;
        OnEnumSelectedNodes(node, cancel);
        if (cancel)
            return;
    }
}

void TTreeViewEx::ExtendSelection(TTreeNode* node)
{
    if (!node)
        return;
    TTreeNode* first = nullptr;
    TTreeNode* last = nullptr;
    int firstIndex = -1;
    int lastIndex = -1;
    GetSelectionRange(first, firstIndex, last, lastIndex);
    const int index = node->AbsoluteIndex();
    if (!first) {
        // Nothing current and nothing selected: the range is the node alone.
        first = last = node;
    } else if (index < firstIndex) {
        first = node;
    } else if (index > lastIndex) {
        last = node;
    } else {
        TTreeNode* current = Selected();
        if (current && current->AbsoluteIndex() < index)
            first = node;
        else
            last = node;
    }
    if (!BeginLock())
        return;
    for (TTreeNode* other = Items().GetFirstNode(); other && other != first; other = other->GetNext())
        SetNodeSelected(other, false);
    for (TTreeNode* other = last->GetNext(); other; other = other->GetNext())
        SetNodeSelected(other, false);
    node->MakeVisible();
    MakeCurrent(node);
    SelectRange(first, last);
    EndLock();
}

void TTreeViewEx::ToggleNode(TTreeNode* node)
{
    if (!node)
        return;
    TTreeNode* current = Selected();
    const UINT currentState = current ? NodeState(current) : 0;
    const UINT nodeState = NodeState(node);
    if (!BeginLock())
        return;
    node->MakeVisible();
    const bool cancel = AskMultiSelecting(node);
    MakeCurrent(node);
    SetNodeSelected(node, !cancel && !(nodeState & TVIS_SELECTED));
    // Making a node current unselects the previous one; this tree keeps it as it was.
    if (current && current != node)
        SetNodeSelected(current, (currentState & TVIS_SELECTED) != 0);
    EndLock();
}

void TTreeViewEx::MoveFocus(bool next)
{
    TTreeNode* current = Selected();
    if (!current)
        return;
    TTreeNode* target = next ? current->GetNext() : current->GetPrev();
    if (!target)
        return;
    const UINT currentState = NodeState(current);
    const UINT targetState = NodeState(target);
    if (!BeginLock())
        return;
    target->MakeVisible();
    MakeCurrent(target);
    SetNodeSelected(current, (currentState & TVIS_SELECTED) != 0);
    SetNodeSelected(target, (targetState & TVIS_SELECTED) != 0);
    EndLock();
}

// ---- messages ----

bool TTreeViewEx::HandleKeyDown(WORD key, TShiftState shift)
{
    const TShiftState modifiers = ShiftAndCtrl(shift);
    if (modifiers == 0) {
        ClearSelection(Selected());
        return false;
    }
    if (modifiers == ssShift) {
        if (key != VK_UP && key != VK_DOWN)
            return false;
        if (TTreeNode* current = Selected())
            ExtendSelection(key == VK_UP ? current->GetPrev() : current->GetNext());
        return true;
    }
    if (modifiers != ssCtrl)
        return false;
    switch (key) {
    case VK_SPACE:
        ToggleNode(Selected());
        break;
    case VK_UP:
    case VK_DOWN:
        MoveFocus(key == VK_DOWN);
        break;
    case 'A':
        SelectAll(FALSE);
        break;
    case 'U':
        UnselectAll(FALSE);
        break;
    default:
        return false;
    }
    // The character the key would make (a control character) is not for the tree.
    MSG pending;
    PeekMessageA(&pending, Handle(), WM_KEYFIRST, LastKeyMessage, PM_REMOVE);
    return true;
}

bool TTreeViewEx::HandleLeftButtonDown(const TMessage& message)
{
    TVHITTESTINFO hit {};
    hit.pt = { static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam)) };
    SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    TTreeNode* node = (hit.flags & TVHT_ONITEMLABEL) ? NodeFromItem(hit.hItem) : nullptr;
    const TShiftState modifiers = ShiftAndCtrl(MouseShiftState(message.WParam));
    if (!node || modifiers == (ssShift | ssCtrl))
        return false;
    SetFocus();
    if (modifiers == ssShift) {
        ExtendSelection(node);
        return true;
    }
    if (modifiers == ssCtrl) {
        ToggleNode(node);
        return true;
    }
    ClearSelection(node);
    return false;
}

bool TTreeViewEx::HandleNotify(TMessage& message)
{
    const auto& header = *reinterpret_cast<const NMHDR*>(message.LParam);
    const UINT code = header.code;
    if (IsTreeNotification(code, TVN_SELCHANGINGA, TVN_SELCHANGINGW)
        || IsTreeNotification(code, TVN_SELCHANGEDA, TVN_SELCHANGEDW)) {
        message.Result = 0;
        return locked_;
    }
    if (code != NM_CUSTOMDRAW)
        return false;
    auto& draw = *reinterpret_cast<NMTVCUSTOMDRAW*>(message.LParam);
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        message.Result = CDRF_NOTIFYITEMDRAW;
        return true;
    }
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        if (Color() != clWindow)
            FillRect(draw.nmcd.hdc, &draw.nmcd.rc, Brush());
        if (draw.nmcd.uItemState & CDIS_SELECTED) {
            draw.clrText = ColorToRGB(clHighlightText);
            draw.clrTextBk = ColorToRGB(clHighlight);
        }
    }
    return false;
}

void TTreeViewEx::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_KEYDOWN:
        if (MultiSelect && HandleKeyDown(static_cast<WORD>(message.WParam), KeyboardShiftState()))
            return;
        break;
    case WM_LBUTTONDOWN:
        if (MultiSelect && HandleLeftButtonDown(message))
            return;
        break;
    case CN_NOTIFY:
        if (HandleNotify(message))
            return;
        break;
    case WM_SIZE:
        TTreeView::WndProc(message);
        if (toolTip_)
            toolTip_->SetToolRect(ClientRect());
        return;
    case WM_DESTROY:
        delete toolTip_;
        toolTip_ = nullptr;
        break;
    default:
        break;
    }
    TTreeView::WndProc(message);
}
