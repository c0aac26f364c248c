// Stand-in for the mail client's rich-text editor library TER32.DLL, over the Windows rich-edit
// control: a "TER32CLASS" container holding a RichEdit child, the entry points the plug-in calls,
// a call log and test hooks. Tests assert on the log and on plain text, not on rendering.
#include "foundation/TerApi.h"
#include "standins/editor/StandinEditor.h"

#include <richedit.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace StandinEditor;

namespace {

constexpr const char* CONTAINER_CLASS = "TER32CLASS";
constexpr int FLAG_WORDS = 12;

struct TLink {
    LONG Start, Length;
    std::string Target;
};

struct TTabStop {
    int Kind, Position;
};

struct TState {
    HWND Edit = nullptr;
    DWORD Flags[FLAG_WORDS] = {};
    DWORD Fields[TerApi::FIELD_BLOCK_WORDS] = {};
    int OutputFormat = TerApi::OUTPUT_RTF;
    BOOL Printing = FALSE;
    std::vector<TLink> Links;
    std::vector<TTabStop> Tabs;
    std::map<int, std::string> PictureAlt;
    int NextPicture = 1;
    std::set<int> FlaggedLines;
};

HINSTANCE g_instance = nullptr;
std::string g_log;
std::vector<HGLOBAL> g_blocks;
std::vector<std::string> g_fonts; // font ids are indexes of this table

void Log(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_log += line;
    g_log += '\n';
}

TState* StateOf(HWND ter) { return ter ? static_cast<TState*>(GetPropA(ter, STATE_PROPERTY)) : nullptr; }
HWND EditOf(HWND ter)
{
    TState* state = StateOf(ter);
    return state ? state->Edit : nullptr;
}

HGLOBAL NewBlock(const void* data, size_t bytes, size_t terminator)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes + terminator);
    if (!block)
        return nullptr;
    memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    g_blocks.push_back(block);
    return block;
}

LONG TextLength(HWND edit)
{
    GETTEXTLENGTHEX query { GTL_NUMCHARS | GTL_PRECISE, CP_ACP };
    return LONG(SendMessageA(edit, EM_GETTEXTLENGTHEX, WPARAM(&query), 0));
}

std::string TextRange(HWND edit, LONG from, LONG to)
{
    if (to < 0)
        to = TextLength(edit);
    if (to <= from)
        return {};
    std::string text(size_t(to - from) + 1, '\0');
    TEXTRANGEA range { { from, to }, text.data() };
    text.resize(size_t(SendMessageA(edit, EM_GETTEXTRANGE, 0, LPARAM(&range))));
    return text;
}

CHARRANGE Selection(HWND edit)
{
    CHARRANGE range {};
    SendMessageA(edit, EM_EXGETSEL, 0, LPARAM(&range));
    return range;
}

void Select(HWND edit, LONG from, LONG to)
{
    CHARRANGE range { from, to };
    SendMessageA(edit, EM_EXSETSEL, 0, LPARAM(&range));
}

struct TStreamBuffer {
    std::string Data;
    size_t Position = 0;
};

DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    auto* stream = reinterpret_cast<TStreamBuffer*>(cookie);
    const size_t count = std::min(size_t(size), stream->Data.size() - stream->Position);
    memcpy(buffer, stream->Data.data() + stream->Position, count);
    stream->Position += count;
    *done = LONG(count);
    return 0;
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done)
{
    reinterpret_cast<TStreamBuffer*>(cookie)->Data.append(reinterpret_cast<char*>(buffer), size_t(size));
    *done = size;
    return 0;
}

bool IsRtf(const std::string& text) { return text.compare(0, 5, "{\\rtf") == 0; }

// The last paragraph mark of an RTF document closes the document, not a line of text: pasted into
// a selection it is dropped, so that "text CR LF" inserts one line end and not two.
std::string WithoutFinalParagraphMark(std::string rtf)
{
    size_t end = rtf.find_last_of('}');
    if (end == std::string::npos)
        return rtf;
    size_t at = rtf.find_last_not_of(" \r\n", end - 1);
    if (at != std::string::npos && at >= 3 && rtf.compare(at - 3, 4, "\\par") == 0
        && (at < 4 || rtf[at - 4] != '\\'))
        rtf.erase(at - 3, 4);
    return rtf;
}

// Replaces the selection (or the whole text) by RTF or plain text.
bool StreamIn(HWND edit, const std::string& text, bool selection)
{
    TStreamBuffer stream { text, 0 };
    EDITSTREAM es { DWORD_PTR(&stream), 0, StreamInCallback };
    const WPARAM format = (IsRtf(text) ? SF_RTF : SF_TEXT) | (selection ? SFF_SELECTION : 0);
    SendMessageA(edit, EM_STREAMIN, format, LPARAM(&es));
    return es.dwError == 0;
}

