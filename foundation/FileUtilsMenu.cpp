// FileUtils on Windows: a file's Explorer context menu shown inside our own menus. The window that
// shows it is subclassed while the menu lives, so that the shell can draw its items, fill its
// submenus and run the chosen verb; everything is released when the menu closes.
#include "foundation/FileUtilsWin.h"

#include "foundation/FileUtilsCom.h"
#include "foundation/StrUtil.h"
#include "framework/Subclassing.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

const char* const ContextMenuDataProp = "ContextMenuDataProp";
constexpr UINT_PTR FillTimerID = 287;
constexpr UINT_PTR TearDownTimerID = 530;
constexpr UINT QueryFlags = 34;
// WM_COMMAND carries 16-bit ids: the shell's commands must stay below that.
constexpr UINT LastCommandID = 0x7FFF;

enum TOpenMode : int {
    omNone = 0,
    omNudgeMouse = 1,
    omRightArrow = 2,
};

struct TContextMenuData {
    TContextMenuHandler Handler;
    std::string FileName;
    HWND Window = nullptr;
    TComPtr<IContextMenu> Menu;
    TComPtr<IContextMenu2> Menu2;
    TComPtr<IContextMenu3> Menu3;
    HMENU Popup = nullptr;
    UINT FirstID = 0;
    HMENU ParentMenu = nullptr;
    int Position = 0;
    int OpenMode = omNone;
    bool DeleteEmptyFile = false;
    bool ComInitialized = false;
};

TContextMenuData* DataOf(HWND Window)
{
    return static_cast<TContextMenuData*>(GetPropA(Window, ContextMenuDataProp));
}

// A shell item id list owned by the shell's allocator.
class TItemIDList {
public:
    TItemIDList() = default;
    ~TItemIDList() { CoTaskMemFree(list_); }
    TItemIDList(const TItemIDList&) = delete;
    TItemIDList& operator=(const TItemIDList&) = delete;
    PIDLIST_RELATIVE* Out() { return &list_; }
    PIDLIST_RELATIVE Get() const { return list_; }

private:
    PIDLIST_RELATIVE list_ = nullptr;
};

// The file's IContextMenu through its folder's IShellFolder.
bool GetFileContextMenu(HWND Window, const std::string& File, TComPtr<IContextMenu>& Menu)
{
    TComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Out())))
        return false;
    std::wstring folderName = AnsiToWideString(GetFolderPart(File));
    std::wstring fileName = AnsiToWideString(GetFileNamePart(File));
    TItemIDList folderID;
    TComPtr<IShellFolder> folder;
    if (FAILED(desktop->ParseDisplayName(Window, nullptr, folderName.data(), nullptr, folderID.Out(), nullptr))
        || FAILED(desktop->BindToObject(folderID.Get(), nullptr, IID_IShellFolder, folder.OutVoid())))
        return false;
    TItemIDList itemID;
    if (FAILED(folder->ParseDisplayName(Window, nullptr, fileName.data(), nullptr, itemID.Out(), nullptr)))
        return false;
    PCUITEMID_CHILD item = itemID.Get();
    return SUCCEEDED(folder->GetUIObjectOf(Window, 1, &item, IID_IContextMenu, nullptr, Menu.OutVoid()));
}

void FillPopup(TContextMenuData& Data)
{
    Data.Menu->QueryContextMenu(Data.Popup, 0, Data.FirstID, LastCommandID, QueryFlags);
}

bool IsEmptyFile(const std::string& Name)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes {};
    return GetFileAttributesExA(Name.c_str(), GetFileExInfoStandard, &attributes)
        && !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && attributes.nFileSizeHigh == 0
        && attributes.nFileSizeLow == 0;
}

LRESULT CALLBACK ContextMenuWindowProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

// Takes the submenu out of the parent menu, which then no longer needs to outlive the record.
void DetachFromParent(TContextMenuData& Data)
{
    if (!Data.ParentMenu)
        return;
    for (int i = GetMenuItemCount(Data.ParentMenu) - 1; i >= 0; --i)
        if (GetSubMenu(Data.ParentMenu, i) == Data.Popup)
            RemoveMenu(Data.ParentMenu, static_cast<UINT>(i), MF_BYPOSITION);
    Data.ParentMenu = nullptr;
}

