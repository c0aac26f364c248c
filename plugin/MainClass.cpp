// The main object: its life, the plug-in window and the start-up around it, the hidden window's
// procedure with the mail client's messages and the timers, and the shut-down.
#include "plugin/MainClass.h"
#include "plugin/ReaderData.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "plugin/ConvertFile.h"
#include "plugin/DecodeCommands.h"
#include "plugin/DecryptRoad.h"
#include "plugin/DecryptRoadHost.h"
#include "plugin/Guard.h"
#include "plugin/ZAVEKHelp.h"
#include "engine/PGPInterface.h"
#include "foundation/StrUtilWin.h"
#include "foundation/ZAVEKCommon.h"
#include "plugin/HostApi.h"
#include "ui/dialogs/MessageDialogs.h"

#include <cstring>
#include <utility>

namespace {
TMainClass* g_MainClass = nullptr;

constexpr uint32_t BUILD_SUBCLASSING_NEW_EDITORS = 4500;
// The title the mail client's header-lines dialog begins with, and our encryption page's label.
constexpr UINT HOST_TEXT_HEADER_DIALOG = 52;
constexpr UINT HOST_TEXT_UNDECODED_VIEW = 44;
constexpr uint16_t TEXT_ENCRYPTOR_LABEL = 5;
constexpr UINT CLOCK_PERIOD_MS = 1000;
constexpr uint16_t TEXT_CLOCK_SET = 201;

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool ClassIs(HWND window, const char* name)
{
    char className[64] = {};
    return GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}
} // namespace

TMainClass::TMainClass(HINSTANCE instance)
    : instance_(instance)
    , ownerWindow_(GetDesktopWindow())
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &TMainClass::HiddenWndProc;
    windowClass.hInstance = instance_;
    windowClass.lpszClassName = HIDDEN_CLASS;
    hiddenClass_ = RegisterClassA(&windowClass);
    callWndHook_ = SetWindowsHookExA(WH_CALLWNDPROC, &TMainClass::CallWndHook, nullptr, GetCurrentThreadId());
    getMsgHook_ = SetWindowsHookExA(WH_GETMESSAGE, &TMainClass::GetMsgHook, nullptr, GetCurrentThreadId());
}

TMainClass::~TMainClass()
{
    windowWithHost_ = false;
    if (pluginWindow_ && IsWindow(pluginWindow_))
        DestroyWindow(pluginWindow_);
    // Whatever the shut-down could not give back goes back now: nothing may point into this library.
    ReleaseHostWindows();
    watchdog_.Stop();
    if (hiddenClass_)
        UnregisterClassA(HIDDEN_CLASS, instance_);
    if (getMsgHook_)
        UnhookWindowsHookEx(getMsgHook_);
    if (callWndHook_)
        UnhookWindowsHookEx(callWndHook_);
}

TMainClass* TMainClass::UnitInitialisation(HINSTANCE instance)
{
    if (g_MainClass)
        ++g_MainClass->unitReferences_;
    else
        g_MainClass = new TMainClass(instance);
    return g_MainClass;
}

void TMainClass::UnitFinalisation()
{
    if (!g_MainClass)
        return;
    if (g_MainClass->unitReferences_ < 1) {
        delete g_MainClass;
        g_MainClass = nullptr;
    } else {
        --g_MainClass->unitReferences_;
    }
}

TMainClass* TMainClass::Instance()
{
    return g_MainClass;
}

void TMainClass::ReleaseAtUnload() noexcept
{
    if (g_MainClass)
        g_MainClass->ReleaseHooksAndWindows();
}

