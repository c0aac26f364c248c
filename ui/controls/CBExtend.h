// `TPlainCBEx`: the dialogs' combo box. It reports when its list drops and closes and which item
// is drawn selected, widens the dropped list to its widest item (never narrowing it), and draws
// owner-drawn items as themed text when the theme is open.
#pragma once

#include "framework/StdCtrls.h"
#include "ui/controls/ThemeApi.h"

#include <functional>

class TPlainCBEx : public TComboBox {
public:
    explicit TPlainCBEx(TComponent* owner);

    // Items are measured and drawn by the control (variable height); chosen before the window exists.
    bool OwnerDrawVariable = false;
    bool ListDropped() const noexcept { return listDropped_; }
    // The width of the dropped list.
    int DroppedWidth();

    std::function<void(TPlainCBEx&)> OnListDrop;
    std::function<void(TPlainCBEx&)> OnListClose;
    std::function<void(TPlainCBEx&, int index)> OnListItemSelected;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void ColorChanged() override;

private:
    void OpenTheme();
    void MeasureItem(MEASUREITEMSTRUCT& item);
    void DrawItem(const DRAWITEMSTRUCT& item);
    std::string ItemText(int index);

    bool listDropped_ = false;
    TThemeHandle theme_;
};
