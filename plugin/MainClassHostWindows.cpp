// The main object's parts of the mail client's windows: toolbar buttons, the plug-in's menus in the
// frame's menu bar with their states and hints, the status-bar clock, the link message of the
// editor control's parent, and the removal of all of it at shut-down.
#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/MainClass.h"

#include "foundation/WindowUtils.h"
#include "plugin/AddressBooks.h"
#include "plugin/RecipientsData.h"
#include "plugin/TERInterface.h"
#include "foundation/StrUtilWin.h"
#include "ui/dialogs/MessageDialogs.h"

#include <algorithm>
#include <cstring>

using namespace HostWindowRules;

namespace {
constexpr const char* TEXT_EDIT_PROP = "DHTextEditProcProp";
constexpr const char* LINK_PREFIX = "ZAVEK_URL:";
constexpr size_t LINK_TEXT_LIMIT = 2048;
constexpr uint16_t TEXT_HOST_HELP_MENU = 0;
constexpr uint16_t TEXT_CLOCK_TOOLTIP = 200;
constexpr UINT CLOCK_PERIOD_MS = 1000;
constexpr uint16_t TEXT_PASSPHRASE_PROMPT = 303; // + 304
constexpr uint16_t TEXT_PASSPHRASE_PROMPT_END = 304;
constexpr uint16_t TEXT_CHOOSE_MAIL_FOLDER = 329;
constexpr uint16_t TEXT_ENCRYPTOR_LABEL = 5;
constexpr const char* PGP_UI_LIBRARY = "PGPsdkUI.dll";
// The mail client's texts that begin the titles of its dialogs the plug-in handles.
constexpr UINT HOST_TEXT_IDENTITY_DIALOG = 64;
constexpr UINT HOST_TEXT_SIGNATURE_DIALOG = 60;
constexpr UINT HOST_TEXT_CLOSED_DIALOG = 4;
constexpr UINT HOST_TEXT_SEND_DIALOG = 56;
constexpr UINT HOST_TEXT_SEND_QUESTION = 40;
constexpr UINT HOST_TEXT_SEND_NOTE = 2;
constexpr UINT HOST_TEXT_SEND_WARNING = 3;
constexpr UINT HOST_TEXT_CLOSE_QUESTION = 48;
constexpr int DIALOG_BUTTON_6 = 6;

bool BeginsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

TScreenRect ToScreenRect(const RECT& r)
{
    return { r.left, r.top, r.right, r.bottom };
}

// Moves a window that is out of sight to where its owner can be seen.
void PlaceInViewOfOwner(HWND window)
{
    RECT own;
    if (!GetWindowRect(window, &own))
        return;
    HWND owner = GetWindow(window, GW_OWNER);
    RECT ownerRect;
    const bool hasOwner = owner && IsWindowVisible(owner) && GetWindowRect(owner, &ownerRect);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(hasOwner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const TScreenRect ownerPlace = hasOwner ? ToScreenRect(ownerRect) : TScreenRect {};
    const TScreenRect place
        = PlacedInView(ToScreenRect(own), hasOwner ? &ownerPlace : nullptr, ToScreenRect(monitor.rcWork));
    if (place.Left != own.left || place.Top != own.top)
        SetWindowPos(window, nullptr, place.Left, place.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The child control whose caption is exactly text; nil when there is none.
HWND ChildWithCaption(HWND parent, const std::string& text)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char caption[256] = {};
        GetWindowTextA(child, caption, sizeof caption);
        if (text == caption)
            return child;
    }
    return nullptr;
}

// Text 200 with its one "%s" filled in.
std::string FormatOne(const std::string& pattern, const std::string& value)
{
    const size_t at = pattern.find("%s");
    return at == std::string::npos ? pattern : pattern.substr(0, at) + value + pattern.substr(at + 2);
}
} // namespace

std::string TMainClass::Text(uint16_t id) const
{
    return Texts().GetEntry(id);
}

TPluginMenuState TMainClass::MenuState() const
{
    TPluginMenuState state;
    state.PassphraseCached = Guarded("IsCacheEmpty", false, [this] { return !PGPInterface().IsCacheEmpty(); });
    state.ReaderActive = PMInterface().ActiveReaderWindow(nullptr) != nullptr;
    state.EditorActive = PMInterface().ActiveEditorWindow(nullptr) != nullptr;
    state.KeyRingState = KeyRingState();
    state.PGPMime = Values().PGPMime;
    state.PGPExt = Values().PGPExt;
    state.FullAuto = Values().FullAuto;
    return state;
}

void TMainClass::StartHostAdditions()
{
    // The folder manager's message view may be there before the hooks saw it created.
    if (HWND manager = PMInterface().ActiveFolderManager(nullptr))
        if (HWND textEdit = FindWindowExA(manager, nullptr, HostApi::CLASS_TEXT_EDIT, nullptr))
            SubclassTextEditParent(textEdit);
    clock_.SetFont(PMInterface().DialogFont().Name, PMInterface().DialogFont().PointSize);
    StartClock();
    if (Values().AutoSync)
        GuardedVoid("SyncTimeElevated", [this] { SyncTimeElevated(frame_, false); });
    GuardedVoid("SetCacheCallback", [this] {
        PGPInterface().SetCacheCallback(
            [this](int32_t seconds, bool changed) { StartPassphraseTimer(seconds, changed); });
    });
    AddToolbarButtons();
    menus_.Build([this](uint16_t id) { return Text(id); }, MenuState());
    if (frame_)
        AddMenus(GetMenu(frame_));
}

void TMainClass::AddToolbarButtons()
{
    TPMInterface& host = PMInterface();
    // A second ready message finds the buttons in place.
    if (host.Count() > 0)
        return;
    const TOptionValues& v = Values();
    const TToolbarChoice choice
        = { v.WipePassButton, v.EncSignButtons, v.DecryptButton, v.VerifyButton, v.ManageButton, v.PGPkeysButton };
    for (const TToolbarButton& button : ToolbarButtons(choice, [this](uint16_t id) { return Text(id); }))
        host.AddButton(button.Bitmap, button.Hint, button.CommandId, button.DropDown, WM_COMMAND, pluginWindow_);
}

void TMainClass::AddMenus(HMENU bar)
{
    if (!bar || !menus_.Built())
        return;
    menus_.InsertInto(bar);
    menus_.AddAboutItem(bar, Text(TEXT_HOST_HELP_MENU), PLUGIN_MENU_CAPTION);
    UpdateBusyMenu();
    if (frame_)
        DrawMenuBar(frame_);
}

void TMainClass::StartClock()
{
    if (pluginWindow_)
        KillTimer(pluginWindow_, TIMER_CLOCK);
    clock_.Attach(statusBar_, Values().ShowTime, FormatOne(Text(TEXT_CLOCK_TOOLTIP), GetShowTimeServer()));
    if (clock_.Shown() && pluginWindow_)
        SetTimer(pluginWindow_, TIMER_CLOCK, CLOCK_PERIOD_MS, nullptr);
}

void TMainClass::StartPassphraseTimer(int32_t seconds, bool changed)
{
    constexpr uint16_t TEXT_CACHE_TIME_CHANGED = 242;
    constexpr UINT MS_PER_SECOND = 1000;
    if (!pluginWindow_)
        return;
    KillTimer(pluginWindow_, TIMER_PASSPHRASE);
    if (changed)
        PMInterface().SetStatusText(Text(TEXT_CACHE_TIME_CHANGED));
    if (seconds > 0)
        SetTimer(pluginWindow_, TIMER_PASSPHRASE, static_cast<UINT>(seconds) * MS_PER_SECOND, nullptr);
    if (menus_.Built())
        EnableMenuItem(menus_.PluginMenu(), ITEM_WIPE_PASSPHRASE,
            MF_BYCOMMAND | (PGPInterface().IsCacheEmpty() ? MF_GRAYED : MF_ENABLED));
}

void TMainClass::ShowTimeChanged()
{
    if (statusBar_)
        StartClock();
}

void TMainClass::RemoveHostAdditions()
{
    if (pluginWindow_ && IsWindow(pluginWindow_))
        KillTimer(pluginWindow_, TIMER_CLOCK);
    clock_.Detach();
    signatureNote_.Remove();
    GuardedVoid("RemoveButtons", [this] { PMInterface().RemoveButtons(); });
    if (menus_.Built()) {
        HMENU bar = frame_ && IsWindow(frame_) ? GetMenu(frame_) : nullptr;
        menus_.RemoveFrom(bar);
        GuardedVoid("RemoveMenus", [this] {
            const auto* record = static_cast<const HostApi::THostMenuRecord*>(
                PMInterface().GetHostRecord(HostApi::HOST_RECORD_MENUS));
            if (!record)
                return;
            const int count = std::min<int>(record->Count, HostApi::HOST_MENU_RECORD_LIMIT);
            for (int i = 0; i < count; ++i)
                menus_.RemoveFrom(record->Menus[i]);
        });
        menus_.Destroy(); // and out of every other bar it went into
        if (bar)
            DrawMenuBar(frame_);
    }
}

bool TMainClass::ShowMenuItemHelp(HWND window, const HELPINFO* info)
{
    // F1 on one of the plug-in's menu items (submenus have no id of their own).
    constexpr int FIRST_PLUGIN_ITEM = 16385;
    constexpr int HELP_TOPIC_MENU = 31;
    constexpr int HELP_TOPIC_AUTO_LIST = 32;
    if (!info || info->iContextType != HELPINFO_MENUITEM || info->iCtrlId < FIRST_PLUGIN_ITEM
        || !IsPluginMenuItem(static_cast<UINT>(info->iCtrlId)))
        return false;
    if (window)
        SendMessageA(window, WM_CANCELMODE, 0, 0);
    // The recipient-list and address-book items have a page of their own.
    const bool autoList = info->iCtrlId > 0x5FFF;
    ShowTopic(autoList ? pluginWindow_ : window, autoList ? HELP_TOPIC_AUTO_LIST : HELP_TOPIC_MENU);
    return true;
}

bool TMainClass::HandleFrameMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_COMMAND: {
        if (lParam != 0)
            return false;
        const UINT id = LOWORD(wParam);
        const TPluginCommand command = DecodeFrameCommand(id, false);
        // Only ids of the plug-in's items are taken: the mail client's own commands pass.
        if (command.Kind == TPluginCommandKind::None || !IsPluginMenuItem(id))
            return false;
        if (!busy_.IsBusy() && !busy_.InRequest())
            GuardedVoid("RunPluginCommand", [&] { RunPluginCommand(command); });
        return true;
    }
    case WM_HELP:
        return ShowMenuItemHelp(frame_, reinterpret_cast<const HELPINFO*>(lParam));
    case WM_INITMENUPOPUP: {
        HMENU menu = reinterpret_cast<HMENU>(wParam);
        if (menu == menus_.PluginMenu()) {
            TPluginMenuState state = MenuState();
            state.WindowsCertificates = state.KeyRingState != 0
                && Guarded("HasWindowsCertificates", false, [this] { return PGPInterface().HasWindowsCertificates(); });
            menus_.UpdateStates(state);
        } else if (menu == menus_.AutoListMenu()) {
            TAutoListMenuState state;
            state.AutoPush = Values().AutoPush;
            if (state.AutoPush) {
                AutoList().LoadFile();
                state.ListEmpty = AutoList().GetCount() == 0;
                const TKeyIDData& pairs = EncryptRoad().NewPairs();
                state.HasNewPairs = pairs.Count > 0 || !pairs.UserText.empty();
                state.AddressBooks = AddressBookTitles();
            }
            menus_.RebuildAutoListMenu([this](uint16_t id) { return Text(id); }, state);
        }
        return false;
    }
    case WM_MENUSELECT:
        ShowMenuHint(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return false;
    case WM_MENUCHAR: {
        // Ctrl and the manage-keys accelerator on the plug-in menu: manage keys at once.
        char caption[128] = {};
        if (reinterpret_cast<HMENU>(lParam) != menus_.PluginMenu() || !menus_.Built() || GetKeyState(VK_CONTROL) >= 0
            || !GetMenuStringA(menus_.PluginMenu(), ITEM_MANAGE_KEYS, caption, sizeof caption, MF_BYCOMMAND)
            || !IsAcceleratorKey(LOWORD(wParam), caption))
            return false;
        PostMessageA(frame_, WM_COMMAND, ITEM_MANAGE_KEYS, 0);
        result = MAKELRESULT(0, MNC_CLOSE);
        return true;
    }
    case WM_EXITMENULOOP:
        if (menuHintShown_) {
            PMInterface().ClearStatusText();
            menuHintShown_ = false;
        }
        return false;
    default:
        return false;
    }
}

