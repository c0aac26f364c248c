// The text viewer: layout, the two modes, busy state and progress panel, search, the folder load,
// saving in every form and printing with the summary's values in bold.
#include "ui/dialogs/TextViewer.h"

#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/BurnString.h"
#include "foundation/FileUtilsWin.h"
#include "foundation/RichEd20.h"
#include "foundation/RichEd20Text.h"
#include "foundation/StrTools.h"
#include "foundation/StrUtil.h"
#include "foundation/TimeUtils.h"
#include "framework/Application.h"
#include "mime/MailServices.h"
#include "mime/MailUtils.h"
#include "mime/PartFiles.h"
#include "mime/PartTexts.h"
#include "ui/controls/DropEditPrintText.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/SearchDialog.h"
#include "ui/dialogs/TextViewerRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int DesignWidth = 134;
constexpr int DesignHeight = 298;
constexpr int ButtonsWidth = 40;
constexpr int ButtonSize = 30;
constexpr int ButtonGap = 4;
constexpr int ProgressHeight = 64;
// Showing the form posts this; the first work runs from the message, outside any paint.
constexpr UINT WM_FIRSTPAINTWORK = WM_APP + 0x103;
constexpr int mrAbortLoad = 3;
// The buttons' bitmap resources.
constexpr int GlyphClose = 101;
constexpr int GlyphSave = 104;
constexpr int GlyphWrap = 110;
constexpr int GlyphSort = 111;
constexpr int GlyphFind = 112;
constexpr int GlyphFindNext = 113;
constexpr int GlyphPrint = 114;

std::string WideUnitsOf(const std::string& text)
{
    return IsWideText(text) ? text.substr(0, text.size() - 2) : text;
}

