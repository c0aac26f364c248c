// The base form: construction from the main object, the owner chain, colour scheme, title-bar and
// Alt+F4 handling, help routing and close-down.
#include "ui/dialogs/ZAVEKForm.h"

#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/HotLabel.h"
#include "ui/controls/ToolTip.h"

#include <cctype>

#include <windowsx.h>

namespace {

constexpr TColor SchemeColors[2] = { TZAVEKForm::OwnTint, clBtnFace };

std::string CurrentDirectory()
{
    char buffer[MAX_PATH + 1] {};
    const DWORD length = GetCurrentDirectoryA(sizeof(buffer), buffer);
    return length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (std::size_t i = 0; prefix[i]; ++i)
        if (i >= text.size()
            || std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::string AfterQuestionMark(const std::string& url)
{
    const std::size_t mark = url.find('?');
    return mark == std::string::npos ? std::string() : url.substr(mark + 1);
}

} // namespace

TZAVEKForm::TZAVEKForm(IDialogMainObject& mainObject)
    : TForm(nullptr)
    , main_(mainObject)
    , savedDirectory_(CurrentDirectory())
    , fixedFontName_(mainObject.FixedFontName())
    , previousDialog_(mainObject.ActiveDialogWindow())
    , standardColor_(mainObject.StandardColor())
{
    Icon().LoadFromResourceName(FrameworkModule(), "SMALLICON", GetSystemMetrics(SM_CXSMICON));
    KeyPreview = true;
    Font().SetName("Arial");
    Font().SetSize(10);
}

TZAVEKForm::~TZAVEKForm()
{
    if (alive_)
        *alive_ = false;
    DestroyHandle();
    if (!savedDirectory_.empty())
        SetCurrentDirectoryA(savedDirectory_.c_str());
}

HWND TZAVEKForm::OwnerForDialog() const
{
    if (previousDialog_ && IsWindow(previousDialog_))
        return previousDialog_;
    // The first dialog of a chain: owned by the host's frame, so it never drops behind the host.
    const HWND host = main_.GetHostWindow();
    return host && IsWindow(host) ? GetAncestor(host, GA_ROOT) : nullptr;
}

void TZAVEKForm::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    if (const HWND owner = OwnerForDialog())
        params.WndParent = owner;
}

void TZAVEKForm::CreateWindowHandleDone()
{
    TForm::CreateWindowHandleDone();
    main_.SetActiveDialogWindow(Handle());
    try {
        auto tip = std::make_unique<TToolTip>(this);
        tip->OnLinkClick = [this](const std::string& url) {
            std::string text;
            HandleLink(url, text);
            return text;
        };
        tip->SetToolTipStyle(ttsRichText);
        tip->HMargin = 8;
        tip->VMargin = 4;
        toolTip_ = std::move(tip);
    } catch (const std::exception&) {
        // Without a tooltip the form still works; its help popups are left out.
        toolTip_.reset();
    }
}

void TZAVEKForm::DestroyWnd()
{
    toolTip_.reset();
    TForm::DestroyWnd();
}

bool TZAVEKForm::IsToolTipActive() const
{
    return toolTip_ && toolTip_->Showing();
}

void TZAVEKForm::DoShow()
{
    ApplyColorScheme(standardColor_);
    TForm::DoShow();
}

void TZAVEKForm::ApplyColorScheme(bool standard)
{
    SetColor(SchemeColors[standard ? 1 : 0]);
}

namespace {

// The form's own controls; the parts of a composite control (a spin edit's arrows) are placed by it.
void ScaleChildren(TWinControl& parent, const TComponent& form)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl& child = *parent.Controls(i);
        if (child.Owner() != &form)
            continue;
        // An aligned child keeps its side and grows across it; alClient takes what is left.
        switch (child.Align()) {
        case alNone:
            child.SetBounds(TZAVEKForm::Scaled(child.Left()), TZAVEKForm::Scaled(child.Top()),
                TZAVEKForm::Scaled(child.Width()), TZAVEKForm::Scaled(child.Height()));
            break;
        case alTop:
        case alBottom:
            child.SetHeight(TZAVEKForm::Scaled(child.Height()));
            break;
        case alLeft:
        case alRight:
            child.SetWidth(TZAVEKForm::Scaled(child.Width()));
            break;
        case alClient:
            break;
        }
        if (auto* windowed = dynamic_cast<TWinControl*>(&child))
            ScaleChildren(*windowed, form);
    }
}

} // namespace

