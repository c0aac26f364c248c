// The editor interface over the mail client's editor library: control finders, text in and out,
// the info box, and thin forwards to the library's caret, font, paragraph and flag calls.
#include "plugin/TERInterface.h"

#include "foundation/RichEd20.h"
#include "foundation/WindowUtils.h"
#include "plugin/TERInterfaceText.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* VIEWER_CLASSES = "THTMLVIEWER,INTERNET EXPLORER_SERVER";
constexpr const char* VIEWER_OR_EDITOR_CLASSES = "THTMLVIEWER,INTERNET EXPLORER_SERVER,TER??CLASS";
constexpr size_t EDITOR_CLASS_LENGTH = 10;
constexpr int CONVERTER_WIDTH = -1;

std::string ClassOf(HWND window)
{
    char name[256] = {};
    if (window)
        GetClassNameA(window, name, sizeof name - 1);
    return name;
}

int PixelsToTwips(int pixels)
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return MulDiv(pixels, 1440, dpi > 0 ? dpi : 96);
}

// The record's style bits as the library counts them.
UINT LibraryStyle(int recordStyle)
{
    UINT style = 0;
    if (recordStyle & 1) style |= TerApi::STYLE_ITALIC;
    if (recordStyle & 2) style |= TerApi::STYLE_UNDERLINE;
    if (recordStyle & 4) style |= TerApi::STYLE_BOLD;
    if (recordStyle & 8) style |= TerApi::STYLE_STRIKEOUT;
    return style;
}

} // namespace

TTERInterface::TTERInterface(const std::string& hostFolder, bool newerHost)
{
    TerApi::LoadEditorLibraries(hostFolder, newerHost, api_);
    converter_ = std::make_unique<THtsTerConverter>(hostFolder, CONVERTER_WIDTH, newerHost);
}

TTERInterface::~TTERInterface() = default;

bool TTERInterface::Use(HWND editor)
{
    current_ = editor;
    return editor != nullptr;
}

// ---- Finding and testing controls

HWND TTERInterface::FindViewerOrEditor(HWND window, bool preferViewer) const
{
    if (!window)
        return nullptr;
    if (!preferViewer)
        return FindChildWindow(window, VIEWER_OR_EDITOR_CLASSES, "", 0, true);
    for (const char* classes : { "THTMLVIEWER", "INTERNET EXPLORER_SERVER", EDITOR_CLASS })
        if (HWND found = FindChildWindow(window, classes, "", 0, true))
            return found;
    return nullptr;
}

HWND TTERInterface::FindEditor(HWND window) const
{
    return window ? FindChildWindow(window, EDITOR_CLASS, "", 0, true) : nullptr;
}

bool TTERInterface::IsHtmlViewerClass(const std::string& className)
{
    return lstrcmpiA(className.c_str(), "THTMLVIEWER") == 0
        || lstrcmpiA(className.c_str(), "INTERNET EXPLORER_SERVER") == 0;
}

bool TTERInterface::IsHtmlViewer(HWND window) const { return window && IsHtmlViewerClass(ClassOf(window)); }

bool TTERInterface::IsReadOnlyEditor(HWND window) const
{
    const std::string name = ClassOf(window);
    return name.size() == EDITOR_CLASS_LENGTH && MatchesWildcard(name, EDITOR_CLASS, int(EDITOR_CLASS_LENGTH))
        && api_.TerGetReadOnly && api_.TerGetReadOnly(window);
}

bool TTERInterface::IsEditorEmpty(HWND window) const
{
    return !window || GetWindowTextLengthA(window) <= 2;
}

bool TTERInterface::IsPrinting(HWND editor)
{
    return Use(editor) && api_.TerIsPrinting && api_.TerIsPrinting(editor);
}

// ---- Text out

template <typename Read> auto TTERInterface::ReadSelection(HWND editor, bool whole, bool restoreSelection, Read read)
{
    LONG l1 = 0, l2 = 0;
    int c1 = 0, c2 = 0;
    const bool hadSelection = api_.TerGetSelection && api_.TerGetSelection(editor, &l1, &c1, &l2, &c2);
    if (!whole)
        SelectRange(0, -1);
    auto text = read();
    if (restoreSelection && hadSelection && api_.TerRowColToAbs)
        SelectRange(api_.TerRowColToAbs(editor, l1, c1), api_.TerRowColToAbs(editor, l2, c2));
    else if (!whole)
        Deselect();
    return text;
}

