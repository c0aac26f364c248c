// The part-text services on Windows: HTML clean-up through libtidy, pictures as RTF through the
// rich-text unit at the active window's width, and the plug-in's own temporary names.
#include "mime/PartTexts.h"

#include "foundation/FileUtilsWin.h"
#include "foundation/RichEd20.h"
#include "foundation/StrUtilWin.h"
#include "foundation/Tidy.h"

namespace {

int ActiveClientWidth()
{
    RECT client{};
    const HWND active = GetActiveWindow();
    return active && GetClientRect(active, &client) ? static_cast<int>(client.right - client.left) : 0;
}

class TWindowsPartTextServices : public TPartTextServices {
public:
    std::string CleanHtml(
        const std::string& Html, const std::string& FaceName, bool IsUtf8, std::string& BaseHref) override
    {
        THtmlData result;
        TidyHtml(Html, FaceName, false, false, IsUtf8, result);
        BaseHref = result.BaseHref;
        return result.HtmlText;
    }

    std::string TempFolder() override
    {
        std::string folder = GetTempFolder();
        if (!folder.empty() && folder.back() != '\\')
            folder += '\\';
        return folder;
    }

    std::string NewTempFileName(const std::string& Ext) override { return MakeTempFileName(Ext); }

    std::string PictureToRtf(const std::string& Picture) override
    {
        SIZE size{};
        return MakeRtfPict(Picture, ActiveClientWidth(), size, false);
    }

    std::string EmbedRtfPictures(const std::string& Rtf, const TSectionPictureLookup& Sections) override
    {
        return ::EmbedRtfPictures(Rtf, {}, ActiveClientWidth(), false, Sections);
    }

    bool FileExists(const std::string& FileName) override
    {
        return GetFileAttributesA(FileName.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

} // namespace

TPartTextServices& DefaultPartTextServices()
{
    static TWindowsPartTextServices services;
    return services;
}
