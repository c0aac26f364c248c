// The open and save dialogs: the system's explorer-style file dialogs run by ourselves, with our
// child template, a hook that adds the clipboard button, and a subclass of the dialog window that
// centres it over its owner and takes the button's access key.
#include "ui/dialogs/FileDialogs.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/Controls.h"
#include "framework/LibraryBinding.h"
#include "framework/Subclassing.h"

#include <algorithm>
#include <cctype>
#include <vector>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr DWORD FileBufferSize = 0xFFFF;
constexpr WORD AcceleratorNotification = 1;
constexpr char LowerCaseBit = 0x20;

const TFileDialogKind OpenKind = { [] {
                                       static const auto run = SYSTEM_PROC("ComDlg32.dll", GetOpenFileNameA);
                                       return run;
                                   },
    OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK
        | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, // 0x8186E
    true, 1, 3, 3, "TOpenDialogEx" };

const TFileDialogKind SaveKind = { [] {
                                       static const auto run = SYSTEM_PROC("ComDlg32.dll", GetSaveFileNameA);
                                       return run;
                                   },
    OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_PATHMUSTEXIST | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK
        | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, // 0x8886E
    false, 2, 4, 4, "TSaveDialogEx" };

void PumpPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam)); // the owner's loop must still see it
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The filter list as the dialog takes it: every line followed by a NUL, every '|' a NUL.
std::string FilterText(const TStringList& Lines)
{
    std::string text;
    for (int i = 0; i < Lines.Count(); ++i)
        text += Lines[i] + '\0';
    for (char& c : text)
        if (c == '|')
            c = '\0';
    return text + '\0';
}

BOOL CALLBACK TakeEditWindow(HWND Window, LPARAM Found)
{
    char name[16] = {};
    GetClassNameA(Window, name, sizeof name);
    if (lstrcmpiA(name, "EDIT") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(Found) = Window;
    return FALSE;
}

HWND FirstEditChild(HWND Dialog)
{
    HWND found = nullptr;
    EnumChildWindows(Dialog, TakeEditWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Centres Dialog over its owner (the desktop without one); halves of odd or negative differences
// are rounded towards zero.
void CentreOverOwner(HWND Dialog)
{
    HWND owner = GetWindow(Dialog, GW_OWNER);
    RECT area {}, own {};
    GetWindowRect(owner ? owner : GetDesktopWindow(), &area);
    GetWindowRect(Dialog, &own);
    const int width = own.right - own.left + 1, height = own.bottom - own.top + 1;
    const int x = area.left + (area.right - area.left + 1 - width) / 2;
    const int y = area.top + (area.bottom - area.top + 1 - height) / 2;
    SetWindowPos(Dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_FRAMECHANGED);
}

} // namespace

std::string FileDialogResult(const char* Buffer, size_t Size, std::string& Folder)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < Size && Buffer[start] != '\0') {
        size_t end = start;
        while (end < Size && Buffer[end] != '\0')
            ++end;
        parts.emplace_back(Buffer + start, end - start);
        start = end + 1;
    }
    if (parts.empty())
        return {};
    if (parts.size() == 1) {
        Folder = GetFolderPart(parts[0]);
        return parts[0];
    }
    // A root folder ("C:\") already ends in its separator: it must not be doubled.
    Folder = WithTrailingBackslash(parts[0]);
    std::string result;
    for (size_t i = 1; i < parts.size(); ++i)
        result += (i > 1 ? "\n" : "") + Folder + parts[i];
    return result;
}

char AccessKeyOf(const std::string& Caption)
{
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != '&')
            continue;
        if (Caption[i + 1] != '&')
            return static_cast<char>(std::toupper(static_cast<unsigned char>(Caption[i + 1])));
        ++i; // "&&" is a literal ampersand
    }
    return 0;
}

