// The message-tree dialog: layout, the tree mirrored from the part model, the commands each part
// offers, and viewing, opening, copying and saving one part.
#include "ui/dialogs/MsgTreeDialog.h"

#include "ui/dialogs/KeyFileDialogs.h"
#include "foundation/FileUtilsWin.h"
#include "foundation/StrUtilWin.h"
#include "mime/PartTexts.h"
#include "mime/PartFiles.h"
#include "ui/dialogs/ImageViewer.h"
#include "ui/dialogs/MessageDialogs.h"
#include "ui/dialogs/MsgTreeRules.h"
#include "ui/dialogs/PartContextMenu.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

constexpr int DesignWidth = 492;
constexpr int DesignHeight = 284;
constexpr int NodeTipMilliseconds = 8000;
constexpr uint16_t TextCaption = 346;
constexpr uint16_t TextSaveAs = 338;
constexpr uint16_t TextWriteError = 345;
constexpr uint16_t TextSaved = 372;
constexpr uint16_t TextOpenWith = 371;
constexpr int GlyphView = 102;

// Mirrors the model into the tree view with each node's icon; the captions go in as UTF-16 so that
// they show as written whatever the system's code page. Each item keeps its model index.
class TTreeViewFiller : public TMimeTreeViewAdapter {
public:
    TTreeViewFiller(TTreeView& view, const TPartTreeIcons& icons)
        : view_(view)
        , icons_(icons)
    {
    }
    void Clear() override { view_.Items().Clear(); }
    uintptr_t AddItem(uintptr_t parent, const std::string& caption, uint32_t, int node) override
    {
        TTreeNode* item = view_.Items().AddChild(
            reinterpret_cast<TTreeNode*>(parent), WideCaption(caption), icons_.ImageOf(node));
        item->Data = reinterpret_cast<void*>(static_cast<intptr_t>(node));
        return reinterpret_cast<uintptr_t>(item);
    }

private:
    static std::wstring WideCaption(const std::string& utf8)
    {
        const std::string wide = Utf8TextToWide(utf8);
        const std::size_t characters = wide.size() / 2;
        std::wstring caption(characters, L'\0');
        std::memcpy(caption.data(), wide.data(), characters * 2);
        while (!caption.empty() && caption.back() == L'\0')
            caption.pop_back();
        return caption;
    }

    TTreeView& view_;
    const TPartTreeIcons& icons_;
};

bool IsKeyPart(const TSectionNode& node)
{
    return node.Section.Kind == skPgpPublicKeyBlock || node.Section.Kind == skCertificate;
}

// A signature's status text begins with the number of the icon resource that goes with it.
HICON StatusIconOf(const std::string& statusText)
{
    const int id = std::atoi(statusText.c_str());
    return id > 0 ? LoadIconA(FrameworkModule(), MAKEINTRESOURCEA(id)) : nullptr;
}

