// Up-down, status bar, page control, image list and rich edit over the common-control classes.
#include "framework/ComCtrls.h"

#include "framework/Exceptions.h"

#include <richedit.h>

#include <algorithm>

namespace {

std::wstring ToWide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(n, 0)));
    return wide;
}

std::string ToAnsi(const std::wstring& text)
{
    const int n = WideCharToMultiByte(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(
        CP_ACP, 0, text.data(), static_cast<int>(text.size()), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

const NMHDR& Header(const TMessage& message)
{
    return *reinterpret_cast<const NMHDR*>(message.LParam);
}

} // namespace

void EnsureCommonControls()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX init { sizeof init, ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_TAB_CLASSES };
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)done;
}

// ---- TUpDown ----

TUpDown::TUpDown(TComponent* owner)
    : TWinControl(owner)
{
    EnsureCommonControls();
    SetBounds(0, 0, 17, 21);
}

void TUpDown::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = UPDOWN_CLASSA;
    params.Style |= UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
}

void TUpDown::CreateWindowHandleDone()
{
    SendMessageA(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(Min), Max);
    UDACCEL accel { 0, static_cast<UINT>(Increment) };
    SendMessageA(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    if (associate_)
        SendMessageA(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->Handle()), 0);
    SendMessageA(Handle(), UDM_SETPOS32, 0, position_);
}

int TUpDown::Position()
{
    if (HandleAllocated()) {
        BOOL failed = FALSE;
        const auto value
            = static_cast<int>(SendMessageA(Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
        if (!failed)
            position_ = value;
    }
    return position_;
}

void TUpDown::SetPosition(int position)
{
    position_ = std::clamp(position, std::min(Min, Max), std::max(Min, Max));
    if (HandleAllocated())
        SendMessageA(Handle(), UDM_SETPOS32, 0, position_);
}

void TUpDown::SetAssociate(TWinControl* control)
{
    associate_ = control;
    if (HandleAllocated())
        SendMessageA(Handle(), UDM_SETBUDDY, control ? reinterpret_cast<WPARAM>(control->Handle()) : 0, 0);
    SetPosition(position_);
}

void TUpDown::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == associate_)
        associate_ = nullptr;
}

void TUpDown::WndProc(TMessage& message)
{
    if (message.Msg == CN_NOTIFY && Header(message).code == static_cast<UINT>(UDN_DELTAPOS)) {
        bool allow = true;
        if (OnChanging)
            OnChanging(*this, allow);
        message.Result = allow ? 0 : 1;
        return;
    }
    if (message.Msg == CN_VSCROLL || message.Msg == CN_HSCROLL) {
        // A refused change still scrolls: only a moved position is a click.
        const int before = position_;
        if (LOWORD(message.WParam) == SB_THUMBPOSITION && Position() != before && OnClick)
            OnClick(*this, position_ > before);
        return;
    }
    TWinControl::WndProc(message);
}

// ---- TStatusBar ----

TStatusBar::TStatusBar(TComponent* owner)
    : TWinControl(owner)
{
    EnsureCommonControls();
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

void TStatusBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = STATUSCLASSNAMEA;
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | (SizeGrip ? SBARS_SIZEGRIP : 0);
}

void TStatusBar::CreateWindowHandleDone()
{
    UpdatePanels();
}

void TStatusBar::SetSimplePanel(bool value)
{
    simplePanel_ = value;
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::string& text)
{
    simpleText_ = text;
    UpdatePanels();
}

void TStatusBar::SetPanels(std::vector<TStatusPanel> panels)
{
    panels_ = std::move(panels);
    UpdatePanels();
}

void TStatusBar::SetPanelText(int index, const std::string& text)
{
    panels_.at(static_cast<std::size_t>(index)).Text = text;
    UpdatePanels();
}

void TStatusBar::UpdatePanels()
{
    if (!HandleAllocated())
        return;
    const HWND window = Handle();
    SendMessageA(window, SB_SIMPLE, simplePanel_, 0);
    if (simplePanel_) {
        SendMessageA(window, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(simpleText_.c_str()));
        return;
    }
    std::vector<int> edges;
    int right = 0;
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        right += panels_[i].Width;
        // The last panel reaches to the right edge.
        edges.push_back(i + 1 == panels_.size() ? -1 : right);
    }
    if (edges.empty())
        edges.push_back(-1);
    SendMessageA(window, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (std::size_t i = 0; i < panels_.size(); ++i)
        SendMessageA(window, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(panels_[i].Text.c_str()));
}

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* owner)
    : TWinControl(owner)
{
    SetAlign(alClient);
    SetVisible(false);
}

