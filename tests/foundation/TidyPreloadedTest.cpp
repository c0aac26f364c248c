// The HTML clean-up when the process has loaded "LibTidy.dll" already (as the host's editor may):
// the loaded module is taken, without a folder.
#include "foundation/Tidy.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\'));
}

TEST(TidyPreloaded, TakesTheLoadedLibrary)
{
    EXPECT_FALSE(LoadTidyLibrary(""));
    HMODULE loaded = LoadLibraryA((ProgramFolder() + "\\tidy\\LibTidy.dll").c_str());
    ASSERT_NE(loaded, nullptr) << "LibTidy.dll missing: run deps/build-libtidy";
    EXPECT_TRUE(LoadTidyLibrary(""));
    EXPECT_TRUE(TidyAvailable());
    THtmlData result;
    TidyHtml("<b>x", "", false, false, true, result);
    EXPECT_EQ(result.HtmlText, "<p><b>x</b></p>\r\n");
}

} // namespace
