// Popup menus: `TMenuItem` trees with captions ("&" accelerators, TAB before a key hint, "-" for a
// separator) and `TPopupMenu`, which builds the menu when it pops up and runs the chosen item's
// OnClick. Command ids come from one pool so items of different menus never collide.
#pragma once

#include "framework/Components.h"

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    std::string Caption;
    std::string Hint;
    bool Enabled = true;
    bool Visible = true;
    bool Checked = false;
    bool Default = false;
    std::function<void(TMenuItem&)> OnClick;

    // Sub-items: an item without an owner component is freed with its parent item.
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    TMenuItem* Parent() const noexcept { return parent_; }
    bool IsLine() const noexcept { return Caption == "-"; }

    UINT Command() const noexcept { return command_; }
    // The item (this or below) with that command id, or null.
    TMenuItem* FindCommand(UINT command);
    virtual void Click();

    // Appends the visible sub-items to a menu handle (sub-menus included).
    void AppendTo(HMENU menu) const;

private:
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
    UINT command_;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    TMenuItem& Items() noexcept { return items_; }
    bool AutoPopup = true;
    TPopupAlignment Alignment = paLeft;
    // The control the menu was last popped up for (set by the control before Popup).
    TComponent* PopupComponent = nullptr;
    std::function<void(TPopupMenu&)> OnPopup;
    // Called with the menu handle after it is built and before it shows (to insert foreign items).
    std::function<void(TPopupMenu&, HMENU)> OnMenuBuilt;

    // Shows the menu at screen point (x, y), waits for the choice and runs it.
    virtual void Popup(int x, int y);
    // True while the menu is shown.
    bool Showing() const noexcept { return showing_; }

private:
    TMenuItem items_;
    bool showing_ = false;
};

// Allocates command ids 1..0x7FFF; an id is free again when its item goes.
UINT AllocateCommandId();
void ReleaseCommandId(UINT id) noexcept;
