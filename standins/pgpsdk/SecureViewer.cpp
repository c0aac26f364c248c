// The support library's secure viewer: a modal window that shows a decrypted text which may not
// be stored. The text can be read and scrolled but not selected for copying, and the window has
// no save or copy command. Unattended (PGPSTANDIN_ANSWERS) it closes at once; the text shown is
// then appended to the file named by PGPSTANDIN_LOG, which only tests set.
#include "standins/pgpsdk/AnswersFile.h"
#include "standins/pgpsdk/DialogTemplate.h"
#include "standins/pgpsdk/SecureViewer.h"
#include "standins/pgpsdk/StandInLog.h"

#include <algorithm>
#include <string>
#include <vector>

namespace standin {
namespace {

constexpr int kTextId = 100;

struct ViewerState {
    const std::wstring& text;
    HWND owner;
    bool answered;
    WNDPROC editProc = nullptr;
};

// The text field refuses what would take the text out of the window: copying, cutting, dragging a
// selection and its context menu.
LRESULT CALLBACK TextProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<ViewerState*>(GetWindowLongPtrW(GetParent(field), DWLP_USER));
    switch (message) {
    case WM_COPY:
    case WM_CUT:
    case WM_CONTEXTMENU:
    case WM_LBUTTONDBLCLK:
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
        SetFocus(field);
        return 0; // no selection by mouse
    case WM_KEYDOWN:
        if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0)
            return 0; // no selection or copy by keyboard
        break;
    case WM_CHAR:
        return 0;
    case WM_GETDLGCODE: // the dialog must not select the text when the field gets the focus
        return CallWindowProcW(state->editProc, field, message, wParam, lParam) & ~DLGC_HASSETSEL;
    default:
        break;
    }
    return CallWindowProcW(state->editProc, field, message, wParam, lParam);
}

TemplateWriter BuildTemplate()
{
    constexpr WORD kButton = 0x0080, kEdit = 0x0081;
    TemplateWriter t;
    t.Dialog(2, 320, 200, L"Secure Viewer");
    t.Item(ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 306, 164, kTextId, kEdit, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 263, 179, 50, 14, IDCANCEL, kButton, L"Close");
    return t;
}

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* state = reinterpret_cast<ViewerState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        HWND field = GetDlgItem(dialog, kTextId);
        SetWindowTextW(field, state->text.c_str());
        state->editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TextProc)));
        CentreOver(dialog, state->owner);
        SetFocus(GetDlgItem(dialog, IDCANCEL));
        if (state->answered)
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return FALSE; // the focus is set: on Close
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        // The text leaves the window before it closes.
        SetDlgItemTextW(dialog, kTextId, L"");
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

} // namespace

PGPError ShowSecureText(HWND owner, const void* text, uint32_t byteLength, bool wide)
{
    if (!text)
        return kPGPError_BadParams;
    std::wstring shown;
    if (wide) {
        const auto* characters = static_cast<const wchar_t*>(text);
        const std::size_t count = byteLength / sizeof(wchar_t);
        shown.assign(characters, std::find(characters, characters + count, L'\0'));
    } else {
        const auto* bytes = static_cast<const char*>(text);
        const int length = static_cast<int>(std::find(bytes, bytes + byteLength, '\0') - bytes);
        const int count = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
        shown.resize(count > 0 ? count : 0);
        if (count > 0)
            MultiByteToWideChar(CP_ACP, 0, bytes, length, shown.data(), count);
    }
    // The edit control breaks lines at CR LF only.
    std::wstring lines;
    lines.reserve(shown.size() * 2); // one buffer: no copy of the text is left behind by growing
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == L'\n' && (i == 0 || shown[i - 1] != L'\r'))
            lines += L'\r';
        lines += shown[i];
    }
    std::fill(shown.begin(), shown.end(), L'\0');
    shown.swap(lines);
    const std::optional<DialogAnswer> answer = NextAnswer(DialogKind::SecureViewer);
    if (answer)
        AppendToLog("Secure viewer:\r\n" + Utf8Of(shown));
    ViewerState state { shown, owner, answer.has_value() };
    TemplateWriter dialog = BuildTemplate();
    const INT_PTR result = DialogBoxIndirectParamW(ThisModule(), dialog.Template(), owner, ViewerProc,
                                                   reinterpret_cast<LPARAM>(&state));
    std::fill(shown.begin(), shown.end(), L'\0');
    return result == -1 ? kPGPError_OutOfMemory : kPGPError_NoErr;
}

} // namespace standin
