// The countdown caption takes the host and the seconds into the first "%s" and "%d" only; nothing
// else of the caller's format is interpreted.
#include "download/DownloadCaption.h"

#include <gtest/gtest.h>

TEST(DownloadCaption, FirstPlaceholdersOnly)
{
    const struct {
        const char* format;
        const char* caption;
    } cases[] = {
        { "Connecting to %s (%d s)", "Connecting to keys.example.org (42 s)" },
        { "%d seconds left for %s", "42 seconds left for keys.example.org" },
        { "%s %s %d %d", "keys.example.org %s 42 %d" },
        { "100%% %n %x %", "100% %n %x %" },
        { "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDownloadCaption(c.format, "keys.example.org", 42), c.caption) << c.format;
}
