// The editor library's interface as this system defines it: every entry point's signature (stdcall,
// undecorated names), the values passed to it, and the one loader that finds, loads and binds the
// editor library and its HTML add-on for the editor interface and the HTML/RTF converter alike.
#pragma once

#include <windows.h>

#include <string>

namespace TerApi {

// ---- Values passed to the library
constexpr int OUTPUT_RTF = 3;
constexpr int OUTPUT_HTML = 5;
constexpr int FIELD_HYPERLINK = 14;
constexpr int DRAW_OBJECT_LINE = 3;
constexpr int CELL_WIDTH_FIT = 4;
constexpr int TAB_LEFT = 0;
constexpr int TAB_LEADER = 4;
constexpr UINT PARA_LEFT = 0;
constexpr UINT PARA_CENTRE = 1;
constexpr UINT SEARCH_FORWARD = 0x02;
constexpr UINT SEARCH_MATCH_CASE = 0x80;
constexpr int COMMAND_REFORMAT_HTML = 625;
constexpr int PARAM_LINE_COUNT = 1;
constexpr int PARAM_FLAGGED_LINES = 10;
constexpr int LINE_PARAM_INDENTED = 8;
constexpr UINT STYLE_BOLD = 1, STYLE_ITALIC = 2, STYLE_UNDERLINE = 4, STYLE_STRIKEOUT = 8;
// The editor's field block: 600 words; the caller's buffer is larger so a bigger block still fits.
constexpr int FIELD_BLOCK_WORDS = 600;
constexpr int FIELD_BUFFER_WORDS = 4096;
constexpr int FIELD_SHOW_FIELDS = 527; // 0 on, -1 off
constexpr int FIELD_LINK_COLOUR = 528;
constexpr int FONT_NAME_SIZE = 64;
// Picture messages the HTML add-on sends to the window given to HtsInitialize.
constexpr UINT MSG_RESOLVE_PICTURE = 0x0CCC; // wParam editor, lParam char[260] reference
constexpr UINT MSG_PICTURE_INSERTED = 0x0CCE; // wParam editor, lParam picture id
constexpr int PICTURE_REFERENCE_SIZE = 260;

// ---- Entry points: X(name, result, parameter list)
#define ZAVEK_TER_ENTRIES(X)                                                                      \
    X(TerCreateWindowAlt, HWND, (int x, int y, int w, int h, int font, HWND parent, DWORD style)) \
    X(CloseTer, BOOL, (HWND, BOOL discard))                                                       \
    X(TerSetOutputFormat, BOOL, (HWND, int format))                                               \
    X(GetTerBuffer, HGLOBAL, (HWND, LONG* size))                                                  \
    X(SetTerBuffer, BOOL, (HWND, HGLOBAL text, LONG size, LPCSTR title, BOOL release))            \
    X(InsertRtfBuf, BOOL, (HWND, LPCSTR text, LONG size, LONG line, int col, BOOL repaint))       \
    X(TerInsertText, BOOL, (HWND, LPCSTR text, int font, int para, BOOL repaint))                 \
    X(TerInsertTextU, BOOL, (HWND, LPCWSTR text, int font, int para, BOOL repaint))               \
    X(TerDeleteBlock, BOOL, (HWND, BOOL repaint))                                                 \
    X(TerGetRtfSel, HGLOBAL, (HWND, LONG* size))                                                  \
    X(TerGetTextSel, HGLOBAL, (HWND, LONG* size))                                                 \
    X(TerGetTextSelU, HGLOBAL, (HWND, LONG* size))                                                \
    X(TerGetLine, LONG, (HWND, LONG line, LPSTR buffer, LONG size))                               \
    X(TerGetLineU, LONG, (HWND, LONG line, LPWSTR buffer, LONG size))                             \
    X(SelectTerText, BOOL, (HWND, LONG from, LONG to, BOOL repaint))                              \
    X(DeselectTerText, BOOL, (HWND, BOOL repaint))                                                \
    X(TerGetSelection, BOOL, (HWND, LONG* line1, int* col1, LONG* line2, int* col2))              \
    X(GetTerCursorPos, LONG, (HWND, LONG* line, int* col))                                        \
    X(SetTerCursorPos, BOOL, (HWND, LONG line, int col, BOOL repaint))                            \
    X(TerAbsToRowCol, BOOL, (HWND, LONG abs, LONG* line, int* col))                               \
    X(TerRowColToAbs, LONG, (HWND, LONG line, int col))                                           \
    X(TerTextPosToPix, BOOL, (HWND, LONG abs, int* x, int* y))                                    \
    X(TerPixToTextPos, LONG, (HWND, int x, int y, LONG* line, int* col))                          \
    X(TerGetCaretPos, BOOL, (HWND, int* x, int* y))                                               \
    X(TerScrLineHeight, int, (HWND, LONG line))                                                   \
    X(TerGetCurFont, int, (HWND, LONG abs))                                                       \
    X(GetFontInfo, BOOL, (HWND, int font, LPSTR name, int* points, UINT* style))                  \
    X(SetTerFont, BOOL, (HWND, LPCSTR name, BOOL repaint))                                        \
    X(SetTerPointSize, BOOL, (HWND, int points, BOOL repaint))                                    \
    X(SetTerDefaultFont, BOOL, (HWND, LPCSTR name, int points, UINT style, BOOL repaint))         \
    X(TerGetTextColor, COLORREF, (HWND))                                                          \
    X(SetTerColor, BOOL, (HWND, COLORREF colour, BOOL repaint))                                   \
    X(ParaNormal, BOOL, (HWND, BOOL repaint))                                                     \
    X(SetTerParaFmt, BOOL, (HWND, UINT format, BOOL repaint))                                     \
    X(TerGetParaInfo, BOOL, (HWND, LONG line, int* before, int* after, int* spacing, UINT* fmt))  \
    X(TerSetParaIndent, BOOL, (HWND, int left, int right, int first, BOOL repaint))               \
    X(TerSetTab, BOOL, (HWND, int kind, int position, BOOL repaint))                              \
    X(ClearTab, BOOL, (HWND, int position, BOOL repaint))                                         \
    X(TerGetTabStop, int, (HWND, LONG line, int index, int* kind, int* position))                 \
    X(TerCreateTable, BOOL, (HWND, int rows, int cols, BOOL repaint))                             \
    X(TerCellWidth, BOOL, (HWND, int mode, int width, BOOL repaint))                              \
    X(TerSetTableColWidth, BOOL, (HWND, int col, int width, BOOL repaint))                        \
    X(TerInsertDrawObject, int, (HWND, int kind, int x, int y, int w, int h))                     \
    X(TerInsertHyperlink, int, (HWND, LPCSTR text, LPCSTR link, BOOL repaint))                    \
    X(TerLocateFieldChar, BOOL, (HWND, LONG abs, int* type, LONG* start, LONG* length))           \
    X(GetTerFields, BOOL, (HWND, DWORD* block))                                                   \
    X(SetTerFields, BOOL, (HWND, const DWORD* block))                                             \
    X(TerSetFlags, DWORD, (HWND, BOOL set, DWORD mask))                                           \
    X(TerSetFlags4, DWORD, (HWND, BOOL set, DWORD mask))                                          \
    X(TerSetFlags5, DWORD, (HWND, BOOL set, DWORD mask))                                          \
    X(TerSetFlags6, DWORD, (HWND, BOOL set, DWORD mask))                                          \
    X(TerSetFlags7, DWORD, (HWND, BOOL set, DWORD mask))                                          \
    X(TerSetFlags8, DWORD, (HWND, BOOL set, DWORD mask))                                          \
    X(TerSetFlags9, DWORD, (HWND, BOOL set, DWORD mask))                                          \
    X(TerSetFlags10, DWORD, (HWND, BOOL set, DWORD mask))                                         \
    X(TerSetFlags11, DWORD, (HWND, BOOL set, DWORD mask))                                         \
    X(TerGetReadOnly, BOOL, (HWND))                                                               \
    X(TerIsPrinting, BOOL, (HWND))                                                                \
    X(TerEnableRefresh, BOOL, (HWND, BOOL on))                                                    \
    X(TerRepaint, BOOL, (HWND, BOOL erase))                                                       \
    X(TerSearchReplace, LONG, (HWND, LPCSTR find, LPCSTR replace, UINT flags, LONG from, LONG* length)) \
    X(TerCommand2, BOOL, (HWND, int command, int argument))                                       \
    X(TerGetParam, LONG, (HWND, int id))                                                          \
    X(TerGetLineParam, LONG, (HWND, LONG line, int id))                                           \
    X(TerGetTextHeight, LONG, (HWND))                                                             \
    X(TerPictAltInfo, BOOL, (HWND, int picture, int kind, LPCSTR text))

#define ZAVEK_HTS_ENTRIES(X)                                                                      \
    X(HtsInitialize, BOOL, (HWND editor, HWND notify))                                            \
    X(HtsClearWindow, BOOL, (HWND editor))                                                        \
    X(HtsRead, BOOL, (HWND editor, int source, int reserved, HGLOBAL block, LONG size, int flags)) \
    X(HtsClose, BOOL, (HWND editor, int mode, int reserved, HGLOBAL* block, LONG* size))

#define ZAVEK_TER_TYPEDEF(name, result, params) using name##Proc = result(WINAPI*) params;
ZAVEK_TER_ENTRIES(ZAVEK_TER_TYPEDEF)
ZAVEK_HTS_ENTRIES(ZAVEK_TER_TYPEDEF)
#undef ZAVEK_TER_TYPEDEF

// The libraries' own declarations, for a library built here: its definitions must then have the
// calling convention and the parameters the binding calls them with.
#define ZAVEK_TER_DECLARE(name, result, params) result WINAPI name params;

#define ZAVEK_TER_MEMBER(name, result, params) name##Proc name = nullptr;

// The bound entry points; each stays nil when its library did not load or lacks it.
struct TEntries {
    ZAVEK_TER_ENTRIES(ZAVEK_TER_MEMBER)
    ZAVEK_HTS_ENTRIES(ZAVEK_TER_MEMBER)
    HMODULE Editor = nullptr;
    HMODULE Html = nullptr;
    // Decimal major file version of the editor library; empty when it did not load.
    std::string Version;
};
#undef ZAVEK_TER_MEMBER

// The library file to load: folder + default name for an older host; for a newer host the file
// name of the default one or of another match when that module is already loaded in the process.
std::string FindEditorLibrary(
    const std::string& folder, const std::string& pattern, const std::string& defaultName, bool newerHost);

// Loads and binds both libraries from the folder (trailing backslash); true when both loaded.
bool LoadEditorLibraries(const std::string& folder, bool newerHost, TEntries& entries);

// Copies a global memory block the library returned, then unlocks, zeroes and frees it.
std::string TakeGlobalText(HGLOBAL block, LONG size);
std::wstring TakeGlobalWideText(HGLOBAL block, LONG size);

// Zeroes a global memory block and frees it: what passes to and from the editor may be decrypted.
void FreeGlobalZeroed(HGLOBAL block);

} // namespace TerApi
