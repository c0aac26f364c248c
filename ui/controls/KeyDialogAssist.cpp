// Details as a tracking tooltip over the tree, made for each showing and destroyed when hidden;
// help topics through the help handler, when the plug-in has one.
#include "ui/controls/KeyDialogAssist.h"

#include "ui/controls/HelpCtrl.h"
#include "ui/controls/ToolTip.h"

namespace {
constexpr int kDetailsWidth = 480; // wide enough for a distinguished name, and multi-line texts break
} // namespace

TKeyDialogAssist::TKeyDialogAssist(THelpHandler* help)
    : help_(help)
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
    if (help_)
        help_->ShowTopic(context);
}