// Releases everything the menu held; the window gets its procedure and menu bar back.
void TearDown(TContextMenuData* Data)
{
    HWND window = Data->Window;
    KillTimer(window, FillTimerID);
    KillTimer(window, TearDownTimerID);
    SubclassRegistry::Unsubclass(window, ContextMenuWindowProc);
    RemovePropA(window, ContextMenuDataProp);
    Data->Menu3.Reset();
    Data->Menu2.Reset();
    Data->Menu.Reset();
    DetachFromParent(*Data);
    DestroyMenu(Data->Popup);
    DrawMenuBar(window);
    if (Data->DeleteEmptyFile && IsEmptyFile(Data->FileName))
        DeleteFileA(Data->FileName.c_str());
    const bool uninitialize = Data->ComInitialized;
    delete Data;
    if (uninitialize)
        CoUninitialize();
}

// Menu drawing and popup messages for the shell's own items; true when the shell handled one.
bool ForwardToShell(TContextMenuData& Data, UINT Message, WPARAM WParam, LPARAM LParam, LRESULT& Result)
{
    if (Data.Menu3)
        return Data.Menu3->HandleMenuMsg2(Message, WParam, LParam, &Result) == S_OK;
    if (Data.Menu2 && Message != WM_MENUCHAR) {
        Result = 0;
        return Data.Menu2->HandleMenuMsg(Message, WParam, LParam) == S_OK;
    }
    return false;
}

bool IsShellItem(const TContextMenuData& Data, UINT ItemID)
{
    return ItemID >= Data.FirstID && ItemID <= LastCommandID;
}

// The submenu was selected while still empty: fill it after the menu show delay.
void OnMenuSelect(TContextMenuData& Data, WPARAM WParam, LPARAM LParam)
{
    const UINT flags = HIWORD(WParam);
    if (flags == 0xFFFF || !(flags & MF_POPUP) || reinterpret_cast<HMENU>(LParam) != Data.ParentMenu
        || GetSubMenu(Data.ParentMenu, LOWORD(WParam)) != Data.Popup || GetMenuItemCount(Data.Popup) > 0)
        return;
    Data.OpenMode = (flags & MF_MOUSESELECT) ? omNudgeMouse : omRightArrow;
    UINT delay = 400;
    SystemParametersInfoA(SPI_GETMENUSHOWDELAY, 0, &delay, 0);
    SetTimer(Data.Window, FillTimerID, delay, nullptr);
}

// Fills the submenu and makes it open as if the user had waited on it.
void OnFillTimer(TContextMenuData& Data)
{
    KillTimer(Data.Window, FillTimerID);
    if (GetMenuItemCount(Data.Popup) == 0)
        FillPopup(Data);
    if (Data.OpenMode == omNudgeMouse) {
        POINT cursor {};
        GetCursorPos(&cursor);
        const int step = cursor.x + 1 < GetSystemMetrics(SM_CXSCREEN) ? 1 : -1;
        SetCursorPos(cursor.x + step, cursor.y);
    } else if (Data.OpenMode == omRightArrow) {
        PostMessageA(Data.Window, WM_KEYDOWN, VK_RIGHT, 0);
    }
    Data.OpenMode = omNone;
}

void OnCommand(TContextMenuData* Data, UINT ID)
{
    const bool handled = Data->Handler && Data->Handler(Data->Window, ID);
    if (!handled && Data->Menu) {
        CMINVOKECOMMANDINFO invoke {};
        invoke.cbSize = sizeof invoke;
        invoke.hwnd = Data->Window;
        invoke.lpVerb = MAKEINTRESOURCEA(ID - Data->FirstID);
        invoke.nShow = SW_SHOWNORMAL;
        Data->Menu->InvokeCommand(&invoke);
    }
    TearDown(Data);
}

