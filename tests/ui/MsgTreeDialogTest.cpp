// The message-tree dialog under Wine over a parsed message: the sender line, the commands of
// multipart and message nodes, saving an embedded message as a host message file, and parts
// written for opening that go when the dialog closes.
#include "framework/harness/DialogAnswerer.h"
#include "framework/harness/KeyInjector.h"
#include "ui/DialogTestSupport.h"
#include "ui/dialogs/ImageViewer.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/MsgTreeDialog.h"
#include "ui/dialogs/MsgTreeRules.h"

#include "MsgTreeTestMessage.h"

#include <gtest/gtest.h>

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {


TMsgTreeSettings Settings(const std::string& ownAddress = "me@example.org")
{
    TMsgTreeSettings settings;
    settings.TreeData.MessageCaption = "Message";
    settings.TreeData.TextPrefix = "Text";
    settings.TreeData.DefaultTypeName = "File";
    settings.TreeData.SubjectCaption = "Subject:";
    settings.TreeData.FromCaption = "From:";
    settings.TreeData.ToCaption = "To:";
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    settings.TreeData.SaveFolder = folder;
    settings.OwnAddress = ownAddress;
    return settings;
}

TMsgTreeDialog* DialogOf(HWND window)
{
    return ControlOf<TMsgTreeDialog>(window);
}

// Selects the tree item of a model node.
void SelectNode(TMsgTreeDialog& dialog, int index)
{
    for (int i = 0; i < dialog.tvTree->Items().Count(); ++i) {
        TTreeNode* item = dialog.tvTree->Items().Item(i);
        if (reinterpret_cast<intptr_t>(item->Data) == index) {
            dialog.tvTree->SetSelected(item);
            PumpPending();
            return;
        }
    }
    ADD_FAILURE() << "no item for node " << index;
}

int EmbeddedMessage(TMsgTreeDialog& dialog)
{
    for (int i = 1; i < dialog.Tree().SectionCount(); ++i)
        if (dialog.Tree().GetSection(i)->NodeKind == nkMessage)
            return i;
    return -1;
}

void RunTree(const TMsgTreeSettings& settings, const DialogAnswerer::Action& action,
    const std::function<void(DialogAnswerer&)>& moreSteps = nullptr)
{
    FakeMainObject main;
    DialogAnswerer answerer;
    answerer.Then("TMsgTreeDialog", "", action);
    if (moreSteps)
        moreSteps(answerer);
    ShowMessageTree(main, Message, settings);
    EXPECT_TRUE(answerer.Done());
}

TEST(MsgTreeDialog, TheSenderLineAndTheFirstNodeSelected)
{
    for (const bool own : { false, true }) {
        std::vector<std::string> labels;
        int items = 0;
        bool view = false, save = false;
        RunTree(Settings(own ? "ann@example.org" : "me@example.org"), [&](HWND w) {
            TMsgTreeDialog& dialog = *DialogOf(w);
            labels = { dialog.hlSubjectName->Caption(), dialog.hlSubjectText->Caption(), dialog.hlSentName->Caption(),
                dialog.hlSentText->Caption().substr(0, 5) };
            items = dialog.tvTree->Items().Count();
            view = dialog.fbView->Enabled();
            save = dialog.fbSave->Enabled();
            PressKey(w, VK_ESCAPE);
        });
        EXPECT_EQ(labels, (std::vector<std::string> { "Subject:", "Parts", own ? "To:" : "From:", own ? "Bob (" : "Ann (" }));
        EXPECT_EQ(items, 9);
        EXPECT_TRUE(view);
        EXPECT_TRUE(save);
    }
}

TEST(MsgTreeDialog, AMultipartOffersNeitherViewNorSave)
{
    bool view = true, save = true, viewMenu = true, fileMenu = true, fileMenuOnData = false;
    RunTree(Settings(), [&](HWND w) {
        TMsgTreeDialog& dialog = *DialogOf(w);
        SelectNode(dialog, 1);
        view = dialog.fbView->Enabled();
        save = dialog.fbSave->Enabled();
        viewMenu = dialog.miView->Enabled;
        fileMenu = dialog.mcFile->Enabled();
        SelectNode(dialog, 4);
        fileMenuOnData = dialog.mcFile->Enabled();
        SelectNode(dialog, 1);
        // Right goes to the first child: a text part that can be viewed.
        PressKey(w, VK_RIGHT);
        PumpPending();
        EXPECT_TRUE(dialog.fbView->Enabled());
        dialog.fbClose->Click();
    });
    EXPECT_FALSE(view);
    EXPECT_FALSE(save);
    EXPECT_FALSE(viewMenu);
    // The file menu follows the selection: only a part with a file extension.
    EXPECT_FALSE(fileMenu);
    EXPECT_TRUE(fileMenuOnData);
}

// Moving over the nodes: each node with a note gets a tip of its own over its own rectangle that
// stays 8 seconds; a node without one takes the tip away.
TEST(MsgTreeDialog, EachNodeGetsItsOwnTipOverItsRectangle)
{
    struct TSeen {
        std::string Text;
        RECT Tool {};
        RECT Node {};
        int Tools = -1;
        int HidePause = 0;
    };
    std::vector<TSeen> seen;
    RunTree(Settings(), [&](HWND w) {
        TMsgTreeDialog& dialog = *DialogOf(w);
        TTreeViewEx& tree = *dialog.tvTree;
        // The mail file attachment, the embedded message, then a binary part without a note.
        for (const int wanted : { 365, 364, 0 }) {
            for (int i = 0; i < tree.Items().Count(); ++i) {
                TTreeNode* item = tree.Items().Item(i);
                const TSectionNode* node = dialog.Tree().GetSection(static_cast<int>(reinterpret_cast<intptr_t>(item->Data)));
                if (!node || TooltipTextOf(*node) != wanted || IsMultipartNode(*node))
                    continue;
                const RECT r = item->DisplayRect(false);
                SendMessageA(tree.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
                TToolTip& tip = *tree.HintToolTip();
                seen.push_back({ tree.Hint, tip.ToolRect(), r, tip.ToolCount(), tip.HintHidePause() });
                break;
            }
        }
        dialog.fbClose->Click();
    });
    FakeMainObject main;
    ASSERT_EQ(seen.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(seen[i].Text, main.Texts().GetEntry(i == 0 ? 365 : 364));
        EXPECT_TRUE(EqualRect(&seen[i].Tool, &seen[i].Node)) << i;
        EXPECT_EQ(seen[i].Tools, 1);
        EXPECT_EQ(seen[i].HidePause, 8000);
    }
    EXPECT_EQ(seen[2].Text, "");
    EXPECT_EQ(seen[2].Tools, 0);
}

// The options' extension lists hold extensions with their point, one list per length: ".bin"
// counts as four characters.
TEST(MsgTreeDialog, AnAttachmentCanBeViewedWhenTheListOfItsLengthHoldsItsExtension)
{
    const struct {
        const char* three;
        const char* four;
        bool view;
    } cases[] = { { ".bin/.js", ".txt/.asc", false }, { ".js", ".txt/.BIN/.asc", true } };
    for (const auto& c : cases) {
        TMsgTreeSettings settings = Settings();
        settings.TreeData.ViewableExt3 = c.three;
        settings.TreeData.ViewableExt4 = c.four;
        bool view = !c.view;
        RunTree(settings, [&](HWND w) {
            TMsgTreeDialog& dialog = *DialogOf(w);
            for (int i = 0; i < dialog.Tree().SectionCount(); ++i)
                if (dialog.Tree().GetSection(i)->FileName == "data.bin")
                    SelectNode(dialog, i);
            view = dialog.fbView->Enabled();
            dialog.fbClose->Click();
        });
        EXPECT_EQ(view, c.view) << c.four;
    }
}

TEST(MsgTreeDialog, AnEmbeddedMessageIsSavedWholeWithItsFlagsLine)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string target = std::string(folder) + "tree_saved.cnm";
    DeleteFileA(target.c_str());
    std::string offered, saidSaved;
    RunTree(
        Settings(),
        [&](HWND w) {
            TMsgTreeDialog& dialog = *DialogOf(w);
            SelectNode(dialog, EmbeddedMessage(dialog));
            dialog.fbSave->Click();
            dialog.fbClose->Click();
        },
        [&](DialogAnswerer& answerer) {
            answerer.Then("#32770", "Save as", [&](HWND dialog) {
                char name[MAX_PATH] = "";
                SendMessageA(dialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(name));
                offered = name;
                SendMessageA(dialog, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(target.c_str()));
                SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(target.c_str()));
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            });
            answerer.Then("TMessageDialog", "", [&](HWND w) {
                saidSaved = ControlOf<TMessageDialog>(w)->reText->GetText();
                PressKey(w, VK_RETURN);
            });
        });
    EXPECT_EQ(offered.size(), 12u) << offered;
    EXPECT_EQ(offered.substr(8), ".CNM");
    EXPECT_NE(saidSaved.find(target), std::string::npos) << saidSaved;
    std::ifstream in(target, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    EXPECT_NE(saved.find("X-PMFLAGS: "), std::string::npos);
    EXPECT_NE(saved.find("tree_saved.cnm"), std::string::npos);
    EXPECT_NE(saved.find("inner text"), std::string::npos);
    DeleteFileA(target.c_str());
}

// The folders this process has in the temporary-files folder for decoded content, and what
// the parts written for opening left directly in the temporary-files folder.
std::vector<std::string> DecodedLeftovers(const std::vector<std::string>& names)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    const std::string pattern = std::string(temp) + "ZAVEK-decoded-" + std::to_string(GetCurrentProcessId()) + "-*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do
            found.push_back(data.cFileName);
        while (FindNextFileA(search, &data));
        FindClose(search);
    }
    for (const std::string& name : names)
        if (GetFileAttributesA((temp + name).c_str()) != INVALID_FILE_ATTRIBUTES)
            found.push_back(name);
    return found;
}

