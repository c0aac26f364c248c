// The mail client's dialog notifications for the decrypt road: OK or Cancel of the header-lines
// dialog set the header include or the unformatted text; on the encryption page only the first
// encryptor (or none) leaves its two option controls usable.
#include "plugin/DecodeCommands.h"

namespace {

constexpr int ENCRYPTOR_OPTION_1 = 157;
constexpr int ENCRYPTOR_OPTION_2 = 158;

bool CaptionBeginsWith(HWND window, const std::string& prefix)
{
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    return !prefix.empty() && std::string(caption).rfind(prefix, 0) == 0;
}

bool HoldsStaticText(HWND dialog, const std::string& text)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {}, caption[256] = {};
        GetClassNameA(child, className, sizeof className);
        GetWindowTextA(child, caption, sizeof caption);
        if (lstrcmpiA(className, "STATIC") == 0 && text == caption)
            return true;
    }
    return false;
}

} // namespace

void ApplyHostControlCommand(TDecodeContext& context, HWND dialog, WPARAM wParam, HWND control,
    const std::string& headerDialogTitle, const std::string& encryptorLabel)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (code == BN_CLICKED && (id == IDOK || id == IDCANCEL)) {
        if (CaptionBeginsWith(dialog, headerDialogTitle))
            ApplyHeaderDialogButton(context, static_cast<int>(id));
    } else if (code == CBN_SELCHANGE && !encryptorLabel.empty() && HoldsStaticText(dialog, encryptorLabel)) {
        const BOOL firstOrNone = SendMessageA(control, CB_GETCURSEL, 0, 0) <= 0;
        EnableWindow(GetDlgItem(dialog, ENCRYPTOR_OPTION_1), firstOrNone);
        EnableWindow(GetDlgItem(dialog, ENCRYPTOR_OPTION_2), firstOrNone);
    }
}