std::vector<std::string> TMainClass::AddressBookTitles()
{
    // Read for their titles only and closed again: the mail client may write to its books.
    std::vector<std::string> titles;
    std::unique_ptr<IAddressBookList> opened = OpenHostAddressBooks(PMInterface().GetAddressBookFolders());
    if (const auto* books = dynamic_cast<const TAddressBookList*>(opened.get()))
        for (int i = 0; i < books->Count(); ++i)
            titles.push_back(books->Title(i));
    return titles;
}

HWND TMainClass::MdiReaderOf(HWND created) const
{
    constexpr uint32_t BUILD_READER_CONTENT = 4000;
    const auto isMdiMessageWindow = [](HWND window) {
        char name[32] = {};
        return window && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD)
            && GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, HostApi::CLASS_MDI_READER) == 0;
    };
    // Newer mail clients use the same window for other views: only one with the reader's content
    // pane is a reader.
    if (PMInterface().HostBuild() < BUILD_READER_CONTENT)
        return isMdiMessageWindow(created) ? created : nullptr;
    char name[32] = {};
    GetClassNameA(created, name, sizeof name);
    if (lstrcmpiA(name, HostApi::CLASS_MDI_READER_CONTENT) != 0)
        return nullptr;
    HWND parent = GetParent(created);
    return isMdiMessageWindow(parent) ? parent : nullptr;
}

