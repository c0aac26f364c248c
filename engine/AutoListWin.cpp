// The Windows half of the recipient key list: recipients compare with the user locale, and the
// list's file opens with the program Windows associates with it.
#include "engine/AutoListHandler.h"

#include <windows.h>
// shellapi.h needs the types of windows.h first.
#include <shellapi.h>

int CompareRecipients(const std::string& a, const std::string& b)
{
    const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
        static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    if (result == 0) // the compare failed: fall back to a plain byte order so sorting stays strict
        return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return result - CSTR_EQUAL;
}

bool TAutoList::OpenInEditor() const
{
    if (FileName().empty())
        return false;
    SHELLEXECUTEINFOA info {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = FileName().c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}