std::string TTERInterface::GetSelectedText(HWND editor, bool whole, bool restoreSelection)
{
    if (!Use(editor) || !api_.TerGetTextSel)
        return {};
    return TERText::NormaliseLineEnds(ReadSelection(editor, whole, restoreSelection, [&] {
        LONG size = 0;
        return TerApi::TakeGlobalText(api_.TerGetTextSel(editor, &size), size);
    }));
}

std::wstring TTERInterface::GetSelectedTextW(HWND editor, bool whole, bool restoreSelection)
{
    if (!Use(editor) || !api_.TerGetTextSelU)
        return {};
    return ReadSelection(editor, whole, restoreSelection, [&] {
        LONG size = 0;
        return TerApi::TakeGlobalWideText(api_.TerGetTextSelU(editor, &size), size);
    });
}

std::string TTERInterface::GetSelectedRtf(HWND editor, bool whole, bool restoreSelection)
{
    if (!Use(editor) || !api_.TerGetRtfSel)
        return {};
    return ReadSelection(editor, whole, restoreSelection, [&] {
        LONG size = 0;
        return TerApi::TakeGlobalText(api_.TerGetRtfSel(editor, &size), size);
    });
}

std::string TTERInterface::GetEditorText(HWND editor) { return GetSelectedRtf(editor, false, true); }

std::string TTERInterface::GetLine(int line)
{
    if (!current_ || !api_.TerGetLine)
        return {};
    LONG index = line;
    if (line < 0 && api_.GetTerCursorPos)
        api_.GetTerCursorPos(current_, &index, nullptr);
    const LONG length = api_.TerGetLine(current_, index, nullptr, 0);
    if (length <= 0)
        return {};
    std::string text(size_t(length) + 1, '\0');
    text.resize(size_t(std::clamp<LONG>(api_.TerGetLine(current_, index, text.data(), length + 1), 0, length)));
    while (!text.empty() && static_cast<unsigned char>(text.back()) < 33)
        text.pop_back();
    return text;
}

LONG TTERInterface::MouseTextPosition()
{
    POINT mouse {};
    if (!current_ || !api_.TerPixToTextPos || !GetCursorPos(&mouse) || !ScreenToClient(current_, &mouse))
        return -1;
    return api_.TerPixToTextPos(current_, mouse.x, mouse.y, nullptr, nullptr);
}

std::string TTERInterface::GetLineUnderMouse(HWND editor)
{
    if (!Use(editor) || !api_.TerPixToTextPos)
        return {};
    POINT mouse {};
    if (!GetCursorPos(&mouse) || !ScreenToClient(editor, &mouse))
        return {};
    LONG line = -1;
    if (api_.TerPixToTextPos(editor, mouse.x, mouse.y, &line, nullptr) < 0)
        return {};
    return GetLine(int(line));
}

std::string TTERInterface::GetLineAtCaret(HWND editor)
{
    return Use(editor) ? GetLine(-1) : std::string();
}

// ---- Text in

bool TTERInterface::ClearEditor(HWND editor)
{
    if (!Use(editor) || !api_.SetTerBuffer || !api_.TerDeleteBlock)
        return false;
    HGLOBAL blank = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2);
    if (!blank)
        return false;
    static_cast<char*>(GlobalLock(blank))[0] = ' ';
    GlobalUnlock(blank);
    // The library frees the block it was given.
    if (!api_.SetTerBuffer(editor, blank, 1, "", TRUE))
        return false;
    return SelectRange(0, -1) && api_.TerDeleteBlock(editor, TRUE);
}

bool TTERInterface::SetEditorText(HWND editor, const std::string& text)
{
    return Use(editor) && api_.InsertRtfBuf
        && api_.InsertRtfBuf(editor, text.c_str(), LONG(text.size()), -1, -1, TRUE);
}