TFileDialogEx::TFileDialogEx(const TFileDialogKind& Kind)
    : TOpenDialog(nullptr)
    , kind_(Kind)
    , buffer_(std::make_unique<char[]>(FileBufferSize))
{
    record_.lStructSize
        = GetWindowsMajorVersion() < 5 ? OPENFILENAME_SIZE_VERSION_400A : sizeof(OPENFILENAMEA);
    record_.hInstance = reinterpret_cast<HINSTANCE>(&__ImageBase);
    FilterIndex = 0;
}

TOpenDialogEx::TOpenDialogEx()
    : TFileDialogEx(OpenKind)
{
}

TSaveDialogEx::TSaveDialogEx()
    : TFileDialogEx(SaveKind)
{
}

void TFileDialogEx::SetClipBtnText(const std::string& Text)
{
    clipBtnText_ = Text;
    accessKey_ = AccessKeyOf(Text);
}

void TFileDialogEx::SetDefaultExtension(const std::string& Text)
{
    defaultExtension_ = Text.substr(!Text.empty() && Text[0] == '.' ? 1 : 0, 3);
}

DWORD TFileDialogEx::Flags() const
{
    DWORD flags = kind_.FixedFlags;
    if (kind_.MultiSelect && (Options & ofAllowMultiSelect))
        flags |= OFN_ALLOWMULTISELECT;
    if (Options & ofShowHelp)
        flags |= OFN_SHOWHELP;
    if (Options & ofShareAware)
        flags |= OFN_SHAREAWARE;
    if (Options & ofNoTestFileCreate)
        flags |= OFN_NOTESTFILECREATE;
    return flags;
}

bool TFileDialogEx::Execute()
{
    try {
        std::fill(buffer_.get(), buffer_.get() + FileBufferSize, '\0');
        const std::string namePart = GetFileNamePart(FileName).substr(0, FileBufferSize - 2);
        std::copy(namePart.begin(), namePart.end(), buffer_.get());
        clipboardChosen_ = false;

        const std::string filter = filter_.Count() > 0 ? FilterText(filter_) : std::string();
        std::string initialDir = InitialDir.empty() ? GetFolderPart(FileName) : InitialDir;
        if (initialDir.empty()) {
            char current[MAX_PATH] = {};
            GetCurrentDirectoryA(MAX_PATH, current);
            initialDir = current;
        }
        const DWORD size = record_.lStructSize;
        const HINSTANCE instance = record_.hInstance;
        record_ = {};
        record_.lStructSize = size;
        record_.hInstance = instance;
        record_.hwndOwner = ParentHandle;
        record_.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
        record_.nFilterIndex = static_cast<DWORD>(FilterIndex);
        record_.lpstrFile = buffer_.get();
        record_.nMaxFile = FileBufferSize;
        record_.lpstrInitialDir = initialDir.c_str();
        record_.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
        record_.Flags = Flags();
        record_.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
        record_.lCustData = reinterpret_cast<LPARAM>(this);
        record_.lpfnHook = &TFileDialogEx::Hook;
        record_.lpTemplateName
            = MAKEINTRESOURCEA(clipBtnText_.empty() ? kind_.PlainTemplate : kind_.ButtonTemplate);

        const auto run = kind_.Run();
        const BOOL accepted = run && run(&record_);
        PumpPendingMessages();
        // The record's texts point into locals of this call.
        record_.lpstrFilter = record_.lpstrInitialDir = record_.lpstrTitle = record_.lpstrDefExt = nullptr;

        std::string result;
        if (accepted) {
            std::string folder;
            result = FileDialogResult(buffer_.get(), FileBufferSize, folder);
            InitialDir = folder;
            SetCurrentDirectoryA(InitialDir.c_str());
            FilterIndex = static_cast<int>(record_.nFilterIndex);
        } else {
            buffer_[0] = '\0';
        }
        if (clipboardChosen_)
            result = ClipboardFileName;
        FileName = result;
        return !FileName.empty();
    } catch (...) {
        FileName.clear();
        buffer_[0] = '\0';
        return false;
    }
}

void TFileDialogEx::ChooseClipboard(HWND Dialog)
{
    clipboardChosen_ = true;
    PostMessageA(Dialog, WM_CLOSE, 0, 0);
}

