// The mail client's commands as the decode context takes them: which flags each command sets, which
// window classes change the meaning of 153 and 1190, and the build gate of 206.
#include "plugin/DecodeContext.h"

#include <gtest/gtest.h>

namespace {

struct TCommandCase {
    uint32_t command;
    const char* sourceClass;
    uint32_t build;
    TDecodeFollowUp followUp;
    TDecodeContext expected;
};

TDecodeContext With(void (*set)(TDecodeContext&))
{
    TDecodeContext context;
    set(context);
    return context;
}

bool Same(const TDecodeContext& a, const TDecodeContext& b)
{
    return a.AttachmentMode == b.AttachmentMode && a.FolderManagerMode == b.FolderManagerMode
        && a.IncludeAnsiHeaders == b.IncludeAnsiHeaders && a.IncludeUtf8Headers == b.IncludeUtf8Headers
        && a.Formatted == b.Formatted && a.RawViewToggle == b.RawViewToggle
        && a.ShowAsTreePending == b.ShowAsTreePending && a.SignaturePopup == b.SignaturePopup
        && a.DecodingSuppressed == b.DecodingSuppressed;
}

TEST(DecodeContext, CommandsSetTheirFlags)
{
    const TCommandCase cases[] = {
        { 107, "", 4500, TDecodeFollowUp::None, With([](TDecodeContext& c) { c.SignaturePopup = true; }) },
        { 195, "", 4500, TDecodeFollowUp::None, With([](TDecodeContext& c) { c.SignaturePopup = true; }) },
        { 298, "", 4500, TDecodeFollowUp::None, With([](TDecodeContext& c) { c.AttachmentMode = true; }) },
        { 153, "FOLDER", 4500, TDecodeFollowUp::None, With([](TDecodeContext& c) { c.AttachmentMode = true; }) },
        { 153, "wpmdlg_mrd", 4500, TDecodeFollowUp::None,
            With([](TDecodeContext& c) { c.AttachmentMode = c.ShowAsTreePending = true; }) },
        { 156, "", 4500, TDecodeFollowUp::RefreshReader, TDecodeContext() },
        { 182, "", 4500, TDecodeFollowUp::None, With([](TDecodeContext& c) { c.DecodingSuppressed = true; }) },
        { 1201, "", 4500, TDecodeFollowUp::None,
            With([](TDecodeContext& c) { c.IncludeUtf8Headers = c.Formatted = true; }) },
        { 202, "", 4500, TDecodeFollowUp::None,
            With([](TDecodeContext& c) { c.FolderManagerMode = c.IncludeAnsiHeaders = true; }) },
        { 262, "", 4500, TDecodeFollowUp::UpdateReaderIcon, With([](TDecodeContext& c) { c.RawViewToggle = true; }) },
        { 206, "", 3999, TDecodeFollowUp::DecryptCurrentMessage, TDecodeContext() },
        { 206, "", 4000, TDecodeFollowUp::None, TDecodeContext() },
        { 1190, "WPMDLG_FLD", 4500, TDecodeFollowUp::None,
            With([](TDecodeContext& c) { c.ShowAsTreePending = c.FolderManagerMode = true; }) },
        { 1190, "WPMDLG_MRC", 4500, TDecodeFollowUp::SendCtrlH, TDecodeContext() },
        { 1190, "READER", 4500, TDecodeFollowUp::None, TDecodeContext() },
        { 999, "", 4500, TDecodeFollowUp::None, TDecodeContext() },
    };
    for (const TCommandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.command << " " << c.sourceClass);
        TDecodeContext context;
        EXPECT_EQ(ApplyHostCommand(context, c.command, c.sourceClass, true, c.build), c.followUp);
        EXPECT_TRUE(Same(context, c.expected));
    }
}

TEST(DecodeContext, AttachmentCommandsEndAPendingTreeAndHeaderDialogButtons)
{
    TDecodeContext context;
    context.ShowAsTreePending = true;
    ApplyHostCommand(context, 151, "", false, 4500);
    EXPECT_TRUE(context.AttachmentMode);
    EXPECT_FALSE(context.ShowAsTreePending);

    // The formatted flag follows the mail client's setting, and button 2 clears it.
    ApplyHostCommand(context, 201, "", false, 4500);
    EXPECT_FALSE(context.Formatted);
    ApplyHostCommand(context, 201, "", true, 4500);
    EXPECT_TRUE(context.Formatted);
    ApplyHeaderDialogButton(context, 2);
    EXPECT_FALSE(context.Formatted);
    context.IncludeUtf8Headers = false;
    ApplyHeaderDialogButton(context, 3);
    EXPECT_FALSE(context.IncludeUtf8Headers);
    ApplyHeaderDialogButton(context, 1);
    EXPECT_TRUE(context.IncludeUtf8Headers);
}

} // namespace