struct BusyScope {
    explicit BusyScope(std::function<void()> toggle)
        : toggle_(std::move(toggle))
    {
        toggle_();
    }
    ~BusyScope() { toggle_(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::function<void()> toggle_;
};

} // namespace

TTextViewer::TTextViewer(ITextViewerMain& main, bool folderMode, TSectionNode* node)
    : TZAVEKForm(main)
    , main_(main)
    , folderMode_(folderMode)
    , node_(node)
{
    WindowClassName = "TTextViewer";
    BorderStyle = bsSizeable;
    SetClientSize(DesignWidth, DesignHeight);

    pnButtons = MakePanel(this, alRight, DesignWidth - ButtonsWidth, 0, ButtonsWidth, DesignHeight);
    const auto buttonTop = [](int index) { return ButtonGap + index * (ButtonSize + ButtonGap); };
    fbWrap = MakeButton(pnButtons, 5, buttonTop(0));
    fbWrap->SetToolbarStyle(tbsToolbarButton);
    fbSort = MakeButton(pnButtons, 5, buttonTop(1));
    fbSort->SetEnabled(false);
    fbFindFirst = MakeButton(pnButtons, 5, buttonTop(2));
    fbFindNext = MakeButton(pnButtons, 5, buttonTop(3));
    fbSave = MakeButton(pnButtons, 5, buttonTop(4));
    fbLoad = MakeButton(pnButtons, 5, buttonTop(5));
    fbLoad->SetEnabled(false);
    LoadGlyph(*fbLoad, folderMode ? 108 : 109);
    fbPrint = MakeButton(pnButtons, 5, buttonTop(6));
    const std::pair<TFlatBtn*, int> glyphs[] = { { fbWrap, GlyphWrap }, { fbSort, GlyphSort },
        { fbFindFirst, GlyphFind }, { fbFindNext, GlyphFindNext }, { fbSave, GlyphSave }, { fbPrint, GlyphPrint } };
    for (const auto& [button, glyph] : glyphs)
        LoadGlyph(*button, glyph);
    pnClose = MakePanel(pnButtons, alBottom, 0, DesignHeight - 52, ButtonsWidth, 52);
    fbClose = MakeButton(pnClose, 5, 2);
    fbClose->ModalResult = mrCancel;
    fbClose->SetCancelButton(true);
    LoadGlyph(*fbClose, GlyphClose);
    cgTextViewer = new TColoredGrip(this);
    cgTextViewer->SetParent(pnClose);

    pnLeft = MakePanel(this, alClient, 0, 0, DesignWidth - ButtonsWidth, DesignHeight);
    pnLeftTop = MakePanel(pnLeft, alTop, 0, 0, DesignWidth - ButtonsWidth, 22);
    pnLeftTop->Alignment = taLeftJustify;
    pnText = new TColoredFramePanel(this);
    pnText->SetParent(pnLeft);
    pnText->SetBevelOuter(bvNone);
    pnText->SetBounds(0, 22, DesignWidth - ButtonsWidth, DesignHeight - 22);
    pnText->SetAlign(alClient);
    pnText->SetBorderWidth(1);

    deText = new TDropEdit(this);
    deText->SetPlainText(true);
    deText->ScrollBars = ssBoth;
    deText->SetWordWrap(false);
    deText->SetBorderWidth(7);
    deText->SetHideCaret(true);
    deText->SetAcceptFiles(false);
    deText->SetUrlDetection(true);
    deText->SetTabSize(8);
    deText->SearchOptions = stDown | stShowOptions;
    deText->SetReadOnly(true);
    deText->SetParent(pnText);
    deText->SetAlign(alClient);
    deText->OnUrlClick = [this](const std::string& url, TMouseButton button, int x, int y) {
        deTextUrlClick(url, button, x, y);
    };
    deText->OnUrlDblClick = [this](const std::string& url) { deTextUrlDblClick(url); };
    deText->OnAfterSetPrintText
        = [this](TDropEdit& edit, TPrinterPrefs& prefs) { AfterSetPrintText(edit, prefs); };
    deText->SearchDialog = SearchDialogOf(main);

    pnProgress = MakePanel(pnLeft, alNone, 0, 0, DesignWidth - ButtonsWidth, ProgressHeight);
    pnProgress->SetBevelOuter(bvRaised);
    pnProgress->SetVisible(false);
    pnLabel = MakePanel(pnProgress, alTop, 0, 0, DesignWidth - ButtonsWidth, 24);
    pnBar = MakePanel(pnProgress, alClient, 0, 24, DesignWidth - ButtonsWidth, ProgressHeight - 24);
    gProgress = new TGauge3d(this);
    gProgress->SetParent(pnBar);
    gProgress->SetKind(gkHorizontalBar);
    gProgress->SetMaxValue(100);
    gProgress->SetBounds(8, 8, DesignWidth - ButtonsWidth - 50, 20);
    fbAbort = MakeButton(pnBar, DesignWidth - ButtonsWidth - 38, 3);
    fbAbort->ModalResult = mrAbortLoad;
    fbAbort->SetCancelButton(true);
    LoadGlyph(*fbAbort, 101);

    pmText = new TPopupMenu(this);
    miSelectAll = AddItem(*pmText, "", [this] { deText->SelectAll(); });
    miCopySelection = AddItem(*pmText, "", [this] { deText->CopyToClipboard(); });
    miLine = AddItem(*pmText, "-", nullptr);
    miCopyLink = AddItem(*pmText, "", [this] { PutClipboardData(link_, cfText, Handle()); });
    miOpenLink = AddItem(*pmText, "", [this] { deTextUrlDblClick(link_); });
    for (TMenuItem* item : { miLine, miCopyLink, miOpenLink })
        item->Visible = false;
    pmText->OnPopup = [this](TPopupMenu&) { miCopySelection->Enabled = deText->SelLength() > 0; };
    deText->SetPopupMenu(pmText);

    pmSave = new TPopupMenu(this);
    pmSave->AutoPopup = false;
    miSaveAs = AddItem(*pmSave, "", nullptr);
    miSaveAs->Default = true;
    miSaveAs->Enabled = false;
    miHeader = AddItem(*pmSave, "-", nullptr);
    const auto save = [this](TMenuItem*& item, const char* caption) {
        item = AddItem(*pmSave, caption, nullptr);
        TMenuItem* self = item;
        item->OnClick = [this, self](TMenuItem&) { SaveClick(*self); };
    };
    save(miText, "&Text");
    save(miUnicode, "&Unicode");
    save(miRichText, "&Rich Text");
    save(miHtmlText, "&Html Text");
    save(miHtmlWithImages, "Html Text");
    miSeparator1 = AddItem(*pmSave, "-", nullptr);
    save(miEncryptedText, "");
    save(miEncryptedUnicode, "");
    save(miEncryptedRichText, "");
    miSeparator2 = AddItem(*pmSave, "-", nullptr);
    save(miUnixMailbox, "Uni&x Mailbox");
    for (TMenuItem* item : { miSeparator1, miEncryptedText, miEncryptedUnicode, miEncryptedRichText,
             miSeparator2, miUnixMailbox })
        item->Visible = false;
    pmSave->OnPopup = [this](TPopupMenu&) { PrepareSaveMenu(); };

    fbWrap->OnClick = [this](TControl&) { fbWrapClick(); };
    fbSort->OnClick = [this](TControl&) { fbSortClick(); };
    fbFindFirst->OnClick = [this](TControl&) { Find(false); };
    fbFindNext->OnClick = [this](TControl&) { Find(true); };
    fbSave->OnClick = [this](TControl&) { fbSaveClick(); };
    fbLoad->OnClick = [this](TControl&) { fbLoadClick(); };
    fbPrint->OnClick = [this](TControl&) { fbPrintClick(); };
    fbClose->OnClick = [this](TControl&) {
        if (!fbClose->CanFocus())
            SetModalResult(0);
    };
    SaveNameDialog = [](const std::string& name, const std::string& title, HWND owner) {
        return SaveFileAsDialog(name, "", title, owner);
    };

    // Form creation proper: the list, the search, the wrap setting, the place, the texts.
    deText->DatedLines().SetSortState(dsAscending);
    messages_ = std::make_unique<TDatedMessages>(&deText->DatedLines());
    messages_->SetEmbeddedNote(Text(423));
    messages_->SetDigestNote(Text(424));
    messages_->TreeData = main.TreeCaptions();
    messages_->OnProgress = [this](int64_t position) { return ReportProgress(position); };
    RECT window {};
    HandleNeeded();
    GetWindowRect(Handle(), &window);
    minWidth_ = window.right - window.left;
    minHeight_ = window.bottom - window.top;
    if (main.HostWordWrap()) {
        deText->SetWordWrap(true);
        fbWrap->SetBtnDown(true);
    }
    PlaceOverHostWindow();
    SetTexts();
}

TTextViewer::~TTextViewer() = default;

TPanel* TTextViewer::MakePanel(TWinControl* parent, TAlign align, int left, int top, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(left, top, width, height);
    panel->SetAlign(align);
    return panel;
}

TFlatBtn* TTextViewer::MakeButton(TWinControl* parent, int left, int top)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(parent);
    button->SetBounds(left, top, ButtonSize, ButtonSize);
    button->SetTabStop(true);
    button->ShowHint = true;
    return button;
}