bool TTERInterface::InsertText(HWND editor, const std::string& text, int paragraphFormat, int32_t colour,
    const std::string& fontName, const THostFontDesc& font)
{
    if (!Use(editor) || !api_.InsertRtfBuf || !api_.GetTerCursorPos)
        return false;
    std::string rtf = text;
    if (rtf.compare(0, 5, "{\\rtf") != 0) {
        TRtfFont rtfFont;
        rtfFont.FaceName = font.Name;
        rtfFont.Size = font.PointSize;
        rtfFont.Effects = LibraryStyle(font.Style);
        rtf = PlainTextToRtf(text, rtfFont, false);
    }
    const LONG before = api_.GetTerCursorPos(editor, nullptr, nullptr);
    const bool inserted = api_.InsertRtfBuf(editor, rtf.c_str(), LONG(rtf.size()), -1, -1, FALSE);
    const LONG after = api_.GetTerCursorPos(editor, nullptr, nullptr);
    if (inserted && after > before && (colour != -1 || paragraphFormat != -1)) {
        SelectRange(before, after);
        const std::string savedFont = GetFontName(GetCurrentFont());
        if (!fontName.empty())
            SetFontName(fontName);
        if (colour != -1)
            SetTextColour(COLORREF(colour));
        if (paragraphFormat != -1)
            SetParagraphIndent(UINT(paragraphFormat));
        if (font.PointSize > 0)
            SetPointSize(font.PointSize);
        if (!fontName.empty() && !savedFont.empty())
            SetFontName(savedFont);
        Deselect();
    }
    return inserted;
}

bool TTERInterface::InsertPlain(const std::string& text, bool repaint)
{
    return current_ && api_.TerInsertText && api_.TerInsertText(current_, text.c_str(), -1, -1, repaint);
}

bool TTERInterface::InsertHyperlink(const std::string& text, const std::string& link)
{
    if (!current_ || !api_.TerInsertHyperlink || !api_.GetTerFields || !api_.SetTerFields)
        return false;
    std::vector<DWORD> saved(TerApi::FIELD_BUFFER_WORDS, 0);
    if (!api_.GetTerFields(current_, saved.data()))
        return false;
    std::vector<DWORD> fields = saved;
    fields[TerApi::FIELD_LINK_COLOUR] = LINK_COLOUR;
    api_.SetTerFields(current_, fields.data());
    const int result = api_.TerInsertHyperlink(current_, text.c_str(), link.c_str(), TRUE);
    api_.SetTerFields(current_, saved.data());
    return result != -1;
}

int TTERInterface::ClientWidthTwips() const
{
    RECT client {};
    if (current_)
        GetClientRect(current_, &client);
    return PixelsToTwips(std::max<int>(client.right - GetSystemMetrics(SM_CXVSCROLL), 0));
}

bool TTERInterface::InsertHorizontalLine()
{
    return current_ && api_.TerInsertDrawObject
        && api_.TerInsertDrawObject(current_, TerApi::DRAW_OBJECT_LINE, 0, 0, ClientWidthTwips(), 0) >= 0;
}

bool TTERInterface::InsertInfoBox(HWND editor, const std::string& info, bool keepSelection, int tabPosition, int kind)
{
    uint32_t colour = 0;
    if (!TERText::InfoBoxColour(kind, colour))
        return true;
    if (!Use(editor) || !api_.SetTerCursorPos || !api_.ParaNormal || !api_.TerCreateTable || !api_.TerCellWidth
        || !api_.TerSetTableColWidth || !api_.GetTerCursorPos)
        return false;
    const std::string text = TERText::IndentInfoText(info);
    // The user's selection stays selected: it is taken before and moved by what the box adds.
    LONG l1 = 0, l2 = 0;
    int c1 = 0, c2 = 0;
    // An editor library without the position conversion cannot carry the selection past the box.
    const bool hadSelection = keepSelection && api_.TerGetSelection && api_.TerRowColToAbs
        && api_.TerGetSelection(editor, &l1, &c1, &l2, &c2);
    const LONG selectionFrom = hadSelection ? api_.TerRowColToAbs(editor, l1, c1) : 0;
    const LONG selectionTo = hadSelection ? api_.TerRowColToAbs(editor, l2, c2) : 0;
    const int savedTab = GetTabStop();
    const COLORREF savedColour = GetTextColour();

    const bool inserted = api_.SetTerCursorPos(editor, 0, 0, FALSE) && api_.ParaNormal(editor, FALSE)
        && api_.TerCreateTable(editor, 1, 1, FALSE) && api_.TerCellWidth(editor, TerApi::CELL_WIDTH_FIT, 0, FALSE)
        && api_.TerSetTableColWidth(editor, 0, ClientWidthTwips(), FALSE) && SetTabStop(tabPosition, TerApi::TAB_LEFT)
        && InsertPlain(TERText::INFO_BOX_CAPTION, false) && SetTextColour(colour) && InsertPlain("\t\t" + text, false)
        && SetTabStop(tabPosition, TerApi::TAB_LEADER) && SetTextColour(0) && InsertPlain("\t\t\r\n", false);
    if (!inserted) {
        Repaint();
        return false;
    }
    const LONG boxEnd = api_.GetTerCursorPos(editor, nullptr, nullptr);
    SetTextColour(savedColour);
    SetTabStop(savedTab, TerApi::TAB_LEFT);
    if (hadSelection)
        SelectRange(selectionFrom + boxEnd, selectionTo + boxEnd);
    else
        SelectRange(boxEnd, boxEnd);
    Repaint();
    return true;
}

