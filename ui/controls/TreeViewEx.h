// `TTreeViewEx`: the plug-in's tree view. Its multi-selection lives in the items' native selected
// state, follows Shift and Ctrl rules for keys and clicks, can be vetoed per node, and is changed in
// one locked step (one Change at the end instead of one per node). It draws its own background and
// highlight colours, keeps a fixed item height and shows its hint in its own tooltip.
#pragma once

#include "framework/TreeView.h"
#include "ui/controls/ToolTip.h"

#include <functional>
#include <string>

class TTreeViewEx : public TTreeView {
public:
    using TOnMultiSelecting = std::function<void(TTreeNode* node, BOOL selectAllParam, bool& cancel)>;
    using TOnEnumSelectedNodes = std::function<void(TTreeNode* node, bool& cancel)>;

    explicit TTreeViewEx(TComponent* owner);
    ~TTreeViewEx() override;

    int ItemHeight();
    void SetItemHeight(int height);
    bool ToolTips() const noexcept { return toolTips_; }
    void SetToolTips(bool value);
    // Sets Hint and hands it to the own tooltip.
    void SetHint(const std::string& hint);
    // Null before the window exists and after it is gone.
    TToolTip* HintToolTip() const noexcept { return toolTip_; }

    // Nodes in the selected state.
    int SelectedCount() const;
    // The current node and its absolute index (null and -1 for an empty tree), widened to the first
    // and the last selected node.
    void GetSelectionRange(TTreeNode*& first, int& firstIndex, TTreeNode*& last, int& lastIndex);
    void SelectAll(BOOL param);
    void UnselectAll(BOOL param);
    void EnumSelectedNodes();

    // Selection steps of the key and mouse rules.
    void ExtendSelection(TTreeNode* node);
    void ToggleNode(TTreeNode* node);
    void MoveFocus(bool next);

    TOnMultiSelecting OnMultiSelecting;
    TOnEnumSelectedNodes OnEnumSelectedNodes;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void ColorChanged() override;
    void VisibleChanged() override;
    void ShowingChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    // The lock around every change of selection states; Begin is false when CanChange refuses.
    bool BeginLock();
    void EndLock();
    void SetNodeSelected(TTreeNode* node, bool selected);
    UINT NodeState(TTreeNode* node);
    bool AskMultiSelecting(TTreeNode* node);
    // Selects first to last (to the end without last), each unless OnMultiSelecting cancels it.
    void SelectRange(TTreeNode* first, TTreeNode* last);
    void MakeCurrent(TTreeNode* node);
    // Clears every node; with keep, that node becomes the only current one.
    void ClearSelection(TTreeNode* keep);
    bool HandleKeyDown(WORD key, TShiftState shift);
    bool HandleLeftButtonDown(const TMessage& message);
    bool HandleNotify(TMessage& message);
    void ApplyThemeRule();
    void ApplyShowingHeight();

    TToolTip* toolTip_ = nullptr;
    bool toolTips_ = true;
    bool locked_ = false;
    BOOL selectAllParam_ = FALSE;
};
