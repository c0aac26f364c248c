// The encoder's recipient dialog: a plain Windows dialog (template 10) with a tree of the keys that
// can encrypt and the recipient groups, single or multiple selection, details on demand. It gives
// back the chosen key ids, a request for a key-server search, or the typed text with a key id.
#pragma once

#include "engine/KeyDialogRules.h"
#include "engine/KeyFuncsTypes.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

constexpr int kKeyDialogTemplate = 10;
constexpr int kKeyDialogHelpContext = 29;
// Control ids of template 10 and of the tree made at run time.
enum : int {
    kKeyDialogTitle = 20,
    kKeyDialogHint = 30,
    kKeyDialogTyped = 40,
    kKeyDialogButton4 = 4,
    kKeyDialogButton6 = 6,
    kKeyDialogTree = 50,
};

// Results of TSelKeyDialog::Execute; kKeyDialogFailed when no dialog could be made.
enum : int {
    kKeyDialogFailed = -1,
    kKeyDialogCancelled = 0,
    kKeyDialogChosen = 1,
    kKeyDialogSearchServer = 2,
    kKeyDialogTypedKey = 3
};

struct TKeyDialogTexts {
    std::string Title;
    std::string SMimeTitle;
    std::string Hint;
    std::string TypedRecipients; // shown in control 40 as the user typed them
    std::string SearchServer; // button 4, single mode
    std::string UseTypedKey; // button 6, single mode
    std::string MarkAll; // button 4, multiple mode
    std::string UnmarkAll; // button 6, multiple mode
    std::string Details = "&Details"; // button 6, S/MIME mode
    std::string Ok = "&Ok";
    std::string Cancel = "Cancel";
    std::string CountSuffix;
    std::string GroupSuffix = "group";
};

// What the dialog asks of the plug-in's tooltip and help handler.
class IKeyDialogAssist {
public:
    virtual ~IKeyDialogAssist() = default;
    // A tracking tooltip with `text` at `screenPoint`, in the tree's font.
    virtual void ShowDetails(HWND tree, POINT screenPoint, const std::string& text) = 0;
    virtual void HideDetails() = 0;
    virtual bool DetailsShown() const = 0;
    virtual void ShowHelp(HWND dialog, int context) = 0;
};

class TSelKeyDialog {
public:
    explicit TSelKeyDialog(HWND parent);
    ~TSelKeyDialog();
    TSelKeyDialog(const TSelKeyDialog&) = delete;
    TSelKeyDialog& operator=(const TSelKeyDialog&) = delete;

    // Shows the dialog over `keyList`; `recipientText` is the wanted text in and the result out,
    // `rememberedChoice` is set when the user confirmed marks or chose a group.
    int Execute(std::string& recipientText, TKeyPropsList& keyList, bool& rememberedChoice);

    TKeyDialogTexts Texts;
    TKeyDialogNames Names;
    bool SMime = false;
    bool MultipleSelection = false;
    IKeyDialogAssist* Assist = nullptr; // none: no details and no help
    // S/MIME mode: the certificates of a key, for the details, and the certificate viewer for the
    // focused entry's certificate (button 6). Unset, or no certificate of the entry found: the
    // details show the key, and so does button 6.
    std::function<std::vector<TX509CertPropsRec>(const std::string& keyID)> Certificates;
    std::function<void(HWND owner, const TX509CertPropsRec& certificate, const std::string& title)> ViewCertificate;
    int HelpContext = kKeyDialogHelpContext;

    friend INT_PTR CALLBACK SelKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam);

    INT_PTR HandleDialog(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleTree(UINT message, WPARAM wParam, LPARAM lParam);
    void Start(HWND dialog);
    void CreateTree();
    void FillTree();
    void CentreAndScroll();
    void DrawStatic(const DRAWITEMSTRUCT& draw);
    LRESULT CustomDraw(NMTVCUSTOMDRAW& draw);
    void Command(int id);
    void Finish(int result);
    void Destroyed();

    // Items: tree handle <-> index of items_.
    int IndexOf(HTREEITEM item) const;
    HTREEITEM FocusedItem() const;
    int FocusedTopLevel() const;
    void MoveFocus(HTREEITEM item);
    void SelectionChanged();

    // Multiple mode: the marks of the top-level items, shown as the tree's selected state.
    void BeginBatch();
    void EndBatch();
    void MarkOnly(int top);
    void MarkAlso(int top);
    void MarkRange(int from, int to);
    void SetAllMarks(bool on);
    void ToggleMark(int top);
    void ShowMarks();
    int MarkedCount() const;
    bool MultipleKey(WPARAM key);
    void MultipleClick(HTREEITEM item, bool shift, bool control);

    void ShowDetails(HTREEITEM item);
    std::string DetailsText(int index) const;
    // Button 6 in S/MIME mode: the focused entry's own certificate in the viewer; false when
    // there is no viewer or no certificate of the entry.
    bool ViewFocusedCertificate();
    bool HideDetailsFirst();

    HWND parent_;
    HWND dialog_ = nullptr;
    HWND tree_ = nullptr;
    WNDPROC treeProc_ = nullptr;
    HFONT boldFont_ = nullptr;
    HIMAGELIST keyImages_ = nullptr;
    HIMAGELIST stateImages_ = nullptr;
    TKeyPropsList* list_ = nullptr;
    std::string wanted_;
    std::string result_;
    int resultCode_ = kKeyDialogCancelled;
    bool remembered_ = false;
    std::vector<TKeyTreeItem> items_;
    std::vector<HTREEITEM> handles_;
    std::vector<int> roots_; // indexes of the top-level items in tree order
    std::vector<bool> marks_; // per item index; only top-level items are marked
    int preselected_ = -1;
    int anchor_ = -1; // top-level item a range starts from
    int batch_ = 0;
};

INT_PTR CALLBACK SelKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
