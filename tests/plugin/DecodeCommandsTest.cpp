// The mail client's dialog notifications under Wine on real windows: the header-lines dialog's OK
// and Cancel by its title, and the encryption page's combo box enabling its two option controls.
#include "plugin/DecodeCommands.h"

#include <gtest/gtest.h>

namespace {

// A top-level window with children, destroyed with the test.
class TWindow {
public:
    explicit TWindow(const char* caption)
        : window_(CreateWindowExA(0, "STATIC", caption, WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr, nullptr,
              nullptr))
    {
    }
    ~TWindow() { DestroyWindow(window_); }
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    HWND Child(const char* className, const char* caption, int id, DWORD style = 0)
    {
        return CreateWindowExA(0, className, caption, WS_CHILD | style, 0, 0, 50, 100, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    operator HWND() const { return window_; }

private:
    HWND window_;
};

WPARAM Notification(int id, UINT code)
{
    return MAKEWPARAM(id, code);
}

TEST(DecodeCommands, HeaderDialogButtonsByTitle)
{
    struct TCase {
        const char* title;
        int button;
        bool utf8Headers;
        bool formatted;
    };
    const TCase cases[] = {
        { "Header lines of the message", IDOK, true, true },
        { "Header lines of the message", IDCANCEL, false, false },
        { "Print the message", IDOK, false, true },
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        TWindow dialog(c.title);
        HWND button = dialog.Child("BUTTON", "x", c.button);
        TDecodeContext context;
        context.Formatted = true;
        ApplyHostControlCommand(context, dialog, Notification(c.button, BN_CLICKED), button, "Header lines", "Encryptor:");
        EXPECT_EQ(context.IncludeUtf8Headers, c.utf8Headers);
        EXPECT_EQ(context.Formatted, c.formatted);
    }
    // Without the mail client's text nothing matches.
    TWindow dialog("Header lines");
    TDecodeContext context;
    ApplyHostControlCommand(context, dialog, Notification(IDOK, BN_CLICKED), dialog.Child("BUTTON", "OK", IDOK), "",
        "Encryptor:");
    EXPECT_FALSE(context.IncludeUtf8Headers);
}

TEST(DecodeCommands, EncryptorChoiceEnablesItsOptionsForTheFirstEntryOnly)
{
    TWindow page("page");
    page.Child("STATIC", "Encryptor:", 100);
    HWND combo = page.Child("COMBOBOX", "", 101, CBS_DROPDOWNLIST);
    for (const char* entry : { "qro's handler", "Other", "Third" })
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    HWND first = page.Child("BUTTON", "a", 157);
    HWND second = page.Child("EDIT", "", 158);
    TDecodeContext context;
    for (const int selected : { 2, 0, 1, -1 }) {
        SCOPED_TRACE(selected);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        ApplyHostControlCommand(context, page, Notification(101, CBN_SELCHANGE), combo, "Header", "Encryptor:");
        EXPECT_EQ(IsWindowEnabled(first) != FALSE, selected <= 0);
        EXPECT_EQ(IsWindowEnabled(second) != FALSE, selected <= 0);
    }
    // A page without the encryptor label is not ours to change.
    TWindow other("other");
    HWND otherCombo = other.Child("COMBOBOX", "", 101, CBS_DROPDOWNLIST);
    SendMessageA(otherCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x"));
    SendMessageA(otherCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("y"));
    SendMessageA(otherCombo, CB_SETCURSEL, 1, 0);
    HWND untouched = other.Child("BUTTON", "a", 157);
    ApplyHostControlCommand(context, other, Notification(101, CBN_SELCHANGE), otherCombo, "Header", "Encryptor:");
    EXPECT_TRUE(IsWindowEnabled(untouched));
}

} // namespace
