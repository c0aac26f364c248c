// The main object's part of the mail client's readers: each reader gets its record
// ("MdiReaderDataProp"); a message the decrypt road decoded for it goes into its editor control at
// the reader's next paint (message 1034) with the signer's information box, a formatted one decoded
// for an editor into that editor's control; its window icon shows
// the signature result; the key popup offers the key id under the caret or mouse; the status bar
// carries the signature note.
#include "plugin/DecryptRoad.h"
#include "plugin/DecryptRoadHost.h"
#include "plugin/EditorData.h"
#include "plugin/Guard.h"
#include "plugin/HostApi.h"
#include "plugin/MainClass.h"
#include "plugin/ReaderData.h"
#include "plugin/TERInterface.h"
#include "engine/CertStore.h"

#include "foundation/PhaseTimes.h"
#include "foundation/RichEd20.h"
#include "foundation/WinInetApi.h"
#include "framework/Application.h"
#include "foundation/StrUtilWin.h"
#include "mime/MailUtils.h"
#include "ui/dialogs/MessageDialogs.h"

#include <cctype>
#include <cstring>
#include <memory>

using namespace HostWindowRules;

namespace {
constexpr UINT VK_CONTEXT_MENU = 93;
constexpr int32_t INCLUDE_INFO_BOX = 1;
constexpr uint32_t SIGNATURE_CLASS_MASK = 0xFFFF;
constexpr uint16_t TEXT_KEY_ADD_TO_LIST = 30;
constexpr uint16_t TEXT_KEY_SEARCH_SERVER = 284;
constexpr uint16_t TEXT_KEY_TO_CLIPBOARD = 340;
constexpr uint16_t TEXT_NO_PROTECTED_TEXT = 417;
// The editor's check box that makes the mail client send the styled text.
constexpr int EDITOR_STYLED_CHECK = 114;
// The host's status panels that the signature note lies over start this close to the left edge.
constexpr int NOTE_PANEL_LEFT_LIMIT = 100;

bool ClassIs(HWND window, const char* name)
{
    char className[64] = {};
    return window && GetClassNameA(window, className, sizeof className) > 0 && lstrcmpiA(className, name) == 0;
}

// The key id text at the start of a text ("0x" and hex digits); empty when it holds none.
std::string LeadingKeyId(const std::string& text)
{
    if (text.compare(0, 2, "0x") != 0 && text.compare(0, 2, "0X") != 0)
        return {};
    size_t end = 2;
    while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end])))
        ++end;
    return end > 2 ? text.substr(0, end) : std::string();
}

// The first key id ("0x" with hex digits) in a line of message text.
std::string KeyIdInLine(const std::string& line)
{
    for (size_t at = line.find("0x"); at != std::string::npos; at = line.find("0x", at + 2)) {
        const std::string id = LeadingKeyId(line.substr(at));
        if (id.size() >= 10)
            return id;
    }
    return {};
}
// The encryption flags that protect an answer as the message was protected.
uint32_t MimeKindFlags(uint32_t treeKind)
{
    if (treeKind == skPgpMimeEncrypted || treeKind == skPgpMimeSigned)
        return efPGPMime;
    return treeKind >= skSmimeEnveloped && treeKind <= skSmimeSignedData ? efSMime : 0;
}

// The editor control of the mail window (MDI child) that a window lies in.
HWND EditorOfMailWindow(TTERInterface* editors, HWND mdiClient, HWND window)
{
    HWND child = mdiClient ? window : nullptr;
    while (child && GetParent(child) != mdiClient)
        child = GetParent(child);
    return editors && child ? editors->FindEditor(child) : nullptr;
}
} // namespace

void TMainClass::SubclassReader(HWND reader)
{
    if (ReaderDataOf(reader) || !SubclassRegistry::Subclass(reader, &TMainClass::ReaderProc, reinterpret_cast<DWORD_PTR>(this)))
        return;
    auto* record = new TReaderData;
    record->OwnIcon = reinterpret_cast<HICON>(SendMessageA(reader, WM_GETICON, ICON_SMALL, 0));
    SetPropA(reader, READER_DATA_PROP, record);
}