TMenuItem* TTextViewer::AddItem(TPopupMenu& menu, const std::string& caption, std::function<void()> click)
{
    auto* item = new TMenuItem(&menu);
    item->Caption = caption;
    if (click)
        item->OnClick = [click = std::move(click)](TMenuItem&) { click(); };
    menu.Items().Add(item);
    return item;
}

bool TTextViewer::LoadGlyph(TFlatBtn& button, int id)
{
    TBitmap& bitmap = button.Glyph();
    if (!bitmap.LoadFromResourceId(FrameworkModule(), id))
        return false;
    // The bottom-left pixel's colour is the transparent one.
    const std::uint32_t corner = bitmap.Bits()[(bitmap.Height() - 1) * bitmap.Width()];
    bitmap.TransparentColor
        = static_cast<TColor>(((corner & 0xFF) << 16) | (corner & 0xFF00) | ((corner >> 16) & 0xFF));
    button.Invalidate();
    return true;
}

void TTextViewer::SetTexts()
{
    SetCaption(Text(381));
    pnLeftTop->SetCaption(Text(382));
    SetButtonHint(*fbSort, Text(385));
    SetButtonHint(*fbFindFirst, Text(386));
    SetButtonHint(*fbFindNext, Text(387));
    SetButtonHint(*fbSave, Text(393));
    SetButtonHint(*fbPrint, Text(391));
    SetButtonHint(*fbClose, Text(394));
    SetButtonHint(*fbWrap, Text(fbWrap->BtnDown() ? 384 : 383));
    fbWrap->OnToggleToolbarButton
        = [this](TFlatBtn&) { SetButtonHint(*fbWrap, Text(fbWrap->BtnDown() ? 384 : 383)); };
    fbLoad->OnToggleToolbarButton = [this](TFlatBtn&) { UpdateLoadHint(); };
    UpdateLoadHint();
    miSelectAll->Caption = Text(98);
    miCopySelection->Caption = Text(99);
    miCopyLink->Caption = FormatWithOne(Text(397), Text(396));
    miOpenLink->Caption = FormatWithOne(Text(398), Text(396));
    miSaveAs->Caption = Text(338);
    miHtmlText->Caption = "&Html Text" + Text(408);
    miHtmlWithImages->Caption = HtmlWithImagesCaption(Text(410));
    miEncryptedText->Caption = WithoutAccelerator(miText->Caption) + Text(411);
    miEncryptedUnicode->Caption = WithoutAccelerator(miUnicode->Caption) + Text(411);
    miEncryptedRichText->Caption = WithoutAccelerator(miRichText->Caption) + Text(411);
    miUnixMailbox->Caption = "Uni&x Mailbox" + Text(412);
}

void TTextViewer::UpdateLoadHint()
{
    if (folderMode_)
        SetButtonHint(*fbLoad, Text(388));
    else
        SetButtonHint(*fbLoad, Text(fbLoad->BtnDown() ? 390 : 389));
}

void TTextViewer::EnableLoadButton(bool enabled)
{
    fbLoad->SetEnabled(enabled);
    if (enabled) {
        fbLoad->SetToolbarStyle(tbsToolbarButton);
        fbLoad->SetBtnDown(node_ && node_->WithRelated);
    } else {
        fbLoad->SetToolbarStyle(tbsNone);
    }
    UpdateLoadHint();
}

