// The message model's services inside the mail client: bound, they clean HTML through libtidy and
// turn RTF into text through the rich-edit control; unbound, the model's defaults are back.
#include "foundation/Tidy.h"
#include "mime/MailServices.h"
#include "plugin/MailServicesHost.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

TEST(MailServicesHost, BoundServicesUseTheFoundationUnits)
{
    ASSERT_TRUE(LoadTidyLibrary(ProgramFolder() + "tidy\\"));
    BindHostMailServices();
    const std::string cleaned = MailServices().CleanHtml("<p>one<p>two");
    EXPECT_NE(cleaned.find("<p>one</p>"), std::string::npos) << cleaned;
    // The editor makes its HTML from ANSI text, and the window takes ANSI back: the clean-up keeps
    // the bytes of characters outside ASCII.
    const std::string accented = MailServices().CleanHtml("<p>caf\xE9 \x80 na\xEFve</p>");
    EXPECT_NE(accented.find("caf\xE9 \x80 na\xEFve"), std::string::npos) << accented;
    EXPECT_EQ(MailServices().RtfToText("{\\rtf1\\ansi hello\\par}", false).substr(0, 5), "hello");
    // The charset conversions are the default ones.
    EXPECT_EQ(MailServices().CharsetToUtf8("\xE9", "ISO-8859-1"), "\xC3\xA9");

    UnbindHostMailServices();
    EXPECT_EQ(MailServices().CleanHtml("<p>one<p>two"), "<p>one<p>two");
}

} // namespace