// ---- Caret, font, paragraph and flags

int TTERInterface::GetCaretLine()
{
    LONG line = 0;
    if (!current_ || !api_.GetTerCursorPos || api_.GetTerCursorPos(current_, &line, nullptr) < 0)
        return -1;
    return int(line);
}

int TTERInterface::GetCaretPos()
{
    return current_ && api_.GetTerCursorPos ? int(api_.GetTerCursorPos(current_, nullptr, nullptr)) : -1;
}

bool TTERInterface::SetCaret(int line)
{
    return current_ && api_.SetTerCursorPos && api_.SetTerCursorPos(current_, line, 0, TRUE);
}

bool TTERInterface::MoveCaretToStart() { return SetCaret(0); }

POINT TTERInterface::GetCaretPixel()
{
    POINT point {};
    int x = 0, y = 0;
    if (current_ && api_.TerTextPosToPix && api_.TerTextPosToPix(current_, GetCaretPos(), &x, &y))
        point = { x, y };
    return point;
}

bool TTERInterface::MoveCaretToMouse()
{
    POINT mouse {};
    if (!current_ || !api_.TerPixToTextPos || !api_.SetTerCursorPos || !GetCursorPos(&mouse)
        || !ScreenToClient(current_, &mouse))
        return false;
    LONG line = 0;
    int col = 0;
    if (api_.TerPixToTextPos(current_, mouse.x, mouse.y, &line, &col) < 0)
        return false;
    return api_.SetTerCursorPos(current_, line, col, TRUE);
}

int TTERInterface::GetCaretLineHeight()
{
    int x = 0, y = 0;
    LONG line = 0;
    if (!current_ || !api_.TerGetCaretPos || !api_.TerAbsToRowCol || !api_.TerScrLineHeight
        || !api_.TerGetCaretPos(current_, &x, &y) || !api_.TerAbsToRowCol(current_, GetCaretPos(), &line, nullptr))
        return 0;
    return api_.TerScrLineHeight(current_, line);
}

std::string TTERInterface::GetFontName(int font)
{
    char name[TerApi::FONT_NAME_SIZE] = {};
    if (!current_ || !api_.GetFontInfo || !api_.GetFontInfo(current_, font, name, nullptr, nullptr))
        return {};
    name[sizeof name - 1] = '\0';
    return name;
}

bool TTERInterface::SetFontName(const std::string& name)
{
    return current_ && api_.SetTerFont && api_.SetTerFont(current_, name.c_str(), TRUE);
}

int TTERInterface::GetFontSize(int font)
{
    char name[TerApi::FONT_NAME_SIZE] = {};
    int points = 0;
    if (!current_ || !api_.GetFontInfo || !api_.GetFontInfo(current_, font, name, &points, nullptr))
        return 0;
    return points;
}

bool TTERInterface::SetPointSize(int points)
{
    return current_ && api_.SetTerPointSize && api_.SetTerPointSize(current_, points, TRUE);
}

int TTERInterface::GetCurrentFont()
{
    return current_ && api_.TerGetCurFont ? api_.TerGetCurFont(current_, -1) : -1;
}

bool TTERInterface::SetFontStyle(const THostFontDesc& font, const std::string& name)
{
    return current_ && api_.SetTerDefaultFont
        && api_.SetTerDefaultFont(current_, name.c_str(), font.PointSize, LibraryStyle(font.Style), TRUE);
}

int TTERInterface::GetParagraphSpace()
{
    int before = 0, after = 0, spacing = 0;
    UINT format = 0;
    if (!current_ || !api_.TerGetParaInfo
        || !api_.TerGetParaInfo(current_, GetCaretLine(), &before, &after, &spacing, &format))
        return 0;
    return spacing;
}

bool TTERInterface::SetParagraphIndent(UINT format)
{
    return current_ && api_.SetTerParaFmt && api_.SetTerParaFmt(current_, format, TRUE);
}

int TTERInterface::GetTabStop()
{
    int kind = 0, position = 0;
    if (!current_ || !api_.TerGetTabStop || api_.TerGetTabStop(current_, GetCaretLine(), 0, &kind, &position) <= 0)
        return 0;
    return position;
}

