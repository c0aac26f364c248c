// The message-tree dialog's rules over a parsed message: commands and save glyph of each kind of
// part, tooltips, the names offered for saving, and the flags line of a saved embedded message.
#include "ui/dialogs/MsgTreeRules.h"

#include "MsgTreeTestMessage.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class MsgTreeRules : public testing::Test {
protected:
    void SetUp() override
    {
        tree.TreeData.MessageCaption = "Message";
        tree.TreeData.TextPrefix = "Text";
        tree.TreeData.DefaultTypeName = "File";
        tree.TreeData.SaveFolder = "C:\\PMAIL\\MAIL";
        tree.TreeData.ViewableExt4 = ".txt/.log";
        tree.LoadMessage(Message, 1, 0x3E, 0);
    }
    // The first node of a kind whose file name is name (any name when empty).
    int NodeOf(uint32_t kind, const std::string& name = "") const
    {
        for (int i = 0; i < tree.SectionCount(); ++i)
            if (tree.GetSection(i)->NodeKind == kind && (name.empty() || tree.GetSection(i)->FileName == name))
                return i;
        return -1;
    }
    static bool Pictures(const std::string& extension) { return extension == ".png"; }

    TMimeMsgTree tree;
};

TEST_F(MsgTreeRules, CommandsByKindOfPart)
{
    struct Case {
        const char* what;
        int node;
        bool view;
        bool save;
        int glyph;
    };
    const Case cases[] = {
        { "outer multipart", NodeOf(nkMixed), false, false, SaveGlyphPart },
        { "inner multipart", NodeOf(nkAlternative), false, false, SaveGlyphPart },
        { "embedded message", NodeOf(nkMessage), true, true, SaveGlyphMessage },
        { "plain text", NodeOf(nkTextPlain), true, true, SaveGlyphPart },
        { "picture", NodeOf(nkAttachment, "photo.png"), true, true, SaveGlyphPart },
        { "other attachment", NodeOf(nkAttachment, "data.bin"), false, true, SaveGlyphPart },
        { "no node", -1, false, true, SaveGlyphPart },
    };
    for (const Case& c : cases) {
        if (c.node < 0 && std::string(c.what) != "no node") {
            ADD_FAILURE() << c.what << " not in the tree";
            continue;
        }
        const TPartCommands commands = PartCommandsOf(tree, c.node, Pictures);
        EXPECT_EQ(commands.View, c.view) << c.what;
        EXPECT_EQ(commands.Save, c.save) << c.what;
        EXPECT_EQ(commands.SaveGlyph, c.glyph) << c.what;
    }
}

TEST_F(MsgTreeRules, TooltipsAndSaveNames)
{
    const int message = NodeOf(nkMessage);
    const int eml = NodeOf(nkAttachment, "old.eml");
    ASSERT_GE(message, 0);
    ASSERT_GE(eml, 0);
    EXPECT_EQ(TooltipTextOf(*tree.GetSection(message)), 364);
    EXPECT_EQ(TooltipTextOf(*tree.GetSection(eml)), 365);
    EXPECT_EQ(TooltipTextOf(*tree.GetSection(NodeOf(nkAttachment, "data.bin"))), 0);

    const std::string messageName = SuggestedSaveName(tree, message);
    EXPECT_EQ(messageName.substr(0, 14), "C:\\PMAIL\\MAIL\\");
    EXPECT_EQ(messageName.size(), 14u + 8 + 4);
    EXPECT_EQ(messageName.substr(messageName.size() - 4), ".CNM");
    EXPECT_EQ(SuggestedSaveName(tree, eml), "C:\\PMAIL\\MAIL\\old.CNM");
    EXPECT_EQ(SuggestedSaveName(tree, NodeOf(nkAttachment, "data.bin")), "data.bin");
    // A name with a folder or bytes no file name may hold is made safe and stays out of folders.
    const int data = NodeOf(nkAttachment, "data.bin");
    tree.GetSection(data)->Caption = "File: ..\\..\\evil:name.exe";
    const std::string unsafe = SuggestedSaveName(tree, data);
    EXPECT_EQ(unsafe.find_first_of("\\/:"), std::string::npos) << unsafe;
}

TEST_F(MsgTreeRules, ASavedEmbeddedMessageCarriesAFlagsLine)
{
    // The embedded one, not the outer message.
    int message = -1;
    for (int i = 1; i < tree.SectionCount(); ++i)
        if (tree.GetSection(i)->NodeKind == nkMessage)
            message = i;
    ASSERT_GT(message, 0);
    const std::string saved = MessageWithHostFlags(tree, message, "C:\\PMAIL\\MAIL\\1234ABCD.CNM");
    const size_t flags = saved.find("X-PMFLAGS: ");
    ASSERT_NE(flags, std::string::npos) << saved;
    EXPECT_NE(saved.find("1234ABCD.CNM", flags), std::string::npos);
    // The whole embedded message, and nothing of the outer one.
    EXPECT_NE(saved.find("From: Carl"), std::string::npos);
    EXPECT_NE(saved.find("inner text\r\n--inner--"), std::string::npos);
    EXPECT_EQ(saved.find("outer"), std::string::npos);
    EXPECT_LT(flags, saved.find("\r\n\r\n"));
}

TEST_F(MsgTreeRules, TheSentLineShowsTheRecipientForTheUsersOwnMessages)
{
    tree.TreeData.FromCaption = "From";
    tree.TreeData.ToCaption = "To";
    tree.TreeData.UnknownValue = "unknown";
    const TSectionNode& message = *tree.GetSection(0);
    const TSentLine other = SentLineOf(message, tree.TreeData, "me@example.org");
    EXPECT_EQ(other.Caption, "From");
    // The test message has no Date field.
    EXPECT_EQ(other.Text, "Ann (unknown)");
    const TSentLine own = SentLineOf(message, tree.TreeData, "ANN@example.org");
    EXPECT_EQ(own.Caption, "To");
    EXPECT_EQ(own.Text.substr(0, 5), "Bob (");
}

TEST(MsgTreeAddresses, NamesAndAddresses)
{
    struct Case {
        const char* value;
        const char* address;
        const char* name;
    };
    const Case cases[] = { { "Ann <ann@x.org>", "ann@x.org", "Ann" }, { "\"Doe, Jo\" <jo@x.org>", "jo@x.org", "Doe, Jo" },
        { "bare@x.org", "bare@x.org", "bare@x.org" }, { " <only@x.org> ", "only@x.org", "only@x.org" }, { "", "", "" } };
    for (const Case& c : cases) {
        EXPECT_EQ(AddressPartOf(c.value), c.address) << c.value;
        EXPECT_EQ(ShownNameOf(c.value), c.name) << c.value;
    }
}

TEST(MsgTreeExtensions, Table)
{
    const std::map<std::string, std::string> cases
        = { { "a.png", ".png" }, { "dir.x\\file", "" }, { "noext", "" }, { "a.b.jpeg", ".jpeg" }, { "", "" } };
    for (const auto& [name, extension] : cases)
        EXPECT_EQ(FileExtensionOf(name), extension) << name;
    EXPECT_TRUE(IsHostMessageFile("x.cnm"));
    EXPECT_TRUE(IsHostMessageFile("X.EML"));
    EXPECT_FALSE(IsHostMessageFile("x.cnmx"));
}

} // namespace