bool TTextViewer::IsHtmlNode() const
{
    return node_
        && (node_->NodeKind == nkTextHtml
            || (node_->NodeKind == nkAttachment && GetFileExtension(*node_) == ".htm"));
}

bool TTextViewer::IsRichNode() const
{
    if (!node_)
        return false;
    if (node_->NodeKind == nkTextHtml || node_->NodeKind == nkTextRtf)
        return true;
    const std::string extension = GetFileExtension(*node_);
    return node_->NodeKind == nkAttachment && (extension == ".htm" || extension == ".rtf");
}

bool TTextViewer::IsRootNode() const
{
    return node_ && node_->Index == 0 && node_->NodeKind == nkMessage;
}

void TTextViewer::ApplyColorScheme(bool standard)
{
    TZAVEKForm::ApplyColorScheme(standard);
    gProgress->SetBackColor(Color());
    gProgress->SetBorderWidth(standard ? 0 : 1);
}

void TTextViewer::DoShow()
{
    deText->SetPlainText(false);
    deText->Font().SetName(Font().Name());
    if (folderMode_) {
        fbPrint->SetVisible(false);
        minHeight_ -= fbPrint->Height() + 2 * (fbPrint->Top() - (fbLoad->Top() + fbLoad->Height()));
        miHtmlText->Visible = false;
        miHtmlWithImages->Visible = false;
        for (TMenuItem* item : { miSeparator1, miEncryptedText, miEncryptedUnicode, miEncryptedRichText,
                 miSeparator2, miUnixMailbox })
            item->Visible = true;
    }
    TZAVEKForm::DoShow();
    // The work starts once the window shows, from a posted message: never inside a paint.
    if (firstPaint_) {
        firstPaint_ = false;
        PostMessage(Handle(), WM_FIRSTPAINTWORK, 0, 0);
    }
}

void TTextViewer::FirstPaintWork()
{
    // The children cover the whole client area, so the form itself may never get a paint message:
    // the window is drawn here, before the work starts.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Application().ProcessMessages();
    ApplyFont(false);
    Sleep(0);
    if (folderMode_)
        fbLoad->Click();
    else
        LoadPart();
}

void TTextViewer::LoadPart()
{
    if (!node_)
        return;
    TMimeMsgTree& tree = *node_->GetTree();
    tree.TreeData.Unused = deText->ClientWidth() - GetSystemMetrics(SM_CXVSCROLL);
    node_->WithRelated = deText->ShowObjects();
    // A rendered HTML or RTF part comes as RTF: shown as what it says, not as its source.
    const std::string text = node_->GetViewText();
    if (StartsWithText("{\\rtf", text))
        deText->SetRtfText(text);
    else
        deText->SetText(text);
    if (!fbLoad->Enabled() && (node_->NodeKind == nkTextHtml || node_->NodeKind == nkTextRtf)
        && (node_->WithRelated || deText->ObjectCount() > 0))
        EnableLoadButton(true);
}

void TTextViewer::ToggleBusy()
{
    if (!HandleAllocated())
        return;
    pnButtons->SetEnabled(!pnButtons->Enabled());
    deText->SetHideCaret(!deText->HideCaret());
}

void TTextViewer::fbLoadClick()
{
    if (folderMode_) {
        LoadFolder();
        return;
    }
    BusyScope busy([this] { ToggleBusy(); });
    deText->SetShowObjects(!deText->ShowObjects());
    LoadPart();
}

void TTextViewer::fbWrapClick()
{
    {
        BusyScope busy([this] { ToggleBusy(); });
        deText->SetWordWrap(!deText->WordWrap());
    }
    if (deText->CanFocus())
        deText->SetFocus();
}

void TTextViewer::fbSortClick()
{
    TDatedStrings& list = deText->DatedLines();
    if (list.Count() < 1)
        return;
    BusyScope busy([this] { ToggleBusy(); });
    ShowProgress(-1);
    list.SortByDate(list.SortState() != dsDescending);
    deText->LoadFromStrings();
    ShowProgress(0);
}

void TTextViewer::fbSaveClick()
{
    if (deText->TextLength() == 0) {
        MessageBeep(MB_ICONHAND);
        return;
    }
    DiscardKeyMessage();
    POINT cursor {};
    GetCursorPos(&cursor);
    RECT button {};
    GetWindowRect(fbSave->Handle(), &button);
    if (!PtInRect(&button, cursor))
        cursor = { (button.left + button.right) / 2, (button.top + button.bottom) / 2 };
    pmSave->Popup(cursor.x, cursor.y);
}

bool TTextViewer::CloseQuery()
{
    const bool canClose = pnButtons->Enabled() && ModalResult() != mrAbortLoad && !pnProgress->Visible()
        && !deText->Searching();
    if (!canClose) {
        SetModalResult(0);
        return false;
    }
    return TZAVEKForm::CloseQuery();
}