TTabSheet::~TTabSheet()
{
    SetPageControl(nullptr);
}

void TTabSheet::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "TTabSheet";
}

void TTabSheet::SetPageControl(TPageControl* control)
{
    if (control == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    pageControl_ = control;
    SetParent(control);
    if (control)
        control->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool visible)
{
    tabVisible_ = visible;
    if (pageControl_)
        pageControl_->UpdateTabs();
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_)
        return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetText(const std::string& text)
{
    TWinControl::SetText(text);
    if (pageControl_)
        pageControl_->UpdateTabs();
}

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* owner)
    : TWinControl(owner)
{
    EnsureCommonControls();
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    // Sheets still here are freed with the control; they must not call back into it.
    for (TTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.SystemClassName = WC_TABCONTROLA;
    params.Style |= TCS_TABS | TCS_FOCUSONBUTTONDOWN;
}

void TPageControl::CreateWindowHandleDone()
{
    UpdateTabs();
}

void TPageControl::AdjustClientRect(RECT& rect)
{
    TWinControl::AdjustClientRect(rect);
    if (HandleAllocated() && TabCtrl_GetItemCount(Handle()) > 0)
        TabCtrl_AdjustRect(Handle(), FALSE, &rect);
}

void TPageControl::InsertPage(TTabSheet* page)
{
    pages_.push_back(page);
    UpdateTabs();
    if (!activePage_)
        SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (!pages_.empty())
            SetActivePage(pages_.front());
    }
    UpdateTabs();
}

void TPageControl::UpdateTabs()
{
    if (!HandleAllocated())
        return;
    const HWND window = Handle();
    TabCtrl_DeleteAllItems(window);
    int tab = 0;
    for (TTabSheet* page : pages_) {
        if (!page->TabVisible())
            continue;
        std::string caption = page->GetText();
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageA(window, TCM_INSERTITEMA, tab++, reinterpret_cast<LPARAM>(&item));
    }
    TabCtrl_SetCurSel(window, TabOfPage(activePage_));
    AlignControls();
}

TTabSheet* TPageControl::PageOfTab(int tab) const
{
    for (TTabSheet* page : pages_)
        if (page->TabVisible() && tab-- == 0)
            return page;
    return nullptr;
}

int TPageControl::TabOfPage(const TTabSheet* page) const
{
    int tab = 0;
    for (const TTabSheet* p : pages_) {
        if (!p->TabVisible())
            continue;
        if (p == page)
            return tab;
        ++tab;
    }
    return -1;
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->pageControl_ != this)
        return;
    if (page == activePage_)
        return;
    TTabSheet* previous = activePage_;
    activePage_ = page;
    if (page)
        page->SetVisible(true);
    if (previous)
        previous->SetVisible(false);
    if (HandleAllocated())
        TabCtrl_SetCurSel(Handle(), TabOfPage(page));
}

int TPageControl::ActivePageIndex() const
{
    return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr);
}

void TPageControl::WndProc(TMessage& message)
{
    if (message.Msg == CN_NOTIFY) {
        const UINT code = Header(message).code;
        if (code == static_cast<UINT>(TCN_SELCHANGING)) {
            bool allow = true;
            if (OnChanging)
                OnChanging(*this, allow);
            message.Result = allow ? FALSE : TRUE;
            return;
        }
        if (code == static_cast<UINT>(TCN_SELCHANGE)) {
            SetActivePage(PageOfTab(TabCtrl_GetCurSel(Handle())));
            if (OnChange)
                OnChange(*this);
            return;
        }
    }
    TWinControl::WndProc(message);
}

// ---- TImageList ----

TImageList::TImageList(TComponent* owner)
    : TComponent(owner)
{
}

TImageList::~TImageList()
{
    Free();
}

void TImageList::Free() noexcept
{
    if (handle_)
        ImageList_Destroy(handle_);
    handle_ = nullptr;
}

void TImageList::SetSize(int width, int height)
{
    Free();
    width_ = std::max(width, 1);
    height_ = std::max(height, 1);
}

void TImageList::SetMasked(bool masked)
{
    Free();
    masked_ = masked;
}

HIMAGELIST TImageList::Handle()
{
    if (!handle_) {
        handle_ = ImageList_Create(width_, height_, ILC_COLOR32 | (masked_ ? ILC_MASK : 0), AllocBy, AllocBy);
        if (!handle_)
            throw EOSError(GetLastError(), "Cannot create an image list.");
    }
    return handle_;
}