void TMainClass::ReleaseHooksAndWindows() noexcept
{
    if (getMsgHook_)
        UnhookWindowsHookEx(getMsgHook_);
    if (callWndHook_)
        UnhookWindowsHookEx(callWndHook_);
    getMsgHook_ = callWndHook_ = nullptr;
    GuardedVoid("ReleaseHostWindows", [this] { ReleaseHostWindows(); });
    // The window goes without calling into this library again.
    if (pluginWindow_ && IsWindow(pluginWindow_)) {
        SetWindowLongPtrA(pluginWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
        DestroyWindow(pluginWindow_);
    }
    pluginWindow_ = nullptr;
    if (hiddenClass_)
        UnregisterClassA(HIDDEN_CLASS, instance_);
    hiddenClass_ = 0;
}

HWND TMainClass::CreatePluginWindow(HWND parent, uint32_t version)
{
    if (pluginWindow_)
        return pluginWindow_;
    HWND window = CreateWindowExA(
        0, HIDDEN_CLASS, "", parent ? WS_CHILD : 0, 0, 0, 0, 0, parent, nullptr, instance_, nullptr);
    if (!window) {
        ShowSystemErrorText(static_cast<int>(GetLastError()));
        return nullptr;
    }
    noParent_ = parent == nullptr;
    newInterface_ = version >= HostApi::NEW_INTERFACE_VERSION;
    // The framework's forms without an owner belong to the plug-in window inside the mail client.
    if (parent)
        Application().SetOwnerWindow(window);
    if (StartUp(window, parent) == STARTUP_OK) {
        windowWithHost_ = parent != nullptr;
        return window;
    }
    DestroyWindow(window);
    pluginWindow_ = nullptr;
    if (parent)
        Application().SetOwnerWindow(nullptr);
    return nullptr;
}

bool TMainClass::ShowMessage(const std::string& text, TMessageKind kind, int icon)
{
    // Before the texts exist (or after a failed start-up released them) the dialog has no captions.
    if (!HasTexts())
        return TConfiguration::ShowMessage(text, kind, icon);
    // A missing picture leaves the kind's icon: the dialog takes a null one as "its own".
    TIcon picture;
    if (icon > 0)
        picture.LoadFromResourceName(FrameworkModule(), MAKEINTRESOURCEA(icon), GetSystemMetrics(SM_CXSMICON));
    switch (kind) {
    case TMessageKind::Information: ShowInfoWithIcon(*this, picture.Handle(), text); return true;
    case TMessageKind::Warning: ShowWarningWithIcon(*this, picture.Handle(), text); return true;
    case TMessageKind::Error: ShowError(*this, text); return true;
    case TMessageKind::QuestionYesDefault: return ConfirmYes(*this, text);
    case TMessageKind::QuestionNoDefault: return !ConfirmNo(*this, text);
    }
    return false;
}

void TMainClass::OpenHtmlPage(const std::string& url)
{
    RunDialogRequest([&] { TConfiguration::OpenHtmlPage(url); });
}

void TMainClass::ShowPGPHelp(const std::string& topic)
{
    RunDialogRequest([&] { TConfiguration::ShowPGPHelp(topic); });
}

void TMainClass::ShowManual(const std::string& topic)
{
    RunDialogRequest([&] { TConfiguration::ShowManual(topic); });
}

void TMainClass::ShowTopic(HWND, int context)
{
    RunDialogRequest([&] { ShowHelpTopic(context); });
}

std::string TMainClass::HelpPopupText(int index)
{
    return HelpHandler().GetPopupText(index);
}

std::string TMainClass::HelpPopupTextByName(const std::string& id)
{
    return HelpHandler().GetPopupTextByName(id);
}

int TMainClass::HelpPopupHeight(int index)
{
    return HelpHandler().GetPopupNumber(index);
}

void TMainClass::RunDialogRequest(const std::function<void()>& request)
{
    // A dialog's link or help button must not take the dialog down with it.
    try {
        request();
    } catch (const std::exception& error) {
        ShowMessage(error.what(), TMessageKind::Error);
    }
}

void TMainClass::SetBusy(bool busy)
{
    const bool changed = busy ? busy_.Enter() : busy_.Leave();
    if (changed)
        UpdateBusyMenu();
}

void TMainClass::UpdateBusyMenu()
{
    // The plug-in's top-level menu is unusable while the mail client waits on a request.
    HMENU bar = frame_ ? GetMenu(frame_) : nullptr;
    if (!bar)
        return;
    const int count = GetMenuItemCount(bar);
    for (int i = 0; i < count; ++i) {
        char caption[64] = {};
        if (GetMenuStringA(bar, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION) > 0
            && std::strcmp(caption, "&Selvadrin") == 0) {
            EnableMenuItem(
                bar, static_cast<UINT>(i), MF_BYPOSITION | (busy_.IsBusy() ? MF_GRAYED : MF_ENABLED));
            EnableMenuItem(bar, HostWindowRules::ITEM_ABOUT_ON_HOST_MENU,
                MF_BYCOMMAND | (busy_.IsBusy() ? MF_GRAYED : MF_ENABLED));
            DrawMenuBar(frame_);
            return;
        }
    }
}

LRESULT CALLBACK TMainClass::HiddenWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GuardedOr(
        "HiddenWndProc", [] { return LRESULT(0); },
        [&] {
            TMainClass* self = g_MainClass;
            return self ? self->HandleHiddenMessage(window, message, wParam, lParam)
                        : DefWindowProcA(window, message, wParam, lParam);
        });
}

