// `TCustRadioBtn`: a radio button on the check-button base; checking one unchecks its siblings,
// and a click never unchecks a checked one that has siblings.
#pragma once

#include "ui/controls/CustBtnCtrl.h"

#include <vector>

class TCustRadioBtn : public TCustBtnCtrl {
public:
    explicit TCustRadioBtn(TComponent* owner);
    void Click() override;

protected:
    void SetState(TCheckState state) override;
    int GetThemeState() override;
    void DrawGlyph(TCanvas& canvas, const RECT& rect) override;

private:
    // The other radio buttons of the same parent.
    std::vector<TCustRadioBtn*> Siblings() const;
};