bool TTERInterface::SetTabStop(int position, int kind)
{
    if (!current_)
        return false;
    if (position > 0)
        return api_.TerSetTab && api_.TerSetTab(current_, kind, position, FALSE);
    return api_.ClearTab && api_.ClearTab(current_, -1, FALSE);
}

COLORREF TTERInterface::GetTextColour()
{
    return current_ && api_.TerGetTextColor ? api_.TerGetTextColor(current_) : GetSysColor(COLOR_WINDOWTEXT);
}

bool TTERInterface::SetTextColour(COLORREF colour)
{
    return current_ && api_.SetTerColor && api_.SetTerColor(current_, colour, FALSE);
}

bool TTERInterface::SelectRange(LONG from, LONG to)
{
    return current_ && api_.SelectTerText && api_.SelectTerText(current_, from, to, FALSE);
}

bool TTERInterface::Deselect() { return current_ && api_.DeselectTerText && api_.DeselectTerText(current_, FALSE); }

bool TTERInterface::DeleteSelection() { return current_ && api_.TerDeleteBlock && api_.TerDeleteBlock(current_, TRUE); }

LONG TTERInterface::Find(const std::string& text, LONG from, bool matchCase)
{
    if (!current_ || !api_.TerSearchReplace)
        return -1;
    const UINT flags = TerApi::SEARCH_FORWARD | (matchCase ? TerApi::SEARCH_MATCH_CASE : 0);
    LONG length = 0;
    return api_.TerSearchReplace(current_, text.c_str(), nullptr, flags, from, &length);
}

bool TTERInterface::EnableRefresh(bool on)
{
    return current_ && api_.TerEnableRefresh && api_.TerEnableRefresh(current_, on);
}

bool TTERInterface::Repaint() { return current_ && api_.TerRepaint && api_.TerRepaint(current_, TRUE); }

bool TTERInterface::SetEditorFieldsFlag(bool on)
{
    if (!current_ || !api_.GetTerFields || !api_.SetTerFields)
        return false;
    std::vector<DWORD> fields(TerApi::FIELD_BUFFER_WORDS, 0);
    if (!api_.GetTerFields(current_, fields.data()))
        return false;
    fields[TerApi::FIELD_SHOW_FIELDS] = on ? 0 : DWORD(-1);
    return api_.SetTerFields(current_, fields.data());
}

void TTERInterface::TurnOn(TerApi::TerSetFlagsProc proc, HWND editor, DWORD bit)
{
    if (!proc)
        return;
    const DWORD flags = proc(editor, FALSE, 0);
    proc(editor, TRUE, flags | bit);
}

void TTERInterface::PrepareEditor(HWND editor)
{
    if (!Use(editor))
        return;
    TurnOn(api_.TerSetFlags, editor, 0x20000);
    TurnOn(api_.TerSetFlags6, editor, 0x2000);
    TurnOn(api_.TerSetFlags7, editor, 0x800);
    TurnOn(api_.TerSetFlags8, editor, 0x1);
    TurnOn(api_.TerSetFlags9, editor, 0x8);
    TurnOn(api_.TerSetFlags10, editor, 0x40000);
    TurnOn(api_.TerSetFlags11, editor, 0x400000);
}

void TTERInterface::PrepareEditorLinks(HWND editor)
{
    if (Use(editor))
        TurnOn(api_.TerSetFlags7, editor, 0x10000000);
}

// ---- Links

bool TTERInterface::IsOverLink(const std::string& linkText)
{
    if (!current_ || !api_.TerLocateFieldChar || !api_.TerAbsToRowCol)
        return false;
    const LONG position = MouseTextPosition();
    int type = 0;
    LONG start = 0, length = 0, fieldLine = -1, mouseLine = -2;
    if (position < 0 || !api_.TerLocateFieldChar(current_, position, &type, &start, &length)
        || type != TerApi::FIELD_HYPERLINK)
        return false;
    api_.TerAbsToRowCol(current_, start, &fieldLine, nullptr);
    api_.TerAbsToRowCol(current_, position, &mouseLine, nullptr);
    return fieldLine == mouseLine && length < LONG(linkText.size());
}

void TTERInterface::FollowLinkUnderMouse(HWND editor)
{
    if (!IsReadOnlyEditor(editor))
        return;
    if (IsOverLink(GetLineUnderMouse(editor))) {
        SetFocus(editor);
        MoveCaretToMouse();
    }
}
