// The about box: layout, the two downloads with their countdown and cancel, the replies of the
// update page and the key servers, and the mail link.
#include "ui/dialogs/AboutDialog.h"

#include "framework/Application.h"
#include "ui/dialogs/MessageDialogs.h"

#include <cstdint>

namespace {

constexpr int DesignWidth = 357;
constexpr int DesignHeight = 219;
constexpr int GlyphOk = 100;
constexpr int GlyphCancel = 101;
constexpr uint16_t TextAbout = 115;
constexpr uint16_t TextConnecting = 116;
constexpr uint16_t TextNewer = 117;
constexpr uint16_t TextUpToDate = 118;
constexpr uint16_t TextNotComparable = 119;
constexpr uint16_t TextNoVersion = 120;
constexpr uint16_t TextOk = 107;
constexpr uint16_t TextCancel = 104;

// The error text of a download's result code; 0 when that code has none.
uint16_t ErrorTextOf(int resultCode)
{
    switch (resultCode) {
    case TWinInetThread::RESULT_NOTHING_TRIED: return 124;
    case TWinInetThread::RESULT_NO_SESSION: return 123;
    case TWinInetThread::RESULT_NOT_OPENED: return 122;
    case TWinInetThread::RESULT_NO_BODY: return 121;
    default: return 0;
    }
}

void WaitBriefly()
{
    Application().ProcessMessages();
    Sleep(100);
}

} // namespace

TAboutDialog::TAboutDialog(IDialogMainObject& mainObject)
    : TZAVEKForm(mainObject)
    , self_(std::make_shared<TAboutDialog*>(this))
{
    WindowClassName = "TAboutDialog";
    BorderStyle = bsSingle;
    BorderIcons = biSystemMenu;
    Position = poScreenCenter;
    SetClientSize(Scaled(DesignWidth), Scaled(DesignHeight));

    pnBottom = MakePanel(this, alBottom, Scaled(DesignWidth), Scaled(44));
    fbAbout = new TFlatBtn(this);
    fbAbout->SetParent(pnBottom);
    fbAbout->SetBounds(Scaled(DesignWidth) / 2 - 15, Scaled(6), 30, 30);
    fbAbout->ModalResult = mrOk;
    fbAbout->SetDefaultButton(true);
    fbAbout->SetCancelButton(true);
    fbAbout->SetTabStop(true);
    fbAbout->OnClick = [this](TControl&) { AboutClick(); };

    pnLeft = MakePanel(this, alLeft, Scaled(90), Scaled(DesignHeight - 44));
    pnLeft->SetBorderWidth(10);
    pnImage = MakePanel(pnLeft, alClient, 70, 70);
    imgThorn = new TImage(this);
    imgThorn->SetParent(pnImage);
    imgThorn->SetAlign(alClient);
    imgThorn->Center = true;
    imgThorn->Transparent = true;
    // The picture is optional: without it the panel stays empty.
    imgThorn->Picture().LoadFromResourceName(FrameworkModule(), "THORN");

    pnRight = MakePanel(this, alRight, Scaled(16), Scaled(DesignHeight - 44));
    pnCenter = MakePanel(this, alClient, Scaled(DesignWidth - 106), Scaled(DesignHeight - 44));
    gbeInfo = new TGroupBoxEx(this);
    gbeInfo->SetParent(pnCenter);
    gbeInfo->SetAlign(alClient);

    // Added bottom first: each label docks to the top below the ones before it.
    hlAddress = MakeLabel(20, true);
    hlBottomSpace = MakeLabel(8, false);
    hlPGPKey = MakeLabel(20, true);
    hlTopSpace = MakeLabel(8, false);
    hlUpdate = MakeLabel(20, true);
    hlName = MakeLabel(28, false);
    hlName->Font().SetName("Arial");
    hlName->Font().SetHeight(-16);
    hlName->Font().SetStyle(fsBold);
    hlCopyright = MakeLabel(20, false);
    // The notice line is the longest: a smaller type keeps it whole at any DPI.
    hlCopyright->Font().SetSize(8);
    hlVersion = MakeLabel(24, false);

    hlUpdate->OnClick = [this](TControl&) {
        if (hlUpdate->LinkLabel())
            StartDownload(UpdatePageUrl(Contact), &TAboutDialog::CheckVersionReply);
    };
    hlPGPKey->OnClick = [this](TControl&) {
        if (hlPGPKey->LinkLabel())
            StartDownload(KeyServerUrls(Contact), &TAboutDialog::KeyReply);
    };
    hlAddress->OnClick = [this](TControl&) { AddressClick(); };

    tmWait = new TTimer(this);
    tmWait->SetEnabled(false);
    tmWait->SetInterval(1000);
    tmWait->OnTimer = [this](TTimer&) { WaitTimer(); };

    SetIdleCaption();
    SetGlyph(GlyphOk);
}

