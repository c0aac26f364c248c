// The plug-in's one set of operations on the mail client's rich-text editor controls: finding
// them, reading and replacing their text as plain text or RTF, inserting text, the framed info box
// and links, the editor's flags and the caret. Runs on the mail client's GUI thread only.
#pragma once

#include "foundation/HtsTerConverter.h"
#include "plugin/PMInterface.h"
#include "plugin/PutBackRecord.h"
#include "foundation/TerApi.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class TMimeMsgTree;

class TTERInterface {
public:
    static constexpr const char* EDITOR_CLASS = "TER??CLASS";
    static constexpr COLORREF LINK_COLOUR = 0x8080FF;

    TTERInterface(const std::string& hostFolder, bool newerHost);
    ~TTERInterface();
    TTERInterface(const TTERInterface&) = delete;
    TTERInterface& operator=(const TTERInterface&) = delete;

    const std::string& EditorVersion() const { return api_.Version; }
    const TerApi::TEntries& Api() const { return api_; }
    THtsTerConverter* Converter() const { return converter_.get(); }
    HWND CurrentEditor() const { return current_; }

    // ---- Finding and testing controls
    HWND FindViewerOrEditor(HWND window, bool preferViewer) const;
    HWND FindEditor(HWND window) const;
    static bool IsHtmlViewerClass(const std::string& className);
    bool IsHtmlViewer(HWND window) const;
    bool IsReadOnlyEditor(HWND window) const;
    bool IsEditorEmpty(HWND window) const;
    bool IsPrinting(HWND editor);

    // ---- Text out (an absent editor gives empty text)
    // whole clear: everything is selected first. ANSI text comes with CR LF line ends.
    std::string GetSelectedText(HWND editor, bool whole, bool restoreSelection);
    std::wstring GetSelectedTextW(HWND editor, bool whole, bool restoreSelection);
    std::string GetSelectedRtf(HWND editor, bool whole, bool restoreSelection);
    std::string GetEditorText(HWND editor);
    // line -1: the caret's line. Trailing characters below 33 are removed.
    std::string GetLine(int line);
    std::string GetLineUnderMouse(HWND editor);
    std::string GetLineAtCaret(HWND editor);
    // The protected text of the selection (the whole text without one) and its section kind; kind 0,
    // and certificates and S/MIME (4, 8-10) unless signed texts are accepted, give empty text.
    uint32_t GetEditorPgpText(HWND editor, TMimeMsgTree& tree, std::string& text, bool acceptSigned);
    // The same over the whole text, where a key block (3) gives empty text as well.
    uint32_t GetEditorPgpWhole(HWND editor, TMimeMsgTree& tree, std::string& text, bool acceptSigned);
    // The selection as a key id text (found when it is one) or, holding '@', as an e-mail address.
    std::string GetSelectedAddress(HWND editor, bool& found);

    // ---- Text in
    bool ClearEditor(HWND editor);
    bool SetEditorText(HWND editor, const std::string& text);
    // Plain text is turned into RTF with the font; colour and paragraph format -1: not given.
    bool InsertText(HWND editor, const std::string& text, int paragraphFormat, int32_t colour,
        const std::string& fontName, const THostFontDesc& font);
    bool InsertPlain(const std::string& text, bool repaint);
    bool InsertHyperlink(const std::string& text, const std::string& link);
    bool InsertHorizontalLine();
    // The framed "PGP-Info:" box at the top, whatever the text below it says; kinds 2 to 6 have a colour.
    bool InsertInfoBox(HWND editor, const std::string& info, bool keepSelection, int tabPosition, int kind);
    // The decrypted or verified message into a reader or editor, framed as the record's mode says.
    bool PutMessageIntoEditor(HWND editor, const TPutBackRecord& record);

    // ---- Caret, font, paragraph and flags (on the current editor)
    int GetCaretLine();
    int GetCaretPos();
    bool SetCaret(int line);
    bool MoveCaretToStart();
    POINT GetCaretPixel();
    bool MoveCaretToMouse();
    int GetCaretLineHeight();
    std::string GetFontName(int font);
    bool SetFontName(const std::string& name);
    int GetFontSize(int font);
    bool SetPointSize(int points);
    int GetCurrentFont();
    bool SetFontStyle(const THostFontDesc& font, const std::string& name);
    int GetParagraphSpace();
    bool SetParagraphIndent(UINT format);
    int GetTabStop();
    bool SetTabStop(int position, int kind);
    COLORREF GetTextColour();
    bool SetTextColour(COLORREF colour);
    bool SelectRange(LONG from, LONG to);
    bool Deselect();
    bool DeleteSelection();
    LONG Find(const std::string& text, LONG from, bool matchCase);
    bool EnableRefresh(bool on);
    bool Repaint();
    bool SetEditorFieldsFlag(bool on);
    void PrepareEditor(HWND editor);
    void PrepareEditorLinks(HWND editor);

    // ---- Links
    bool IsOverLink(const std::string& linkText);
    void FollowLinkUnderMouse(HWND editor);

private:
    bool Use(HWND editor);
    // Runs read on the selection, or on everything selected for it when whole is clear.
    template <typename Read> auto ReadSelection(HWND editor, bool whole, bool restoreSelection, Read read);
    std::string EditorTextAnsi(HWND editor);
    void ReplaceWithReplyFrame(HWND editor, const TPutBackRecord& record);
    void InsertParts(HWND editor, const TPutBackRecord& record);
    void InsertMarker(HWND editor, const std::string& line);
    void InsertSignatureBlock(HWND editor, const TPutBackRecord& record);
    int ClientWidthTwips() const;
    LONG MouseTextPosition();
    static void TurnOn(TerApi::TerSetFlagsProc proc, HWND editor, DWORD bit);

    TerApi::TEntries api_;
    HWND current_ = nullptr;
    std::unique_ptr<THtsTerConverter> converter_;
};