TEST(MsgTreeDialog, PartsWrittenForOpeningAreFreshFilesWipedOnClose)
{
    std::string first, second, placeholder, filled;
    std::string firstContent;
    RunTree(Settings(), [&](HWND w) {
        TMsgTreeDialog& dialog = *DialogOf(w);
        SelectNode(dialog, 4); // data.bin
        first = dialog.WritePartToFile("", true);
        second = dialog.WritePartToFile("", true);
        // The context menu's placeholder, filled as a shell command on it does.
        placeholder = dialog.WritePartToFile("data.bin", false);
        filled = dialog.WritePartToFile(placeholder, true);
        std::ifstream in(first, std::ios::binary);
        firstContent.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        dialog.fbClose->Click();
    });
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(first.size() - 4), ".bin");
    EXPECT_EQ(firstContent, "xyz");
    // The placeholder keeps the part's name; nothing decoded stays in the folder after the close.
    EXPECT_NE(placeholder.find("data"), std::string::npos);
    EXPECT_EQ(filled, placeholder);
    const auto bare = [](const std::string& path) { return path.substr(path.find_last_of('\\') + 1); };
    EXPECT_EQ(DecodedLeftovers({ "data.bin", bare(first), bare(second) }), std::vector<std::string> {});
    EXPECT_EQ(GetFileAttributesA(first.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(MsgTreeDialog, ViewShowsPicturesInTheImageViewerAndTextsInTheTextViewer)
{
    std::vector<std::string> viewedTexts;
    std::string viewerCaption;
    TMsgTreeSettings settings = Settings();
    settings.ViewText = [&](TSectionNode& node, HICON) { viewedTexts.push_back(node.Text); };
    RunTree(
        settings,
        [&](HWND w) {
            TMsgTreeDialog& dialog = *DialogOf(w);
            SelectNode(dialog, 2);
            PressKey(w, 'O', ssCtrl);
            SelectNode(dialog, 3);
            dialog.fbView->Click();
            dialog.fbClose->Click();
        },
        [&](DialogAnswerer& answerer) {
            answerer.Then("TImageViewer", "", [&](HWND viewer) {
                viewerCaption = ControlOf<TImageViewer>(viewer)->Caption();
                PressKey(viewer, VK_ESCAPE);
            });
        });
    EXPECT_EQ(viewedTexts, std::vector<std::string> { "Hello" });
    EXPECT_EQ(viewerCaption, "photo.png");
}

TEST(MsgTreeDialog, TheAppsKeyOpensThePartMenuOnlyOnAPartWithContent)
{
    std::vector<std::string> captions;
    int stepsAfterMultipart = -1;
    DialogAnswerer* running = nullptr;
    RunTree(
        Settings(),
        [&](HWND w) {
            TMsgTreeDialog& dialog = *DialogOf(w);
            SelectNode(dialog, 1);
            PressKey(w, VK_APPS);
            PumpPending();
            stepsAfterMultipart = running ? running->StepsDone() : -1;
            SelectNode(dialog, 4);
            PressKey(w, VK_APPS);
            PumpPending();
            dialog.fbClose->Click();
        },
        [&](DialogAnswerer& answerer) {
            running = &answerer;
            answerer.Then("#32768", "", [&](HWND menuWindow) {
                const auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    char text[128] = "";
                    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                    captions.push_back(text);
                }
                EndMenu();
            });
        });
    // Only the dialog's own step had run after the Apps key on the multipart.
    EXPECT_EQ(stepsAfterMultipart, 1);
    // View, Copy and Save, with the Explorer's submenu before Copy when the shell offers one; the
    // close items stay out of the context menu.
    ASSERT_GE(captions.size(), 3u);
    EXPECT_EQ(captions.front(), "&View");
    EXPECT_EQ(captions.back(), "&Save...");
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "&Close"), 0);
    // The empty placeholder went with the menu.
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    EXPECT_EQ(GetFileAttributesA((std::string(folder) + "data.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(MsgTreeDialog, TheFileMenuShowsThePartMenuWithItsCloseItem)
{
    std::vector<std::string> captions;
    RunTree(
        Settings(),
        [&](HWND w) {
            TMsgTreeDialog& dialog = *DialogOf(w);
            SelectNode(dialog, 4);
            dialog.mcFile->Click();
            dialog.fbClose->Click();
        },
        [&](DialogAnswerer& answerer) {
            answerer.Then("#32768", "", [&](HWND menuWindow) {
                const auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    char text[128] = "";
                    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                    captions.push_back(text);
                }
                EndMenu();
            });
        });
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), "&View");
    EXPECT_EQ(captions.back(), "&Close");
}

} // namespace