LRESULT TMainClass::HandleHiddenMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        pluginWindow_ = window;
        return 0;
    case WM_DESTROY:
        HostShutdown(true);
        if (window == pluginWindow_) {
            pluginWindow_ = nullptr;
            if (std::exchange(windowWithHost_, false) && OnHostDone)
                OnHostDone();
        }
        return 0;
    case WM_TCARD:
        HelpHandler().SetTCardValue(static_cast<int>(wParam));
        return 0;
    case WM_HELP:
        ShowMenuItemHelp(pluginWindow_, reinterpret_cast<const HELPINFO*>(lParam));
        return 0;
    case WM_COMMAND:
        HandleCommand(wParam, lParam);
        return 0;
    case WM_TIMER:
        HandleTimer(wParam);
        return 0;
    case HostApi::WM_HOSTREADY:
        if (HWND frame = HostReady())
            ownerWindow_ = frame;
        return 0;
    case HostApi::WM_HOSTSEND:
        return BeforeSend();
    case HostApi::WM_HOSTEVENT:
        return HostEvent(wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void TMainClass::HandleCommand(WPARAM wParam, LPARAM lParam)
{
    const HMENU asMenu = reinterpret_cast<HMENU>(wParam);
    const TPluginCommand command = DecodePluginCommand(
        static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam), wParam && IsMenu(asMenu));
    // The plug-in's own commands never start while the mail client waits on a request.
    if (command.Kind == TPluginCommandKind::None || busy_.IsBusy() || busy_.InRequest())
        return;
    // With an editor active the encrypt button offers its choices instead of acting at once.
    if (command == TPluginCommand { TPluginCommandKind::ToolbarButton, TOOLBAR_ENCRYPT }
        && PMInterface().ActiveEditorWindow(nullptr)) {
        ShowEncryptPopup();
        return;
    }
    // The recipient-list button shows the recipient-list submenu where it is clicked (while the
    // list is off, its command asks to switch it on).
    if (command == TPluginCommand { TPluginCommandKind::ToolbarButton, TOOLBAR_AUTO_LIST } && Values().AutoPush) {
        ShowAutoListPopup();
        return;
    }
    RunPluginCommand(command);
}

void TMainClass::HandleTimer(UINT_PTR id)
{
    switch (id) {
    case TIMER_PASSPHRASE:
        KillTimer(pluginWindow_, TIMER_PASSPHRASE);
        PGPInterface().PurgePassphrase();
        return;
    case TIMER_DEFERRED_SEND: {
        KillTimer(pluginWindow_, TIMER_DEFERRED_SEND);
        HWND active = PMInterface().GetHostWindow(HostApi::HOST_WINDOW_ACTIVE_CHILD);
        if (active && ClassIs(active, HostApi::CLASS_EDITOR)) {
            sendInProgress_ = true;
            const TEditorData* record = EditorDataOf(active);
            // The mail client calls ENCRYPT inside this send: that nested request is ours.
            TNestedRequestAllowance allowance(busy_);
            PMInterface().SendFromEditor(false, record && record->SendState > ssCancelled);
        }
        // A send the editor never started must not make the next one look like its second half.
        sendInProgress_ = false;
        return;
    }
    case TIMER_RERUN_COMMAND:
        // Stop the timer before pumping, or its next tick would re-enter here.
        KillTimer(pluginWindow_, TIMER_RERUN_COMMAND);
        Sleep(0);
        PumpMessages();
        PMInterface().PostHostCommand(HostApi::CMD_RERUN);
        return;
    case TIMER_SIGNATURE_NOTE:
        KillTimer(pluginWindow_, TIMER_SIGNATURE_NOTE);
        ShowSignatureResult();
        return;
    case TIMER_CLOCK:
        clock_.Tick();
        return;
    default:
        return;
    }
}

