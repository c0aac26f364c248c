// Printing of the rich-edit control: the print dialog, a hidden print copy filled through the
// print events, the page loop over EM_FORMATRANGE with a header line and a footer line, and the
// printer job around it (aborted when printing fails, so no partial job is printed).
#include "ui/controls/DropEdit.h"

#include "framework/Exceptions.h"
#include "framework/PrintJob.h"
#include "ui/controls/DropEditPrintText.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The rich-text print target on a print job; a job or a page the printer refuses is an error.
class PrinterJob : public TDropEdit::IPrintTarget {
public:
    PrinterJob(HDC dc, const std::string& title, const std::string& printer)
        : job_(dc, title)
        , printer_(printer)
    {
        if (!job_.Started())
            throw EPrintFailure(TPrintFailure::JobRefused, printer_);
    }

    HDC Dc() override { return job_.Dc(); }
    void NewPage() override
    {
        if (!job_.NewPage())
            throw EPrintFailure(TPrintFailure::PageNotPrinted, printer_);
    }
    void Finish()
    {
        if (!job_.Finish())
            throw EPrintFailure(TPrintFailure::PageNotPrinted, printer_);
    }

private:
    TPrintJob job_;
    std::string printer_;
};

// A font for the printer at the size in points.
HFONT PrinterFont(HDC dc, const std::string& name, int size, TFontStyles style)
{
    LOGFONTA font {};
    font.lfHeight = -MulDiv(size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = (style & fsBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & fsItalic) ? TRUE : FALSE;
    font.lfUnderline = (style & fsUnderline) ? TRUE : FALSE;
    font.lfStrikeOut = (style & fsStrikeOut) ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, name.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

class SelectedFont {
public:
    SelectedFont(HDC dc, HFONT font)
        : dc_(dc)
        , font_(font)
        , old_(SelectObject(dc, font))
    {
    }
    ~SelectedFont()
    {
        SelectObject(dc_, old_);
        DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

void DrawRule(HDC dc, int left, int right, int y)
{
    const POINT points[2] = { { left, y }, { right, y } };
    Polyline(dc, points, 2);
}

void DrawText16(HDC dc, int x, int y, const std::u16string& text)
{
    TextOutW(dc, x, y, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()));
}

std::string PrefsFontName(const TPrinterPrefs& prefs)
{
    return std::string(prefs.FontName, strnlen(prefs.FontName, sizeof prefs.FontName));
}

} // namespace

int TDropEdit::IPrintTarget::FormatRange(HWND edit, FORMATRANGE* range, bool draw)
{
    return static_cast<int>(SendMessageW(edit, EM_FORMATRANGE, draw, reinterpret_cast<LPARAM>(range)));
}

int TDropEdit::CountPages(IPrintTarget& target, FORMATRANGE& range)
{
    const HWND window = Handle();
    const LONG end = range.chrg.cpMax;
    FORMATRANGE measure = range;
    measure.chrg.cpMin = 0;
    int pages = 0;
    for (;;) {
        ++pages;
        const int next = target.FormatRange(window, &measure, false);
        if (next <= measure.chrg.cpMin || next >= end)
            break;
        measure.chrg.cpMin = next;
    }
    target.FormatRange(window, nullptr, false);
    return pages;
}

int TDropEdit::PageCount(FORMATRANGE& range)
{
    struct RichEditOnly : IPrintTarget {
        HDC Dc() override { return nullptr; }
        void NewPage() override { }
    } target;
    return CountPages(target, range);
}

void TDropEdit::Print(TTextPrinterData& data)
{
    if (!HandleAllocated() || TextLength() == 0)
        return;
    CHARRANGE selection {};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    // The range the last print kept is no choice of this one: without a selection there is none
    // to print, and the whole text is offered.
    if (selection.cpMax > selection.cpMin)
        data.Prefs.PrintRange = prSelection;
    else if (data.Prefs.PrintRange == prSelection)
        data.Prefs.PrintRange = prAllPages;
    if (data.Prefs.FontName[0] == '\0')
        lstrcpynA(data.Prefs.FontName, Font().Name().c_str(), sizeof data.Prefs.FontName);
    if (data.Prefs.FontSize == 0)
        data.Prefs.FontSize = Font().Size();
    if (!ExecutePrintDialog(data, PrintDialogEntries))
        return;
    const HDC dc = CreatePrinterDC(data.Prefs);
    if (!dc)
        throw EPrintFailure(TPrintFailure::PrinterNotOpened, PrinterNameOf(data.Prefs));
    PrinterJob job(dc, data.DocumentTitle, PrinterNameOf(data.Prefs));
    PrintPages(job, data);
    job.Finish();
}

std::unique_ptr<TDropEdit> TDropEdit::MakePrintCopy(TTextPrinterData& data)
{
    auto copy = std::make_unique<TDropEdit>(nullptr);
    copy->SetVisible(false);
    copy->SetParent(Parent());
    copy->SetMaxLength(MaxLength());
    copy->SetPlainText(plainText_);
    copy->SetShowObjects(ShowObjects());
    copy->Font().SetName(PrefsFontName(data.Prefs));
    copy->Font().SetSize(data.Prefs.FontSize > 0 ? data.Prefs.FontSize : Font().Size());
    copy->fontColor_ = copy->Font().Color();
    copy->tabSize_ = tabSize_;
    copy->wordWrap_ = false;
    copy->SetAcceptFiles(false);
    copy->HandleNeeded();
    if (OnBeforeSetPrintText)
        OnBeforeSetPrintText(*copy, data.Prefs);
    const HWND window = copy->Handle();
    if (data.Prefs.PrintRange == prSelection) {
        // The selection travels in a private data object; where the text object model cannot,
        // as RTF, so the user's clipboard is never touched.
        const bool moved = clipboard_.Execute(Handle(), TClipboardHandler::ckCopyPrivate, false)
            && clipboard_.Execute(window, TClipboardHandler::ckPastePrivate, true);
        clipboard_.ReleasePrivateData();
        if (!moved) {
            copy->SetWideText(L"");
            copy->StreamRtfIn(ReadStream(SF_RTF | SFF_SELECTION));
        }
    } else {
        copy->SelectAll();
        copy->StreamRtfIn(GetRtfText());
    }
    copy->SelectAll();
    copy->ApplyTabStops();
    if (OnAfterSetPrintText)
        OnAfterSetPrintText(*copy, data.Prefs);
    // Blank lines at the end would make an empty last page.
    const std::wstring text = copy->WideText();
    std::u16string units(text.begin(), text.end());
    // The control's positions count a line break as one character.
    std::u16string flat;
    for (std::size_t i = 0; i < units.size(); ++i)
        if (!(units[i] == u'\n' && i > 0 && units[i - 1] == u'\r'))
            flat += units[i];
    const int keep = LengthWithoutTrailingBlankLines(flat);
    const int length = copy->TextLength();
    if (keep < length) {
        SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(keep), length);
        SendMessageW(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    return copy;
}

void TDropEdit::PrintPages(IPrintTarget& target, TTextPrinterData& data)
{
    const std::unique_ptr<TDropEdit> copy = MakePrintCopy(data);
    const HWND window = copy->Handle();
    const HDC dc = target.Dc();
    const int oldMapMode = SetMapMode(dc, MM_TEXT);
    struct MapModeReset {
        HDC dc;
        int mode;
        ~MapModeReset() { SetMapMode(dc, mode); }
    } mapModeReset { dc, oldMapMode };

    // The copy's line in screen pixels.
    TEXTMETRICW screenMetrics {};
    {
        HDC screen = GetDC(nullptr);
        const HGDIOBJ old = SelectObject(screen, copy->Font().Handle());
        GetTextMetricsW(screen, &screenMetrics);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
    }
    const TPrintDevice device { GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES),
        GetDeviceCaps(dc, HORZSIZE), GetDeviceCaps(dc, VERTSIZE), GetDeviceCaps(dc, LOGPIXELSX),
        GetDeviceCaps(dc, LOGPIXELSY), GetSystemMetrics(SM_CYSCREEN) };
    const TPrintMargins margins { data.Prefs.MarginLeft, data.Prefs.MarginTop, data.Prefs.MarginRight,
        data.Prefs.MarginBottom };
    const TPrintLayout layout
        = ComputePrintLayout(device, margins, screenMetrics.tmHeight + screenMetrics.tmExternalLeading);

    const std::string header = (data.Prefs.HeaderFooter & pfHeader) ? data.HeaderText : std::string();
    const std::string footer = (data.Prefs.HeaderFooter & pfFooter) ? data.FooterText : std::string();
    const std::string fontName = copy->Font().Name();
    const int fontSize = copy->Font().Size();

    FORMATRANGE range {};
    range.hdc = dc;
    range.hdcTarget = dc;
    range.rc = { layout.FormatLeft, layout.FormatTop, layout.FormatRight, layout.FormatBottom };
    range.rcPage = { 0, 0, MulDiv(device.PageWidth, 1440, device.PixelsPerInchX),
        MulDiv(device.PageHeight, 1440, device.PixelsPerInchY) };
    const int length = copy->TextLength();
    range.chrg = { 0, length };
    const int pageCount = copy->CountPages(target, range);

    int page = 1;
    for (;;) {
        const int next = target.FormatRange(window, &range, true);
        const HDC pageDc = target.Dc();
        if (!header.empty()) {
            const SelectedFont font(
                pageDc, PrinterFont(pageDc, fontName, fontSize, data.Prefs.HeaderFontStyle));
            SetTextAlign(pageDc, TA_LEFT | TA_TOP);
            const std::u16string text
                = HeaderLineText(header, layout.Header.Width, [pageDc](const std::u16string& s) {
                      SIZE size {};
                      GetTextExtentPoint32W(pageDc, reinterpret_cast<const wchar_t*>(s.c_str()),
                          static_cast<int>(s.size()), &size);
                      return static_cast<int>(size.cx);
                  });
            DrawText16(pageDc, layout.Header.Left, layout.Header.Top, text);
            DrawRule(pageDc, layout.Header.Left, layout.Header.Right, layout.Header.RuleY);
        }
        if (!footer.empty() && pageCount > 1) {
            const SelectedFont font(pageDc, PrinterFont(pageDc, fontName, fontSize, copy->Font().Style()));
            SetTextAlign(pageDc, TA_RIGHT | TA_BOTTOM);
            DrawRule(pageDc, layout.Footer.Left, layout.Footer.Right, layout.Footer.RuleY);
            DrawText16(
                pageDc, layout.Footer.Right, layout.Footer.TextY, FooterPageText(footer, pageCount, page));
        }
        if (next <= range.chrg.cpMin || next >= length)
            break;
        range.chrg.cpMin = next;
        ++page;
        target.NewPage();
        range.hdc = range.hdcTarget = target.Dc();
    }
    target.FormatRange(window, nullptr, false);
}