TAboutDialog::~TAboutDialog()
{
    *self_ = nullptr;
    // Only a forced end (the host quitting) leaves a download running; it ends on its own.
    if (thread_)
        thread_->Cancel();
}

TPanel* TAboutDialog::MakePanel(TWinControl* parent, TAlign align, int width, int height)
{
    auto* panel = new TPanel(this);
    panel->SetParent(parent);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(0, 0, width, height);
    panel->SetAlign(align);
    return panel;
}

THotLabel* TAboutDialog::MakeLabel(int height, bool link)
{
    auto* label = new THotLabel(this);
    label->SetParent(gbeInfo);
    label->SetBounds(8, 0, 200, Scaled(height));
    label->SetAlign(alTop);
    label->SetAlignment(taCenter);
    label->ShowAccelChar = false;
    if (link) {
        label->LinkColor = clBlue;
        label->HotColor = clRed;
        label->SetLinkLabel(true);
    }
    return label;
}

void TAboutDialog::SetGlyph(int id)
{
    TBitmap& bitmap = fbAbout->Glyph();
    if (bitmap.LoadFromResourceId(FrameworkModule(), id)) {
        const std::uint32_t corner = bitmap.Bits()[(bitmap.Height() - 1) * bitmap.Width()];
        bitmap.TransparentColor
            = static_cast<TColor>(((corner & 0xFF) << 16) | (corner & 0xFF00) | ((corner >> 16) & 0xFF));
        // The glyph is drawn; the caption stays the button's name.
        fbAbout->CaptionHidden = true;
        fbAbout->SetCaption(Texts().GetEntry(id == GlyphOk ? TextOk : TextCancel));
    } else {
        // Without the plug-in's glyph the button says what it does.
        bitmap.SetSize(0, 0);
        fbAbout->CaptionHidden = false;
        fbAbout->SetBounds(Scaled(DesignWidth) / 2 - Scaled(35), Scaled(9), Scaled(70), Scaled(26));
        fbAbout->SetCaption(Texts().GetEntry(id == GlyphOk ? TextOk : TextCancel));
    }
    fbAbout->Invalidate();
}

void TAboutDialog::SetIdleCaption()
{
    SetCaption(Texts().GetEntry(TextAbout) + " ...");
    hlUpdate->SetCaption("Update");
    hlPGPKey->SetCaption("qro's PGP key");
    hlAddress->SetCaption(Contact.MailAddress);
}

void TAboutDialog::DoShow()
{
    RemoveCloseCommand();
    SetIdleCaption();
    hlVersion->SetCaption("Version " + ProductInfo.ProductVersion);
    hlCopyright->SetCaption(ProductInfo.LegalCopyright);
    hlName->SetCaption(ProductInfo.ProductName);
    TZAVEKForm::DoShow();
}

void TAboutDialog::StartDownload(const std::string& urls, TEndHandler endHandler)
{
    if (thread_)
        return;
    LoadWinInetApi(ReloadWinInet);
    try {
        thread_ = new TWinInetThread(hlName->Caption());
    } catch (...) {
        return;
    }
    SetGlyph(GlyphCancel);
    gbeInfo->SetEnabled(false);
    WaitBriefly();

    const std::weak_ptr<TAboutDialog*> dialog = self_;
    thread_->Urls = urls;
    thread_->OnStatus = [dialog](TWinInetThread& thread) {
        if (const auto alive = dialog.lock(); alive && *alive)
            (*alive)->ShowDownloadProgress(thread);
    };
    thread_->OnTerminate = [dialog, endHandler](TThread& thread) {
        if (const auto alive = dialog.lock(); alive && *alive) {
            (*alive)->thread_ = nullptr;
            ((*alive)->*endHandler)(static_cast<TWinInetThread&>(thread));
        }
    };
    thread_->Start();
}