HWND TMainClass::HostReady()
{
    TPMInterface& host = PMInterface();
    frame_ = host.GetHostWindow(HostApi::HOST_WINDOW_FRAME);
    mdiClient_ = host.GetHostWindow(HostApi::HOST_WINDOW_MDI_CLIENT);
    statusBar_ = frame_ ? FindWindowExA(frame_, nullptr, HostApi::CLASS_STATUS_BAR, nullptr) : nullptr;
    const DWORD_PTR self = reinterpret_cast<DWORD_PTR>(this);
    if (frame_)
        SubclassRegistry::Subclass(frame_, &TMainClass::FrameProc, self);
    if (statusBar_) {
        SubclassRegistry::Subclass(statusBar_, &TMainClass::StatusBarProc, self);
        SetClassLongPtrA(statusBar_, GCL_STYLE, GetClassLongPtrA(statusBar_, GCL_STYLE) | CS_DBLCLKS);
    }
    GuardedVoid("HostReady", [this] { StartHostAdditions(); });
    return frame_;
}

LRESULT TMainClass::HostEvent(WPARAM type, LPARAM record)
{
    switch (type) {
    case HostApi::EVENT_QUEUE:
        if (PMInterface().CleanQueueFolder() != 0)
            return 0;
        if (lastHostCommand_ == HostApi::CMD_DELIVER_QUEUE)
            PMInterface().PostHostCommand(HostApi::CMD_AFTER_QUEUE);
        return HostApi::HOST_HANDLED;
    case HostApi::EVENT_WINDOW: {
        const auto* event = reinterpret_cast<const HostApi::THostEvent25*>(record);
        if (!event || !IsWindow(event->Window))
            return 0;
        if (event->Kind == HostApi::WINDOW_KIND_ENCRYPTION_DIALOG) {
            PumpMessages();
            SubclassEncryptionDialog(event->Window);
        }
        if (event->Kind == HostApi::WINDOW_KIND_NEW_EDITOR) {
            if (PMInterface().HostBuild() < BUILD_SUBCLASSING_NEW_EDITORS)
                SubclassEditor(event->Window);
            else
                rememberedEditor_ = event->Window;
        }
        return 0;
    }
    case HostApi::EVENT_DECODE_FILE:
        ClearDecodeState();
        if (const char* fileName = reinterpret_cast<const char*>(record))
            DecodeFileInPlace(fileName);
        return 0;
    case HostApi::EVENT_SHUTDOWN:
        return HostShutdown(false);
    default:
        // Event 5 carries a text the plug-in takes no action on.
        return 0;
    }
}

LRESULT TMainClass::HostShutdown(bool windowDestroyed)
{
    if (windowDestroyed) {
        // The plug-in window is going whatever we answer: give everything back, post nothing.
        ReleaseHostWindows();
        shuttingDown_ = true;
        return 0;
    }
    closingWindows_ = true;
    const bool closed = CloseReaderWindows() && CloseEditorWindows();
    closingWindows_ = false;
    if (!closed)
        return HostApi::HOST_HANDLED;
    if (shuttingDown_)
        return 0;
    if (frame_ && !RestartStarted() && !rememberedEditor_)
        ShowWindow(frame_, SW_HIDE);
    HWND frame = frame_;
    ReleaseHostWindows();
    shuttingDown_ = true;
    if (frame)
        PostMessageA(frame, WM_CLOSE, 0, 0);
    return HostApi::HOST_HANDLED;
}

bool TMainClass::CloseReaderWindows()
{
    for (HWND reader : SubclassRegistry::WindowsWith(&TMainClass::ReaderProc))
        SendMessageA(reader, WM_CLOSE, 0, 0);
    return SubclassRegistry::WindowsWith(&TMainClass::ReaderProc).empty();
}

void TMainClass::ReleaseHostWindows()
{
    RemoveHostAdditions();
    ReleaseEditors();
    // Every procedure the plug-in puts into the mail client's windows; the table holds the
    // framework's own subclasses too, which stay.
    for (SUBCLASSPROC procedure : { &TMainClass::FrameProc, &TMainClass::StatusBarProc, &TMainClass::ReaderProc,
             &TMainClass::TextEditParentProc, &TMainClass::IdentityDialogProc, &TMainClass::PassphraseFieldProc,
             &TMainClass::EditorProc, &TMainClass::EditorPageProc, &TMainClass::EncryptionDialogProc })
        for (HWND window : SubclassRegistry::WindowsWith(procedure))
            SubclassRegistry::Unsubclass(window, procedure);
    frame_ = nullptr;
    mdiClient_ = nullptr;
    statusBar_ = nullptr;
}