std::string StreamOut(HWND edit, bool selection)
{
    TStreamBuffer stream;
    EDITSTREAM es { DWORD_PTR(&stream), 0, StreamOutCallback };
    SendMessageA(edit, EM_STREAMOUT, SF_RTF | (selection ? SFF_SELECTION : 0), LPARAM(&es));
    return stream.Data;
}

void ApplyCharFormat(HWND edit, DWORD mask, const CHARFORMAT2A& format)
{
    CHARFORMAT2A f = format;
    f.cbSize = sizeof f;
    f.dwMask = mask;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&f));
}

CHARFORMAT2A CurrentCharFormat(HWND edit)
{
    CHARFORMAT2A f {};
    f.cbSize = sizeof f;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&f));
    return f;
}

void ApplyParaFormat(HWND edit, PARAFORMAT2& format)
{
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_SETPARAFORMAT, 0, LPARAM(&format));
}

int FontId(const std::string& name)
{
    auto it = std::find(g_fonts.begin(), g_fonts.end(), name);
    if (it != g_fonts.end())
        return int(it - g_fonts.begin());
    g_fonts.push_back(name);
    return int(g_fonts.size()) - 1;
}

std::string EscapeHtml(char c)
{
    switch (c) {
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '&': return "&amp;";
    case '"': return "&quot;";
    default: return std::string(1, c);
    }
}

// The document as HTML: paragraphs, bold, italic, underline, colour and links, run by run.
std::string WriteHtml(HWND ter)
{
    TState* state = StateOf(ter);
    const HWND edit = state->Edit;
    const CHARRANGE saved = Selection(edit);
    const std::string text = TextRange(edit, 0, -1);
    std::string html = "<html><body><p>";
    DWORD open = 0;
    COLORREF colour = 0;
    const TLink* link = nullptr;
    auto close = [&] {
        if (open & CFE_UNDERLINE) html += "</u>";
        if (open & CFE_ITALIC) html += "</i>";
        if (open & CFE_BOLD) html += "</b>";
        if (colour) html += "</font>";
        open = 0;
        colour = 0;
    };
    for (LONG i = 0; i < LONG(text.size()); ++i) {
        const TLink* here = nullptr;
        for (const TLink& l : state->Links)
            if (i >= l.Start && i < l.Start + l.Length)
                here = &l;
        if (here != link) {
            close();
            if (link) html += "</a>";
            if (here) html += "<a href=\"" + here->Target + "\">";
            link = here;
        }
        Select(edit, i, i + 1);
        const CHARFORMAT2A f = CurrentCharFormat(edit);
        const DWORD effects = f.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE);
        const COLORREF c = (f.dwEffects & CFE_AUTOCOLOR) ? 0 : f.crTextColor;
        if (effects != open || c != colour) {
            close();
            if (c) {
                char tag[32];
                snprintf(tag, sizeof tag, "<font color=\"#%02X%02X%02X\">", GetRValue(c), GetGValue(c), GetBValue(c));
                html += tag;
            }
            if (effects & CFE_BOLD) html += "<b>";
            if (effects & CFE_ITALIC) html += "<i>";
            if (effects & CFE_UNDERLINE) html += "<u>";
            open = effects;
            colour = c;
        }
        if (text[size_t(i)] == '\r') {
            close();
            html += "</p>\r\n<p>";
        } else {
            html += EscapeHtml(text[size_t(i)]);
        }
    }
    close();
    if (link) html += "</a>";
    html += "</p></body></html>\r\n";
    Select(edit, saved.cpMin, saved.cpMax);
    return html;
}

std::string WriteRtf(HWND ter)
{
    TState* state = StateOf(ter);
    std::string rtf = StreamOut(state->Edit, false);
    const size_t end = rtf.rfind('}');
    std::string pictures;
    for (const auto& [id, alt] : state->PictureAlt)
        pictures += "{\\*\\zavekpictalt " + std::to_string(id) + " " + alt + "}";
    if (end != std::string::npos)
        rtf.insert(end, pictures);
    return rtf;
}

void ClearDocument(HWND ter)
{
    TState* state = StateOf(ter);
    SetWindowTextA(state->Edit, "");
    state->Links.clear();
    state->PictureAlt.clear();
    state->FlaggedLines.clear();
}

