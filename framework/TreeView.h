// `TTreeView`: the framework's wrapper of the common-controls tree view. Nodes are `TTreeNode`
// objects kept by `TTreeNodes` and tied to their items through the item's lParam; the selection
// change of the native control becomes `CanChange` / `Change` (and OnChanging / OnChange).
#pragma once

#include "framework/ComCtrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TTreeView;

class TTreeNode {
public:
    TTreeNode(TTreeView& tree, HTREEITEM item) noexcept
        : tree_(tree)
        , item_(item)
    {
    }
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    HTREEITEM ItemId() const noexcept { return item_; }
    TTreeView& TreeView() const noexcept { return tree_; }
    std::string Text() const;
    void SetText(const std::string& text);
    void* Data = nullptr;

    TTreeNode* Parent() const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetNextSibling() const;
    // The next and previous node in the order of the whole tree (children before siblings).
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    // Position in the order of the whole tree, from 0.
    int AbsoluteIndex() const;

    // The item's native selected state (TVIS_SELECTED).
    bool Selected() const;
    void Expand(bool recurse = false);
    // Expands the parents and scrolls the node into view.
    void MakeVisible();
    RECT DisplayRect(bool textOnly) const;

private:
    friend class TTreeNodes;
    TTreeView& tree_;
    HTREEITEM item_;
};

class TTreeNodes {
public:
    explicit TTreeNodes(TTreeView& tree) noexcept
        : tree_(tree)
    {
    }
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    // A node at the top level (after the last one) and a child appended to parent.
    TTreeNode* Add(const std::string& text);
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    // A child with a UTF-16 caption (shown as written in any code page) and an image whose
    // selected look is the next image of the list; imageIndex -1 shows none.
    TTreeNode* AddChild(TTreeNode* parent, const std::wstring& text, int imageIndex);
    void Delete(TTreeNode* node);
    void Clear();
    int Count() const noexcept { return static_cast<int>(nodes_.size()); }
    TTreeNode* GetFirstNode() const;
    // The node at an absolute index, or null.
    TTreeNode* Item(int index) const;
    // Redrawing is suspended until the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TTreeView;
    TTreeNode* Insert(HTREEITEM parent, const std::string& text);
    // Sends a filled insert request (A or W) and keeps the node it names.
    TTreeNode* Keep(std::unique_ptr<TTreeNode> node, UINT message, LPARAM insert);
    void Forget(const TTreeNode* node) noexcept;
    // The window went away and took its items with it.
    void ForgetAll() noexcept { nodes_.clear(); }

    TTreeView& tree_;
    std::vector<std::unique_ptr<TTreeNode>> nodes_;
    int updateCount_ = 0;
};

enum TMultiSelectStyle : unsigned { msControlSelect = 1, msShiftSelect = 2, msVisibleOnly = 4, msSiblingOnly = 8 };

class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;

    TTreeNodes& Items() noexcept { return items_; }
    // The node of an item handle (null for none).
    TTreeNode* NodeFromItem(HTREEITEM item) const;
    // The current node (the control's own selection).
    TTreeNode* Selected();
    void SetSelected(TTreeNode* node);
    // The node at a client point, or null.
    TTreeNode* GetNodeAt(int x, int y);
    void SetImages(TImageList* images);

    bool MultiSelect = false;
    unsigned MultiSelectStyle = msControlSelect;
    bool ShowLines = true;
    bool ShowRoot = true;
    bool ShowButtons = true;
    bool HideSelection = true;

    std::function<void(TTreeView&, TTreeNode* node, bool& allow)> OnChanging;
    std::function<void(TTreeView&, TTreeNode* node)> OnChange;

    // Asks OnChanging whether the current node may change (to node).
    virtual bool CanChange(TTreeNode* node);
    virtual void Change(TTreeNode* node);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TTreeNodes items_;
    TImageList* images_ = nullptr;
};

// The tree-view notification codes of both character sets.
bool IsTreeNotification(UINT code, UINT ansi, UINT wide) noexcept;