std::string FileOnly(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string FolderOf(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

} // namespace

TMsgTreeDialog::TMsgTreeDialog(IDialogMainObject& mainObject, const TMsgTreeSettings& settings)
    : TZAVEKForm(mainObject)
    , settings_(settings)
    , icons_(this)
{
    WindowClassName = "TMsgTreeDialog";
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    KeyPreview = true;
    SetClientSize(DesignWidth, DesignHeight);

    pmFile = new TMCPopupMenu(this);
    miView = MakeItem(361, [this] { miViewClick(); });
    miCopy = MakeItem(362, [this] { miCopyClick(); });
    miSave = MakeItem(363, [this] { miSaveClick(); });
    miLine = MakeItem(0, nullptr);
    miLine->Caption = "-";
    miClose = MakeItem(369, [this] { SetModalResult(mrCancel); });

    pnTop = MakePanel(this, alTop, DesignWidth, 48);
    const int nameWidth = 70;
    hlSubjectName = MakeLabel(16, 8, nameWidth, true);
    hlSubjectText = MakeLabel(20 + nameWidth, 8, DesignWidth - 36 - nameWidth, false);
    hlSentName = MakeLabel(16, 26, nameWidth, true);
    hlSentText = MakeLabel(20 + nameWidth, 26, DesignWidth - 36 - nameWidth, false);

    pnBottom = MakePanel(this, alBottom, DesignWidth, 44);
    fbView = MakeButton(DesignWidth / 2 - 120, GlyphView, 392);
    fbView->SetDefaultButton(true);
    fbView->SetEnabled(false);
    fbView->OnClick = [this](TControl&) { miViewClick(); };
    fbSave = MakeButton(DesignWidth / 2 - 40, SaveGlyphPart, 393);
    fbSave->SetEnabled(false);
    fbSave->OnClick = [this](TControl&) { miSaveClick(); };
    fbClose = MakeButton(DesignWidth / 2 + 40, 101, 394);
    fbClose->SetCancelButton(true);
    fbClose->ModalResult = mrCancel;
    mcFile = new TMenuControl(this);
    // A menu control sits on the form itself, over the bottom panel's left end.
    mcFile->SetParent(this);
    mcFile->SetBounds(16, DesignHeight - 32, 60, 20);
    mcFile->SetCaption(Texts().GetEntry(370));
    mcFile->SetPopupMenu(pmFile);
    mcFile->SetEnabled(false);
    mcFile->OnShowPopupMenu = [this](TMenuControl&, POINT position, BOOL& cancel) {
        // The same menu as the tree's, with the Explorer's commands, at the control.
        cancel = TRUE;
        ShowPartMenu(false, &position);
    };

    pnLeft = MakePanel(this, alLeft, 16, 100);
    pnRight = MakePanel(this, alRight, 16, 100);
    pnTree = new TColoredFramePanel(this);
    pnTree->SetParent(this);
    pnTree->SetBevelOuter(bvNone);
    pnTree->SetAlign(alClient);

    tvTree = new TTreeViewEx(this);
    tvTree->SetParent(pnTree);
    tvTree->SetAlign(alClient);
    tvTree->HideSelection = false;
    tvTree->MultiSelect = false;
    tvTree->ShowButtons = false;
    tvTree->ShowHint = true;
    tvTree->OnChange = [this](TTreeView&, TTreeNode*) { SelectionChanged(); };
    tvTree->OnDblClick = [this](TControl&) { DoubleClicked(); };
    tvTree->OnMouseMove = [this](TControl&, TShiftState, int x, int y) { ShowNodeHint(x, y); };
    tvTree->OnMouseDown = [this](TControl&, TMouseButton button, TShiftState, int x, int y) {
        if (button != mbRight)
            return;
        if (TTreeNode* item = tvTree->GetNodeAt(x, y))
            tvTree->SetSelected(item);
    };
    tvTree->OnMouseUp = [this](TControl&, TMouseButton button, TShiftState, int x, int y) {
        if (button == mbRight && tvTree->GetNodeAt(x, y))
            ShowPartMenu(false);
    };

    SetCaption(Texts().GetEntry(TextCaption));
    ScaleLayoutToScreen();
}

TMsgTreeDialog::~TMsgTreeDialog()
{
    // The parts written for opening go with the dialog, wiped.
    decodedFiles_.Remove();
}

TPanel* TMsgTreeDialog::MakePanel(TWinControl* parent, TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, width, height);
    panel->SetAlign(align);
    return panel;
}

THotLabel* TMsgTreeDialog::MakeLabel(int left, int top, int width, bool bold)
{
    auto* label = new THotLabel(this);
    label->SetParent(pnTop);
    label->SetBounds(left, top, width, 18);
    label->ShowAccelChar = false;
    if (bold)
        label->Font().SetStyle(fsBold);
    return label;
}

TFlatBtn* TMsgTreeDialog::MakeButton(int left, int glyph, int text)
{
    auto* button = new TFlatBtn(this);
    button->SetParent(pnBottom);
    button->SetBounds(left, 7, 80, 30);
    button->SetTabStop(true);
    button->SetCaption(Texts().GetEntry(static_cast<uint16_t>(text)));
    LoadButtonGlyph(*button, glyph);
    return button;
}