LRESULT HandleContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TState* state = StateOf(window);
    switch (message) {
    case WM_SIZE:
        if (state)
            MoveWindow(state->Edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (state)
            SetFocus(state->Edit);
        return 0;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return state ? SendMessageA(state->Edit, message, wParam, lParam) : 0;
    case MSG_LOG:
        Log("%s", reinterpret_cast<const char*>(lParam));
        return 0;
    case MSG_CLEAR:
        if (state)
            ClearDocument(window);
        return 0;
    case MSG_LOAD_RTF: {
        const auto* request = reinterpret_cast<const TLoadRequest*>(lParam);
        if (!state || !request)
            return FALSE;
        SendMessageA(state->Edit, EM_SETSEL, WPARAM(-1), -1);
        const bool read = StreamIn(state->Edit, request->Rtf, true);
        for (int i = 0; i < request->FlaggedCount; ++i)
            state->FlaggedLines.insert(request->FlaggedLines[i]);
        return read;
    }
    case MSG_NEW_PICTURE:
        if (!state)
            return 0;
        state->PictureAlt[state->NextPicture] = "";
        return state->NextPicture++;
    case WM_NCDESTROY:
        RemovePropA(window, STATE_PROPERTY);
        delete state;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return HandleContainerMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

bool RegisterContainer()
{
    static bool registered = false;
    if (registered)
        return true;
    LoadLibraryA("riched20.dll");
    WNDCLASSA wc {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    wc.lpszClassName = CONTAINER_CLASS;
    registered = RegisterClassA(&wc) != 0;
    return registered;
}

DWORD SetFlags(int word, HWND ter, BOOL set, DWORD mask)
{
    TState* state = StateOf(ter);
    if (!state)
        return 0;
    DWORD& flags = state->Flags[word];
    flags = set ? (flags | mask) : (flags & ~mask);
    Log("TerSetFlags%d(%s, 0x%lX) = 0x%lX", word, set ? "TRUE" : "FALSE", mask, flags);
    return flags;
}

LONG LineOf(HWND edit, LONG abs) { return LONG(SendMessageA(edit, EM_EXLINEFROMCHAR, 0, abs)); }
LONG LineStart(HWND edit, LONG line) { return LONG(SendMessageA(edit, EM_LINEINDEX, WPARAM(line), 0)); }

LONG InsertLinkText(HWND ter, const std::string& text, const std::string& target)
{
    TState* state = StateOf(ter);
    const LONG start = Selection(state->Edit).cpMin;
    SendMessageA(state->Edit, EM_REPLACESEL, TRUE, LPARAM(text.c_str()));
    Select(state->Edit, start, start + LONG(text.size()));
    CHARFORMAT2A f {};
    f.dwEffects = CFE_LINK | CFE_UNDERLINE;
    f.crTextColor = state->Fields[TerApi::FIELD_LINK_COLOUR];
    ApplyCharFormat(state->Edit, CFM_LINK | CFM_UNDERLINE | CFM_COLOR, f);
    Select(state->Edit, start + LONG(text.size()), start + LONG(text.size()));
    state->Links.push_back({ start, LONG(text.size()), target });
    return LONG(state->Links.size()) - 1;
}

} // namespace

extern "C" {

ZAVEK_TER_ENTRIES(ZAVEK_TER_DECLARE)

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_instance = instance;
    return TRUE;
}

HWND WINAPI TerCreateWindowAlt(int x, int y, int w, int h, int, HWND parent, DWORD style)
{
    Log("TerCreateWindowAlt(%d, %d, %d, %d, 0x%lX)", x, y, w, h, style);
    if (!RegisterContainer())
        return nullptr;
    HWND ter = CreateWindowExA(0, CONTAINER_CLASS, "", WS_CHILD | WS_VISIBLE | (style & WS_BORDER), x, y, w, h,
        parent, nullptr, g_instance, nullptr);
    if (!ter)
        return nullptr;
    HWND edit = CreateWindowExA(0, "RichEdit20A", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL, 0, 0, w, h, ter,
        nullptr, g_instance, nullptr);
    if (!edit) {
        DestroyWindow(ter);
        return nullptr;
    }
    // One line per paragraph: lines and paragraphs stay the same in every test.
    SendMessageA(edit, EM_SETTARGETDEVICE, 0, 1);
    SendMessageA(edit, EM_SETEVENTMASK, 0, ENM_LINK);
    auto* state = new TState;
    state->Edit = edit;
    state->Fields[TerApi::FIELD_LINK_COLOUR] = RGB(0, 0, 255);
    SetPropA(ter, STATE_PROPERTY, state);
    return ter;
}

BOOL WINAPI CloseTer(HWND ter, BOOL)
{
    Log("CloseTer");
    TState* state = StateOf(ter);
    if (!state)
        return FALSE;
    ClearDocument(ter);
    return TRUE;
}

BOOL WINAPI TerSetOutputFormat(HWND ter, int format)
{
    Log("TerSetOutputFormat(%d)", format);
    TState* state = StateOf(ter);
    if (!state)
        return FALSE;
    state->OutputFormat = format;
    return TRUE;
}

HGLOBAL WINAPI GetTerBuffer(HWND ter, LONG* size)
{
    Log("GetTerBuffer");
    TState* state = StateOf(ter);
    if (!state)
        return nullptr;
    const std::string text = state->OutputFormat == TerApi::OUTPUT_HTML ? WriteHtml(ter) : WriteRtf(ter);
    if (size)
        *size = LONG(text.size());
    return NewBlock(text.data(), text.size(), 1);
}

BOOL WINAPI SetTerBuffer(HWND ter, HGLOBAL block, LONG size, LPCSTR, BOOL release)
{
    Log("SetTerBuffer(%ld)", size);
    TState* state = StateOf(ter);
    if (!state || !block)
        return FALSE;
    std::string text(static_cast<const char*>(GlobalLock(block)), size_t(std::max<LONG>(size, 0)));
    GlobalUnlock(block);
    if (release)
        GlobalFree(block);
    ClearDocument(ter);
    return StreamIn(state->Edit, text, false);
}

BOOL WINAPI InsertRtfBuf(HWND ter, LPCSTR text, LONG size, LONG line, int col, BOOL)
{
    Log("InsertRtfBuf(%ld, %ld, %d)", size, line, col);
    TState* state = StateOf(ter);
    if (!state || !text)
        return FALSE;
    if (line >= 0) {
        const LONG at = LineStart(state->Edit, line) + std::max(col, 0);
        Select(state->Edit, at, at);
    }
    const std::string data(text, size >= 0 ? size_t(size) : strlen(text));
    if (IsRtf(data))
        return StreamIn(state->Edit, WithoutFinalParagraphMark(data), true);
    SendMessageA(state->Edit, EM_REPLACESEL, TRUE, LPARAM(data.c_str()));
    return TRUE;
}

BOOL WINAPI TerInsertText(HWND ter, LPCSTR text, int, int, BOOL)
{
    Log("TerInsertText(%s)", text ? text : "");
    HWND edit = EditOf(ter);
    if (!edit || !text)
        return FALSE;
    SendMessageA(edit, EM_REPLACESEL, TRUE, LPARAM(text));
    return TRUE;
}

BOOL WINAPI TerInsertTextU(HWND ter, LPCWSTR text, int, int, BOOL)
{
    Log("TerInsertTextU");
    HWND edit = EditOf(ter);
    if (!edit || !text)
        return FALSE;
    SETTEXTEX how { ST_SELECTION, 1200 };
    SendMessageW(edit, EM_SETTEXTEX, WPARAM(&how), LPARAM(text));
    return TRUE;
}

BOOL WINAPI TerDeleteBlock(HWND ter, BOOL)
{
    Log("TerDeleteBlock");
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    SendMessageA(edit, EM_REPLACESEL, TRUE, LPARAM(""));
    return TRUE;
}

HGLOBAL WINAPI TerGetRtfSel(HWND ter, LONG* size)
{
    Log("TerGetRtfSel");
    HWND edit = EditOf(ter);
    if (!edit)
        return nullptr;
    const std::string rtf = StreamOut(edit, true);
    if (size)
        *size = LONG(rtf.size());
    return NewBlock(rtf.data(), rtf.size(), 1);
}

// Paragraph ends come back as a bare CR, as the rich-edit control keeps them.
HGLOBAL WINAPI TerGetTextSel(HWND ter, LONG* size)
{
    Log("TerGetTextSel");
    HWND edit = EditOf(ter);
    if (!edit)
        return nullptr;
    const CHARRANGE range = Selection(edit);
    const std::string text = TextRange(edit, range.cpMin, range.cpMax);
    if (size)
        *size = LONG(text.size());
    return NewBlock(text.data(), text.size(), 1);
}

HGLOBAL WINAPI TerGetTextSelU(HWND ter, LONG* size)
{
    Log("TerGetTextSelU");
    HWND edit = EditOf(ter);
    if (!edit)
        return nullptr;
    const CHARRANGE range = Selection(edit);
    const LONG count = range.cpMax - range.cpMin;
    std::wstring text(size_t(std::max<LONG>(count, 0)) + 1, L'\0');
    GETTEXTEX how { DWORD(text.size() * sizeof(wchar_t)), GT_SELECTION, 1200, nullptr, nullptr };
    text.resize(size_t(SendMessageW(edit, EM_GETTEXTEX, WPARAM(&how), LPARAM(text.data()))));
    if (size)
        *size = LONG(text.size());
    return NewBlock(text.data(), text.size() * sizeof(wchar_t), sizeof(wchar_t));
}

LONG WINAPI TerGetLine(HWND ter, LONG line, LPSTR buffer, LONG size)
{
    HWND edit = EditOf(ter);
    if (!edit || line < 0 || line >= LONG(SendMessageA(edit, EM_GETLINECOUNT, 0, 0)))
        return 0;
    const LONG start = LineStart(edit, line);
    const LONG length = LONG(SendMessageA(edit, EM_LINELENGTH, WPARAM(start), 0));
    const std::string text = TextRange(edit, start, start + length);
    if (!buffer)
        return LONG(text.size());
    const LONG copied = std::min<LONG>(LONG(text.size()), size - 1);
    if (copied < 0)
        return 0;
    memcpy(buffer, text.data(), size_t(copied));
    buffer[copied] = '\0';
    return copied;
}

LONG WINAPI TerGetLineU(HWND ter, LONG line, LPWSTR buffer, LONG size)
{
    const LONG length = TerGetLine(ter, line, nullptr, 0);
    if (!buffer)
        return length;
    std::string text(size_t(length) + 1, '\0');
    TerGetLine(ter, line, text.data(), length + 1);
    const int copied = MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, buffer, std::max<LONG>(size - 1, 0));
    if (size > 0)
        buffer[copied] = L'\0';
    return copied;
}

BOOL WINAPI SelectTerText(HWND ter, LONG from, LONG to, BOOL)
{
    Log("SelectTerText(%ld, %ld)", from, to);
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    Select(edit, from, to < 0 ? TextLength(edit) : to);
    return TRUE;
}

BOOL WINAPI DeselectTerText(HWND ter, BOOL)
{
    Log("DeselectTerText");
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    const CHARRANGE range = Selection(edit);
    Select(edit, range.cpMax, range.cpMax);
    return TRUE;
}

BOOL WINAPI TerGetSelection(HWND ter, LONG* line1, int* col1, LONG* line2, int* col2)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    const CHARRANGE range = Selection(edit);
    const LONG l1 = LineOf(edit, range.cpMin), l2 = LineOf(edit, range.cpMax);
    if (line1) *line1 = l1;
    if (col1) *col1 = int(range.cpMin - LineStart(edit, l1));
    if (line2) *line2 = l2;
    if (col2) *col2 = int(range.cpMax - LineStart(edit, l2));
    return range.cpMax > range.cpMin;
}