UINT_PTR CALLBACK TFileDialogEx::Hook(HWND Child, UINT Message, WPARAM WParam, LPARAM LParam)
{
    try {
        auto* self = Message == WM_INITDIALOG
            ? reinterpret_cast<TFileDialogEx*>(reinterpret_cast<const OPENFILENAMEA*>(LParam)->lCustData)
            : nullptr;
        if (!self) {
            // Either twin's property: the hook cannot know which one runs before it finds it.
            self = static_cast<TFileDialogEx*>(GetPropA(Child, OpenKind.PropertyName));
            if (!self)
                self = static_cast<TFileDialogEx*>(GetPropA(Child, SaveKind.PropertyName));
        }
        return self ? self->HookMessage(Child, Message, WParam, LParam) : 0;
    } catch (...) {
        ReportBoundaryException("file dialog hook");
        return 0;
    }
}

UINT_PTR TFileDialogEx::HookMessage(HWND Child, UINT Message, WPARAM WParam, LPARAM LParam)
{
    const HWND dialog = GetParent(Child);
    switch (Message) {
    case WM_INITDIALOG: {
        SetPropA(Child, kind_.PropertyName, this);
        SetPropA(dialog, kind_.PropertyName, this);
        SubclassRegistry::Subclass(dialog,
            [this](HWND Window, UINT Msg, WPARAM W, LPARAM L) { return DialogMessage(Window, Msg, W, L); });
        if (!clipBtnText_.empty()) {
            RECT client {}, own {}, button {};
            GetClientRect(dialog, &client);
            GetWindowRect(Child, &own);
            SetWindowPos(Child, nullptr, 0, 0, client.right, own.bottom - own.top, SWP_NOMOVE | SWP_NOZORDER);
            const HWND clip = GetDlgItem(Child, kind_.ButtonID);
            GetWindowRect(clip, &button);
            MapWindowPoints(nullptr, Child, reinterpret_cast<POINT*>(&button), 2);
            SetWindowPos(clip, nullptr, (client.right - (button.right - button.left)) / 2, button.top, 0, 0,
                SWP_NOSIZE | SWP_NOZORDER);
            SetWindowTextA(clip, clipBtnText_.c_str());
        }
        return 0;
    }
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(LParam)->code == CDN_TYPECHANGE) {
            // Setting the name's own text again makes the dialog show it with the new type.
            // A typed name or a list of chosen names may be longer than a path.
            if (const HWND edit = FirstEditChild(dialog)) {
                std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
                const int length = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
                text.resize(static_cast<std::size_t>(std::max(length, 0)));
                SetWindowTextA(edit, text.c_str());
            }
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(WParam) == kind_.ButtonID && HIWORD(WParam) == BN_CLICKED) {
            ChooseClipboard(dialog);
            return 1;
        }
        return 0;
    case WM_DESTROY:
        RemovePropA(Child, kind_.PropertyName);
        return 0;
    default:
        return 0;
    }
}

LRESULT TFileDialogEx::DialogMessage(HWND Dialog, UINT Message, WPARAM WParam, LPARAM LParam)
{
    const LRESULT result = SubclassRegistry::CallOriginal(Dialog, Message, WParam, LParam);
    switch (Message) {
    case WM_SHOWWINDOW:
        if (WParam) {
            dialog_ = Dialog;
            CentreOverOwner(Dialog);
        }
        break;
    case WM_COMMAND:
        if (LParam == 0 && HIWORD(WParam) == AcceleratorNotification && accessKey_ != 0
            && (LOWORD(WParam) & ~LowerCaseBit) == static_cast<unsigned char>(accessKey_)) {
            ChooseClipboard(Dialog);
            return 1;
        }
        break;
    case WM_DESTROY:
        dialog_ = nullptr;
        if (const HWND owner = GetWindow(Dialog, GW_OWNER))
            BringWindowToTop(owner);
        RemovePropA(Dialog, kind_.PropertyName);
        SubclassRegistry::Unsubclass(Dialog);
        break;
    default:
        break;
    }
    return result;
}
