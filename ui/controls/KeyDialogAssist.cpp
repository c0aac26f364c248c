// Details as a tracking tooltip over the tree, made for each showing and destroyed when hidden;
// help topics through the plug-in's help road, when it gave one.
#include "ui/controls/KeyDialogAssist.h"

#include "ui/controls/ToolTip.h"

#include <utility>

namespace {
constexpr int kDetailsWidth = 480; // wide enough for a distinguished name, and multi-line texts break
} // namespace

TKeyDialogAssist::TKeyDialogAssist(std::function<void(int context)> showHelp)
    : showHelp_(std::move(showHelp))
{
}

TKeyDialogAssist::~TKeyDialogAssist() { HideDetails(); }

void TKeyDialogAssist::ShowDetails(HWND tree, POINT screenPoint, const std::string& text)
{
    HideDetails();
    RECT area {};
    GetClientRect(tree, &area);
    tip_ = CreateTrackingToolTip(tree, nullptr, area, text, kDetailsWidth, TTitleData {}, 0, true, false, false);
    if (!tip_)
        return;
    tree_ = tree;
    SendMessageA(tip_, WM_SETFONT, SendMessageA(tree, WM_GETFONT, 0, 0), FALSE);
    ShowTrackingToolTip(tip_, tree, nullptr, screenPoint, nullptr);
}

void TKeyDialogAssist::HideDetails()
{
    if (tip_ && IsWindow(tip_))
        DestroyTrackingToolTip(tip_, tree_, nullptr);
    tip_ = nullptr;
    tree_ = nullptr;
}

void TKeyDialogAssist::ShowHelp(HWND, int context)
{
    if (showHelp_)
        showHelp_(context);
}