LONG WINAPI GetTerCursorPos(HWND ter, LONG* line, int* col)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return -1;
    const LONG caret = Selection(edit).cpMax;
    const LONG l = LineOf(edit, caret);
    if (line) *line = l;
    if (col) *col = int(caret - LineStart(edit, l));
    return caret;
}

BOOL WINAPI SetTerCursorPos(HWND ter, LONG line, int col, BOOL)
{
    Log("SetTerCursorPos(%ld, %d)", line, col);
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    const LONG lines = LONG(SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    const LONG at = line < 0 || line >= lines ? TextLength(edit) : LineStart(edit, line) + std::max(col, 0);
    Select(edit, at, at);
    return TRUE;
}

BOOL WINAPI TerAbsToRowCol(HWND ter, LONG abs, LONG* line, int* col)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    const LONG l = LineOf(edit, abs);
    if (line) *line = l;
    if (col) *col = int(abs - LineStart(edit, l));
    return TRUE;
}

LONG WINAPI TerRowColToAbs(HWND ter, LONG line, int col)
{
    HWND edit = EditOf(ter);
    return edit ? LineStart(edit, line) + col : -1;
}

BOOL WINAPI TerTextPosToPix(HWND ter, LONG abs, int* x, int* y)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    POINTL point {};
    SendMessageA(edit, EM_POSFROMCHAR, WPARAM(&point), abs);
    if (x) *x = int(point.x);
    if (y) *y = int(point.y);
    return TRUE;
}

