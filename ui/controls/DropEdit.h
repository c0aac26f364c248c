// `TDropEdit`, the plug-in's text control on the newest rich edit: mail addresses and URLs as
// links with click events and a "URL-Info" tip, dropped files, embedded objects on request, text
// search with its own options, clipboard work through the text object model, RTF and UTF-8
// streaming, and printing with a header and a footer line. Also `TClipboardHandler`.
#pragma once

#include "foundation/DatedStrings.h"
#include "framework/ComCtrls.h"
#include "framework/Streams.h"
#include "ui/controls/DropFiles.h"
#include "ui/controls/RichOleCallback.h"
#include "ui/controls/ThemeApi.h"
#include "ui/dialogs/PrintDlg.h"

#include <functional>
#include <memory>
#include <string>

#include <richedit.h>

// Search options. The first three are the rich edit's FR_DOWN, FR_WHOLEWORD and FR_MATCHCASE.
enum TSearchType : unsigned {
    stDown = 1,
    stWholeWord = 2,
    stMatchCase = 4,
    stAnsiChar = 8,
    stShowOptions = 16
};
using TSearchTypes = unsigned;

// Reformat flags.
enum : unsigned { rfMailAddresses = 1, rfDefaultAttributes = 2, rfTabStops = 4 };

// The print settings with the texts of the header and footer lines (8-bit UTF-8, or wide text).
struct TTextPrinterData : TPrinterData {
    std::string HeaderText;
    std::string FooterText;
    // The printed text came as HTML or RTF; its formatting itself travels in the control's text.
    bool RichText = false;
};

class TDropEdit;
using TPrintEvent = std::function<void(TDropEdit& printEdit, TPrinterPrefs& prefs)>;
using TOnUrlClick = std::function<void(const std::string& url, TMouseButton button, int x, int y)>;
using TOnUrlDblClick = std::function<void(const std::string& url)>;
// A context-menu request that no automatic popup menu answers; the point is in client coordinates
// ((-1, -1) from the keyboard).
using TOnContextPopup = std::function<void(TDropEdit& edit, POINT point)>;
// The owner's search dialog: (selected text, font name, options, search text); an empty search
// text means no search.
using TSearchDialogProc = std::function<void(const std::string& selected, const std::string& fontName,
    TSearchTypes& options, std::string& searchText)>;

// Clipboard work through the rich edit's text object model, with the clipboard messages where the
// model is missing or refuses. Kinds: 0 copy, 1 cut, 2 paste, 3 copy into the private data
// object, 4 paste from it.
class TClipboardHandler {
public:
    enum TKind { ckCopy = 0, ckCut = 1, ckPaste = 2, ckCopyPrivate = 3, ckPastePrivate = 4 };
    TClipboardHandler() = default;
    ~TClipboardHandler();
    TClipboardHandler(const TClipboardHandler&) = delete;
    TClipboardHandler& operator=(const TClipboardHandler&) = delete;

    // True when the object model did the work (false: the message fallback ran, or nothing).
    bool Execute(HWND control, TKind kind, bool releasePrivateData);
    // Copy, then paste of the selection: the rich edit detects its links anew.
    void Reinsert(HWND control);
    void ReleasePrivateData() noexcept;

private:
    IUnknown* privateData_ = nullptr;
};

class TDropEdit : public TRichEdit {
public:
    explicit TDropEdit(TComponent* owner);
    ~TDropEdit() override;

    int RichEditVersion() const noexcept { return version_; }
    bool WideMode() const noexcept { return wideMode_; }