void TZAVEKForm::ScaleLayoutToScreen()
{
    if (Scaled(USER_DEFAULT_SCREEN_DPI) == USER_DEFAULT_SCREEN_DPI)
        return;
    // The client first: aligned children (pages, panels) take their new room from it.
    SetClientSize(Scaled(ClientWidth()), Scaled(ClientHeight()));
    ScaleChildren(*this, *this);
}

int TZAVEKForm::Scaled(int designPixels)
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (screen)
        ReleaseDC(nullptr, screen);
    return MulDiv(designPixels, dpi, USER_DEFAULT_SCREEN_DPI);
}

void TZAVEKForm::CloseDown()
{
    main_.SetActiveDialogWindow(previousDialog_);
    if (previousDialog_ && IsWindow(previousDialog_))
        SetActiveWindow(previousDialog_);
    bool alive = true;
    alive_ = &alive;
    Release();
    Application().ProcessMessages();
    // A WM_QUIT met in the queue stops the pump before the release came through.
    if (alive)
        delete this;
}

void TZAVEKForm::RemoveCloseCommand()
{
    const HMENU menu = GetSystemMenu(Handle(), FALSE);
    if (!menu)
        return;
    DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i)
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED)
            DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
}

void TZAVEKForm::PlaceOverHostWindow()
{
    RECT frame {};
    const HWND host = main_.GetHostWindow();
    if (!host || !GetWindowRect(host, &frame))
        return;
    const int hostWidth = frame.right - frame.left;
    const int hostHeight = frame.bottom - frame.top;
    const int width = (hostWidth / 4) * 3;
    const int height = (hostHeight / 8) * 5;
    SetBounds((hostWidth - width) / 2, (hostHeight - height) / 4, width, height);
}

void TZAVEKForm::DiscardKeyMessage()
{
    const HWND focused = ActiveControl() && ActiveControl()->HandleAllocated() ? ActiveControl()->Handle() : GetFocus();
    MSG message;
    PeekMessageA(&message, focused, WM_KEYFIRST, 0x109, PM_REMOVE);
}

void TZAVEKForm::SetButtonHint(TFlatBtn& button, const std::string& hint)
{
    button.SetHint(hint);
    const std::size_t amp = hint.find('&');
    if (amp != std::string::npos && amp + 1 < hint.size())
        button.SetCaption(hint.substr(amp, 2));
}

TControl* TZAVEKForm::HelpControlOf(TControl* control)
{
    while (control && control->HelpContext == 0)
        control = control->Parent();
    return control;
}

int TZAVEKForm::ShowHelpPopup(TControl* control, int context)
{
    if (!control || context <= 0)
        return 0;
    if (context >= 28) {
        const auto* windowed = dynamic_cast<TWinControl*>(control);
        HWND window = windowed && windowed->HandleAllocated() ? const_cast<TWinControl*>(windowed)->Handle() : Handle();
        main_.ShowTopic(window, context);
        return 0;
    }
    if (!toolTip_)
        return 0;
    // The tip covers the control: its bounds in the form's client coordinates.
    RECT bounds = control->BoundsRect();
    if (control->Parent() && control->Parent() != this) {
        POINT topLeft = control->Parent()->ClientToScreen({ bounds.left, bounds.top });
        topLeft = ScreenToClient(topLeft);
        OffsetRect(&bounds, topLeft.x - bounds.left, topLeft.y - bounds.top);
    }
    toolTip_->DeactivateTip();
    toolTip_->SetToolRect(bounds);
    toolTip_->CenterToolTip = GetKeyState(VK_F1) < 0 ? cttSubToolRect : cttSubMouse;
    toolTip_->SetMaxWidth(ClientWidth());
    toolTip_->TextHeight = main_.HelpPopupHeight(context - 1);
    toolTip_->SetText(main_.HelpPopupText(context - 1));
    toolTip_->ActivateTip();
    return 0;
}

