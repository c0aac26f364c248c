// `TAboutDialog`: the product's name, version and notice line, with links that check the maker's
// page for a newer version, fetch the maker's public key from the key servers, or ask for a mail
// to the maker. Downloads run on the web thread; the dialog's one button cancels a running one.
#pragma once

#include "foundation/WebInterface.h"
#include "framework/ExtCtrls.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/GroupBoxEx.h"
#include "ui/controls/HotLabel.h"
#include "ui/dialogs/AboutRules.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <cstdint>
#include <memory>
#include <string>

// What the about box shows of the product: the mail client's language number, the notice line,
// the version and the product name.
struct TAboutProductInfo {
    uint16_t LanguageId = 0;
    std::string LegalCopyright;
    std::string ProductVersion;
    std::string ProductName;
};

class TAboutDialog : public TZAVEKForm {
public:
    // The result when the user asked to write to the maker.
    static constexpr int ResultMail = 6;

    explicit TAboutDialog(IDialogMainObject& mainObject);
    ~TAboutDialog() override;

    TAboutProductInfo ProductInfo;
    bool ReloadWinInet = false;
    TMakerContact Contact;
    // The armoured key block after a key download, else empty.
    const std::string& KeyBlock() const noexcept { return keyBlock_; }
    bool Downloading() const noexcept { return thread_ != nullptr; }
    int SecondsLeft() const noexcept { return secondsLeft_; }

    TPanel* pnLeft;
    TPanel* pnImage;
    TImage* imgThorn;
    TPanel* pnCenter;
    TGroupBoxEx* gbeInfo;
    THotLabel* hlVersion;
    THotLabel* hlCopyright;
    THotLabel* hlName;
    THotLabel* hlUpdate;
    THotLabel* hlTopSpace;
    THotLabel* hlPGPKey;
    THotLabel* hlBottomSpace;
    THotLabel* hlAddress;
    TPanel* pnBottom;
    TFlatBtn* fbAbout;
    TPanel* pnRight;
    TTimer* tmWait;

protected:
    void DoShow() override;

private:
    using TEndHandler = void (TAboutDialog::*)(TWinInetThread&);

    TPanel* MakePanel(TWinControl* parent, TAlign align, int width, int height);
    THotLabel* MakeLabel(int height, bool link);
    void SetGlyph(int id);
    void SetIdleCaption();
    void StartDownload(const std::string& urls, TEndHandler endHandler);
    void ShowDownloadProgress(TWinInetThread& thread);
    void BackToIdle();
    // The end of a download: false when it was cancelled (the dialog stays) or failed (it closes).
    bool DownloadSucceeded(TWinInetThread& thread);
    void CheckVersionReply(TWinInetThread& thread);
    void KeyReply(TWinInetThread& thread);
    void AddressClick();
    void AboutClick();
    void WaitTimer();

    TWinInetThread* thread_ = nullptr;
    // Shared with the thread's callbacks, which run on the GUI thread and do nothing once the
    // dialog is gone.
    std::shared_ptr<TAboutDialog*> self_;
    int secondsLeft_ = 0;
    std::string currentUrl_;
    std::string keyBlock_;
};

// Shows the about box; mailRequested is true when the user asked to write to the maker, keyBlock
// holds the maker's key when one was downloaded.
void ShowAboutDialog(IDialogMainObject& main, const TAboutProductInfo& info, bool reloadWinInet,
    std::string& keyBlock, bool& mailRequested, const TMakerContact& contact = {});