LONG WINAPI TerPixToTextPos(HWND ter, int x, int y, LONG* line, int* col)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return -1;
    POINTL point { x, y };
    const LONG abs = LONG(SendMessageA(edit, EM_CHARFROMPOS, 0, LPARAM(&point)));
    TerAbsToRowCol(ter, abs, line, col);
    return abs;
}

BOOL WINAPI TerGetCaretPos(HWND ter, int* x, int* y)
{
    return TerTextPosToPix(ter, GetTerCursorPos(ter, nullptr, nullptr), x, y);
}

int WINAPI TerScrLineHeight(HWND ter, LONG line)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return 0;
    POINTL here {}, next {};
    SendMessageA(edit, EM_POSFROMCHAR, WPARAM(&here), LineStart(edit, line));
    SendMessageA(edit, EM_POSFROMCHAR, WPARAM(&next), LineStart(edit, line + 1));
    return next.y > here.y ? int(next.y - here.y) : 16;
}

int WINAPI TerGetCurFont(HWND ter, LONG)
{
    HWND edit = EditOf(ter);
    return edit ? FontId(CurrentCharFormat(edit).szFaceName) : -1;
}

BOOL WINAPI GetFontInfo(HWND ter, int font, LPSTR name, int* points, UINT* style)
{
    HWND edit = EditOf(ter);
    if (!edit || font < 0 || font >= int(g_fonts.size()))
        return FALSE;
    const CHARFORMAT2A f = CurrentCharFormat(edit);
    if (name)
        lstrcpynA(name, g_fonts[size_t(font)].c_str(), TerApi::FONT_NAME_SIZE);
    if (points)
        *points = int(f.yHeight / 20);
    if (style)
        *style = ((f.dwEffects & CFE_BOLD) ? TerApi::STYLE_BOLD : 0) | ((f.dwEffects & CFE_ITALIC) ? TerApi::STYLE_ITALIC : 0)
            | ((f.dwEffects & CFE_UNDERLINE) ? TerApi::STYLE_UNDERLINE : 0);
    return TRUE;
}

