// Picture-reference answers of the HTML/RTF converter, including references that would reach
// another machine.
#include "foundation/HtsTerPictures.h"

#include <gtest/gtest.h>

TEST(HtsTerPictures, ReferencesGetTheirAnswers)
{
    const auto localPicture = [](const std::string& path) { return path == "C:\\pics\\a b.png" || path == "C:\\x.gif"; };
    const struct {
        const char* reference;
        TPictureAnswer answer;
        const char* path;
    } cases[] = {
        { "cid:a1@host", TPictureAnswer::Remember, "" },
        { "CID:A1", TPictureAnswer::Remember, "" },
        { "res:logo.bmp", TPictureAnswer::Default, "" },
        { "http://example.org/x.gif", TPictureAnswer::Default, "" },
        { "HTTPS://example.org/x.gif", TPictureAnswer::Default, "" },
        { "ftp://h/x.gif", TPictureAnswer::Default, "" },
        { "ftps://h/x.gif", TPictureAnswer::Default, "" },
        { "javascript:alert(1)", TPictureAnswer::Default, "" },
        { "vbscript:x", TPictureAnswer::Default, "" },
        { "file:///C:/pics/a%20b.png", TPictureAnswer::Keep, "C:\\pics\\a b.png" },
        { "file://localhost/C:/x.gif", TPictureAnswer::Keep, "C:\\x.gif" },
        { "file://server/share/x.gif", TPictureAnswer::Default, "" },
        { "\\\\server\\share\\x.gif", TPictureAnswer::Default, "" },
        { "\\\\?\\C:\\x.gif", TPictureAnswer::Default, "" },
        { "//server/share/x.gif", TPictureAnswer::Default, "" },
        { "C:\\x.gif", TPictureAnswer::Keep, "C:\\x.gif" },
        { "C:\\missing.gif", TPictureAnswer::Default, "" },
        { "", TPictureAnswer::Default, "" },
    };
    for (const auto& c : cases) {
        const TPictureResolution r = ResolvePictureReference(c.reference, localPicture);
        EXPECT_EQ(r.Answer, c.answer) << c.reference;
        EXPECT_EQ(r.Path, c.path) << c.reference;
    }
}

TEST(HtsTerPictures, NetworkPathsAreNeverLookedAt)
{
    bool asked = false;
    const auto spy = [&](const std::string&) { return asked = true; };
    ResolvePictureReference("\\\\server\\share\\x.gif", spy);
    ResolvePictureReference("file://server/x.gif", spy);
    EXPECT_FALSE(asked);
}

TEST(HtsTerPictures, KnownHeaders)
{
    EXPECT_TRUE(IsKnownPictureHeader("BM\x36\x00"));
    EXPECT_TRUE(IsKnownPictureHeader("GIF89a..."));
    EXPECT_TRUE(IsKnownPictureHeader(std::string("\xFF\xD8\xFF\xE0", 4)));
    EXPECT_TRUE(IsKnownPictureHeader("\x89PNG\r\n\x1A\n...."));
    EXPECT_TRUE(IsKnownPictureHeader(std::string("\xD7\xCD\xC6\x9A\x00\x00", 6))) << "placeable WMF";
    EXPECT_TRUE(IsKnownPictureHeader(std::string("\x01\x00\x09\x00\x00\x03", 6))) << "WMF";
    EXPECT_TRUE(IsKnownPictureHeader(std::string("\x00\x00\x01\x00\x01\x00", 6))) << "icon";
    std::string emf(44, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    EXPECT_TRUE(IsKnownPictureHeader(emf));
    emf.replace(40, 4, "XEMF");
    EXPECT_FALSE(IsKnownPictureHeader(emf)) << "an EMR record that is no EMF header";
    EXPECT_FALSE(IsKnownPictureHeader(std::string("II*\x00", 4))) << "TIFF is not shown";
    EXPECT_FALSE(IsKnownPictureHeader("<svg"));
    EXPECT_FALSE(IsKnownPictureHeader(""));
}
