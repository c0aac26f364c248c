// The mail client's commands as they change the decode context.
#include "plugin/DecodeContext.h"

namespace {
bool SameClass(const std::string& a, const char* b)
{
    std::string lowerA, lowerB(b);
    for (char c : a)
        lowerA += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    for (char& c : lowerB)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lowerA == lowerB;
}

constexpr uint32_t FIRST_BUILD_WITH_OWN_DECODE_COMMAND = 4000;
} // namespace

TDecodeFollowUp ApplyHostCommand(TDecodeContext& context, uint32_t command, const std::string& sourceClass,
    bool hostFormatted, uint32_t hostBuild)
{
    switch (command) {
    case 107:
    case 195:
        context.SignaturePopup = true;
        return TDecodeFollowUp::None;
    case 151:
    case 155:
    case 290:
    case 292:
    case 298:
        context.AttachmentMode = true;
        context.ShowAsTreePending = false;
        return TDecodeFollowUp::None;
    case 153:
        context.AttachmentMode = true;
        if (SameClass(sourceClass, READER_DIALOG_CLASS))
            context.ShowAsTreePending = true;
        return TDecodeFollowUp::None;
    case 156:
    case 200:
        return TDecodeFollowUp::RefreshReader;
    case 181:
    case 182:
        context.DecodingSuppressed = true;
        return TDecodeFollowUp::None;
    case 201:
    case 1201:
        context.IncludeUtf8Headers = true;
        context.Formatted = hostFormatted;
        return TDecodeFollowUp::None;
    case 202:
    case 1202:
        context.FolderManagerMode = true;
        context.IncludeAnsiHeaders = true;
        return TDecodeFollowUp::None;
    case 203:
    case 205:
    case 261:
    case 262:
        context.RawViewToggle = true;
        return TDecodeFollowUp::UpdateReaderIcon;
    case 206:
        return hostBuild < FIRST_BUILD_WITH_OWN_DECODE_COMMAND ? TDecodeFollowUp::DecryptCurrentMessage
                                                               : TDecodeFollowUp::None;
    case 1190:
        if (SameClass(sourceClass, FOLDER_WINDOW_CLASS)) {
            context.ShowAsTreePending = true;
            context.FolderManagerMode = true;
            return TDecodeFollowUp::None;
        }
        return SameClass(sourceClass, READER_CONTROL_CLASS) ? TDecodeFollowUp::SendCtrlH : TDecodeFollowUp::None;
    default:
        return TDecodeFollowUp::None;
    }
}

void ApplyHeaderDialogButton(TDecodeContext& context, int button)
{
    if (button == 1)
        context.IncludeUtf8Headers = true;
    else if (button == 2)
        context.Formatted = false;
}