void TMainClass::ReleaseReader(HWND reader)
{
    std::unique_ptr<TReaderData> record(ReaderDataOf(reader));
    RemovePropA(reader, READER_DATA_PROP);
    SubclassRegistry::Unsubclass(reader, &TMainClass::ReaderProc);
}

void TMainClass::UpdateReaderIcon(HWND reader)
{
    TReaderData* record = ReaderDataOf(reader);
    if (!record || decodeContext_.ShowAsTreePending)
        return;
    HICON icon = record->SignatureIcon ? record->SignatureIcon : record->OwnIcon;
    if (!icon && !record->IconSet)
        return;
    SendMessageA(reader, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    record->IconSet = record->SignatureIcon != nullptr;
}

void TMainClass::PutBackIntoReader(HWND control)
{
    HWND reader = control;
    while (reader && !ReaderDataOf(reader))
        reader = GetParent(reader);
    TReaderData* record = ReaderDataOf(reader);
    TTERInterface* editors = PMInterface().EditorInterface;
    if (!record || !record->PutBackPending || !decryptRoad_ || !editors)
        return;
    record->PutBackPending = false;
    record->Decoded = true;
    HWND editor = editors->FindEditor(reader);
    if (!editor)
        return;
    TPhaseTimes phases("put-back");
    decryptRoad_->RestoreHostSetting();
    TMimeMsgTree& tree = decryptRoad_->MessageTree();
    const TSignatureData& signature = decryptRoad_->SignatureResult();
    const bool signer = !signature.StatusText.empty();
    // A MIME message came to the mail client as its header lines: its parts go in here.
    if (tree.HasSections() && tree.SecureKind >= FirstMimeKind && !decodeContext_.ShowAsTreePending) {
        TPutBackRecord put;
        PMInterface().GetPutBackSettings(reader, 0, put);
        // A part that was decoded on its own among plain ones is marked where it begins and ends.
        std::vector<int> shown;
        for (const TTextItem& item : tree.CollectBodyTexts(false)) {
            put.Parts.push_back({ item.Text, decryptRoad_->DecodedSectionKind(item.Node) });
            shown.push_back(item.Node);
        }
        for (TTextItem& item : decryptRoad_->SignedTextsLeftOut(shown))
            put.Parts.push_back({ std::move(item.Text), decryptRoad_->DecodedSectionKind(item.Node) });
        put.HasSignature = signer;
        phases.Mark("collect");
        editors->PutMessageIntoEditor(editor, put);
        phases.Mark("parts");
        for (TPutBackPart& part : put.Parts)
            TPGPInterface::BurnText(part.Text);
    }
    phases.Mark("burn");
    if (signer && !decodeContext_.SignaturePopup && Values().IncludeInfo == INCLUDE_INFO_BOX)
        editors->InsertInfoBox(editor, signature.StatusText, false, editors->GetTabStop(),
            static_cast<int>(signature.StatusCode & SIGNATURE_CLASS_MASK));
    phases.Mark("info-box");
    if (signer)
        record->SignatureIcon = LoadIcon(nullptr, IsGoodSignature(signature.StatusCode) ? IDI_ASTERISK : IDI_EXCLAMATION);
    InvalidateRect(reader, nullptr, TRUE);
    UpdateReaderIcon(reader);
    phases.Mark("icon");
}

HWND TMainClass::PutBackControl(HWND activeChild) const
{
    TTERInterface* editors = PMInterface().EditorInterface;
    if (!editors || !activeChild)
        return nullptr;
    if (decryptHost_ && decryptHost_->PutBackEditor == activeChild)
        return editors->FindEditor(activeChild);
    const TReaderData* record = ReaderDataOf(PMInterface().ActiveReaderWindow(activeChild));
    return record && record->PutBackPending ? editors->FindViewerOrEditor(activeChild, true) : nullptr;
}

void TMainClass::PutBackIntoEditor(HWND control)
{
    HWND window = decryptHost_ ? decryptHost_->PutBackEditor : nullptr;
    TTERInterface* editors = PMInterface().EditorInterface;
    if (!window || !editors || !decryptRoad_ || !(control == window || IsChild(window, control)))
        return;
    decryptHost_->PutBackEditor = nullptr;
    HWND editor = editors->FindEditor(window);
    TMimeMsgTree& tree = decryptRoad_->MessageTree();
    // A plain body is in the editor already, as the mail client put the written text there.
    if (!editor || !tree.HasSections() || !tree.BodyIsFormatted() || !PMInterface().GetShowObjects())
        return;
    const bool newMessage = PMInterface().IsNewMessageEditor(window);
    TPutBackRecord put;
    PMInterface().GetPutBackSettings(window, newMessage ? 1 : 2, put);
    for (const TTextItem& item : tree.CollectBodyTexts(false))
        put.Parts.push_back({ item.Text, 0 });
    editors->PutMessageIntoEditor(editor, put);
    for (TPutBackPart& part : put.Parts)
        TPGPInterface::BurnText(part.Text);
    // The mail client sends the styled text only with its check box 114 on.
    HWND page = PMInterface().EditorMainPage(window);
    HWND styled = page ? GetDlgItem(page, EDITOR_STYLED_CHECK) : nullptr;
    if (styled && SendMessageA(styled, BM_GETCHECK, 0, 0) != BST_CHECKED)
        SendMessageA(styled, BM_CLICK, 0, 0);
    SetFocus(editor);
    // An answer to a protected message is protected the same way.
    TEditorData* record = EditorDataOf(window);
    if (newMessage && record)
        record->Flags |= MimeKindFlags(tree.SecureKind);
    InvalidateRect(window, nullptr, TRUE);
}

bool TMainClass::ShowKeyPopup(const std::string& keyText)
{
    const std::string id = LeadingKeyId(keyText);
    if (id.empty() || !frame_)
        return false;
    HMENU popup = CreatePopupMenu();
    if (!popup)
        return false;
    AppendMenuA(popup, MF_STRING, KEY_MENU_BASE + 1, Text(TEXT_KEY_ADD_TO_LIST).c_str());
    AppendMenuA(popup, MF_STRING, KEY_MENU_BASE + 2, Text(TEXT_KEY_SEARCH_SERVER).c_str());
    AppendMenuA(popup, MF_STRING, KEY_MENU_BASE + 3, Text(TEXT_KEY_TO_CLIPBOARD).c_str());
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(frame_);
    // The choice comes back here: the mail client's frame must not take it for one of its commands.
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, frame_, nullptr));
    DestroyMenu(popup);
    if (chosen > KEY_MENU_BASE && !busy_.IsBusy() && !busy_.InRequest()) {
        keyMenuText_ = id;
        RunPluginCommand({ TPluginCommandKind::KeyMenuItem, chosen - KEY_MENU_BASE });
        keyMenuText_.clear();
    }
    return true;
}