void TMsgTreeDialog::LoadButtonGlyph(TFlatBtn& button, int glyph)
{
    TBitmap& bitmap = button.Glyph();
    if (!bitmap.LoadFromResourceId(FrameworkModule(), glyph)) {
        bitmap.SetSize(0, 0);
        return;
    }
    const std::uint32_t corner = bitmap.Bits()[(bitmap.Height() - 1) * bitmap.Width()];
    bitmap.TransparentColor
        = static_cast<TColor>(((corner & 0xFF) << 16) | (corner & 0xFF00) | ((corner >> 16) & 0xFF));
    button.Invalidate();
}

TMenuItem* TMsgTreeDialog::MakeItem(int text, std::function<void()> action)
{
    auto* item = new TMenuItem(this);
    if (text)
        item->Caption = Texts().GetEntry(static_cast<uint16_t>(text));
    if (action)
        item->OnClick = [action](TMenuItem&) { action(); };
    pmFile->Items().Add(item);
    return item;
}

void TMsgTreeDialog::ApplyColorScheme(bool standard)
{
    TZAVEKForm::ApplyColorScheme(standard);
    tvTree->SetColor(standard ? clWindow : OwnTint);
}

void TMsgTreeDialog::DoShow()
{
    Font().SetSize(9);
    tree_.TreeData = settings_.TreeData;
    tree_.LoadMessage(MessageText, 1, 0x3E, 0);
    tvTree->Font() = Font();
    FillTree();
    TZAVEKForm::DoShow();
    SetWindowPos(mcFile->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TMsgTreeDialog::FillTree()
{
    icons_.AssignIcons(tree_, tvTree->Color());
    tvTree->SetImages(icons_.GetImageList());
    TTreeViewFiller filler(*tvTree, icons_);
    MirrorTree(tree_, filler);
    if (TTreeNode* first = tvTree->Items().GetFirstNode()) {
        for (TTreeNode* node = first; node; node = node->GetNextSibling())
            node->Expand(true);
        if (const TSectionNode* message = tree_.GetSection(0)) {
            hlSubjectName->SetCaption(tree_.TreeData.SubjectCaption);
            hlSubjectText->SetCaption(message->GetSubject());
            const TSentLine sent = SentLineOf(*message, tree_.TreeData, settings_.OwnAddress);
            hlSentName->SetCaption(sent.Caption);
            hlSentText->SetCaption(sent.Text);
        }
        tvTree->SetSelected(first);
    }
    SelectionChanged();
}

TSectionNode* TMsgTreeDialog::SelectedNode()
{
    TTreeNode* item = tvTree->Selected();
    return item ? tree_.GetSection(static_cast<int>(reinterpret_cast<intptr_t>(item->Data))) : nullptr;
}

void TMsgTreeDialog::SelectionChanged()
{
    const TSectionNode* node = SelectedNode();
    const TPartCommands commands = PartCommandsOf(tree_, node ? node->Index : -1, IsPictureExtension);
    LoadButtonGlyph(*fbSave, commands.SaveGlyph);
    fbView->SetEnabled(commands.View);
    mcFile->SetEnabled(node && !IsMultipartNode(*node) && !GetFileExtension(*node).empty());
    fbSave->SetEnabled(commands.Save);
    miView->Enabled = commands.View;
    miCopy->Enabled = commands.View;
    miSave->Enabled = commands.Save;
    miView->Default = commands.View;
    miSave->Default = !commands.View;
    fbSave->SetDefaultButton(commands.Save && !commands.View);
    fbView->SetDefaultButton(commands.View);
}

void TMsgTreeDialog::DoubleClicked()
{
    if (fbView->Enabled())
        miViewClick();
    else if (fbSave->Enabled())
        miSaveClick();
}

bool TMsgTreeDialog::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TZAVEKForm::DoKeyDown(key, shift))
        return true;
    if (tvTree->Items().Count() == 0)
        return false;
    const bool ctrl = (shift & ssCtrl) != 0;
    TTreeNode* selected = tvTree->Selected();
    switch (key) {
    case 'C':
        if (!ctrl || !miCopy->Enabled)
            return false;
        miCopyClick();
        return true;
    case 'O':
        if (!ctrl || !fbView->Enabled())
            return false;
        fbView->Click();
        return true;
    case 'S':
        if (!ctrl || !fbSave->Enabled())
            return false;
        fbSave->Click();
        return true;
    case VK_APPS: ShowPartMenu(true); return true;
    case VK_F10:
        if (!(shift & ssShift))
            return false;
        ShowPartMenu(true);
        return true;
    case VK_LEFT:
        if (selected && selected->Parent())
            tvTree->SetSelected(selected->Parent());
        return true;
    case VK_RIGHT:
        if (selected && selected->GetFirstChild())
            tvTree->SetSelected(selected->GetFirstChild());
        return true;
    default: return false;
    }
}