bool TMainClass::IsPluginMenuItem(UINT id) const
{
    // Both searches take in the submenus; the about item sits in the mail client's own menu.
    constexpr UINT NOT_FOUND = 0xFFFFFFFF;
    if (menus_.Built() && GetMenuState(menus_.PluginMenu(), id, MF_BYCOMMAND) != NOT_FOUND)
        return true;
    HMENU bar = frame_ ? GetMenu(frame_) : nullptr;
    return id == ITEM_ABOUT_ON_HOST_MENU && bar && GetMenuState(bar, id, MF_BYCOMMAND) != NOT_FOUND;
}

void TMainClass::ShowMenuHint(UINT item, UINT flags, HMENU menu)
{
    if (flags == 0xFFFF && !menu)
        return; // the menu closed
    const bool aboutItem = item == ITEM_ABOUT_ON_HOST_MENU && !(flags & MF_POPUP);
    if (!menus_.Owns(menu) && !aboutItem)
        return;
    const uint32_t id = flags & MF_POPUP ? 0 : item;
    PMInterface().SetStatusText(
        MenuHint(id, [this](uint16_t n) { return Text(n); }, KeyRingState(), menus_.AddressBooks()));
    menuHintShown_ = true;
}

bool TMainClass::ShowMenuItemHelp(const HELPINFO& help)
{
    constexpr int FIRST_PLUGIN_ITEM = 16385;
    constexpr int FIRST_AUTO_LIST_ITEM = 0x6000;
    constexpr int TOPIC_MENU = 31;
    constexpr int TOPIC_AUTO_LIST_MENU = 32;
    if (help.iContextType != HELPINFO_MENUITEM || help.iCtrlId < FIRST_PLUGIN_ITEM || !menus_.Built()
        || !IsPluginMenuItem(static_cast<UINT>(help.iCtrlId)))
        return false;
    SendMessageA(frame_, WM_CANCELMODE, 0, 0);
    const bool autoList = help.iCtrlId >= FIRST_AUTO_LIST_ITEM;
    ShowTopic(autoList ? pluginWindow_ : frame_, autoList ? TOPIC_AUTO_LIST_MENU : TOPIC_MENU);
    return true;
}