bool TMainClass::ShowKeyMenuForText(HWND window, const std::string& text)
{
    if (!text.empty())
        return ShowKeyPopup(text);
    // A dialog's static text "... [ 0x... ]" names the key.
    for (HWND child = window ? GetWindow(window, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || !ClassIs(child, "STATIC"))
            continue;
        const std::string caption = GetWindowTextStr(child);
        const size_t open = caption.find("[ 0x");
        const size_t close = open == std::string::npos ? open : caption.find(" ]", open);
        if (close != std::string::npos)
            return ShowKeyPopup(caption.substr(open + 2, close - open - 2));
    }
    return false;
}

bool TMainClass::ShowKeyPopupInEditor(HWND window, bool underMouse)
{
    TTERInterface* editors = PMInterface().EditorInterface;
    HWND editor = EditorOfMailWindow(editors, mdiClient_, window);
    if (!editor)
        return false;
    const std::string line = underMouse ? editors->GetLineUnderMouse(editor) : editors->GetLineAtCaret(editor);
    const std::string id = KeyIdInLine(line);
    return !id.empty() && ShowKeyPopup(id);
}

void TMainClass::ShowSignatureResult()
{
    if (decryptRoad_ && decryptHost_) {
        decryptHost_->StatusBar = statusBar_;
        decryptHost_->ShowSignatureResult(decryptRoad_->SignatureResult());
    }
}