void TMainClass::WindowCreated(HWND window)
{
    if (shuttingDown_ || !frame_)
        return;
    if (ClassIs(window, HostApi::CLASS_READER))
        SubclassReader(window);
    else if (ClassIs(window, HostApi::CLASS_EDITOR))
        SubclassEditor(window);
    else if (ClassIs(window, HostApi::CLASS_TEXT_EDIT))
        SubclassTextEditParent(window);
    else if (HWND reader = MdiReaderOf(window))
        SubclassReader(reader);
}

void TMainClass::WindowDestroyed(HWND window)
{
    watchdog_.DialogDestroyed(window);
    // The mail client's window that shows a message without our decode is gone: decode again.
    if (decodeContext_.DecodingSuppressed) {
        const std::string title = PMInterface().GetHostString(HOST_TEXT_UNDECODED_VIEW);
        if (!title.empty() && GetWindowTextStr(window) == title)
            decodeContext_.DecodingSuppressed = false;
    }
    if (window == rememberedEditor_)
        rememberedEditor_ = nullptr;
    // The window's own procedures are given back before it sees WM_DESTROY: what they would do
    // then is done here.
    if (SubclassRegistry::IsSubclassed(window, &TMainClass::EncryptionDialogProc))
        EncryptionDialogClosed(window);
    if (SubclassRegistry::IsSubclassed(window, &TMainClass::IdentityDialogProc))
        IdentityDialogClosed(window);
    if (EditorDataOf(window))
        ReleaseEditor(window);
    if (ReaderDataOf(window))
        ReleaseReader(window);
    SubclassRegistry::Unsubclass(window);
}

