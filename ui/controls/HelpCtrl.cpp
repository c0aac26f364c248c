// The help handler: viewer choice by file extension, HTML Help bound at run time from the
// registered control, the bounded wait for the help window, Escape in its content window, and the
// popups page loaded through the caller's converter.
#include "ui/controls/HelpCtrl.h"

#include "foundation/StrUtilWin.h"
#include "framework/Application.h"
#include "framework/LibraryBinding.h"
#include "framework/Subclassing.h"

#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

THtmlHelpProc HtmlHelpA = nullptr;

namespace {

constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
constexpr UINT HH_CLOSE_ALL = 0x0012;
constexpr UINT HH_INITIALIZE = 0x001C;
constexpr UINT HH_UNINITIALIZE = 0x001D;
constexpr UINT HH_PRETRANSLATEMESSAGE = 0x00FD;
constexpr UINT HELP_TCARD_CONTEXT = 0x8001;
constexpr const char* ContentProperty = "WindowProcProp";
constexpr const char* HtmlHelpControlKey = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return text;
}

std::string LowerExtension(const std::string& fileName)
{
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t slash = fileName.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return LowerAscii(fileName.substr(dot));
}

std::string ClassNameOf(HWND window)
{
    std::array<char, 256> name {};
    const int n = GetClassNameA(window, name.data(), static_cast<int>(name.size()));
    return std::string(name.data(), static_cast<std::size_t>(n > 0 ? n : 0));
}

struct ChildSearch {
    std::string wanted;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChildClass(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (LowerAscii(ClassNameOf(child)) != search->wanted)
        return TRUE;
    search->found = child;
    return FALSE;
}

// The viewer's content window: the real class name's case differs from the documented one.
HWND FindChildOfClass(HWND parent, const std::string& className)
{
    ChildSearch search { LowerAscii(className) };
    EnumChildWindows(parent, MatchChildClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The HTML Help control stays loaded once bound: the unit-wide entry points into it.
TLibrary& HtmlHelpLibrary()
{
    static TLibrary library;
    return library;
}

void BindHtmlHelp()
{
    if (HtmlHelpA || HtmlHelpLibrary())
        return;
    const std::string path = ExpandEnvVars(RegReadString(HKEY_CLASSES_ROOT, HtmlHelpControlKey, ""));
    if (path.empty())
        return;
    HtmlHelpLibrary() = TLibrary(path);
    const std::array<ProcBinding, 1> table { BindProc("HtmlHelpA", HtmlHelpA) };
    BindProcs(HtmlHelpLibrary().Handle(), table);
}

bool IsWindowOfThisThread(HWND window)
{
    return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

} // namespace

// ---- THelpClass ----

THelpClass::THelpClass(HWND owner, const std::string& helpFile)
    : owner_(owner)
    , helpFile_(helpFile)
{
}

THelpClass::~THelpClass()
{
    ReleaseContent();
}

void THelpClass::Shutdown() noexcept
{
    try {
        HWND help = FindHelpWindow();
        if (IsWindowOfThisThread(help))
            PostMessageA(help, WM_CLOSE, 0, 0);
        ReleaseContent();
        Close();
    } catch (...) {
    }
}

HWND THelpClass::FindHelpWindow() const
{
    return FindWindowA(helpClass_.c_str(), WindowTitle.empty() ? nullptr : WindowTitle.c_str());
}

bool THelpClass::WaitForHelpWindow()
{
    const DWORD start = GetTickCount();
    for (;;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        if (!Application().ProcessMessages())
            return false;
        HWND content = nullptr;
        if (HWND help = FindHelpWindow()) {
            content = FindChildOfClass(help, contentClass_);
            if (content)
                SetFocus(content);
            if (content && IsWindowVisible(help)) {
                SubclassContent(content);
                return true;
            }
        }
        if (GetTickCount() - start >= WaitLimitMs)
            return false;
    }
}

void THelpClass::SubclassContent(HWND content)
{
    if (content == content_)
        return;
    ReleaseContent();
    if (!SubclassRegistry::Subclass(content, [this](HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
            return ContentProc(window, msg, wParam, lParam);
        }))
        return;
    SetPropA(content, ContentProperty, this);
    content_ = content;
}

LRESULT THelpClass::ContentProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CONTEXTMENU:
        MenuActive = -1;
        break;
    case WM_MENUSELECT:
        if (lParam == 0 && HIWORD(wParam) == 0xFFFF)
            MenuActive = 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && MenuActive == 0)
            PostMessageA(GetActiveWindow(), WM_CLOSE, 0, 0);
        break;
    case WM_DESTROY:
        // The table hands the window its procedure back when it is finally gone.
        MenuActive = 0;
        RemovePropA(window, ContentProperty);
        content_ = nullptr;
        break;
    default:
        break;
    }
    return SubclassRegistry::CallOriginal(window, msg, wParam, lParam);
}

void THelpClass::ReleaseContent() noexcept
{
    if (content_ && IsWindow(content_)) {
        RemovePropA(content_, ContentProperty);
        SubclassRegistry::Unsubclass(content_);
    }
    content_ = nullptr;
}

// ---- TWinHelp ----

TWinHelp::TWinHelp(HWND owner, const std::string& helpFile)
    : THelpClass(owner, helpFile)
{
    Init();
}

