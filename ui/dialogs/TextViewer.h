// `TTextViewer`, the read-only text window: one part of a message (with its objects, saving in
// five forms and printing with a banner and the summary) or a whole mail folder of the mail client
// (loaded with an abortable progress bar, sorted by date, saved plain, encrypted or as a mailbox).
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "mime/DatedMessages.h"
#include "ui/controls/ColGrip.h"
#include "ui/controls/DropEdit.h"
#include "ui/controls/ExtCtrlsEx.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/Gauges3d.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <functional>
#include <memory>
#include <string>

// The mail client's font for messages.
struct TViewerFont {
    std::string Name;
    int Size = 0; // points
    int Style = 0;
};

// The mail client's printing settings.
struct TViewerPrintSettings {
    std::string PrinterName;
    std::string FontName;
    int FontSize = 0;
    bool Header = false;
    bool Footer = false;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;
    int PrintMode = 0;
};

// What the viewer needs of the main object beyond the dialogs' common part: the mail client's
// settings and folders, the passphrase cache, encryption to the user's own key and the process's
// printer settings.
class ITextViewerMain : public IDialogMainObject {
public:
    virtual TViewerFont MessageFont() = 0;
    virtual bool HostWordWrap() = 0;
    virtual bool HostShowObjects() = 0;
    virtual TViewerPrintSettings HostPrintSettings() = 0;
    // The printing banner of the current mail user with the message's values filled in (UTF-8).
    virtual std::string FormatPrintingBanner(
        const std::string& from, const std::string& subject, const SYSTEMTIME& date)
        = 0;
    // The mail client's folder choice: name, whether it is a Unix mailbox, and its text ("\0" when
    // the choice was cancelled).
    virtual void SelectFolder(std::string& name, bool& mailbox, std::string& text) = 0;
    // The mail folder + name + ".MBX".
    virtual std::string MailboxFileName(const std::string& name) = 0;
    virtual void BeginCacheHold() = 0;
    virtual void EndCacheHold() = 0;
    // The text encrypted to the key of the DefaultUser option, as binary OpenPGP data (no armour):
    // what the encrypted save writes. False when it failed (the encryption has told the user).
    virtual bool EncryptToDefaultKey(const std::string& text, std::string& result, HWND parent) = 0;
    // Restarts the mail client for the current mail user.
    virtual void RestartMailClient() = 0;
    // The printer settings kept for the process.
    virtual TPrinterData& PrinterSettings() = 0;
    virtual const TMsgTreeData& TreeCaptions() = 0;
};

// Chooses the name to save under (empty: cancelled): (default name, title, owner).
using TSaveNameDialog = std::function<std::string(const std::string&, const std::string&, HWND)>;

class TTextViewer : public TZAVEKForm {
public:
    TTextViewer(ITextViewerMain& main, bool folderMode, TSectionNode* node);
    ~TTextViewer() override;

    void ApplyColorScheme(bool standard) override;
    bool CloseQuery() override;

    // Puts the save menu's items into their state for the shown text (the menu's popup handler).
    void PrepareSaveMenu();
    // Shows the progress panel: N >= 1 with a bar to N, N < 0 as "working", 0 hides it. True when
    // the panel shows.
    bool ShowProgress(int64_t n);
    void LoadPart();
    void Find(bool next);
    void ApplyFont(bool toggle);
    std::string DateRangeCaption();

    bool FolderMode() const noexcept { return folderMode_; }
    TDatedMessages& Messages() noexcept { return *messages_; }
    const std::string& FolderName() const noexcept { return folderName_; }

    // The save dialog (the plug-in's by default; tests put their own).
    TSaveNameDialog SaveNameDialog;

