// The key dialog's details and help through the plug-in's own helpers: a tracking tooltip in the
// tree's font for the details, the help handler for the help topics. The engine's dialog knows only
// its interface; the plug-in makes one and hands it to the PGP interface.
#pragma once

#include "engine/KeyDialog.h"

class THelpHandler;

class TKeyDialogAssist : public IKeyDialogAssist {
public:
    explicit TKeyDialogAssist(THelpHandler* help);
    ~TKeyDialogAssist() override;
    TKeyDialogAssist(const TKeyDialogAssist&) = delete;
    TKeyDialogAssist& operator=(const TKeyDialogAssist&) = delete;

    void ShowDetails(HWND tree, POINT screenPoint, const std::string& text) override;
    void HideDetails() override;
    bool DetailsShown() const override { return tip_ != nullptr; }
    void ShowHelp(HWND dialog, int context) override;

private:
    THelpHandler* help_;
    HWND tip_ = nullptr;
    HWND tree_ = nullptr;
};
