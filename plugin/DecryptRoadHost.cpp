// The decrypt road's mail-client side: which MDI child a request is for and whether it may be
// decoded there, and the road's messages to the user and to the mail client.
#include "plugin/DecryptRoadHost.h"

#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/ZAVEKResources.h"
#include "plugin/Configuration.h"
#include "plugin/Guard.h"
#include "plugin/HostApi.h"

#include <windowsx.h>

namespace {
// The folder manager's menu item that switches decoding in its preview on.
constexpr UINT FOLDER_MANAGER_DECODES = 343;
constexpr uint16_t TEXT_OPEN_KEY_FILE = 337;
constexpr uint16_t TEXT_FROM_CLIPBOARD = 339;
} // namespace

TDecodeWindow TPMDecryptHost::FindDecodeWindow()
{
    TDecodeWindow found;
    found.Window = host_.GetHostWindow(HostApi::HOST_WINDOW_ACTIVE_CHILD);
    if (!found.Window)
        return found;
    // Did the request come from that window? The last message position, walked up to the MDI child.
    const DWORD position = GetMessagePos();
    HWND under = WindowFromPoint(POINT { GET_X_LPARAM(position), GET_Y_LPARAM(position) });
    HWND mdiClient = host_.GetHostWindow(HostApi::HOST_WINDOW_MDI_CLIENT);
    while (under && GetParent(under) != mdiClient)
        under = GetParent(under);
    found.FromThatWindow = under == found.Window;
    if (host_.ActiveFolderManager(found.Window)) {
        found.FolderManager = true;
        found.DecodeAllowed = host_.IsHostMenuItemChecked(FOLDER_MANAGER_DECODES);
    } else if (host_.ActiveReaderWindow(found.Window)) {
        found.Reader = true;
        found.ShownRaw = host_.IsReaderRaw(found.Window);
    }
    return found;
}

bool TPMDecryptHost::IsReaderRaw(HWND window)
{
    return window && host_.ActiveReaderWindow(window) && host_.IsReaderRaw(window);
}

void TPMDecryptHost::SetStatusText(const std::string& text)
{
    host_.SetRoadStatusText(text);
}

TRtfFontSpec TPMDecryptHost::MessageFont()
{
    const THostFontDesc font = host_.GetMessageFont();
    TRtfFontSpec spec;
    spec.Face = font.Name;
    spec.Size = font.PointSize;
    return spec;
}

bool TPMDecryptHost::CanPutBack()
{
    // Putting the decoded message into the reader's editor control needs the editor library's
    // interface and the paint hook's message 1034; without them the output file carries it all.
    return false;
}

bool TPMDecryptHost::ShowMessageTree(TMimeMsgTree& tree, HWND)
{
    // The dialog loads the message itself, with its own mode; the road's tree only found it has parts.
    if (!OpenMessageTree || !tree.HasSections())
        return false;
    OpenMessageTree(tree.GetSection(0)->Section.Str(), tree.TreeData.Decode);
    return true;
}

void TPMDecryptHost::CloseWindow(HWND window)
{
    // Posted: the mail client may still be inside its request for that window.
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void TPMDecryptHost::ShowSignatureResult(const TSignatureData& signature)
{
    if (!signature.StatusText.empty())
        host_.SetStatusText(signature.StatusText);
}

void TPMDecryptHost::ShowError(const std::string& text)
{
    messages_.ShowMessage(text, TMessageKind::Error);
}

bool TPMDecryptHost::ControlHeld()
{
    return GetKeyState(VK_CONTROL) < 0;
}

bool TPMDecryptHost::ActiveMessageText(std::string&)
{
    // The open message's text comes through the editor library's interface, which this build
    // lacks: the mail client's own key import takes the open message instead.
    return false;
}

bool TPMDecryptHost::ChooseKeyFile(std::string& choice)
{
    const TZAVEKStrings& texts = messages_.Texts();
    // The dialog's clipboard button answers with the road's clipboard choice.
    choice = OpenKeyFileDialog(texts.GetEntry(TEXT_OPEN_KEY_FILE), texts.GetEntry(TEXT_FROM_CLIPBOARD), Owner);
    return !choice.empty();
}

std::string TPMDecryptHost::ClipboardText()
{
    std::string text;
    if (!OpenClipboard(Owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
            text.assign(locked, strnlen(locked, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