TWinHelp::~TWinHelp()
{
    Shutdown();
}

void TWinHelp::Init()
{
    helpClass_ = "MS_WINHELP";
    contentClass_ = "MS_WINTOPIC";
}

void TWinHelp::Close()
{
    WinHelpA(owner_, nullptr, HELP_QUIT, 0);
}

bool TWinHelp::ShowTopic(int context)
{
    const bool shown = WinHelpA(owner_, helpFile_.c_str(), HELP_TCARD_CONTEXT, static_cast<ULONG_PTR>(context));
    if (shown)
        WaitForHelpWindow();
    return shown;
}

// ---- THtmlHelp ----

THtmlHelp::THtmlHelp(HWND owner, const std::string& helpFile)
    : THelpClass(owner, helpFile)
{
    Init();
}

THtmlHelp::~THtmlHelp()
{
    Shutdown();
}

void THtmlHelp::Init()
{
    helpClass_ = "HH PARENT";
    contentClass_ = "INTERNET EXPLORER_SERVER";
    BindHtmlHelp();
    if (HtmlHelpA)
        HtmlHelpA(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie_));
}

void THtmlHelp::Close()
{
    if (!HtmlHelpA)
        return;
    HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
    HtmlHelpA(nullptr, nullptr, HH_UNINITIALIZE, cookie_);
}

bool THtmlHelp::ShowTopic(const std::string& page, const std::string& windowType)
{
    if (!HtmlHelpA)
        return false;
    std::string file = helpFile_;
    if (!windowType.empty())
        file += ">" + windowType;
    HWND help = HtmlHelpA(owner_, file.c_str(), HH_DISPLAY_TOPIC, reinterpret_cast<DWORD_PTR>(page.c_str()));
    if (!help)
        return false;
    RECT window {};
    RECT client {};
    GetWindowRect(help, &window);
    GetClientRect(help, &client);
    const RECT placed = PlaceHelpWindow(window, client, ScreenWorkArea(help));
    if (!EqualRect(&placed, &window))
        SetWindowPos(help, nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
            SWP_NOZORDER | SWP_NOACTIVATE);
    WaitForHelpWindow();
    return true;
}

bool THtmlHelp::PreTranslateMessage(MSG& message)
{
    HWND help = FindHelpWindow();
    if (!help || GetActiveWindow() != help)
        return false;
    if (HtmlHelpA && HtmlHelpA(nullptr, nullptr, HH_PRETRANSLATEMESSAGE, reinterpret_cast<DWORD_PTR>(&message)))
        return true;
    return message.message >= WM_KEYFIRST && message.message <= 0x109 && message.wParam == VK_TAB;
}

RECT PlaceHelpWindow(const RECT& window, const RECT& client, const RECT& desktop)
{
    const int desktopWidth = desktop.right - desktop.left;
    const int desktopHeight = desktop.bottom - desktop.top;
    if (client.right - client.left >= desktopWidth / 2 && client.bottom - client.top >= desktopHeight / 2)
        return window;
    const int margin = desktopWidth / 8;
    return { margin, desktop.top, margin + desktop.right - 2 * margin, desktop.top + desktop.bottom };
}

// ---- THelpHandler ----

THelpHandler::THelpHandler(HWND owner, const std::string& helpFile, const std::string& popupsFile,
    void* converterData, TPopupConverter converter, int width)
    : converterData_(converterData)
    , converter_(converter)
{
    const std::string extension = LowerExtension(helpFile);
    if (extension == ".chm") {
        viewer_ = std::make_unique<THtmlHelp>(owner, helpFile);
        kind_ = hkHtmlHelp;
    } else if (extension == ".hlp") {
        viewer_ = std::make_unique<TWinHelp>(owner, helpFile);
        kind_ = hkWinHelp;
    }
    popups_.Width = width;
    if (converter_)
        popups_.Convert = [this](const std::string& html, int w, std::string& text, int& number) {
            converter_(converterData_, html, w, text, number);
        };
    LoadPopups(popupsFile);
}

THelpHandler::~THelpHandler() = default;

void THelpHandler::LoadPopups(const std::string& popupsFile)
{
    if (popupsFile.empty() || LowerExtension(popupsFile) != ".htm")
        return;
    std::ifstream file(popupsFile, std::ios::binary);
    if (!file)
        return;
    std::ostringstream page;
    page << file.rdbuf();
    popups_.SetTextStr(page.str());
}

bool THelpHandler::ShowTopic(int context)
{
    switch (kind_) {
    case hkWinHelp:
        return static_cast<TWinHelp*>(viewer_.get())->ShowTopic(context);
    case hkHtmlHelp:
        return static_cast<THtmlHelp*>(viewer_.get())->ShowTopic(topics_.GetTopic(context), WindowType);
    default:
        return false;
    }
}

bool THelpHandler::PreTranslateMessage(MSG& message)
{
    return kind_ == hkHtmlHelp && static_cast<THtmlHelp*>(viewer_.get())->PreTranslateMessage(message);
}

void THelpHandler::SetTCardValue(int value)
{
    if (viewer_)
        viewer_->MenuActive = value;
}

void THelpHandler::SetWindowTitle(const std::string& title)
{
    if (viewer_)
        viewer_->WindowTitle = title;
}