void TImageList::AdoptHandle(HIMAGELIST handle) noexcept
{
    Free();
    handle_ = handle;
    if (handle_)
        ImageList_GetIconSize(handle_, &width_, &height_);
}

int TImageList::Count()
{
    return handle_ ? ImageList_GetImageCount(handle_) : 0;
}

int TImageList::Add(TBitmap& image, TBitmap* mask)
{
    image.FreeCanvas();
    if (mask)
        mask->FreeCanvas();
    return ImageList_Add(Handle(), image.Handle(), mask ? mask->Handle() : nullptr);
}

int TImageList::AddMasked(TBitmap& image, TColor maskColor)
{
    image.FreeCanvas();
    return ImageList_AddMasked(Handle(), image.Handle(), ColorToRGB(maskColor));
}

int TImageList::AddIcon(HICON icon)
{
    return ReplaceIcon(-1, icon);
}

int TImageList::ReplaceIcon(int index, HICON icon)
{
    return ImageList_ReplaceIcon(Handle(), index, icon);
}

void TImageList::Clear()
{
    if (handle_)
        ImageList_Remove(handle_, -1);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled)
{
    if (!handle_ || index < 0 || index >= Count())
        return;
    IMAGELISTDRAWPARAMS params {};
    params.cbSize = sizeof params;
    params.himl = handle_;
    params.i = index;
    params.hdcDst = canvas.Handle();
    params.x = x;
    params.y = y;
    params.rgbBk = CLR_NONE;
    params.rgbFg = CLR_DEFAULT;
    params.fStyle = ILD_TRANSPARENT;
    params.fState = enabled ? ILS_NORMAL : ILS_SATURATE;
    ImageList_DrawIndirect(&params);
}

// ---- TRichEdit ----

// The lines of a rich edit, read from and written to the control's text.
class TRichEdit::LineList : public TStrings {
public:
    explicit LineList(TRichEdit& edit)
        : edit_(edit)
    {
    }
    std::string Get(int index) const override
    {
        const auto lines = Split();
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw EListError(index);
        return lines[static_cast<std::size_t>(index)];
    }
    int GetCount() const override { return static_cast<int>(Split().size()); }
    void Put(int index, const std::string& text) override
    {
        auto lines = Split();
        lines.at(static_cast<std::size_t>(Checked(index, lines))) = text;
        Join(lines);
    }
    void Clear() override { edit_.SetText({}); }
    void Delete(int index) override
    {
        auto lines = Split();
        lines.erase(lines.begin() + Checked(index, lines));
        Join(lines);
    }
    void Insert(int index, const std::string& text) override
    {
        auto lines = Split();
        if (index < 0 || index > static_cast<int>(lines.size()))
            throw EListError(index);
        lines.insert(lines.begin() + index, text);
        Join(lines);
    }
    std::string GetTextStr() const override
    {
        // Rich edits end paragraphs with CR alone; callers get CR LF like every other list.
        return TStrings::GetTextStr();
    }
    void SetTextStr(const std::string& text) override { edit_.SetText(text); }

private:
    std::vector<std::string> Split() const
    {
        TStringList list;
        list.SetText(edit_.GetText());
        std::vector<std::string> lines;
        for (int i = 0; i < list.Count(); ++i)
            lines.push_back(list[i]);
        return lines;
    }
    static int Checked(int index, const std::vector<std::string>& lines)
    {
        if (index < 0 || index >= static_cast<int>(lines.size()))
            throw EListError(index);
        return index;
    }
    void Join(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const auto& line : lines)
            text += line + "\r\n";
        edit_.SetText(text);
    }

    TRichEdit& edit_;
};

std::string TRichEdit::ClassName()
{
    // Loaded once by full path from the system folder and kept for the life of the process: its
    // windows may outlive any owner of ours, and a library must not be freed from DllMain.
    static const std::string name = [] {
        char folder[MAX_PATH] = {};
        const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
        const std::string system(folder, n);
        const auto load = [&](const char* file) {
            return LoadLibraryExA((system + file).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) != nullptr;
        };
        if (load("\\Msftedit.dll"))
            return std::string("RichEdit50W");
        return load("\\RichEd20.dll") ? std::string("RichEdit20W") : std::string();
    }();
    return name;
}