void TTextViewer::Resize()
{
    TZAVEKForm::Resize();
    if (!deText || !pnProgress)
        return;
    BOOL shadows = FALSE;
    if (pnProgress->HandleAllocated() && SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &shadows, 0) && shadows)
        SetClassLongPtrA(pnProgress->Handle(), GCL_STYLE,
            GetClassLongPtrA(pnProgress->Handle(), GCL_STYLE) | CS_DROPSHADOW);
    const int scrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int width = std::max(deText->ClientWidth() - 2 * scrollWidth, 60);
    const int left = pnText->Left() + (pnText->Width() - width) / 2;
    const int top = pnText->Top() + (pnText->Height() - ProgressHeight) / 2;
    pnProgress->SetBounds(left, top, width, ProgressHeight);
    gProgress->SetBounds(8, 8, std::max(width - 58, 10), 20);
    fbAbort->SetLeft(width - ButtonSize - 8);
}

void TTextViewer::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_FIRSTPAINTWORK:
        try {
            FirstPaintWork();
        } catch (const std::exception& e) {
            ShowError(main_, e.what());
        }
        return;
    case WM_GETMINMAXINFO:
        TZAVEKForm::WndProc(message);
        reinterpret_cast<MINMAXINFO*>(message.LParam)->ptMinTrackSize = { minWidth_, minHeight_ };
        return;
    case WM_SIZE:
        if (deText && deText->HandleAllocated())
            deText->Invalidate();
        break;
    default:
        break;
    }
    TZAVEKForm::WndProc(message);
}

bool TTextViewer::DoKeyDown(WORD& key, TShiftState shift)
{
    const bool ctrl = (shift & ssCtrl) != 0;
    switch (key) {
    case 'F':
    case 'G':
    case 'O':
    case 'P':
    case 'S':
    case 'V':
    case 'X':
        if (!ctrl)
            break;
        if (key == 'F' || key == 'G')
            Find(key == 'G');
        else if (key == 'O' && fbLoad->Enabled())
            fbLoad->Click();
        else if (key == 'P' && fbPrint->Visible())
            fbPrint->Click();
        else if (key == 'S' && fbSave->Enabled())
            fbSave->Click();
        else if (key == 'V' || key == 'X')
            MessageBeep(MB_ICONHAND);
        return true;
    case VK_TAB:
        SelectNext(ActiveControl(), (shift & ssShift) == 0, true);
        return true;
    case VK_ESCAPE:
        SetModalResult(pnProgress->Visible() ? mrAbortLoad : mrOk);
        return true;
    case VK_F3:
        if (shift & ssAlt)
            return true;
        Find(true);
        return true;
    case VK_F12:
        ApplyFont(true);
        return true;
    default:
        break;
    }
    return TZAVEKForm::DoKeyDown(key, shift);
}

void TTextViewer::ApplyFont(bool toggle)
{
    const TViewerFont font = main_.MessageFont();
    BusyScope busy([this] { ToggleBusy(); });
    if (!toggle) {
        deText->Font().SetName(font.Name);
        if (font.Size)
            deText->Font().SetSize(font.Size);
        deText->Font().SetStyle(static_cast<TFontStyles>(font.Style & 0x0F));
        deText->SetFont(deText->Font());
        return;
    }
    if (folderMode_)
        ShowProgress(-1);
    deText->Font().SetName(deText->Font().Name() != font.Name ? font.Name : FixedFontName());
    deText->SetFont(deText->Font());
    if (folderMode_)
        ShowProgress(0);
}

