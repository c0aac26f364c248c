// The decrypt road's mail-client side: which MDI child a request is for and whether it may be
// decoded there, and the road's messages to the user and to the mail client.
#include "plugin/DecryptRoadHost.h"

#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/ZAVEKResources.h"
#include "plugin/Configuration.h"
#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/ReaderData.h"
#include "plugin/SignatureNote.h"
#include "plugin/TERInterface.h"
#include "ui/dialogs/KeyFileDialogs.h"

#include <windowsx.h>

namespace {
// The folder manager's menu item that switches decoding in its preview on.
constexpr UINT FOLDER_MANAGER_DECODES = 343;
constexpr uint16_t TEXT_OPEN_KEY_FILE = 337;
constexpr uint16_t TEXT_FROM_CLIPBOARD = 339;
// Result classes of a signature status: 2 and 3 are good signatures.
constexpr uint32_t SIGNATURE_CLASS_MASK = 0xFFFF;
constexpr uint32_t FIRST_GOOD_CLASS = 2;
constexpr uint32_t LAST_GOOD_CLASS = 3;

// The signer text, whose lines are cut for the information box, on one line of the status bar.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        const bool blank = c == '\r' || c == '\n' || c == '\t' || c == ' ';
        if (!blank)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}
} // namespace

bool IsGoodSignature(uint32_t statusCode)
{
    const uint32_t resultClass = statusCode & SIGNATURE_CLASS_MASK;
    return resultClass >= FIRST_GOOD_CLASS && resultClass <= LAST_GOOD_CLASS;
}

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
    // The decoded message goes into the window's editor control at its next paint (message 1034).
    const TTERInterface* editors = host_.EditorInterface;
    HWND window = host_.GetHostWindow(HostApi::HOST_WINDOW_ACTIVE_CHILD);
    return editors && !editors->EditorVersion().empty() && window && host_.ActiveReaderWindow(window)
        && editors->FindEditor(window);
}

void TPMDecryptHost::MessageDecoded(const TDecodeWindow& window)
{
    // Only the latest decoded message may go into an editor.
    PutBackEditor = nullptr;
    PutBackReader = nullptr;
    if (window.FolderManager)
        return;
    if (host_.ActiveEditorWindow(window.Window)) {
        PutBackEditor = window.Window;
        return;
    }
    if (!window.Reader)
        return;
    if (TReaderData* record = ReaderDataOf(window.Window)) {
        record->PutBackPending = true;
        PutBackReader = window.Window;
    }
}

void TPMDecryptHost::DecryptFinished()
{
    // The mail client may paint the file's text at once when it puts it in, before a paint could
    // be seen: the put-back is queued behind that text.
    HWND reader = PutBackReader;
    PutBackReader = nullptr;
    const TReaderData* record = ReaderDataOf(reader);
    const TTERInterface* editors = host_.EditorInterface;
    if (record && record->PutBackPending && editors)
        if (HWND control = editors->FindViewerOrEditor(reader, true))
            PostMessageA(control, WM_PUT_BACK, 0, 0);
}

bool TPMDecryptHost::ShowMessageTree(TMimeMsgTree& tree, HWND)
{
    // The dialog loads the message itself, with its own mode; the road's tree only found it has parts.
    if (!OpenMessageTree || !tree.HasSections())
        return false;
    OpenMessageTree(tree.GetSection(0)->Section.Str());
    return true;
}

void TPMDecryptHost::CloseWindow(HWND window)
{
    // Posted: the mail client may still be inside its request for that window.
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void TPMDecryptHost::ShowSignatureResult(const TSignatureData& signature)
{
    if (signature.StatusText.empty())
        return;
    // The status line first: its new text takes an older note away.
    const std::string line = OneLine(signature.StatusText);
    host_.SetStatusText(line);
    note_.Show(StatusBar, line, IsGoodSignature(signature.StatusCode));
}

void TPMDecryptHost::ShowError(const std::string& text)
{
    messages_.ShowMessage(text, TMessageKind::Error);
}

bool TPMDecryptHost::ControlHeld()
{
    return GetKeyState(VK_CONTROL) < 0;
}

bool TPMDecryptHost::ActiveMessageText(std::string& text)
{
    TTERInterface* editors = host_.EditorInterface;
    HWND window = host_.ActiveReaderWindow(nullptr);
    if (!window)
        window = host_.ActiveEditorWindow(nullptr);
    HWND control = editors && window ? editors->FindEditor(window) : nullptr;
    if (!control)
        return false;
    TMimeMsgTree tree;
    editors->GetEditorPgpText(control, tree, text, messages_.KeyRingState() != 0);
    return !text.empty();
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