void TMainClass::ShowEncryptPopup()
{
    HMENU popup = TPluginMenus::BuildEncryptPopup([this](uint16_t id) { return Text(id); }, MenuState());
    if (!popup)
        return;
    TrackPopupAtCursor(popup);
    DestroyMenu(popup);
}

void TMainClass::ShowAutoListPopup()
{
    // The frame's WM_INITMENUPOPUP fills the submenu as it opens, as from the plug-in menu.
    if (menus_.Built())
        TrackPopupAtCursor(menus_.AutoListMenu());
}

void TMainClass::TrackPopupAtCursor(HMENU popup)
{
    POINT at;
    GetCursorPos(&at);
    // The frame receives the choice as the same command its menu item sends.
    HWND owner = frame_ ? frame_ : pluginWindow_;
    SetForegroundWindow(owner);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
}

void TMainClass::SubclassTextEditParent(HWND textEdit)
{
    HWND parent = GetParent(textEdit);
    if (!parent || SubclassRegistry::IsSubclassed(parent, &TMainClass::TextEditParentProc))
        return;
    if (SubclassRegistry::Subclass(parent, &TMainClass::TextEditParentProc, reinterpret_cast<DWORD_PTR>(this)))
        SetPropA(parent, TEXT_EDIT_PROP, reinterpret_cast<HANDLE>(GetWindowLongPtrA(parent, GWLP_WNDPROC)));
}