void TTextViewer::Find(bool next)
{
    if (pnProgress->Visible() || deText->Searching())
        return;
    deText->SetSearchAgain(next);
    const bool upwards = GetKeyState(VK_SHIFT) < 0 && deText->WideMode();
    if (upwards)
        deText->SearchOptions &= ~static_cast<TSearchTypes>(stDown);
    else
        deText->SearchOptions |= stDown;
    const bool found = deText->FindNext();
    if (deText->SearchText().empty()
        || (IsWideText(deText->SearchText()) && WideTextLength(deText->SearchText()) == 0))
        return;
    if (!upwards && deText->SearchAgain()) {
        if (ConfirmYes(main_, Text(113) + Text(114))) {
            deText->SelectRange(0, 0);
            deText->SetSearchAgain(true);
            deText->FindNext();
        } else {
            CHARRANGE selection {};
            SendMessageW(deText->Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
            deText->SelectRange(selection.cpMin, 0);
        }
    } else if (upwards && !found) {
        ShowInfo(main_, Text(113));
    }
}

bool TTextViewer::ShowProgress(int64_t n)
{
    if (n >= 1) {
        pnLabel->SetCaption(Text(400) + " ...");
        gProgress->SetMinValue(0);
        gProgress->SetProgress(0);
        gProgress->SetMaxValue(static_cast<int>(std::min<int64_t>(n, INT32_MAX)));
        gProgress->SetVisible(true);
        fbAbort->SetVisible(true);
        pnProgress->SetVisible(true);
        Application().ProcessMessages();
    } else if (n < 0) {
        pnBar->SetCaption(Text(401) + " ...");
        gProgress->SetVisible(false);
        fbAbort->SetVisible(false);
        pnProgress->SetVisible(true);
    } else {
        Application().ProcessMessages();
        pnProgress->SetVisible(false);
        pnLabel->SetCaption("");
        pnBar->SetCaption("");
    }
    if (pnProgress->Visible() && pnProgress->HandleAllocated())
        SetWindowPos(pnProgress->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    deText->Invalidate();
    deText->Update();
    return pnProgress->Visible();
}

bool TTextViewer::ReportProgress(int64_t position)
{
    Sleep(0);
    Application().ProcessMessages();
    gProgress->SetProgress(static_cast<int>(std::min<int64_t>(position, INT32_MAX)));
    return ModalResult() != mrAbortLoad;
}

void TTextViewer::LoadFolder()
{
    BusyScope busy([this] { ToggleBusy(); });
    main_.BeginCacheHold();
    const std::string savedCaption = Caption();
    std::string name;
    bool mailbox = false;
    std::string text;
    {
        SetEnabled(false);
        Screen().SetCursor(crHourGlass);
        Application().ProcessMessages();
        SetCaption(Text(399) + " ...");
        try {
            main_.SelectFolder(name, mailbox, text);
        } catch (...) {
            text.clear();
        }
        Screen().SetCursor(crDefault);
        SetEnabled(true);
    }
    // A cancelled choice gives a single zero byte.
    if (text == std::string(1, '\0'))
        text.clear();
    text = NormalizeCrLf(NormalizeLineBreaks(text));
    if (!text.empty()) {
        SetCaption(Text(399) + "[" + name + "]" + " " + " ...");
        ShowProgress(static_cast<int64_t>(text.size()));
        messages_->LoadMessages(text, mailbox);
    }
    main_.EndCacheHold();
    if (text.empty() || deText->DatedLines().Count() == 0) {
        SetCaption(savedCaption);
    } else {
        folderName_ = name;
        pnLabel->SetCaption(Text(401) + " ...");
        deText->LoadFromStrings();
        ApplyFont(false);
        SetCaption(Text(402) + "[" + name + "]" + ":" + " " + DateRangeCaption());
    }
    // An abort is spent once the load has stopped.
    if (ModalResult() == mrAbortLoad)
        SetModalResult(0);
    ShowProgress(0);
    DiscardKeyMessage();
    if (deText->CanFocus())
        deText->SetFocus();
}

std::string TTextViewer::DateRangeCaption()
{
    TDatedStrings& list = deText->DatedLines();
    const int count = list.Count();
    if (count == 0)
        return {};
    const TDateTime first = list.GetDate(0);
    const TDateTime last = list.GetDate(count - 1);
    return DateRangeText(count, Text(403), first, last, MailServices().LocalDateTimeText(first),
        MailServices().LocalDateTimeText(last));
}

void TTextViewer::deTextUrlClick(const std::string& url, TMouseButton button, int x, int y)
{
    if (button != mbRight)
        return;
    link_ = url;
    for (TMenuItem* item : { miLine, miCopyLink, miOpenLink })
        item->Visible = true;
    const POINT screen = deText->ClientToScreen({ x, y });
    pmText->Popup(screen.x, screen.y);
    for (TMenuItem* item : { miLine, miCopyLink, miOpenLink })
        item->Visible = false;
}

void TTextViewer::deTextUrlDblClick(const std::string& url)
{
    if (url.size() > 3)
        main_.OpenHtmlPage(url);
}

// ---- Printing ------------------------------------------------------------------------------------

void TTextViewer::fbPrintClick()
{
    if (folderMode_ || !node_)
        return;
    TTextPrinterData data {};
    data.OwnerWindow = Handle();
    data.DocumentTitle = Caption();
    data.RichText = IsRichNode();
    TMimeMsgTree& tree = *node_->GetTree();
    if (const TSectionNode* first = tree.GetSection(0)) {
        SYSTEMTIME date {};
        if (first->GetMessageDate() != 0) {
            TSystemTime when {};
            FillSystemTime(when, first->GetMessageDate());
            static_assert(sizeof when == sizeof date);
            std::memcpy(&date, &when, sizeof date);
        } else {
            GetSystemTime(&date);
        }
        data.HeaderText = main_.FormatPrintingBanner(first->GetFrom(), first->GetSubject(), date);
    }
    data.FooterText = AnsiToUtf8Text(Text(404));
    TPrinterData& kept = main_.PrinterSettings();
    data.Prefs = kept.Prefs;
    data.Captions = kept.Captions;
    try {
        deText->Print(data);
    } catch (const EPrintFailure& failure) {
        ShowPrintFailure(main_, failure);
    } catch (const std::exception& e) {
        ShowError(main_, e.what());
    }
    kept.Prefs = data.Prefs;
}

void TTextViewer::AfterSetPrintText(TDropEdit& printEdit, TPrinterPrefs& prefs)
{
    if (!prefs.FurtherOption || !node_)
        return;
    const std::string summary = node_->GetTree()->GetSummary();
    if (summary.empty())
        return;
    const HWND edit = printEdit.Handle();
    SendMessageW(edit, EM_SETSEL, 0, 0);
    const std::u16string units = WideTextUnits(IsWideText(summary) ? summary : AnsiTextToWide(summary));
    SETTEXTEX insert { ST_SELECTION, 1200 };
    SendMessageW(
        edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&insert), reinterpret_cast<LPARAM>(units.c_str()));
    for (const TBoldSpan& span : SummaryValueSpans(units)) {
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(span.Start), span.Start + span.Length);
        CHARFORMAT2W bold {};
        bold.cbSize = sizeof bold;
        bold.dwMask = CFM_BOLD;
        bold.dwEffects = CFE_BOLD;
        SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&bold));
        PARAFORMAT2 left {};
        left.cbSize = sizeof left;
        left.dwMask = PFM_ALIGNMENT;
        left.wAlignment = PFA_LEFT;
        SendMessageW(edit, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&left));
    }
}

