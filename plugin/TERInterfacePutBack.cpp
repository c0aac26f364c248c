// Putting a decrypted or verified message back into a reader or editor control: the reply and
// forward frame around it, the marker lines around its protected sections, and the signature block
// with the link to the message's parts.
#include "plugin/TERInterface.h"

#include "plugin/TERInterfaceText.h"

namespace {

constexpr COLORREF MARKER_COLOUR = 0xC0C0C0;
constexpr const char* MARKER_FONT = "Lucida Console";
constexpr int MARKER_POINTS = 10;
constexpr size_t SIGNATURE_RULE_DASHES = 20;
constexpr const char* LINK_PREFIX = "ZAVEK_URL:";
constexpr const char* CRLF = "\r\n";
constexpr const char* BLANK_LINE = "\r\n\r\n";

THostFontDesc MarkerFont()
{
    THostFontDesc font;
    font.Name = MARKER_FONT;
    font.PointSize = MARKER_POINTS;
    return font;
}

std::string Trim(const std::string& text)
{
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

} // namespace

std::string TTERInterface::EditorTextAnsi(HWND editor)
{
    const std::wstring wide = GetSelectedTextW(editor, false, false);
    std::string text;
    if (!wide.empty()) {
        const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
        text.resize(size_t(std::max(size, 0)));
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), text.data(), size, nullptr, nullptr);
    }
    return Trim(TERText::NormaliseLineEnds(text));
}

// Modes 1 and 2: the editor's header block rebuilt, with the reply's lead and signature texts.
void TTERInterface::ReplaceWithReplyFrame(HWND editor, const TPutBackRecord& record)
{
    const std::string text = EditorTextAnsi(editor);
    const int block = record.Mode == 2 ? 0 : std::max(record.BlockNumber, 0);
    const bool firstLineApart = record.Mode == 2;
    const THostFontDesc& font = record.MessageFont;
    std::string frame;
    if (record.Mode == 2) {
        frame = TERText::RebuildHeaderBlock(TERText::HeaderBlockOf(text, 0), firstLineApart);
    } else if (record.Flags & 2) {
        frame = std::string(BLANK_LINE) + record.FurtherText;
    } else {
        frame = BLANK_LINE;
        if (!record.FurtherText.empty())
            frame += record.FurtherText + BLANK_LINE;
        frame += record.LeadText;
        if (record.Flags == 1)
            frame += TERText::RebuildHeaderBlock(TERText::HeaderBlockOf(text, 0), false);
    }
    ClearEditor(editor);
    InsertText(editor, frame, -1, -1, "", font);
    if (record.Mode == 1 && (record.Flags & 2)) {
        InsertHorizontalLine();
        std::string header;
        if (record.Flags & 1) {
            header = TERText::RebuildHeaderBlock(TERText::HeaderBlockOf(text, block + 1), false);
        } else {
            const std::string kept = TERText::HeaderBlockOf(text, block);
            header = kept + (kept.size() < text.size() ? BLANK_LINE : CRLF);
        }
        InsertText(editor, std::string(BLANK_LINE) + header, -1, -1, "", font);
    }
    SetCaret(-1);
}

void TTERInterface::InsertMarker(HWND editor, const std::string& line)
{
    const int savedFont = GetCurrentFont();
    const std::string savedName = GetFontName(savedFont);
    const int savedSize = GetFontSize(savedFont);
    const COLORREF savedColour = GetTextColour();
    InsertText(editor, line, -1, MARKER_COLOUR, MARKER_FONT, MarkerFont());
    if (!savedName.empty())
        SetFontName(savedName);
    if (savedSize > 0)
        SetPointSize(savedSize);
    SetTextColour(savedColour);
}

// Each part on lines of its own, with a marker line where a protected section begins or ends.
void TTERInterface::InsertParts(HWND editor, const TPutBackRecord& record)
{
    const THostFontDesc& font = record.MessageFont;
    if (!record.HostV4) {
        std::string whole;
        for (const TPutBackPart& part : record.Parts)
            whole += part.Text;
        InsertText(editor, whole, -1, -1, "", font);
        return;
    }
    uint32_t open = 0;
    for (const TPutBackPart& part : record.Parts) {
        if (part.SectionKind != open) {
            if (open)
                InsertMarker(editor, TERText::EndMarkerLine(record.EndMarkerFormat, TERText::SectionKindName(open)));
            if (part.SectionKind)
                InsertMarker(
                    editor, TERText::BeginMarkerLine(record.BeginMarkerFormat, TERText::SectionKindName(part.SectionKind)));
            open = part.SectionKind;
        }
        if (part.Text.empty())
            continue;
        InsertText(editor, part.Text, -1, -1, "", font);
        if (!GetLine(-1).empty()) {
            InsertPlain(CRLF, false);
        } else {
            // The part ended with an empty line: what follows the caret's line goes.
            const LONG lineStart = api_.TerRowColToAbs ? api_.TerRowColToAbs(editor, GetCaretLine(), 0) : GetCaretPos();
            SelectRange(lineStart, -1);
            DeleteSelection();
        }
    }
    if (open)
        InsertMarker(editor, TERText::EndMarkerLine(record.EndMarkerFormat, TERText::SectionKindName(open)));
}

void TTERInterface::InsertSignatureBlock(HWND editor, const TPutBackRecord& record)
{
    const LONG start = GetCaretPos();
    SetParagraphIndent(TerApi::PARA_CENTRE);
    InsertText(editor, CRLF + std::string(SIGNATURE_RULE_DASHES, TERText::MARKER_DASH) + CRLF, -1, MARKER_COLOUR,
        MARKER_FONT, MarkerFont());
    const std::string& text = record.HasSignature ? record.GoodSignatureText : record.OtherSignatureText;
    InsertText(editor, text + CRLF, -1, MARKER_COLOUR, record.MessageFont.Name, record.MessageFont);
    SetFontStyle(record.MessageFont, record.MessageFont.Name);
    InsertHyperlink(record.LinkCaption + record.LinkData + ".", LINK_PREFIX + record.LinkData);
    SelectRange(start, GetCaretPos());
    SetParagraphIndent(TerApi::PARA_CENTRE);
    Deselect();
}

bool TTERInterface::PutMessageIntoEditor(HWND editor, const TPutBackRecord& record)
{
    if (!Use(editor) || record.Parts.empty())
        return false;
    PrepareEditor(editor);
    PrepareEditorLinks(editor);
    SetEditorFieldsFlag(true);
    const COLORREF savedColour = GetTextColour();

    if (record.Mode == 0) {
        if (!record.HostV4) {
            const LONG blank = Find("^p^p", 0, false);
            SelectRange(blank < 0 ? 0 : blank + 2, -1);
            DeleteSelection();
        } else {
            ClearEditor(editor);
        }
        EnableRefresh(false);
    } else {
        EnableRefresh(false);
        ReplaceWithReplyFrame(editor, record);
    }

    SetFontStyle(record.MessageFont, record.MessageFont.Name);
    InsertParts(editor, record);

    if (record.Mode == 2) {
        std::string closing = CRLF + record.ClosingText;
        if (!record.FurtherText.empty())
            closing += CRLF + record.FurtherText;
        InsertPlain(closing + CRLF, false);
        MoveCaretToStart();
    }
    if ((record.Mode == 0 && record.HasSignature) || record.HasKeyToShow)
        InsertSignatureBlock(editor, record);

    SetTextColour(savedColour);
    EnableRefresh(true);
    MoveCaretToStart();
    return true;
}