LRESULT CALLBACK TMainClass::TextEditParentProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "TextEditParentProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            if (message == HostApi::WM_TEXT_EDIT_LINK && lParam) {
                const char* link = reinterpret_cast<const char*>(lParam);
                const size_t prefix = std::strlen(LINK_PREFIX);
                if (strnlen(link, LINK_TEXT_LIMIT) >= prefix && std::strncmp(link, LINK_PREFIX, prefix) == 0) {
                    // Our own link in a message: show that message's parts, from the raw view the
                    // mail client shows without a decode.
                    self->PMInterface().PostHostCommand(ITEM_DECRYPT_MESSAGE);
                    self->decodeContext_.DecodingSuppressed = true;
                    return 1;
                }
            }
            if (message == WM_NCDESTROY)
                RemovePropA(window, TEXT_EDIT_PROP);
            return DefSubclassProc(window, message, wParam, lParam);
        });
}

LRESULT CALLBACK TMainClass::StatusBarProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "StatusBarProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
                self->clock_.RelayMouse(message, wParam, lParam);
            switch (message) {
            case WM_PAINT: {
                // The mail client paints first; the clock goes on top of its status bar.
                const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
                self->clock_.Paint();
                return result;
            }
            case WM_MOVE:
            case WM_SIZE: {
                const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
                self->clock_.Place();
                return result;
            }
            case WM_NOTIFY:
                // The note's tooltip went away: the signer comes back once its time is up.
                if (const UINT delay = lParam ? self->signatureNote_.PopDelay(*reinterpret_cast<const NMHDR*>(lParam)) : 0)
                    SetTimer(self->pluginWindow_, TIMER_SIGNATURE_NOTE, delay, nullptr);
                break;
            case WM_LBUTTONDBLCLK: {
                const POINT at = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
                if (self->clock_.Contains(at)) {
                    self->SyncTimeElevated(self->frame_, true);
                    return 0;
                }
                break;
            }
            default:
                break;
            }
            return DefSubclassProc(window, message, wParam, lParam);
        });
}