// ---- Saving --------------------------------------------------------------------------------------

void TTextViewer::PrepareSaveMenu()
{
    if (!folderMode_ && IsRootNode()) {
        miText->Caption = "&Text" + Text(409);
        miUnicode->Caption = "&Unicode" + Text(409);
        miRichText->Caption
            = deText->ObjectCount() > 0 ? "&Rich Text (" + Text(410) + ")" : "&Rich Text" + Text(407);
    } else {
        miText->Caption = "&Text" + Text(405);
        miUnicode->Caption = "&Unicode" + Text(406);
        miRichText->Caption = "&Rich Text" + Text(407);
    }
    miUnicode->Enabled = deText->WideMode();
    miRichText->Enabled = folderMode_ || IsRichNode();
    miHtmlText->Enabled = !folderMode_ && IsHtmlNode();
    miHtmlWithImages->Enabled = miHtmlText->Enabled && deText->ObjectCount() > 0;
}

std::string TTextViewer::DefaultSaveName(const TMenuItem& item)
{
    if (&item == miUnixMailbox)
        return main_.MailboxFileName(FileSafeName(folderName_));
    const bool rich = &item == miRichText || &item == miEncryptedRichText;
    const bool html = &item == miHtmlText || &item == miHtmlWithImages;
    const std::string extension = rich ? ".rtf" : html ? ".htm" : ".txt";
    const bool encrypted
        = &item == miEncryptedText || &item == miEncryptedUnicode || &item == miEncryptedRichText;
    if (folderMode_)
        return FileSafeName(Caption()) + extension + (encrypted ? ".pgp" : "");
    if (IsRootNode())
        return FileSafeName(GetMessageFileName(*node_)) + extension;
    return ReplaceExtension(FileSafeName(GetFileName(*node_)), extension);
}

std::string TTextViewer::SummaryBlock(bool wide)
{
    const std::string summary = node_->GetTree()->GetSummary();
    if (!wide)
        return (IsWideText(summary) ? WideTextToAnsi(summary) : summary) + "\r\n\r\n";
    const std::string units = WideUnitsOf(IsWideText(summary) ? summary : AnsiTextToWide(summary));
    return units + std::string("\r\0\n\0\r\0\n\0", 8);
}

bool TTextViewer::WriteContent(const TMenuItem& item, const std::string& fileName, bool& encryptFailed)
{
    if (&item == miUnixMailbox)
        return messages_->SaveToFile(fileName);
    if (&item == miHtmlWithImages)
        return SaveHtmlFiles(*node_, fileName);
    // The copies of the shown text are plaintext: none is left behind in freed memory.
    std::string content;
    const TBurnOnExit burnContent(content);
    const bool root = !folderMode_ && IsRootNode();
    if (&item == miText || &item == miEncryptedText) {
        content = (root ? SummaryBlock(false) : "") + deText->GetAnsiText();
    } else if (&item == miUnicode || &item == miEncryptedUnicode) {
        const std::wstring text = deText->WideText();
        std::string units = WideUnitsOf(WideTextOfUnits(std::u16string(text.begin(), text.end())));
        const TBurnOnExit burnUnits(units);
        content = WideFileBytes((root ? SummaryBlock(true) : "") + units + std::string(2, '\0'));
    } else if (&item == miRichText || &item == miEncryptedRichText) {
        content = deText->GetRtfText();
    } else if (&item == miHtmlText) {
        content = node_->Text;
    }
    if (&item == miEncryptedText || &item == miEncryptedUnicode || &item == miEncryptedRichText) {
        std::string encrypted;
        if (!main_.EncryptToDefaultKey(content, encrypted, Handle())) {
            encryptFailed = true;
            return false;
        }
        return WriteFileText(fileName, encrypted);
    }
    return WriteFileText(fileName, content);
}