void TAboutDialog::ShowDownloadProgress(TWinInetThread& thread)
{
    secondsLeft_ = thread.TimeoutSeconds();
    currentUrl_ = thread.StatusText();
    tmWait->SetEnabled(false);
    SetCaption(Texts().GetEntry(TextConnecting) + " " + currentUrl_ + " (" + std::to_string(secondsLeft_) + ") ...");
    tmWait->SetEnabled(true);
}

void TAboutDialog::WaitTimer()
{
    const std::string connecting = Texts().GetEntry(TextConnecting);
    if (Caption().compare(0, connecting.size(), connecting) != 0)
        return;
    if (secondsLeft_ > 0)
        --secondsLeft_;
    SetCaption(connecting + " " + currentUrl_ + " (" + std::to_string(secondsLeft_) + ") ...");
}

void TAboutDialog::BackToIdle()
{
    SetGlyph(GlyphOk);
    gbeInfo->SetEnabled(true);
    tmWait->SetEnabled(false);
    SetIdleCaption();
}

bool TAboutDialog::DownloadSucceeded(TWinInetThread& thread)
{
    SetIdleCaption();
    tmWait->SetEnabled(false);
    const int code = thread.ResultCode();
    if (code == TWinInetThread::RESULT_CANCELLED) {
        BackToIdle();
        return false;
    }
    if (code != TWinInetThread::RESULT_OK) {
        if (const uint16_t text = ErrorTextOf(code))
            ShowError(MainObject(), Texts().GetEntry(text));
        SetModalResult(mrCancel);
        return false;
    }
    SetEnabled(false);
    return true;
}

void TAboutDialog::CheckVersionReply(TWinInetThread& thread)
{
    if (!DownloadSucceeded(thread))
        return;
    switch (CompareVersionPage(thread.ResultText(), hlVersion->Caption())) {
    case TVersionCheck::NoVersionTag: ShowError(MainObject(), Texts().GetEntry(TextNoVersion)); break;
    case TVersionCheck::NotComparable: ShowError(MainObject(), Texts().GetEntry(TextNotComparable)); break;
    case TVersionCheck::Newer:
        if (ConfirmYes(MainObject(), Texts().GetEntry(TextNewer)))
            MainObject().OpenHtmlPage(ReleaseNotesUrl(Contact, ProductInfo.LanguageId));
        break;
    case TVersionCheck::UpToDate: ShowInfo(MainObject(), Texts().GetEntry(TextUpToDate)); break;
    }
    SetModalResult(mrCancel);
}

void TAboutDialog::KeyReply(TWinInetThread& thread)
{
    if (!DownloadSucceeded(thread))
        return;
    keyBlock_ = CutKeyBlock(thread.ResultText());
    // A page without a key block is no key: say so rather than hand on nothing to import.
    if (keyBlock_.empty())
        ShowError(MainObject(), Texts().GetEntry(ErrorTextOf(TWinInetThread::RESULT_NO_BODY)));
    SetModalResult(mrCancel);
}

void TAboutDialog::AddressClick()
{
    if (hlAddress->LinkLabel() && !thread_) {
        WaitBriefly();
        SetEnabled(false);
        SetModalResult(ResultMail);
    }
    SetIdleCaption();
}

void TAboutDialog::AboutClick()
{
    // The button closes only when no download runs; during one it cancels it.
    if (thread_) {
        SetModalResult(0);
        thread_->Cancel();
    }
}

void ShowAboutDialog(IDialogMainObject& main, const TAboutProductInfo& info, bool reloadWinInet,
    std::string& keyBlock, bool& mailRequested, const TMakerContact& contact)
{
    keyBlock.clear();
    mailRequested = false;
    auto* dialog = new TAboutDialog(main);
    try {
        dialog->ProductInfo = info;
        dialog->ReloadWinInet = reloadWinInet;
        dialog->Contact = contact;
        const int result = dialog->ShowModal();
        mailRequested = result == TAboutDialog::ResultMail;
        keyBlock = dialog->KeyBlock();
    } catch (...) {
        dialog->CloseDown();
        throw;
    }
    dialog->CloseDown();
}