BOOL WINAPI SetTerFont(HWND ter, LPCSTR name, BOOL)
{
    Log("SetTerFont(%s)", name ? name : "");
    HWND edit = EditOf(ter);
    if (!edit || !name)
        return FALSE;
    CHARFORMAT2A f {};
    lstrcpynA(f.szFaceName, name, LF_FACESIZE);
    ApplyCharFormat(edit, CFM_FACE, f);
    return TRUE;
}

BOOL WINAPI SetTerPointSize(HWND ter, int points, BOOL)
{
    Log("SetTerPointSize(%d)", points);
    HWND edit = EditOf(ter);
    if (!edit || points <= 0)
        return FALSE;
    CHARFORMAT2A f {};
    f.yHeight = points * 20;
    ApplyCharFormat(edit, CFM_SIZE, f);
    return TRUE;
}

BOOL WINAPI SetTerDefaultFont(HWND ter, LPCSTR name, int points, UINT style, BOOL)
{
    Log("SetTerDefaultFont(%s, %d, %u)", name ? name : "", points, style);
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    CHARFORMAT2A f {};
    DWORD mask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    if (name && *name) {
        lstrcpynA(f.szFaceName, name, LF_FACESIZE);
        mask |= CFM_FACE;
    }
    if (points > 0) {
        f.yHeight = points * 20;
        mask |= CFM_SIZE;
    }
    f.dwEffects = ((style & TerApi::STYLE_BOLD) ? CFE_BOLD : 0) | ((style & TerApi::STYLE_ITALIC) ? CFE_ITALIC : 0)
        | ((style & TerApi::STYLE_UNDERLINE) ? CFE_UNDERLINE : 0) | ((style & TerApi::STYLE_STRIKEOUT) ? CFE_STRIKEOUT : 0);
    ApplyCharFormat(edit, mask, f);
    return TRUE;
}

COLORREF WINAPI TerGetTextColor(HWND ter)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return 0;
    const CHARFORMAT2A f = CurrentCharFormat(edit);
    return (f.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : f.crTextColor;
}

BOOL WINAPI SetTerColor(HWND ter, COLORREF colour, BOOL)
{
    Log("SetTerColor(0x%lX)", colour);
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    CHARFORMAT2A f {};
    f.crTextColor = colour;
    ApplyCharFormat(edit, CFM_COLOR, f);
    return TRUE;
}

BOOL WINAPI ParaNormal(HWND ter, BOOL)
{
    Log("ParaNormal");
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    PARAFORMAT2 p {};
    p.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT | PFM_OFFSET;
    p.wAlignment = PFA_LEFT;
    ApplyParaFormat(edit, p);
    return TRUE;
}

BOOL WINAPI SetTerParaFmt(HWND ter, UINT format, BOOL)
{
    Log("SetTerParaFmt(%u)", format);
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    PARAFORMAT2 p {};
    p.dwMask = PFM_ALIGNMENT;
    p.wAlignment = format == 1 ? PFA_CENTER : format == 2 ? PFA_RIGHT : PFA_LEFT;
    ApplyParaFormat(edit, p);
    return TRUE;
}

BOOL WINAPI TerGetParaInfo(HWND ter, LONG, int* before, int* after, int* spacing, UINT* format)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    PARAFORMAT2 p {};
    p.cbSize = sizeof p;
    SendMessageA(edit, EM_GETPARAFORMAT, 0, LPARAM(&p));
    if (before) *before = int(p.dySpaceBefore);
    if (after) *after = int(p.dySpaceAfter);
    if (spacing) *spacing = int(p.dyLineSpacing);
    if (format) *format = p.wAlignment == PFA_CENTER ? 1 : p.wAlignment == PFA_RIGHT ? 2 : 0;
    return TRUE;
}

BOOL WINAPI TerSetParaIndent(HWND ter, int left, int right, int first, BOOL)
{
    Log("TerSetParaIndent(%d, %d, %d) line %ld", left, right, first, GetTerCursorPos(ter, nullptr, nullptr) < 0
            ? -1L : LineOf(EditOf(ter), GetTerCursorPos(ter, nullptr, nullptr)));
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    PARAFORMAT2 p {};
    if (left >= 0) { p.dwMask |= PFM_STARTINDENT; p.dxStartIndent = left; }
    if (right >= 0) { p.dwMask |= PFM_RIGHTINDENT; p.dxRightIndent = right; }
    if (first >= 0) { p.dwMask |= PFM_OFFSET; p.dxOffset = first; }
    ApplyParaFormat(edit, p);
    return TRUE;
}

BOOL WINAPI TerSetTab(HWND ter, int kind, int position, BOOL)
{
    Log("TerSetTab(%d, %d)", kind, position);
    TState* state = StateOf(ter);
    if (!state)
        return FALSE;
    state->Tabs.push_back({ kind, position });
    return TRUE;
}