void TMsgTreeDialog::miViewClick()
{
    TSectionNode* node = SelectedNode();
    if (!node || !fbView->Enabled())
        return;
    const TOwnedIcon icon = icons_.GetIcon(node->Index);
    if (IsPictureAttachment(*node, IsPictureExtension))
        ShowImagePart(MainObject(), settings_.Printer ? *settings_.Printer : ownPrinter_, *node, icon.get());
    else if (node->NodeKind == nkSignature)
        ShowInfoWithIcon(MainObject(), StatusIconOf(node->StatusText), node->StatusText);
    else if (IsKeyPart(*node) && settings_.ImportKeys)
        settings_.ImportKeys(node->Text);
    else if (settings_.ViewText)
        settings_.ViewText(*node, icon.get());
}

// Each node gets a tip of its own over its own rectangle, long enough to read: moving on to the
// next node takes the last tip away and starts the next one afresh, even when its text is the same.
void TMsgTreeDialog::ShowNodeHint(int x, int y)
{
    TTreeNode* item = tvTree->GetNodeAt(x, y);
    if (item == hintItem_)
        return;
    hintItem_ = item;
    const TSectionNode* node = item ? tree_.GetSection(static_cast<int>(reinterpret_cast<intptr_t>(item->Data))) : nullptr;
    const int text = node ? TooltipTextOf(*node) : 0;
    tvTree->SetHint(text ? Texts().GetEntry(static_cast<uint16_t>(text)) : std::string());
    TToolTip* tip = tvTree->HintToolTip();
    if (!text || !tip)
        return;
    tip->SetToolRect(item->DisplayRect(false));
    tip->ReshowTip();
    tip->SetHintHidePause(NodeTipMilliseconds);
}

void TMsgTreeDialog::ShowPartMenu(bool fromKeyboard, const POINT* at)
{
    TSectionNode* node = SelectedNode();
    if (!node || IsMultipartNode(*node))
        return;
    std::string name = FileOnly(SuggestedSaveName(tree_, node->Index));
    if (name.empty())
        name = "part.txt";
    const std::string placeholder = WritePartToFile(name, false);
    if (placeholder.empty())
        return;
    TPartMenuRequest request;
    request.Window = Handle();
    request.Menu = pmFile;
    request.InsertBefore = miCopy;
    request.Caption = Texts().GetEntry(TextOpenWith);
    request.File = placeholder;
    if (at) {
        request.At = *at;
    } else if (fromKeyboard) {
        const RECT rect = tvTree->Selected()->DisplayRect(true);
        POINT centre { (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 };
        ::ClientToScreen(tvTree->Handle(), &centre);
        request.At = centre;
    }
    // The part's content goes into the placeholder before a shell command runs on it; a failed
    // write cancels the command.
    request.BeforeCommand = [this, placeholder](HWND, UINT) { return WritePartToFile(placeholder, true).empty(); };
    // The close items belong to the menu control's menu, not to the context menu.
    miLine->Visible = at != nullptr;
    miClose->Visible = at != nullptr;
    ShowPartContextMenu(request);
    miLine->Visible = true;
    miClose->Visible = true;
}

void TMsgTreeDialog::WndProc(TMessage& message)
{
    // The dialog's own items inside the shell's menu arrive as commands of the window.
    if (message.Msg == WM_COMMAND && DispatchMenuCommand(*pmFile, message.WParam, message.LParam))
        return;
    TZAVEKForm::WndProc(message);
}

void TMsgTreeDialog::miCopyClick()
{
    TSectionNode* node = SelectedNode();
    if (!node)
        return;
    if (IsPictureAttachment(*node, IsPictureExtension)) {
        CopyImageToClipboard(node->Text);
        return;
    }
    switch (node->NodeKind) {
    case nkMessage:
    case nkTextPlain:
    case nkTextOther: PutClipboardData(node->Text, cfText, Handle()); break;
    case nkTextHtml: PutHtmlOnClipboard(node->Text); break;
    case nkTextRtf: PutRtfOnClipboard(node->Text); break;
    default: break;
    }
}

bool TMsgTreeDialog::WriteFile(const std::string& fileName, const std::string& content)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out)
        return true;
    ShowError(MainObject(), Texts().GetEntry(TextWriteError));
    return false;
}