    TPanel* pnLeft = nullptr;
    TPanel* pnLeftTop = nullptr;
    TColoredFramePanel* pnText = nullptr;
    TDropEdit* deText = nullptr;
    TPanel* pnProgress = nullptr;
    TPanel* pnLabel = nullptr;
    TPanel* pnBar = nullptr;
    TGauge3d* gProgress = nullptr;
    TFlatBtn* fbAbort = nullptr;
    TPanel* pnButtons = nullptr;
    TFlatBtn* fbWrap = nullptr;
    TFlatBtn* fbSort = nullptr;
    TFlatBtn* fbFindFirst = nullptr;
    TFlatBtn* fbFindNext = nullptr;
    TFlatBtn* fbSave = nullptr;
    TFlatBtn* fbLoad = nullptr;
    TFlatBtn* fbPrint = nullptr;
    TPanel* pnClose = nullptr;
    TColoredGrip* cgTextViewer = nullptr;
    TFlatBtn* fbClose = nullptr;
    TPopupMenu* pmText = nullptr;
    TMenuItem* miSelectAll = nullptr;
    TMenuItem* miCopySelection = nullptr;
    TMenuItem* miLine = nullptr;
    TMenuItem* miCopyLink = nullptr;
    TMenuItem* miOpenLink = nullptr;
    TPopupMenu* pmSave = nullptr;
    TMenuItem* miSaveAs = nullptr;
    TMenuItem* miHeader = nullptr;
    TMenuItem* miText = nullptr;
    TMenuItem* miUnicode = nullptr;
    TMenuItem* miRichText = nullptr;
    TMenuItem* miHtmlText = nullptr;
    TMenuItem* miHtmlWithImages = nullptr;
    TMenuItem* miSeparator1 = nullptr;
    TMenuItem* miEncryptedText = nullptr;
    TMenuItem* miEncryptedUnicode = nullptr;
    TMenuItem* miEncryptedRichText = nullptr;
    TMenuItem* miSeparator2 = nullptr;
    TMenuItem* miUnixMailbox = nullptr;

    // The click handlers, also reached through keys and menus.
    void fbLoadClick();
    void fbWrapClick();
    void fbSortClick();
    void fbSaveClick();
    void fbPrintClick();
    void deTextUrlClick(const std::string& url, TMouseButton button, int x, int y);
    void deTextUrlDblClick(const std::string& url);

    // Minimum tracking size of the window.
    int MinWidth() const noexcept { return minWidth_; }
    int MinHeight() const noexcept { return minHeight_; }

protected:
    void DoShow() override;
    void Resize() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    void WndProc(TMessage& message) override;

private:
    TPanel* MakePanel(TWinControl* parent, TAlign align, int left, int top, int width, int height);
    TFlatBtn* MakeButton(TWinControl* parent, int left, int top);
    TMenuItem* AddItem(TPopupMenu& menu, const std::string& caption, std::function<void()> click);
    bool LoadGlyph(TFlatBtn& button, int id);
    std::string Text(int id) const { return Texts().GetEntry(static_cast<uint16_t>(id)); }
    void SetTexts();
    void UpdateLoadHint();
    void EnableLoadButton(bool enabled);
    void FirstPaintWork();
    void ToggleBusy();
    bool ReportProgress(int64_t position);
    void LoadFolder();
    void AfterSetPrintText(TDropEdit& printEdit, TPrinterPrefs& prefs);
    bool IsRootNode() const;
    bool IsRichNode() const;
    bool IsHtmlNode() const;
    std::string DefaultSaveName(const TMenuItem& item);
    void SaveClick(TMenuItem& item);
    bool WriteContent(const TMenuItem& item, const std::string& fileName, bool& encryptFailed);
    std::string SummaryBlock(bool wide);
    void SaveDone(const TMenuItem& item, const std::string& fileName);

    ITextViewerMain& main_;
    std::unique_ptr<TDatedMessages> messages_;
    bool folderMode_;
    std::string folderName_;
    bool firstPaint_ = true;
    TSectionNode* node_;
    std::string link_;
    int minWidth_ = 0;
    int minHeight_ = 0;
};

// Opens the viewer on a mail folder the user chooses in the mail client.
void ShowFolderViewer(ITextViewerMain& main);
// Opens the viewer on a part of a message.
void ShowPartText(ITextViewerMain& main, TSectionNode& node, HICON icon, bool wrap);
// The process's printer choices: taken from the mail client's print settings the first time, and
// the print dialog's captions from the language texts every time.
void FillPrinterSettings(ITextViewerMain& main);