BOOL WINAPI ClearTab(HWND ter, int position, BOOL)
{
    Log("ClearTab(%d)", position);
    TState* state = StateOf(ter);
    if (!state)
        return FALSE;
    std::erase_if(state->Tabs, [&](const TTabStop& t) { return position < 0 || t.Position == position; });
    return TRUE;
}

int WINAPI TerGetTabStop(HWND ter, LONG, int index, int* kind, int* position)
{
    TState* state = StateOf(ter);
    if (!state)
        return 0;
    if (index >= 0 && index < int(state->Tabs.size())) {
        if (kind) *kind = state->Tabs[size_t(index)].Kind;
        if (position) *position = state->Tabs[size_t(index)].Position;
    }
    return int(state->Tabs.size());
}

// Tables are not kept: the box's text stays a plain paragraph, which is what the tests read.
BOOL WINAPI TerCreateTable(HWND ter, int rows, int cols, BOOL)
{
    Log("TerCreateTable(%d, %d) as paragraph", rows, cols);
    return StateOf(ter) != nullptr;
}

BOOL WINAPI TerCellWidth(HWND ter, int mode, int width, BOOL)
{
    Log("TerCellWidth(%d, %d)", mode, width);
    return StateOf(ter) != nullptr;
}

BOOL WINAPI TerSetTableColWidth(HWND ter, int col, int width, BOOL)
{
    Log("TerSetTableColWidth(%d, %d)", col, width);
    return StateOf(ter) != nullptr;
}

int WINAPI TerInsertDrawObject(HWND ter, int kind, int, int, int w, int)
{
    Log("TerInsertDrawObject(%d, %d)", kind, w);
    HWND edit = EditOf(ter);
    if (!edit || kind != TerApi::DRAW_OBJECT_LINE)
        return -1;
    SendMessageA(edit, EM_REPLACESEL, TRUE, LPARAM("\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97\r"));
    return 1;
}

int WINAPI TerInsertHyperlink(HWND ter, LPCSTR text, LPCSTR link, BOOL)
{
    Log("TerInsertHyperlink(%s, %s)", text ? text : "", link ? link : "");
    if (!StateOf(ter) || !text || !link)
        return -1;
    return int(InsertLinkText(ter, text, link));
}