void TMainClass::StatusTextChanged(HWND panel, const char* text)
{
    if (!signatureNote_.Shown() || signatureNote_.Owns(panel) || !ClassIs(panel, "STATIC"))
        return;
    RECT place;
    GetWindowRect(panel, &place);
    MapWindowPoints(HWND_DESKTOP, statusBar_, reinterpret_cast<POINT*>(&place), 2);
    // A key id in the new text is the note's own signer being written.
    if (place.left < NOTE_PANEL_LEFT_LIMIT && (!text || !std::strstr(text, "0x")))
        signatureNote_.Remove();
}

void TMainClass::ShowStatusUrlForDisplay(HWND panel, const char* text)
{
    // The readable form we set comes through here too: it is not decoded a second time.
    if (!text || text == statusUrlShown_ || !IsNetworkUrl(text))
        return;
    if (!WinInetLoaded())
        LoadWinInetApi(false);
    const std::string shown = DecodeUrlForDisplay(text);
    if (shown == text)
        return;
    statusUrlShown_ = shown;
    // The hook sees the text before the panel takes it: the readable form follows once it has.
    Application().Utility().Post([panel, shown] {
        if (IsWindow(panel))
            SetWindowTextA(panel, shown.c_str());
    });
}

bool TMainClass::ReaderMessageTaken(const MSG& msg)
{
    TTERInterface* editors = PMInterface().EditorInterface;
    switch (msg.message) {
    case WM_PAINT: {
        if (signatureNote_.Shown() && statusBar_ && GetParent(msg.hwnd) == statusBar_ && !signatureNote_.Owns(msg.hwnd))
            signatureNote_.Redraw();
        // The decoded message waits for the window's control to paint.
        HWND active = PMInterface().GetHostWindow(HostApi::HOST_WINDOW_ACTIVE_CHILD);
        HWND control = PutBackControl(active);
        if (control && (msg.hwnd == control || IsChild(control, msg.hwnd)))
            PostMessageA(control, WM_PUT_BACK, 0, 0);
        return false;
    }
    case WM_PUT_BACK:
        PutBackIntoReader(msg.hwnd);
        PutBackIntoEditor(msg.hwnd);
        return false;
    case WM_KEYUP:
        return msg.wParam == VK_CONTEXT_MENU && ShowKeyPopupInEditor(msg.hwnd, false);
    case WM_SYSKEYUP:
        return msg.wParam == VK_F10 && ShowKeyPopupInEditor(msg.hwnd, false);
    case WM_LBUTTONDBLCLK:
        if (HWND editor = EditorOfMailWindow(editors, mdiClient_, msg.hwnd))
            editors->FollowLinkUnderMouse(editor);
        return false;
    case WM_RBUTTONDOWN:
        if (statusBar_ && (msg.hwnd == statusBar_ || IsChild(statusBar_, msg.hwnd))) {
            const std::string signer = decryptRoad_ ? decryptRoad_->SignatureResult().StatusText : std::string();
            PMInterface().ClearStatusText();
            return ShowKeyPopup(KeyIdInLine(signer));
        }
        return ShowKeyPopupInEditor(msg.hwnd, true);
    default:
        return false;
    }
}