void TMsgTreeDialog::SaveAs(const std::string& offered, const std::string& folder,
    const std::function<std::string(const std::string&)>& content)
{
    const std::string chosen = SaveFileAsDialog(offered, folder, Texts().GetEntry(TextSaveAs), Handle());
    if (chosen.empty())
        return;
    if (WriteFile(chosen, content(chosen)))
        ShowInfo(MainObject(), Texts().GetEntry(TextSaved) + "\r\n" + chosen);
}

void TMsgTreeDialog::miSaveClick()
{
    TSectionNode* node = SelectedNode();
    if (!node || IsMultipartNode(*node))
        return;
    const std::string suggested = SuggestedSaveName(tree_, node->Index);
    const int index = node->Index;
    if (node->NodeKind == nkMessage) {
        SaveAs(FileOnly(suggested), FolderOf(suggested),
            [this, index](const std::string& chosen) { return MessageWithHostFlags(tree_, index, FileOnly(chosen)); });
        return;
    }
    // An S/MIME signature holds the signer's certificate: it is shown, not saved.
    if (node->NodeKind == nkSignature && node->Section.Kind == skSmimeMultipartSigned) {
        if (settings_.ShowCertificate)
            settings_.ShowCertificate(DecodeBase64Body(GetSectionText(*node)));
        return;
    }
    // A signature part saves its signature text.
    const std::string text = node->NodeKind == nkSignature ? GetSectionText(*node) : node->Text;
    SaveAs(FileOnly(suggested), FolderOf(suggested), [text](const std::string&) { return text; });
}

std::string TMsgTreeDialog::WritePartToFile(const std::string& name, bool write)
{
    TSectionNode* node = SelectedNode();
    if (!node)
        return {};
    std::string file;
    if (write && !name.empty()) {
        file = name;
    } else {
        const std::string& folder = decodedFiles_.Path();
        if (folder.empty())
            return {};
        const std::string extension = GetFileExtension(*node);
        file = MakeUniqueFileName(folder + (name.empty() ? "part" + (extension.empty() ? ".txt" : extension) : name));
    }
    bool written = false;
    if (!write)
        written = WriteFile(file, std::string());
    else if (node->NodeKind == nkTextHtml)
        written = SaveHtmlFiles(*node, file) || WriteFile(file, node->Text);
    else
        written = WriteFile(file, node->NodeKind == nkSignature ? GetSectionText(*node) : node->Text);
    return written ? file : std::string();
}

void ShowMessageTree(IDialogMainObject& main, const std::string& messageText, const TMsgTreeSettings& settings)
{
    auto* dialog = new TMsgTreeDialog(main, settings);
    try {
        dialog->MessageText = messageText;
        dialog->ShowModal();
    } catch (...) {
        dialog->CloseDown();
        throw;
    }
    dialog->CloseDown();
}