LRESULT HandleMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    TContextMenuData* data = DataOf(Window);
    if (!data)
        return DefSubclassProc(Window, Message, WParam, LParam);
    LRESULT result = 0;
    switch (Message) {
    case WM_MEASUREITEM: {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(LParam);
        if (WParam == 0 && item && item->CtlType == ODT_MENU && IsShellItem(*data, item->itemID)
            && ForwardToShell(*data, Message, WParam, LParam, result))
            return TRUE;
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(LParam);
        if (WParam == 0 && item && item->CtlType == ODT_MENU && IsShellItem(*data, item->itemID)
            && ForwardToShell(*data, Message, WParam, LParam, result))
            return TRUE;
        break;
    }
    case WM_INITMENUPOPUP:
        ForwardToShell(*data, Message, WParam, LParam, result);
        break;
    case WM_MENUCHAR:
        if (ForwardToShell(*data, Message, WParam, LParam, result))
            return result;
        break;
    case WM_MENUSELECT:
        OnMenuSelect(*data, WParam, LParam);
        break;
    case WM_TIMER:
        if (WParam == FillTimerID) {
            OnFillTimer(*data);
            return 0;
        }
        if (WParam == TearDownTimerID) {
            TearDown(data);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (HIWORD(WParam) == 0 && IsShellItem(*data, LOWORD(WParam))) {
            OnCommand(data, LOWORD(WParam));
            return 0;
        }
        break;
    case WM_EXITMENULOOP:
        // Later, so that a command the menu posted still finds the menu.
        SetTimer(Window, TearDownTimerID, 1, nullptr);
        break;
    case WM_DESTROY:
    case WM_CANCELMODE:
        result = DefSubclassProc(Window, Message, WParam, LParam);
        TearDown(data);
        return result;
    default:
        break;
    }
    return DefSubclassProc(Window, Message, WParam, LParam);
}

LRESULT CALLBACK ContextMenuWindowProc(
    HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, UINT_PTR, DWORD_PTR)
{
    try {
        return HandleMessage(Window, Message, WParam, LParam);
    } catch (...) {
        return DefSubclassProc(Window, Message, WParam, LParam);
    }
}

UINT AlignmentFlag(TContextMenuAlignment Alignment)
{
    switch (Alignment) {
    case cmaRight:
        return TPM_RIGHTALIGN;
    case cmaCenter:
        return TPM_CENTERALIGN;
    default:
        return TPM_LEFTALIGN;
    }
}

} // namespace

bool CloseShellContextMenu(HWND Window)
{
    TContextMenuData* data = Window ? DataOf(Window) : nullptr;
    if (!data)
        return false;
    TearDown(data);
    return true;
}

bool ShowShellContextMenu(const std::string& File, const std::string& Caption, HWND Window, HMENU ParentMenu,
    int Position, UINT FirstID, const POINT* Point, TContextMenuAlignment Alignment,
    const TContextMenuHandler& Handler, bool DeleteEmptyFile)
{
    CloseShellContextMenu(Window);
    const DWORD attributes = GetFileAttributesA(File.c_str());
    if (!IsWindow(Window) || File.empty() || attributes == INVALID_FILE_ATTRIBUTES || FirstID == 0
        || FirstID > LastCommandID)
        return false;

    auto data = std::make_unique<TContextMenuData>();
    data->ComInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // From here the record owns the apartment reference: TearDown releases it on every path.
    data->Handler = Handler;
    data->FileName = File;
    data->Window = Window;
    data->FirstID = FirstID;
    data->ParentMenu = ParentMenu;
    data->Position = Position;
    data->DeleteEmptyFile = DeleteEmptyFile;
    data->Popup = CreatePopupMenu();
    if (!data->Popup || !GetFileContextMenu(Window, File, data->Menu)) {
        TearDown(data.release());
        return false;
    }
    data->Menu->QueryInterface(IID_IContextMenu2, data->Menu2.OutVoid());
    data->Menu->QueryInterface(IID_IContextMenu3, data->Menu3.OutVoid());
    if (ParentMenu) {
        InsertMenuA(ParentMenu, static_cast<UINT>(Position), MF_BYPOSITION | MF_POPUP | MF_STRING,
            reinterpret_cast<UINT_PTR>(data->Popup), Caption.c_str());
    } else {
        FillPopup(*data);
    }
    TContextMenuData* record = data.release();
    SetPropA(Window, ContextMenuDataProp, record);
    if (!SubclassRegistry::Subclass(Window, ContextMenuWindowProc, 0)) {
        TearDown(record);
        return false;
    }

    if (Point) {
        POINT at = *Point;
        if (at.x < 0 || at.y < 0)
            GetCursorPos(&at);
        TrackPopupMenu(ParentMenu ? ParentMenu : record->Popup, TPM_RIGHTBUTTON | AlignmentFlag(Alignment), at.x,
            at.y, 0, Window, nullptr);
        // The menu loop is over, and the caller may destroy its menu (and with it every submenu
        // still in it): the record keeps its submenu alone until the chosen command has run.
        if (DataOf(Window) == record)
            DetachFromParent(*record);
    } else {
        DrawMenuBar(Window);
    }
    return true;
}
