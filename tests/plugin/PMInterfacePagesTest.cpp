// The mail-client interface's editor pages and placeholder message, from the plug-in's own
// English language texts.
#include "plugin/PMInterface.h"

#include "foundation/ZAVEKResources.h"

#include <gtest/gtest.h>

namespace {
// The build passes the resource folder as a path of the build machine, which Wine shows on Z:.
std::string ResourcePattern()
{
    std::string path = ZAVEK_RESOURCES_DIR "/ZAVEKStrings%s.txt";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}
} // namespace

TEST(PMInterface, EditorPagesAndPlaceholderFromTheLanguageTexts)
{
    TZAVEKStrings strings(ResourcePattern(), "En", "");
    TPMInterface pm(nullptr);
    pm.Strings = &strings;
    EXPECT_EQ(
        pm.GetPlaceholderMessage(), "To: " + strings.GetEntry(330) + "\r\nSubject: " + strings.GetEntry(331));

    auto make = [](const char* className, const std::string& caption, HWND parent) {
        return CreateWindowExA(0, className, caption.c_str(), parent ? WS_CHILD : 0, 0, 0, 10, 10, parent,
            nullptr, nullptr, nullptr);
    };
    HWND editor = make("STATIC", "editor", nullptr);
    HWND header = make("STATIC", "header", editor);
    make("STATIC", "Other", header);
    HWND mainPage = make("STATIC", "main", editor);
    const std::string mainText = strings.GetEntry(6), optionsText = strings.GetEntry(7);
    make("STATIC", "x &" + mainText + " y", mainPage);
    HWND optionsPage = make("STATIC", "options", editor);
    make("BUTTON", optionsText + " more", optionsPage); // not the caption itself
    make("BUTTON", "&" + optionsText, optionsPage);
    EXPECT_EQ(pm.EditorMainPage(editor), mainPage);
    EXPECT_EQ(pm.EditorOptionsPage(editor), optionsPage);
    EXPECT_EQ(pm.EditorMainPage(header), nullptr);
    EXPECT_EQ(pm.EditorOptionsPage(nullptr), nullptr);
    DestroyWindow(editor);
}