namespace {

bool InHtmlViewer(HWND window)
{
    for (; window; window = GetParent(window)) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (TTERInterface::IsHtmlViewerClass(className))
            return true;
    }
    return false;
}

} // namespace

bool TMainClass::PostedMessageTaken(const MSG& msg)
{
    if (shuttingDown_ || !frame_)
        return false;
    if (ReaderMessageTaken(msg))
        return true;
    // Asked only for the few messages that need it: the hook sees every posted message.
    const auto inMailWindow = [&] { return mdiClient_ && msg.hwnd && IsInActiveMDIChild(mdiClient_, msg.hwnd); };
    const auto ctrl = [] { return GetKeyState(VK_CONTROL) < 0; };
    switch (msg.message) {
    case WM_KEYDOWN:
        // Ctrl and the context-menu key stays with the plug-in's key popup.
        if (msg.wParam == VK_APPS && ctrl())
            return true;
        // The user works in the mail window: what the mail client's commands said about the next
        // decode no longer holds.
        if (msg.wParam != VK_TAB && inMailWindow())
            ClearDecodeState();
        return false;
    case WM_SYSKEYDOWN:
        // An HTML viewer keeps Alt and its keys to itself: they go to the frame, whose menu they open.
        if (InHtmlViewer(msg.hwnd)) {
            PostMessageA(frame_, msg.message, msg.wParam, msg.lParam);
            return true;
        }
        return msg.wParam == VK_F10 && ctrl();
    case WM_SYSKEYUP:
        if (msg.wParam == VK_MENU && inMailWindow())
            ClearDecodeState();
        return false;
    case WM_LBUTTONDOWN:
        if (inMailWindow())
            ClearDecodeState();
        return false;
    case WM_CLOSE:
        if (rememberedEditor_ && msg.hwnd == GetParent(rememberedEditor_))
            rememberedEditor_ = nullptr;
        return false;
    default:
        break;
    }
    if (msg.message == WM_RBUTTONDOWN && menus_.Built()) {
        // The right button on the encrypt button (known by its hint) offers the encrypt choices.
        char className[32] = {}, caption[128] = {};
        GetClassNameA(msg.hwnd, className, sizeof className);
        if (std::strcmp(className, "DH_BMBN") != 0 && std::strcmp(className, "BMBNDH") != 0)
            return false;
        GetWindowTextA(msg.hwnd, caption, sizeof caption);
        const std::string hint = PMInterface().GetButtonHint(TOOLBAR_ENCRYPT);
        if (hint.empty() || hint != caption)
            return false;
        ShowEncryptPopup();
        return true;
    }
    return false;
}

