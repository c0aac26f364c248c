// The charset list: the MIME charsets that have a fixed Windows code page even without the iconv
// library, looked up by name ignoring case.
#include "foundation/UTF8.h"

#include <windows.h>

namespace {

constexpr struct {
    const char* Row;
    unsigned CodePage;
} Rows[] = { { "BIG5=CP950", 950 },         { "EUC-CN=EUC-CN", 51936 }, { "EUC-JP=EUC-JP", 51932 },
             { "EUC-KR=EUC-KR", 51949 },    { "GB2312=CP936", 936 },    { "KSC_5601=CP949", 949 },
             { "SHIFT_JIS=CP932", 932 } };

} // namespace

int CharsetListIndex(const std::string& Name)
{
    for (int i = 0; i < int(std::size(Rows)); ++i) {
        const std::string row = Rows[i].Row;
        const std::string name = row.substr(0, row.find('='));
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), -1, Name.c_str(), -1) == CSTR_EQUAL)
            return i;
    }
    return -1;
}

unsigned CharsetListCodePage(int Index)
{
    return Index >= 0 && Index < int(std::size(Rows)) ? Rows[Index].CodePage : 0;
}