void TZAVEKForm::HandleLink(const std::string& url, std::string& text)
{
    text.clear();
    if (StartsWithNoCase(url, "http") || StartsWithNoCase(url, "ftp") || StartsWithNoCase(url, "mailto"))
        main_.OpenHtmlPage(url);
    else if (StartsWithNoCase(url, "PGPHELP?"))
        main_.ShowPGPHelp(AfterQuestionMark(url));
    else if (StartsWithNoCase(url, "MANUAL?"))
        main_.ShowManual(std::string(1, '#').append(AfterQuestionMark(url)));
    else if (StartsWithNoCase(url, "TOPIC?") && toolTip_)
        text = main_.HelpPopupTextByName(AfterQuestionMark(url));
}

void TZAVEKForm::HandleHelp(const HELPINFO& info)
{
    auto* item = TWinControl::FindControl(static_cast<HWND>(info.hItemHandle));
    TControl* control = item;
    if (item && item->HandleAllocated()) {
        POINT p = info.MousePos;
        ::ScreenToClient(item->Handle(), &p);
        // Graphic children (labels) have no window: look for one under the point.
        for (int i = item->ControlCount() - 1; i >= 0; --i) {
            TControl* child = item->Controls(i);
            const RECT bounds = child->BoundsRect();
            if (child->Visible() && PtInRect(&bounds, p)) {
                control = child;
                break;
            }
        }
    }
    if (auto* label = dynamic_cast<TLabel*>(control); label && label->FocusControl)
        control = label->FocusControl;
    else if (auto* hotLabel = dynamic_cast<THotLabel*>(control); hotLabel && hotLabel->FocusControl)
        control = hotLabel->FocusControl;
    if (TControl* target = HelpControlOf(control))
        ShowHelpPopup(target, target->HelpContext);
}

void TZAVEKForm::HandleContextMenu(TMessage& message)
{
    if (IsToolTipActive())
        return;
    POINT p { GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam) };
    TControl* control = TWinControl::FindControl(WindowFromPoint(p));
    TControl* target = HelpControlOf(control);
    if (target && !dynamic_cast<TEdit*>(target))
        ShowHelpPopup(target, target->HelpContext);
}

void TZAVEKForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_SYSCOMMAND:
        if ((message.WParam & 0xFFF0) == SC_CLOSE) {
            if (GetKeyState(VK_MENU) < 0)
                return; // Alt+F4 never closes a dialog
            TForm::WndProc(message);
            SetModalResult(mrIgnore);
            return;
        }
        break;
    case WM_GETMINMAXINFO: {
        RECT frame {};
        const HWND host = main_.GetHostWindow();
        if (host && GetWindowRect(host, &frame)) {
            auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
            info->ptMaxSize = { frame.right - frame.left, frame.bottom - frame.top };
            info->ptMaxPosition = { frame.left, frame.top };
        }
        break;
    }
    case WM_NCACTIVATE:
        TForm::WndProc(message);
        if (message.WParam && HandleAllocated() && IsIconic(Handle()))
            ShowWindow(Handle(), SW_RESTORE);
        return;
    case WM_HELP:
        HandleHelp(*reinterpret_cast<const HELPINFO*>(message.LParam));
        message.Result = TRUE;
        return;
    case WM_CONTEXTMENU:
        HandleContextMenu(message);
        return;
    default:
        break;
    }
    TForm::WndProc(message);
}

void ClearBoldStyle(TFont& font)
{
    font.SetStyle(font.Style() & ~static_cast<TFontStyles>(fsBold));
}