namespace {

// The caption and the image pair of a tree item, read as the control shows them.
struct TShownItem {
    std::wstring Caption;
    int Image = -1;
    int SelectedImage = -1;
};

TShownItem ShownItem(TTreeNode& item)
{
    wchar_t text[256] {};
    TVITEMW data {};
    data.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    data.hItem = item.ItemId();
    data.pszText = text;
    data.cchTextMax = 256;
    SendMessageW(item.TreeView().Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return { text, data.iImage, data.iSelectedImage };
}

} // namespace

// A message with an HTML body captioned in German, a picture and a key, as a user walks it: the
// captions show as written, parts have their icons (the selected look next to it), View on the
// body goes to the text viewer with the part's icon, View on the key imports it, and the picture
// opens in the image viewer.
TEST(MsgTreeDialog, APartTreeWithIconsWideCaptionsAndAViewForEachKindOfPart)
{
    const std::string message = "From: Ann <ann@example.org>\r\nTo: Bob <bob@example.org>\r\nSubject: Keys\r\n"
                                "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"m\"\r\n\r\n"
                                "--m\r\nContent-Type: text/html; charset=utf-8\r\n"
                                "Content-Description: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?=\r\n\r\n<p>Hallo <b>Welt</b></p>\r\n"
                                "--m\r\nContent-Type: image/png; name=\"photo.png\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n\r\niVBORw0KGgo=\r\n"
                                "--m\r\nContent-Type: application/pgp-keys; name=\"key.asc\"\r\n\r\n"
                                "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\n\r\nmQENBF\r\n"
                                "-----END PGP PUBLIC KEY BLOCK-----\r\n--m--\r\n";
    TMsgTreeSettings settings = Settings();
    settings.TreeData.ViewableExt4 = ".asc/.txt";
    settings.TreeData.Decode = [](const std::string&, std::string&, std::string&, int32_t&, std::string&) {};
    std::vector<std::string> viewed, imported;
    bool viewedWithIcon = false;
    settings.ViewText = [&](TSectionNode& node, HICON icon) {
        viewed.push_back(node.Caption);
        viewedWithIcon = icon != nullptr;
    };
    settings.ImportKeys = [&](const std::string& keyText) { imported.push_back(keyText); };
    std::vector<TShownItem> shown;
    std::string pictureCaption;
    FakeMainObject main;
    DialogAnswerer answerer;
    answerer.Then("TMsgTreeDialog", "", [&](HWND w) {
        TMsgTreeDialog& dialog = *DialogOf(w);
        for (int i = 0; i < dialog.tvTree->Items().Count(); ++i)
            shown.push_back(ShownItem(*dialog.tvTree->Items().Item(i)));
        SelectNode(dialog, 2);
        dialog.fbView->Click();
        SelectNode(dialog, 4);
        dialog.fbView->Click();
        SelectNode(dialog, 3);
        dialog.fbView->Click();
        dialog.fbClose->Click();
    });
    answerer.Then("TImageViewer", "", [&](HWND viewer) {
        pictureCaption = ControlOf<TImageViewer>(viewer)->Caption();
        PressKey(viewer, VK_ESCAPE);
    });
    ShowMessageTree(main, message, settings);
    EXPECT_TRUE(answerer.Done());

    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[2].Caption, L"Text: Gr\u00FC\u00DFe (html)");
    EXPECT_EQ(shown[4].Caption, L"File: key.asc");
    // A multipart shows a folder, the message and the body the icons of their file types.
    for (int node : { 0, 1, 2 }) {
        EXPECT_GE(shown[node].Image, 0) << node;
        EXPECT_EQ(shown[node].SelectedImage, shown[node].Image + 1) << node;
    }
    EXPECT_EQ(viewed, std::vector<std::string> { "Text: Gr\xC3\xBC\xC3\x9F" "e (html)" });
    EXPECT_TRUE(viewedWithIcon);
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_EQ(imported[0].rfind("-----BEGIN PGP PUBLIC KEY BLOCK-----", 0), 0u);
    EXPECT_EQ(pictureCaption, "photo.png");
}
