// Menu items, popup menus and the command-id pool.
#include "framework/Menus.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Exceptions.h"
#include "framework/Forms.h"

#include <algorithm>
#include <set>

namespace {

std::set<UINT>& UsedCommands()
{
    static std::set<UINT> used;
    return used;
}

} // namespace

UINT AllocateCommandId()
{
    static UINT next = 1;
    auto& used = UsedCommands();
    for (int tries = 0; tries < 0x7FFF; ++tries) {
        const UINT id = next;
        next = next >= 0x7FFF ? 1 : next + 1;
        if (used.insert(id).second)
            return id;
    }
    throw EInvalidOperation("No free menu command id.");
}

void ReleaseCommandId(UINT id) noexcept
{
    UsedCommands().erase(id);
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* owner)
    : TComponent(owner)
    , command_(AllocateCommandId())
{
}

TMenuItem::~TMenuItem()
{
    DestroyComponents();
    for (TMenuItem* item : std::vector<TMenuItem*>(items_)) {
        item->parent_ = nullptr;
        if (!item->Owner())
            delete item;
    }
    if (parent_)
        parent_->Remove(this);
    ReleaseCommandId(command_);
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item->parent_)
        throw EInvalidOperation("A menu item can have one parent only.");
    if (index < 0 || index > Count())
        throw EListError(index);
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item)
{
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    if (item && item->parent_ == this)
        item->parent_ = nullptr;
}

TMenuItem* TMenuItem::FindCommand(UINT command)
{
    if (command == command_)
        return this;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = item->FindCommand(command))
            return found;
    return nullptr;
}

void TMenuItem::Click()
{
    if (Enabled && OnClick)
        OnClick(*this);
}

void TMenuItem::AppendTo(HMENU menu) const
{
    for (const TMenuItem* item : items_) {
        if (!item->Visible)
            continue;
        if (item->IsLine()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING | (item->Enabled ? MF_ENABLED : MF_GRAYED) | (item->Checked ? MF_CHECKED : 0);
        UINT_PTR id = item->command_;
        if (item->Count() > 0) {
            const HMENU sub = CreatePopupMenu();
            item->AppendTo(sub);
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(sub);
        }
        AppendMenuA(menu, flags, id, item->Caption.c_str());
        if (item->Default)
            SetMenuDefaultItem(menu, item->command_, FALSE);
    }
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* owner)
    : TComponent(owner)
    , items_(nullptr)
{
}

TPopupMenu::~TPopupMenu()
{
    DestroyComponents();
}

void TPopupMenu::Popup(int x, int y)
{
    if (showing_)
        return;
    if (OnPopup)
        OnPopup(*this);
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        throw EOSError(GetLastError(), "Cannot create a menu.");
    UINT command = 0;
    showing_ = true;
    try {
        items_.AppendTo(menu);
        if (OnMenuBuilt)
            OnMenuBuilt(*this, menu);
        HWND owner = nullptr;
        if (auto* control = dynamic_cast<TControl*>(PopupComponent))
            if (TCustomForm* form = control->ParentForm(); form && form->HandleAllocated())
                owner = form->Handle();
        if (!owner)
            owner = GetActiveWindow();
        if (!owner)
            owner = Application().Utility().Handle();
        static constexpr UINT alignments[] = { TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN };
        command = static_cast<UINT>(TrackPopupMenuEx(menu,
            alignments[Alignment] | TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, owner, nullptr));
    } catch (...) {
        showing_ = false;
        DestroyMenu(menu);
        throw;
    }
    showing_ = false;
    DestroyMenu(menu);
    if (command)
        if (TMenuItem* item = items_.FindCommand(command))
            item->Click();
}