void TMainClass::SaveWordWrap()
{
    if (!wordWrapSaved_) {
        savedWordWrap_ = PMInterface().GetWordWrap();
        wordWrapSaved_ = true;
    }
    PMInterface().SetWordWrap(false);
}

TMsgTreeSettings TMainClass::MessageTreeSettings()
{
    TMsgTreeSettings settings;
    TMsgTreeData& data = settings.TreeData;
    const auto utf8 = [this](uint16_t id) { return AnsiToUtf8Text(Text(id)); };
    data.FontFace = PMInterface().GetMessageFont().Name;
    data.SaveFolder = PMInterface().GetNewMailFolder();
    data.DateCaption = utf8(8);
    data.FromCaption = utf8(9);
    data.ToCaption = utf8(10);
    data.SubjectCaption = utf8(11);
    data.ReplyToCaption = utf8(12);
    data.UnknownValue = utf8(13);
    data.SubjectSuffix = utf8(17);
    data.MessageCaption = Text(14);
    data.TextPrefix = Text(15);
    data.DefaultTypeName = Text(16);
    data.ViewableExt2 = Values().SingleExtensions;
    data.ViewableExt3 = Values().DoubleExtensions;
    data.ViewableExt4 = Values().TripleExtensions;
    data.Decode = [this](const std::string& section, std::string& charset, std::string& decoded, int32_t& statusCode,
                      std::string& statusText) {
        uint32_t code = 0;
        PGPInterface().DecodeSectionText(section, ownerWindow_, true, decoded, code, statusText, charset);
        statusCode = static_cast<int32_t>(code);
        if (decoded.empty())
            decoded = NormalizeLineBreaks(section);
    };
    settings.OwnAddress = PMInterface().GetMailUserName();
    FillPrinterSettings(ViewerMain());
    settings.Printer = &ViewerMain().PrinterSettings();
    settings.ViewText = [this](TSectionNode& node, HICON icon) { ShowPartText(ViewerMain(), node, icon, false); };
    settings.ImportKeys = [this](const std::string& keyText) {
        TKeyIDData keys;
        if (PGPInterface().ImportKeysFromText(keyText, ownerWindow_, keys, false) == 0 && keys.Count > 0)
            OfferAutoListEntries(keys);
    };
    settings.ShowCertificate = [this](const std::string& signature) {
        const int32_t status = ViewCertificate(signature, Text(346), ownerWindow_);
        if (status != 0)
            PGPInterface().ShowPGPError(status);
    };
    return settings;
}

TViewerMain& TMainClass::ViewerMain()
{
    if (!viewerMain_)
        viewerMain_ = std::make_unique<TViewerMain>(*this);
    return *viewerMain_;
}

void TMainClass::ShowReaderMessageTree(HWND reader)
{
    TTERInterface* editors = PMInterface().EditorInterface;
    HWND editor = editors ? editors->FindEditor(reader) : nullptr;
    std::string text;
    TMimeMsgTree tree;
    if (editor)
        editors->GetEditorPgpWhole(editor, tree, text, KeyRingState() != 0);
    const bool wrapped = wordWrapSaved_ ? savedWordWrap_ : PMInterface().GetWordWrap();
    if (wordWrapSaved_) {
        PMInterface().SetWordWrap(savedWordWrap_);
        wordWrapSaved_ = false;
    }
    if (text.empty()) {
        if (wrapped)
            ShowInfo(*this, Text(TEXT_NO_PROTECTED_TEXT));
        return;
    }
    // The tree's dialog pumps messages: a shut-down of the mail client meanwhile must not free
    // the objects it works on (the finalisation skips a running request).
    TRequestScope request(busy_);
    if (!request.Granted())
        return;
    TPGPInterface& pgp = PGPInterface();
    pgp.BeginCacheHold();
    try {
        ::ShowMessageTree(*this, text, MessageTreeSettings());
    } catch (...) {
        pgp.EndCacheHold();
        throw;
    }
    pgp.EndCacheHold();
}