TRichEdit::TRichEdit(TComponent* owner)
    : TWinControl(owner)
    , lines_(std::make_unique<LineList>(*this))
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

TRichEdit::~TRichEdit()
{
    // The window goes while the object is whole (GetText runs at WM_DESTROY).
    DestroyComponents();
    DestroyHandle();
}

void TRichEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    const std::string className = ClassName();
    if (className.empty())
        throw EOSError(GetLastError(), "No rich-edit library could be loaded.");
    params.SystemClassName = className;
    params.Unicode = true;
    params.Style |= ES_MULTILINE | (readOnly_ ? ES_READONLY : 0) | (HideSelection ? 0 : ES_NOHIDESEL);
    if (ScrollBars == ssVertical || ScrollBars == ssBoth)
        params.Style |= WS_VSCROLL | ES_AUTOVSCROLL;
    if (ScrollBars == ssHorizontal || ScrollBars == ssBoth || !wordWrap_)
        params.Style
            |= ES_AUTOHSCROLL | (ScrollBars == ssHorizontal || ScrollBars == ssBoth ? WS_HSCROLL : 0);
    if (BorderVisible)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    // The text follows once the mode is set.
    params.Caption.clear();
}

void TRichEdit::CreateWindowHandleDone()
{
    const HWND window = Handle();
    if (plainText_)
        SendMessageW(window, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    SendMessageW(window, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessageW(window, EM_EXLIMITTEXT, 0, maxLength_ > 0 ? maxLength_ : 0x7FFFFFFE);
    SendMessageW(window, EM_SETTARGETDEVICE, 0, wordWrap_ ? 0 : 1);
    SendMessageW(window, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
    const std::wstring text = ToWide(text_);
    SetWindowTextW(window, text.c_str());
}

void TRichEdit::SetPlainText(bool value)
{
    if (value == plainText_)
        return;
    plainText_ = value;
    RecreateWnd();
}

void TRichEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TRichEdit::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

void TRichEdit::SetMaxLength(int value)
{
    maxLength_ = std::max(value, 0);
    if (HandleAllocated())
        SendMessageW(Handle(), EM_EXLIMITTEXT, 0, maxLength_ > 0 ? maxLength_ : 0x7FFFFFFE);
}

std::wstring TRichEdit::WideText() const
{
    if (!HandleAllocated())
        return ToWide(text_);
    const HWND window = const_cast<TRichEdit*>(this)->Handle();
    GETTEXTLENGTHEX length { GTL_USECRLF | GTL_NUMCHARS | GTL_PRECISE, 1200 }; // counted as it is read: CR LF
    const auto count
        = static_cast<int>(SendMessageW(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    std::wstring text(static_cast<std::size_t>(std::max(count, 0)) + 1, L'\0');
    GETTEXTEX get {};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_USECRLF;
    get.codepage = 1200;
    const auto n = static_cast<int>(SendMessageW(
        window, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

void TRichEdit::SetWideText(const std::wstring& text)
{
    if (!HandleAllocated()) {
        text_ = ToAnsi(text);
        return;
    }
    SETTEXTEX set { ST_DEFAULT, 1200 };
    SendMessageW(
        Handle(), EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TRichEdit::GetText() const
{
    return HandleAllocated() ? ToAnsi(WideText()) : text_;
}

void TRichEdit::SetText(const std::string& text)
{
    text_ = text;
    if (HandleAllocated())
        SetWideText(ToWide(text));
}

int TRichEdit::SelStart()
{
    CHARRANGE range {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMin;
}

int TRichEdit::SelLength()
{
    CHARRANGE range {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMax - range.cpMin;
}

void TRichEdit::SetSelStart(int start)
{
    CHARRANGE range { start, start };
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void TRichEdit::SetSelLength(int length)
{
    CHARRANGE range {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    range.cpMax = range.cpMin + length;
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::string TRichEdit::SelText()
{
    std::wstring text(static_cast<std::size_t>(SelLength()) + 1, L'\0');
    const auto n
        = static_cast<int>(SendMessageW(Handle(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return ToAnsi(text);
}

void TRichEdit::SetSelText(const std::string& text)
{
    const std::wstring wide = ToWide(text);
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TRichEdit::SelectAll()
{
    CHARRANGE range { 0, -1 };
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void TRichEdit::WndProc(TMessage& message)
{
    if (message.Msg == CN_COMMAND) {
        if (HIWORD(message.WParam) == EN_CHANGE && OnChange)
            OnChange(*this);
        return;
    }
    TWinControl::WndProc(message);
}