    bool AutoSelect = true;
    bool AcceptFiles() const noexcept { return acceptFiles_; }
    void SetAcceptFiles(bool value);
    // Left text margin added to the client rectangle.
    void SetBorderWidth(int value);
    bool ContainsText();
    bool HideCaret() const noexcept { return hideCaret_; }
    void SetHideCaret(bool value);
    // EM_GETLINECOUNT.
    int Lines();
    bool ReadOnly() const noexcept { return TRichEdit::ReadOnly(); }
    void SetReadOnly(bool value);
    bool PlainText() const noexcept { return plainText_; }
    void SetPlainText(bool value) noexcept { plainText_ = value; }
    TSearchTypes SearchOptions = stDown;
    bool ShowObjects() const noexcept { return callback_ && callback_->ObjectsAllowed(); }
    void SetShowObjects(bool value);
    bool SingleLine() const noexcept { return singleLine_; }
    void SetSingleLine(bool value);
    int TabSize() const noexcept { return tabSize_; }
    void SetTabSize(int value);
    bool UrlDetection() const noexcept { return urlDetection_; }
    void SetUrlDetection(bool value);
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool value);
    // Copies the font for plain text and remembers its colour for the colour rule.
    void SetFont(const TFont& font);

    TPrintEvent OnAfterSetPrintText;
    TPrintEvent OnBeforeSetPrintText;
    std::function<void(TDropFiles&)> OnFileDropped;
    TOnUrlClick OnUrlClick;
    TOnUrlDblClick OnUrlDblClick;
    TOnContextPopup OnContextPopup;
    TSearchDialogProc SearchDialog;

    // Text, as the control holds it.
    void SetText(const std::string& text) override;
    std::string GetText() const override;
    void SetRtfText(const std::string& text);
    virtual void LoadFromStream(TStream* stream);
    virtual void SaveToStream(TStream& stream);
    std::string GetAnsiText();
    std::string GetSelText();
    std::string GetRtfText();
    void LoadFromStrings();
    TDatedStrings& DatedLines() noexcept { return *datedLines_; }
    void ReplaceSel(const std::string& text);

    int TextLength();
    void SelectAll();
    void SelectRange(int start, int length);
    void CollapseToEnd();
    bool IsLinkAt(int position);
    // The position of text between start and start + length, or -1.
    int FindText(const std::string& text, int start, int length);
    bool FindNext();
    bool SearchAgain() const noexcept { return searchAgain_; }
    // A next search takes the selection as its text without asking (the owner's find-next command).
    void SetSearchAgain(bool value) noexcept { searchAgain_ = value; }
    bool Searching() const noexcept { return searchBusy_; }
    const std::string& SearchText() const noexcept { return searchText_; }

    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    TClipboardHandler& ClipboardHandler() noexcept { return clipboard_; }
    int ObjectCount() const noexcept { return callback_ ? callback_->ObjectCount() : 0; }

    // The rfXXX steps over the whole text, selection and visibility kept (unless the caller has
    // already hidden the control).
    void Reformat(unsigned flags);
    void MarkMailAddresses();

    // Prints the text, or the selection, after the print dialog; raises EPrintFailure when the
    // printer cannot be opened or refuses the job or a page, EConvertError when the footer's format
    // is wrong.
    void Print(TTextPrinterData& data);
    // The print dialog's entry points (empty: the system's).
    TPrintDialogEntries PrintDialogEntries;
    int PageCount(FORMATRANGE& range);
    // The drawing half of printing; the target gives the pages (tests give metafiles).
    class IPrintTarget;
    void PrintPages(IPrintTarget& target, TTextPrinterData& data);

    bool UrlTipOpen() const noexcept { return tip_ != nullptr; }
    // The border is drawn by the theme (visual styles on, a border, the window or face colour).
    bool Themed() const noexcept { return static_cast<bool>(theme_); }
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void DoEnter() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    void EnabledChanged() override;
    void ColorChanged() override;

private:
    class HiddenState;
    void ApplyBorderWidth();
    void OpenTheme();
    int ThemeState() const;
    bool ThemedClientArea(TMessage& message);
    void PaintThemedBorder();
    void ApplyColorRule();
    void ApplyTabStops();
    void ApplyDefaultAttributes();
    void ReapplyLinkDetection();
    void SetTextNow(const std::string& text);
    std::u16string LineAt(int line);
    std::string TextRange(int start, int end);
    void HandleLink(const ENLINK& link);
    bool HandleEnterOnLink();
    bool HandleRightButton(TMessage& message);
    // True when a popup menu opens by itself or OnContextPopup takes the request.
    bool AnswersContextMenu() const;
    void OpenContextMenu(POINT screen);
    void ShowUrlTip(const std::string& url, int linkStart, POINT mouse);
    void UrlTipTimer();
    void CloseUrlTip();
    RECT LinkRect(int linkStart);
    bool PageKeys(WORD key, TShiftState shift);
    bool HandleChar(TMessage& message);
    void SendKeyPair(WORD key);
    std::string ReadStream(UINT format);
    void WriteStream(const std::string& data, UINT format);
    void StreamRtfIn(const std::string& rtf);
    std::unique_ptr<TDropEdit> MakePrintCopy(TTextPrinterData& data);
    int CountPages(IPrintTarget& target, FORMATRANGE& range);

    int version_ = 0;
    bool wideMode_ = false;
    TClipboardHandler clipboard_;
    std::unique_ptr<TDatedStrings> datedLines_;
    TDropFiles dropFiles_;
    std::unique_ptr<IREOCallback> callback_;

    bool acceptFiles_ = true;
    bool hideCaret_ = false;
    bool plainText_ = false;
    bool singleLine_ = false;
    int tabSize_ = 8;
    bool urlDetection_ = true;
    bool wordWrap_ = true;
    int textMargin_ = 0;
    TColor fontColor_ = clWindowText;
    int restoreCaret_ = -1;
    int lastHorzScroll_ = 0;
    bool rtfLoad_ = false;
    bool searchAgain_ = false;
    bool searchBusy_ = false;
    std::string searchText_;
    bool hiddenByCaller_ = false;

    TThemeHandle theme_;
    HWND tip_ = nullptr;
    RECT tipRect_ { -1, -1, -1, -1 };
};

class TDropEdit::IPrintTarget {
public:
    virtual ~IPrintTarget() = default;
    // The page's device context (a new one may follow NewPage).
    virtual HDC Dc() = 0;
    virtual void NewPage() = 0;
    // EM_FORMATRANGE on the edit (null range: free the edit's cache); the next character.
    virtual int FormatRange(HWND edit, FORMATRANGE* range, bool draw);
};