BOOL WINAPI TerLocateFieldChar(HWND ter, LONG abs, int* type, LONG* start, LONG* length)
{
    TState* state = StateOf(ter);
    if (!state)
        return FALSE;
    for (const TLink& link : state->Links) {
        if (abs >= link.Start && abs < link.Start + link.Length) {
            if (type) *type = TerApi::FIELD_HYPERLINK;
            if (start) *start = link.Start;
            if (length) *length = link.Length;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL WINAPI GetTerFields(HWND ter, DWORD* block)
{
    TState* state = StateOf(ter);
    if (!state || !block)
        return FALSE;
    memcpy(block, state->Fields, sizeof state->Fields);
    return TRUE;
}

BOOL WINAPI SetTerFields(HWND ter, const DWORD* block)
{
    TState* state = StateOf(ter);
    if (!state || !block)
        return FALSE;
    memcpy(state->Fields, block, sizeof state->Fields);
    Log("SetTerFields(527=%ld, 528=0x%lX)", LONG(block[TerApi::FIELD_SHOW_FIELDS]), block[TerApi::FIELD_LINK_COLOUR]);
    return TRUE;
}

DWORD WINAPI TerSetFlags(HWND ter, BOOL set, DWORD mask) { return SetFlags(1, ter, set, mask); }
DWORD WINAPI TerSetFlags4(HWND ter, BOOL set, DWORD mask) { return SetFlags(4, ter, set, mask); }
DWORD WINAPI TerSetFlags5(HWND ter, BOOL set, DWORD mask) { return SetFlags(5, ter, set, mask); }
DWORD WINAPI TerSetFlags6(HWND ter, BOOL set, DWORD mask) { return SetFlags(6, ter, set, mask); }
DWORD WINAPI TerSetFlags7(HWND ter, BOOL set, DWORD mask) { return SetFlags(7, ter, set, mask); }
DWORD WINAPI TerSetFlags8(HWND ter, BOOL set, DWORD mask) { return SetFlags(8, ter, set, mask); }
DWORD WINAPI TerSetFlags9(HWND ter, BOOL set, DWORD mask) { return SetFlags(9, ter, set, mask); }
DWORD WINAPI TerSetFlags10(HWND ter, BOOL set, DWORD mask) { return SetFlags(10, ter, set, mask); }
DWORD WINAPI TerSetFlags11(HWND ter, BOOL set, DWORD mask) { return SetFlags(11, ter, set, mask); }

BOOL WINAPI TerGetReadOnly(HWND ter)
{
    HWND edit = EditOf(ter);
    return edit && (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) ? TRUE : FALSE;
}

BOOL WINAPI TerSetReadOnly(HWND ter, BOOL readOnly)
{
    HWND edit = EditOf(ter);
    return edit ? BOOL(SendMessageA(edit, EM_SETREADONLY, readOnly, 0)) : FALSE;
}

BOOL WINAPI TerIsPrinting(HWND ter)
{
    TState* state = StateOf(ter);
    return state ? state->Printing : FALSE;
}

BOOL WINAPI TerEnableRefresh(HWND ter, BOOL on)
{
    Log("TerEnableRefresh(%d)", on);
    HWND edit = EditOf(ter);
    if (!edit)
        return FALSE;
    SendMessageA(edit, WM_SETREDRAW, on, 0);
    if (on)
        InvalidateRect(edit, nullptr, TRUE);
    return TRUE;
}

BOOL WINAPI TerRepaint(HWND ter, BOOL erase)
{
    Log("TerRepaint");
    HWND edit = EditOf(ter);
    return edit ? InvalidateRect(edit, nullptr, erase) : FALSE;
}

// "^p" stands for a paragraph end; without SEARCH_MATCH_CASE letters match in any case.
LONG WINAPI TerSearchReplace(HWND ter, LPCSTR find, LPCSTR, UINT flags, LONG from, LONG* length)
{
    Log("TerSearchReplace(%s, %u, %ld)", find ? find : "", flags, from);
    HWND edit = EditOf(ter);
    if (!edit || !find || !*find)
        return -1;
    std::string pattern;
    for (const char* c = find; *c; ++c) {
        if (c[0] == '^' && c[1] == 'p')
            pattern += '\r', ++c;
        else
            pattern += *c;
    }
    const std::string text = TextRange(edit, 0, -1);
    const bool matchCase = (flags & TerApi::SEARCH_MATCH_CASE) != 0;
    auto same = [matchCase](char a, char b) {
        return matchCase ? a == b : CharUpperA(LPSTR(UINT_PTR(BYTE(a)))) == CharUpperA(LPSTR(UINT_PTR(BYTE(b))));
    };
    const auto start = text.begin() + std::clamp<LONG>(from, 0, LONG(text.size()));
    const auto found = std::search(start, text.end(), pattern.begin(), pattern.end(), same);
    if (found == text.end())
        return -1;
    if (length)
        *length = LONG(pattern.size());
    return LONG(found - text.begin());
}

BOOL WINAPI TerCommand2(HWND ter, int command, int argument)
{
    Log("TerCommand2(%d, %d)", command, argument);
    return StateOf(ter) != nullptr && command == TerApi::COMMAND_REFORMAT_HTML;
}

LONG WINAPI TerGetParam(HWND ter, int id)
{
    TState* state = StateOf(ter);
    if (!state)
        return 0;
    if (id == TerApi::PARAM_LINE_COUNT)
        return LONG(SendMessageA(state->Edit, EM_GETLINECOUNT, 0, 0));
    if (id == TerApi::PARAM_FLAGGED_LINES)
        return LONG(state->FlaggedLines.size());
    return 0;
}

LONG WINAPI TerGetLineParam(HWND ter, LONG line, int id)
{
    TState* state = StateOf(ter);
    return state && id == TerApi::LINE_PARAM_INDENTED && state->FlaggedLines.count(int(line)) ? 1 : 0;
}

LONG WINAPI TerGetTextHeight(HWND ter)
{
    HWND edit = EditOf(ter);
    if (!edit)
        return 0;
    POINTL last {};
    SendMessageA(edit, EM_POSFROMCHAR, WPARAM(&last), std::max<LONG>(TextLength(edit) - 1, 0));
    const LONG pixels = last.y + TerScrLineHeight(ter, LineOf(edit, TextLength(edit)));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(pixels, 1440, dpi);
}

BOOL WINAPI TerPictAltInfo(HWND ter, int picture, int kind, LPCSTR text)
{
    Log("TerPictAltInfo(%d, %d, %s)", picture, kind, text ? text : "");
    TState* state = StateOf(ter);
    if (!state || !state->PictureAlt.count(picture))
        return FALSE;
    state->PictureAlt[picture] = text ? text : "";
    return TRUE;
}

// ---- Test hooks, outside the library's interface
int WINAPI StandinTerGetLog(char* buffer, int size)
{
    if (buffer && size > 0)
        lstrcpynA(buffer, g_log.c_str(), size);
    return int(g_log.size());
}

void WINAPI StandinTerClearLog() { g_log.clear(); }

int WINAPI StandinTerOutstandingBlocks()
{
    std::erase_if(g_blocks, [](HGLOBAL block) { return GlobalFlags(block) == GMEM_INVALID_HANDLE; });
    return int(g_blocks.size());
}

void WINAPI StandinTerSetPrinting(HWND ter, BOOL printing)
{
    if (TState* state = StateOf(ter))
        state->Printing = printing;
}

} // extern "C"
