// The tree view wrapper: nodes over native items, whole-tree walking, and the selection-change
// notifications turned into CanChange / Change.
#include "framework/TreeView.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <cstring>

namespace {

void EnsureTreeViewClass()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init { sizeof init, ICC_TREEVIEW_CLASSES };
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

} // namespace

bool IsTreeNotification(UINT code, UINT ansi, UINT wide) noexcept
{
    return code == ansi || code == wide;
}

// ---- TTreeNode ----

std::string TTreeNode::Text() const
{
    char buffer[1024] = "";
    TVITEMA item {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = item_;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(tree_.Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void TTreeNode::SetText(const std::string& text)
{
    TVITEMA item {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = item_;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(tree_.Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

TTreeNode* TTreeNode::Parent() const
{
    return tree_.NodeFromItem(NextItem(tree_.Handle(), item_, TVGN_PARENT));
}

TTreeNode* TTreeNode::GetFirstChild() const
{
    return tree_.NodeFromItem(NextItem(tree_.Handle(), item_, TVGN_CHILD));
}

TTreeNode* TTreeNode::GetNextSibling() const
{
    return tree_.NodeFromItem(NextItem(tree_.Handle(), item_, TVGN_NEXT));
}

TTreeNode* TTreeNode::GetNext() const
{
    if (TTreeNode* child = GetFirstChild())
        return child;
    for (const TTreeNode* node = this; node; node = node->Parent())
        if (TTreeNode* sibling = node->GetNextSibling())
            return sibling;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const
{
    HWND tree = tree_.Handle();
    HTREEITEM previous = NextItem(tree, item_, TVGN_PREVIOUS);
    if (!previous)
        return Parent();
    // The last node of the previous sibling's subtree.
    for (HTREEITEM child = NextItem(tree, previous, TVGN_CHILD); child;
         child = NextItem(tree, previous, TVGN_CHILD)) {
        previous = child;
        while (HTREEITEM next = NextItem(tree, previous, TVGN_NEXT))
            previous = next;
    }
    return tree_.NodeFromItem(previous);
}

int TTreeNode::AbsoluteIndex() const
{
    int index = 0;
    for (const TTreeNode* node = tree_.Items().GetFirstNode(); node && node != this; node = node->GetNext())
        ++index;
    return index;
}

bool TTreeNode::Selected() const
{
    const auto state = SendMessageA(
        tree_.Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_), TVIS_SELECTED);
    return (state & TVIS_SELECTED) != 0;
}

void TTreeNode::Expand(bool recurse)
{
    SendMessageA(tree_.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
    if (recurse)
        for (TTreeNode* child = GetFirstChild(); child; child = child->GetNextSibling())
            child->Expand(true);
}

void TTreeNode::MakeVisible()
{
    SendMessageA(tree_.Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

RECT TTreeNode::DisplayRect(bool textOnly) const
{
    RECT rect {};
    // The item handle travels in the rectangle's first bytes.
    std::memcpy(&rect, &item_, sizeof item_);
    if (!SendMessageA(tree_.Handle(), TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect)))
        return RECT {};
    return rect;
}

// ---- TTreeNodes ----

TTreeNode* TTreeNodes::Insert(HTREEITEM parent, const std::string& text)
{
    auto node = std::make_unique<TTreeNode>(tree_, nullptr);
    TVINSERTSTRUCTA insert {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
    return Keep(std::move(node), TVM_INSERTITEMA, reinterpret_cast<LPARAM>(&insert));
}

TTreeNode* TTreeNodes::Keep(std::unique_ptr<TTreeNode> node, UINT message, LPARAM insert)
{
    node->item_ = reinterpret_cast<HTREEITEM>(SendMessageA(tree_.Handle(), message, 0, insert));
    if (!node->item_)
        throw EOSError(GetLastError(), "Cannot add a tree node.");
    nodes_.push_back(std::move(node));
    return nodes_.back().get();
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::wstring& text, int imageIndex)
{
    auto node = std::make_unique<TTreeNode>(tree_, nullptr);
    TVINSERTSTRUCTW insert {};
    insert.hParent = parent ? parent->ItemId() : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
    // -1 would ask the parent for the image (I_IMAGECALLBACK): no image is an index out of the list.
    insert.item.iImage = imageIndex < 0 ? I_IMAGENONE : imageIndex;
    insert.item.iSelectedImage = imageIndex < 0 ? I_IMAGENONE : imageIndex + 1;
    return Keep(std::move(node), TVM_INSERTITEMW, reinterpret_cast<LPARAM>(&insert));
}

TTreeNode* TTreeNodes::Add(const std::string& text)
{
    return Insert(TVI_ROOT, text);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text)
{
    return Insert(parent ? parent->ItemId() : TVI_ROOT, text);
}

void TTreeNodes::Delete(TTreeNode* node)
{
    if (!node)
        return;
    // Children first, each while its item still exists.
    while (TTreeNode* child = node->GetFirstChild())
        Delete(child);
    SendMessageA(tree_.Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->ItemId()));
    Forget(node);
}

void TTreeNodes::Forget(const TTreeNode* node) noexcept
{
    const auto found = std::find_if(
        nodes_.begin(), nodes_.end(), [node](const std::unique_ptr<TTreeNode>& kept) { return kept.get() == node; });
    if (found != nodes_.end())
        nodes_.erase(found);
}

void TTreeNodes::Clear()
{
    if (tree_.HandleAllocated())
        SendMessageA(tree_.Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    ForgetAll();
}

TTreeNode* TTreeNodes::GetFirstNode() const
{
    if (nodes_.empty())
        return nullptr;
    return tree_.NodeFromItem(NextItem(tree_.Handle(), nullptr, TVGN_ROOT));
}

TTreeNode* TTreeNodes::Item(int index) const
{
    TTreeNode* node = GetFirstNode();
    for (int i = 0; node && i < index; ++i)
        node = node->GetNext();
    return index < 0 ? nullptr : node;
}

void TTreeNodes::BeginUpdate()
{
    if (updateCount_++ == 0 && tree_.HandleAllocated())
        SendMessageA(tree_.Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0 && tree_.HandleAllocated()) {
        SendMessageA(tree_.Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree_.Handle(), nullptr, TRUE);
    }
}

// ---- TTreeView ----

TTreeView::TTreeView(TComponent* owner)
    : TWinControl(owner)
    , items_(*this)
{
    EnsureTreeViewClass();
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView()
{
    DestroyHandle();
}

void TTreeView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = WC_TREEVIEWA;
    params.ExStyle |= WS_EX_CLIENTEDGE;
    if (ShowLines)
        params.Style |= TVS_HASLINES;
    if (ShowRoot)
        params.Style |= TVS_LINESATROOT;
    if (ShowButtons)
        params.Style |= TVS_HASBUTTONS;
    if (!HideSelection)
        params.Style |= TVS_SHOWSELALWAYS;
}

void TTreeView::CreateWindowHandleDone()
{
    if (images_)
        SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_->Handle()));
}

void TTreeView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == images_)
        images_ = nullptr;
}

void TTreeView::SetImages(TImageList* images)
{
    images_ = images;
    if (HandleAllocated())
        SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL,
            reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

TTreeNode* TTreeView::NodeFromItem(HTREEITEM item) const
{
    if (!item || !HandleAllocated())
        return nullptr;
    TVITEMA data {};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)))
        return nullptr;
    return reinterpret_cast<TTreeNode*>(data.lParam);
}

TTreeNode* TTreeView::Selected()
{
    return NodeFromItem(NextItem(Handle(), nullptr, TVGN_CARET));
}

void TTreeView::SetSelected(TTreeNode* node)
{
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->ItemId() : nullptr));
}

TTreeNode* TTreeView::GetNodeAt(int x, int y)
{
    TVHITTESTINFO hit {};
    hit.pt = { x, y };
    SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT)) ? NodeFromItem(hit.hItem) : nullptr;
}

bool TTreeView::CanChange(TTreeNode* node)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(*this, node, allow);
    return allow;
}

void TTreeView::Change(TTreeNode* node)
{
    if (OnChange)
        OnChange(*this, node);
}

void TTreeView::WndProc(TMessage& message)
{
    if (message.Msg == CN_NOTIFY) {
        const auto& change = *reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
        const UINT code = change.hdr.code;
        if (IsTreeNotification(code, TVN_SELCHANGINGA, TVN_SELCHANGINGW)) {
            message.Result = !CanChange(NodeFromItem(change.itemNew.hItem));
            return;
        }
        if (IsTreeNotification(code, TVN_SELCHANGEDA, TVN_SELCHANGEDW)) {
            Change(NodeFromItem(change.itemNew.hItem));
            return;
        }
    }
    if (message.Msg == WM_NCDESTROY)
        items_.ForgetAll();
    TWinControl::WndProc(message);
}
