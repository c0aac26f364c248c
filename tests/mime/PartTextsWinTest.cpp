// The part files with the Windows services under Wine: an HTML body and its related picture saved
// as real files beside each other, temporary names of the plug-in's form, and the clean-up of HTML
// passing through unchanged when libtidy is not loaded.
#include "foundation/FileUtils.h"
#include "mime/PartFiles.h"
#include "mime/PartTexts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace {

std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string FreshFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "parttexts-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

const char* const Message =
    "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n"
    "--b\r\nContent-Type: text/html\r\n\r\n<p><img src=\"cid:logo\"></p>\r\n"
    "--b\r\nContent-Type: image/png; name=\"logo.png\"\r\nContent-ID: <logo>\r\n\r\nPNG-BYTES\r\n"
    "--b--\r\n";

} // namespace

TEST(PartTextsWin, TheBodyAndItsPictureAreSavedTogether)
{
    auto tree = std::make_unique<TMimeMsgTree>();
    tree->Reset();
    tree->TreeData.TextPrefix = "Text";
    tree->TreeData.DefaultTypeName = "File";
    tree->LoadMessage(Message, 1, lmPreferFormatted, 0);
    TSectionNode* html = nullptr;
    for (int i = 0; i < tree->SectionCount(); ++i)
        if (tree->GetSection(i)->NodeKind == nkTextHtml)
            html = tree->GetSection(i);
    ASSERT_TRUE(html);

    TFileSections sections(*html, false);
    ASSERT_EQ(sections.GetCount(), 2);
    const std::string tempName = sections.FileName(1);
    const std::string bare = tempName.substr(tempName.rfind('\\') + 1);
    EXPECT_TRUE(IsTempFileName(bare)) << bare;
    EXPECT_EQ(bare.substr(bare.size() - 4), ".png");

    const std::string folder = FreshFolder();
    ASSERT_TRUE(sections.SaveFiles(folder + "letter.htm"));
    EXPECT_NE(ReadFile(folder + "letter.htm").find("src=\"" + bare + "\""), std::string::npos);
    EXPECT_EQ(ReadFile(folder + bare), "PNG-BYTES");
    DeleteFileA((folder + bare).c_str());
    DeleteFileA((folder + "letter.htm").c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(PartTextsWin, WritingToAMissingFolderFails)
{
    auto tree = std::make_unique<TMimeMsgTree>();
    tree->Reset();
    tree->LoadMessage("Content-Type: text/html\r\n\r\n<p>x</p>\r\n", 1, 0, 0);
    TSectionNode* html = tree->GetSection(tree->BodyNode);
    ASSERT_TRUE(html);
    EXPECT_FALSE(SaveHtmlFiles(*html, "C:\\no-such-folder-here\\x\\letter.htm"));
}