void TTextViewer::SaveClick(TMenuItem& item)
{
    const std::string fileName = SaveNameDialog(DefaultSaveName(item), Text(338), Handle());
    if (fileName.empty())
        return;
    bool encryptFailed = false;
    bool written = false;
    try {
        written = WriteContent(item, fileName, encryptFailed);
    } catch (const std::exception&) {
        written = false;
    }
    if (encryptFailed)
        return;
    if (!written) {
        ShowError(main_, Text(345));
        return;
    }
    SaveDone(item, fileName);
}

void TTextViewer::SaveDone(const TMenuItem& item, const std::string& fileName)
{
    if (&item != miUnixMailbox) {
        ShowInfo(main_, Text(372) + "\r\n" + fileName);
        return;
    }
    if (ConfirmYes(main_, Text(372) + "\r\n" + fileName + "." + "\r\n\r\n" + Text(413))) {
        PostMessage(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        main_.RestartMailClient();
    }
}

// ---- Entry points --------------------------------------------------------------------------------

void ShowFolderViewer(ITextViewerMain& main)
{
    auto* viewer = new TTextViewer(main, true, nullptr);
    try {
        viewer->fbSort->SetEnabled(true);
        viewer->fbLoad->SetEnabled(true);
        viewer->ShowModal();
    } catch (...) {
        viewer->CloseDown();
        throw;
    }
    viewer->CloseDown();
}

void FillPrinterSettings(ITextViewerMain& main)
{
    const TZAVEKStringList& texts = main.Texts();
    TPrinterData& data = main.PrinterSettings();
    if (!data.Prefs.Filled) {
        const TViewerPrintSettings host = main.HostPrintSettings();
        TPrinterPrefs& prefs = data.Prefs;
        SetPrinterName(prefs, host.PrinterName);
        std::strncpy(prefs.FontName, host.FontName.c_str(), sizeof prefs.FontName - 1);
        if (host.FontSize != 0)
            prefs.FontSize = host.FontSize;
        prefs.HeaderFooter
            = static_cast<uint8_t>((host.Header ? pfHeader : 0) | (host.Footer ? pfFooter : 0));
        prefs.MarginLeft = host.MarginLeft;
        prefs.MarginTop = host.MarginTop;
        prefs.MarginRight = host.MarginRight;
        prefs.MarginBottom = host.MarginBottom;
        prefs.FurtherOption = host.PrintMode != 0;
        prefs.Filled = 1;
        prefs.Copies = 1;
        prefs.Collate = 1;
        prefs.HeaderFontStyle = 1;
        prefs.PrintRange = prAllPages;
    }
    for (std::size_t i = 0; i < data.Captions.size(); ++i)
        data.Captions[i] = texts.GetEntry(static_cast<uint16_t>(347 + i));
}

void ShowPartText(ITextViewerMain& main, TSectionNode& node, HICON icon, bool wrap)
{
    FillPrinterSettings(main);
    auto* viewer = new TTextViewer(main, false, &node);
    try {
        // Tree captions are UTF-8; the form's caption is ANSI.
        viewer->SetCaption(Utf8TextToAnsi(node.GetCaption()));
        TMimeMsgTree& tree = *node.GetTree();
        if (viewer->deText->WideMode())
            tree.Mode |= lmWide;
        else
            tree.Mode &= static_cast<uint8_t>(~lmWide);
        viewer->deText->SetShowObjects(main.HostShowObjects());
        const bool objects
            = (node.NodeKind == nkTextHtml || node.NodeKind == nkTextRtf) && !node.Children.empty();
        viewer->fbLoad->SetEnabled(false);
        if (objects) {
            viewer->fbLoad->SetEnabled(true);
            viewer->fbLoad->SetToolbarStyle(tbsToolbarButton);
            viewer->fbLoad->SetBtnDown(node.WithRelated);
        } else {
            viewer->fbLoad->SetToolbarStyle(tbsNone);
        }
        if (wrap && !viewer->deText->WordWrap())
            viewer->fbWrap->Click();
        if (icon)
            viewer->Icon().SetHandle(CopyIcon(icon));
        viewer->ShowModal();
    } catch (...) {
        viewer->CloseDown();
        throw;
    }
    viewer->CloseDown();
}
