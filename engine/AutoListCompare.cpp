// Recipient compare of the native build: ASCII letters without regard to case (the Windows build
// compares with the user locale, in AutoListWin.cpp).
#include "engine/AutoListHandler.h"

#include "foundation/StrUtil.h"

#include <algorithm>

int CompareRecipients(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(LowerAsciiChar(a[i]));
        const unsigned char y = static_cast<unsigned char>(LowerAsciiChar(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool TAutoList::OpenInEditor() const
{
    return false; // no associated programs outside Windows
}
