// Recipient compare of the native build: ASCII letters without regard to case (the Windows build
// compares with the user locale, in AutoListWin.cpp).
#include "engine/AutoListHandler.h"

int CompareRecipients(const std::string& a, const std::string& b)
{
    return CompareAsciiNoCase(a, b);
}