LRESULT CALLBACK TMainClass::CallWndHook(int code, WPARAM wParam, LPARAM lParam)
{
    TMainClass* self = g_MainClass;
    if (code == HC_ACTION && self) {
        GuardedVoid("CallWndHook", [&] {
            const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (sent->message == WM_CREATE)
                self->WindowCreated(sent->hwnd);
            else if (sent->message == WM_MDISETMENU && sent->hwnd == self->mdiClient_ && sent->wParam)
                self->AddMenus(reinterpret_cast<HMENU>(sent->wParam));
            else if (sent->message == WM_SHOWWINDOW && sent->wParam && sent->lParam == 0)
                self->WindowShown(sent->hwnd);
            else if (sent->message == WM_SETTEXT && self->statusBar_ && GetParent(sent->hwnd) == self->statusBar_) {
                self->StatusTextChanged(sent->hwnd, reinterpret_cast<const char*>(sent->lParam));
                self->ShowStatusUrlForDisplay(sent->hwnd, reinterpret_cast<const char*>(sent->lParam));
                self->clock_.Place();
            }
            else if (sent->message == WM_DESTROY)
                self->WindowDestroyed(sent->hwnd);
            else if (sent->message == WM_COMMAND) {
                self->WarnOfEncryptionSwitchedOff(sent->hwnd, sent->wParam);
                self->NoteHostCommand(sent->hwnd, sent->wParam, sent->lParam);
            }
            else if (sent->message == WM_MDIACTIVATE && reinterpret_cast<HWND>(sent->lParam) == sent->hwnd)
                self->MdiChildActivated(sent->hwnd);
        });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK TMainClass::GetMsgHook(int code, WPARAM wParam, LPARAM lParam)
{
    TMainClass* self = g_MainClass;
    if (code == HC_ACTION && wParam == PM_REMOVE && self) {
        GuardedVoid("GetMsgHook", [&] {
            auto* msg = reinterpret_cast<MSG*>(lParam);
            // The help window sees its keys first (Tab between its panes, Escape); a message the
            // plug-in took is swallowed: the mail client gets nothing in its place.
            if (TZAVEKHelp* help = self->HelpHandlerIfMade(); help && help->PreTranslateMessage(*msg))
                msg->message = WM_NULL;
            else if (self->PostedMessageTaken(*msg))
                msg->message = WM_NULL;
        });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK TMainClass::FrameProc(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    return GuardedOr(
        "FrameProc", [&] { return DefSubclassProc(window, message, wParam, lParam); },
        [&]() -> LRESULT {
            auto* self = reinterpret_cast<TMainClass*>(data);
            if (message == WM_COMMAND && lParam == 0)
                self->lastHostCommand_ = LOWORD(wParam);
            LRESULT result = 0;
            if (self->HandleFrameMenuMessage(message, wParam, lParam, result))
                return result;
            // With the old interface the mail client does not announce its shut-down: do it here.
            if (message == WM_CLOSE && !self->newInterface_ && !self->shuttingDown_ && self->pluginWindow_
                && self->PMInterface().SendShutdownEvent(self->pluginWindow_, false) == HostApi::HOST_HANDLED)
                return 0;
            // Windows ends the session: the plug-in shuts down first, the mail client then decides.
            // The mail client's frame appears: its user is one of the plug-in's users.
            if (message == WM_SHOWWINDOW && wParam && !self->shuttingDown_)
                self->RegisterUser();
            if (message == WM_HELP && self->ShowMenuItemHelp(*reinterpret_cast<const HELPINFO*>(lParam)))
                return TRUE;
            // The mail client comes back to the front: the signer of the last message is shown again.
            // (A request shows its own result when it ends.)
            if (message == WM_NCACTIVATE && wParam && !self->shuttingDown_ && !self->busy_.InRequest()
                && !self->signatureNote_.Shown()
                && self->decryptRoad_ && !self->decryptRoad_->SignatureResult().StatusText.empty())
                self->ShowSignatureResult();
            if (message == WM_QUERYENDSESSION && !self->shuttingDown_ && self->pluginWindow_)
                self->PMInterface().SendShutdownEvent(self->pluginWindow_, true);
            const LRESULT handled = DefSubclassProc(window, message, wParam, lParam);
            // The mail client's own verify and key management kept our decode out of their way
            // while they ran; the next message is decoded again.
            if (message == WM_COMMAND && lParam == 0
                && (LOWORD(wParam) == TDecryptRoad::CMD_HOST_VERIFY || LOWORD(wParam) == TDecryptRoad::CMD_HOST_MANAGE))
                self->decodeContext_.DecodingSuppressed = false;
            return handled;
        });
}

// Marks the readers the plug-in handles: the subclass table lists them by this procedure.
LRESULT CALLBACK TMainClass::ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    return DefSubclassProc(window, message, wParam, lParam);
}

int32_t TMainClass::EncryptRequest(const std::string& inFile, const std::string& outFile,
    const std::string& recipient, const std::string& method, TRequestedAction requested)
{
    if (inFile.empty())
        return 0;
    TPGPInterface& pgp = PGPInterface();
    LoadOptions();
    // The passphrase cache holds for the whole request.
    pgp.BeginCacheHold();
    struct TCacheHold {
        TPGPInterface& pgp;
        ~TCacheHold() { pgp.EndCacheHold(); }
    } hold { pgp };
    if (!outFile.empty())
        return ConvertFile(inFile, outFile);
    TEncryptRoad& road = EncryptRoad();
    // Without an editor the plug-in handles, each request is a send of its own.
    if (!EditorDataOf(PMInterface().ActiveEditorWindow(nullptr)))
        road.ResetSendState(nullptr, 0);
    return road.EncryptMessage(inFile, recipient, method, requested);
}

TEncryptRoad& TMainClass::EncryptRoad()
{
    if (!encryptRoad_ || !encryptRoad_->BoundTo(PGPInterface()))
        encryptRoad_ = std::make_unique<TPluginEncryptRoad>(*this, *this, [this] { return ownerWindow_; });
    return encryptRoad_->Road();
}

TDecryptRoad& TMainClass::DecryptRoad()
{
    TPGPInterface& pgp = PGPInterface();
    // A new start-up brings a new PGP interface: the road follows it.
    if (!decryptRoad_ || &decryptRoad_->Interface() != &pgp) {
        decryptRoad_.reset();
        decryptHost_ = std::make_unique<TPMDecryptHost>(PMInterface(), *this, signatureNote_);
        decryptHost_->OnKeysImported = [this](const TKeyIDData& keys) { OfferAutoListEntries(keys); };
        decryptHost_->OpenMessageTree = [this](const std::string& text) {
            ::ShowMessageTree(*this, text, MessageTreeSettings());
        };
        decryptRoad_ = std::make_unique<TDecryptRoad>(pgp, *decryptHost_, Values(), Texts(), decodeContext_);
    }
    decryptHost_->Owner = ownerWindow_;
    decryptHost_->StatusBar = statusBar_;
    return *decryptRoad_;
}

void TMainClass::ClearDecodeState()
{
    if (decryptRoad_)
        decryptRoad_->RestoreHostSetting();
    decodeContext_ = TDecodeContext();
}

void TMainClass::MdiChildActivated(HWND child)
{
    if (!frame_ || shuttingDown_)
        return;
    const TPMInterface& host = PMInterface();
    // What the commands said was about the window before: a mail window starts afresh.
    if (host.ActiveFolderManager(child) || host.ActiveFolderWindow(child) || host.ActiveEditorWindow(child)
        || host.ActiveReaderWindow(child))
        ClearDecodeState();
    if (host.ActiveReaderWindow(child))
        UpdateReaderIcon(child);
}

void TMainClass::NoteHostCommand(HWND target, WPARAM wParam, LPARAM lParam)
{
    if (!frame_ || shuttingDown_ || target == pluginWindow_)
        return;
    const TPMInterface& host = PMInterface();
    if (lParam) {
        ApplyHostControlCommand(decodeContext_, target, wParam, reinterpret_cast<HWND>(lParam),
            host.GetHostString(HOST_TEXT_HEADER_DIALOG), Texts().GetEntry(TEXT_ENCRYPTOR_LABEL));
        return;
    }
    const UINT command = LOWORD(wParam);
    HWND active = host.GetHostWindow(HostApi::HOST_WINDOW_ACTIVE_CHILD);
    if (!host.ActiveFolderManager(active) && !host.ActiveFolderWindow(active) && !host.ActiveReaderWindow(active))
        return;
    char className[64] = {};
    GetClassNameA(target, className, sizeof className);
    const TDecodeFollowUp followUp
        = ApplyHostCommand(decodeContext_, command, className, host.GetShowObjects(), host.HostBuild());
    if (followUp == TDecodeFollowUp::RefreshReader || followUp == TDecodeFollowUp::UpdateReaderIcon) {
        HWND reader = host.ActiveReaderWindow(active);
        TReaderData* record = ReaderDataOf(reader);
        // A refreshed reader shows its message anew: the signature icon of the old view goes.
        if (record && followUp == TDecodeFollowUp::RefreshReader) {
            record->SignatureIcon = nullptr;
            record->Decoded = false;
        }
        UpdateReaderIcon(reader);
    } else if (followUp == TDecodeFollowUp::DecryptCurrentMessage) {
        PostMessageA(frame_, WM_COMMAND, HostWindowRules::ITEM_DECRYPT_MESSAGE, 0);
    }
    if (followUp == TDecodeFollowUp::SendCtrlH) {
        keybd_event(VK_CONTROL, 0, 0, 0);
        keybd_event('H', 0, 0, 0);
        keybd_event('H', 0, KEYEVENTF_KEYUP, 0);
        keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    }
}

// The decrypt, verify and key roads see what another writer (the helper, a second mail client, a
// hand edit) changed in the options file since the last request, as the encrypt road does.
int32_t TMainClass::DecryptMessage(const std::string& inFile, const std::string& outFile, uint32_t)
{
    LoadOptions();
    return DecryptRoad().DecryptMessage(inFile, outFile);
}

void TMainClass::VerifyFile(const std::string& fileName)
{
    LoadOptions();
    DecryptRoad().VerifyFile(fileName);
}

void TMainClass::ManageKeys(const std::string& argument, int mode)
{
    LoadOptions();
    DecryptRoad().ManageKeys(argument, mode);
}

void TMainClass::WipeFile(const std::string& fileName)
{
    PGPInterface().WipeFile(fileName);
}

void TMainClass::SyncTime(bool show)
{
    const DWORD code = SyncSystemTime(GetShowTimeServer(), GetShowTimePort());
    if (!show)
        return;
    if (code != 0)
        ShowSystemError(*this, "%s", code);
    else
        ShowInfo(*this, Texts().GetEntry(TEXT_CLOCK_SET));
}
