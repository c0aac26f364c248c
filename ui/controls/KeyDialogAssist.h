// The key dialog's details and help through the plug-in's own helpers: a tracking tooltip in the
// tree's font for the details, the plug-in's help road for the help topics. The engine's dialog knows only
// its interface; the plug-in makes one and hands it to the PGP interface.
#pragma once

#include "engine/KeyDialog.h"

#include <functional>

class TKeyDialogAssist : public IKeyDialogAssist {
public:
    explicit TKeyDialogAssist(std::function<void(int context)> showHelp);
    ~TKeyDialogAssist() override;
    TKeyDialogAssist(const TKeyDialogAssist&) = delete;
    TKeyDialogAssist& operator=(const TKeyDialogAssist&) = delete;

    void ShowDetails(HWND tree, POINT screenPoint, const std::string& text) override;
    void HideDetails() override;
    bool DetailsShown() const override { return tip_ != nullptr; }
    void ShowHelp(HWND dialog, int context) override;

private:
    std::function<void(int context)> showHelp_;
    HWND tip_ = nullptr;
    HWND tree_ = nullptr;
};
