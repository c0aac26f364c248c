// The stand-in mail client's encryption dialog of an editor: a dialog with the encryptor combo box
// (101, the mail client's encryptors, the plug-in's among them), its edit field (102) and the
// encrypt (103) and sign (104) check boxes. Opening it tells the plug-in with event 25 kind 4 and
// logs the encryptors then offered; OK or Cancel logs the boxes and the encryptor and closes it.
#include "standins/host/Host.h"
#include "standins/host/HostLog.h"

#include <string>
#include <vector>

using namespace HostApi;

namespace {
HWND g_dialog = nullptr;

// An in-memory dialog template: the header, then each control, every item DWORD-aligned.
class TTemplate {
public:
    explicit TTemplate(const char* title)
    {
        DLGTEMPLATE header = {};
        header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_SETFONT;
        header.cx = 200;
        header.cy = 90;
        Append(&header, sizeof header);
        Word(0); // no menu
        Word(0); // standard class
        Text(title);
        Word(8);
        Text("MS Shell Dlg");
    }
    void Control(WORD id, WORD atom, DWORD style, short x, short y, short cx, short cy, const char* caption)
    {
        Align();
        DLGITEMTEMPLATE item = {};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Append(&item, sizeof item);
        Word(0xFFFF);
        Word(atom);
        Text(caption);
        Word(0); // no creation data
        ++reinterpret_cast<DLGTEMPLATE*>(bytes_.data())->cdit;
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Append(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    }
    void Word(WORD value) { Append(&value, sizeof value); }
    void Text(const char* text)
    {
        for (; *text; ++text)
            Word(static_cast<BYTE>(*text));
        Word(0);
    }
    void Align()
    {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }
    std::vector<BYTE> bytes_;
};

constexpr WORD BUTTON = 0x0080, EDIT = 0x0081, COMBOBOX = 0x0085;

std::string ItemText(HWND combo, LRESULT index)
{
    char text[128] = {};
    if (index != CB_ERR && SendMessageA(combo, CB_GETLBTEXTLEN, index, 0) < LRESULT(sizeof text))
        SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string SelectedText(HWND combo)
{
    return ItemText(combo, SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

// The encryptors in the list, "|"-separated.
std::string Encryptors(HWND combo)
{
    std::string list;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        list += (i ? "|" : "") + ItemText(combo, i);
    return list;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        HWND combo = GetDlgItem(dialog, 101);
        for (const char* encryptor : { "(none)", "Selvadrin", "qro's PGP/MIME Handler", "qro's S/MIME Handler",
                 "qro's X-ZA-VEK Handler", "***'s S/MIME Handler", "*** Selvadrin with address books" })
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(encryptor));
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        g_log.Line("encryption dialog %s encrypt=%d sign=%d", LOWORD(wParam) == IDOK ? "ok" : "cancel",
            IsDlgButtonChecked(dialog, 103) == BST_CHECKED, IsDlgButtonChecked(dialog, 104) == BST_CHECKED);
        g_log.Line("encryption dialog encryptor \"%s\"", SelectedText(GetDlgItem(dialog, 101)).c_str());
        DestroyWindow(dialog);
        g_dialog = nullptr;
        return TRUE;
    }
    return FALSE;
}
} // namespace

void OpenEncryptionDialog(HWND editor)
{
    TTemplate form("Encryption");
    form.Control(101, COMBOBOX, CBS_DROPDOWNLIST | WS_VSCROLL, 4, 4, 190, 60, "");
    form.Control(102, EDIT, WS_BORDER | ES_AUTOHSCROLL, 4, 20, 190, 12, "");
    form.Control(103, BUTTON, BS_AUTOCHECKBOX, 4, 36, 90, 10, "Encrypt");
    form.Control(104, BUTTON, BS_AUTOCHECKBOX, 100, 36, 90, 10, "Sign");
    form.Control(IDOK, BUTTON, BS_DEFPUSHBUTTON, 40, 70, 50, 14, "OK");
    form.Control(IDCANCEL, BUTTON, BS_PUSHBUTTON, 100, 70, 50, 14, "Cancel");
    g_dialog = CreateDialogIndirectParamA(g_host.Instance, form.Get(), editor, &DialogProc, 0);
    if (!g_dialog) {
        g_log.Line("encryption dialog failed");
        return;
    }
    THostEvent25 event = { g_dialog, WINDOW_KIND_ENCRYPTION_DIALOG };
    LRESULT answer = 0;
    if (g_host.PluginWindow)
        answer = SendMessageA(g_host.PluginWindow, WM_HOSTEVENT, EVENT_WINDOW, reinterpret_cast<LPARAM>(&event));
    g_log.Line("encryption dialog shown encrypt=%d sign=%d edit=%d -> 0x%lX",
        IsDlgButtonChecked(g_dialog, 103) == BST_CHECKED, IsDlgButtonChecked(g_dialog, 104) == BST_CHECKED,
        IsWindowEnabled(GetDlgItem(g_dialog, 102)) != FALSE, static_cast<long>(answer));
    if (g_dialog) {
        HWND combo = GetDlgItem(g_dialog, 101);
        g_log.Line("encryption dialog encryptors \"%s\" chosen \"%s\" enabled=%d", Encryptors(combo).c_str(),
            SelectedText(combo).c_str(), IsWindowEnabled(combo) != FALSE);
    }
}

void SelectEncryptor(const std::string& name)
{
    HWND combo = g_dialog ? GetDlgItem(g_dialog, 101) : nullptr;
    const LRESULT index = combo ? SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(name.c_str()))
                                : CB_ERR;
    if (index == CB_ERR) {
        g_log.Line("no encryptor \"%s\"", name.c_str());
        return;
    }
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    // The notifications a user's choice sends to the dialog.
    for (WORD code : { WORD(CBN_SELCHANGE), WORD(CBN_SELENDOK) })
        SendMessageA(g_dialog, WM_COMMAND, MAKEWPARAM(101, code), reinterpret_cast<LPARAM>(combo));
}

void ClickEncryptionDialog(int control)
{
    if (g_dialog)
        SendMessageA(GetDlgItem(g_dialog, control), BM_CLICK, 0, 0);
    else
        g_log.Line("no encryption dialog");
}