void TMainClass::WindowShown(HWND window)
{
    if (shuttingDown_ || !frame_)
        return;
    char className[64] = {}, title[256] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    const bool dialog = std::strcmp(className, "#32770") == 0;
    // Child dialogs are pages of the mail client's own windows; the roads look after those, but for
    // an editor's encryption page, whose encryptor list the plug-in sets as in the dialog.
    if (dialog && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        const TEditorData* record = EditorDataOf(PMInterface().ActiveEditorWindow(nullptr));
        if (record && ChildWithCaption(window, Text(TEXT_ENCRYPTOR_LABEL)))
            ApplyEncryptorChoice(window, *record);
        return;
    }
    if (BeginsWith(className, "PGP") || (dialog && BeginsWith(title, "PGP")) || IsOwnModuleWindow(window)) {
        if (watchdog_.Running())
            WatchPassphraseDialog(window);
        PlaceInViewOfOwner(window);
        return;
    }
    if (!dialog)
        return;
    HWND owner = GetWindow(window, GW_OWNER);
    const bool desktopOwned = !owner || owner == GetDesktopWindow();
    if ((desktopOwned && ChildWithCaption(window, Text(TEXT_CHOOSE_MAIL_FOLDER)))
        || (owner && owner == pluginWindow_))
        PlaceInViewOfOwner(window);
    else
        HandleTitledDialog(window, title);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void TMainClass::HandleTitledDialog(HWND dialog, const std::string& title)
{
    const TPMInterface& host = PMInterface();
    const auto titled = [&](UINT text) { return CaptionBeginsWith(title, host.GetHostString(text)); };
    const auto clickAway = [dialog] {
        for (const int button : { IDOK, DIALOG_BUTTON_6 })
            if (HWND control = GetDlgItem(dialog, button))
                PostMessageA(control, BM_CLICK, 0, 0);
    };
    if (titled(HOST_TEXT_IDENTITY_DIALOG)) {
        chosenIdentity_.clear();
        SubclassRegistry::Subclass(dialog, &TMainClass::IdentityDialogProc, reinterpret_cast<DWORD_PTR>(this));
    } else if (titled(HOST_TEXT_SIGNATURE_DIALOG) && decodeContext_.SignaturePopup) {
        // The plug-in shows the signer itself.
        decodeContext_.SignaturePopup = false;
    } else if (titled(HOST_TEXT_CLOSED_DIALOG) || (sendInProgress_ && titled(HOST_TEXT_SEND_DIALOG))) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    } else if ((sendInProgress_
                   && (titled(HOST_TEXT_SEND_QUESTION) || titled(HOST_TEXT_SEND_NOTE) || titled(HOST_TEXT_SEND_WARNING)))
        || (closingWindows_ && titled(HOST_TEXT_CLOSE_QUESTION))) {
        // A question the plug-in's own send or shut-down answers for the user.
        clickAway();
    }
}

LRESULT CALLBACK TMainClass::IdentityDialogProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "IdentityDialogProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
            if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && edit) {
                // OK chooses the identity for the plug-in's restart: the mail client keeps its own.
                if (LOWORD(wParam) == IDOK) {
                    const std::string chosen = GetWindowTextStr(edit);
                    self->chosenIdentity_ = lstrcmpiA(chosen.c_str(), self->PMInterface().GetMailUserName().c_str()) == 0
                        ? std::string()
                        : chosen;
                }
                SetWindowTextA(edit, "");
                return DefSubclassProc(window, message, MAKEWPARAM(IDCANCEL, HIWORD(wParam)), lParam);
            }
            return DefSubclassProc(window, message, wParam, lParam);
        });
}

void TMainClass::IdentityDialogClosed(HWND dialog)
{
    constexpr uint16_t TEXT_IDENTITY_CHOSEN = 89;
    constexpr uint32_t BUILD_OWN_IDENTITY_RESTART = 4500;
    SubclassRegistry::Unsubclass(dialog, &TMainClass::IdentityDialogProc);
    if (chosenIdentity_.empty())
        return;
    const std::string identity = chosenIdentity_;
    chosenIdentity_.clear();
    ShowInfo(*this, Text(TEXT_IDENTITY_CHOSEN));
    if (PMInterface().HostBuild() < BUILD_OWN_IDENTITY_RESTART)
        RestartMailClient(identity, frame_);
}

void TMainClass::WatchPassphraseDialog(HWND dialog)
{
    HMODULE library = GetModuleHandleA(PGP_UI_LIBRARY);
    if (!library || reinterpret_cast<HMODULE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)) != library)
        return;
    HWND prompt = ChildWithCaption(dialog, Text(TEXT_PASSPHRASE_PROMPT) + Text(TEXT_PASSPHRASE_PROMPT_END));
    HWND field = prompt ? GetWindow(prompt, GW_HWNDNEXT) : nullptr;
    if (!field)
        return;
    watchdog_.RememberDialog(dialog);
    SubclassRegistry::Subclass(field, &TMainClass::PassphraseFieldProc, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TMainClass::PassphraseFieldProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "PassphraseFieldProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            // Someone types: the watchdog must not close the dialog under their fingers.
            if (message == WM_KEYDOWN || message == WM_CHAR)
                self->watchdog_.UserTyping();
            return DefSubclassProc(window, message, wParam, lParam);
        });
}

