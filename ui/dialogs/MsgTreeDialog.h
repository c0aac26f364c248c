// `TMsgTreeDialog`: the MIME structure of one message as a tree, from which single parts are
// viewed, opened with their program, copied and saved; an embedded message is saved whole as a
// host message file with its flags line.
#pragma once

#include "foundation/FileUtilsWin.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "mime/MimeMsgTree.h"
#include "ui/controls/ExtCtrlsEx.h"
#include "ui/controls/FlatBtn.h"
#include "ui/controls/HotLabel.h"
#include "ui/controls/MenuControl.h"
#include "ui/controls/TreeViewEx.h"
#include "ui/dialogs/PartTreeIcons.h"
#include "ui/dialogs/PrintDlg.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <functional>
#include <string>

// What the dialog needs besides the message: the tree's settings, the user's own address (for the
// sender line), the text viewer that shows the parts that are not pictures (with the part's icon),
// the key import that takes a key block or certificate part, and the certificate window that shows
// the DER certificate of an S/MIME signature part; the printer choices the picture viewer starts
// from and keeps (null: the dialog keeps its own while it is open).
struct TMsgTreeSettings {
    TMsgTreeData TreeData;
    std::string OwnAddress;
    TPrinterData* Printer = nullptr;
    std::function<void(TSectionNode& node, HICON icon)> ViewText;
    std::function<void(const std::string& keyText)> ImportKeys;
    std::function<void(const std::string& certificate)> ShowCertificate;
};

class TMsgTreeDialog : public TZAVEKForm {
public:
    TMsgTreeDialog(IDialogMainObject& mainObject, const TMsgTreeSettings& settings);
    ~TMsgTreeDialog() override;

    std::string MessageText;
    TMimeMsgTree& Tree() noexcept { return tree_; }
    // The model node of the selected item, or null.
    TSectionNode* SelectedNode();

    // Writes the selected part: without a name to a new temporary file with its extension; with
    // write set to name as it is, else to the temporary folder + name made unique. Without write
    // an empty file is made. Returns the file's name, empty on failure (reported).
    std::string WritePartToFile(const std::string& name, bool write);

    void ApplyColorScheme(bool standard) override;

    TPanel* pnTop;
    THotLabel* hlSubjectName;
    THotLabel* hlSubjectText;
    THotLabel* hlSentName;
    THotLabel* hlSentText;
    TPanel* pnLeft;
    TPanel* pnRight;
    TColoredFramePanel* pnTree;
    TTreeViewEx* tvTree;
    TPanel* pnBottom;
    TFlatBtn* fbView;
    TFlatBtn* fbSave;
    TFlatBtn* fbClose;
    TMenuControl* mcFile;
    TMCPopupMenu* pmFile;
    TMenuItem* miView;
    TMenuItem* miCopy;
    TMenuItem* miSave;
    TMenuItem* miLine;
    TMenuItem* miClose;

    void miViewClick();
    void miCopyClick();
    void miSaveClick();

protected:
    void DoShow() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    void WndProc(TMessage& message) override;

private:
    TPanel* MakePanel(TWinControl* parent, TAlign align, int width, int height);
    THotLabel* MakeLabel(int left, int top, int width, bool bold);
    TFlatBtn* MakeButton(int left, int glyph, int text);
    TMenuItem* MakeItem(int text, std::function<void()> action);
    void LoadButtonGlyph(TFlatBtn& button, int glyph);
    void FillTree();
    void SelectionChanged();
    void DoubleClicked();
    void ShowNodeHint(int x, int y);
    // The part's context menu at the selected node's centre (keyboard), at the cursor, or at the
    // menu control's position (with the close items shown).
    void ShowPartMenu(bool fromKeyboard, const POINT* at = nullptr);
    bool WriteFile(const std::string& fileName, const std::string& content);
    void SaveAs(const std::string& offered, const std::string& folder, const std::function<std::string(const std::string&)>& content);

    TMsgTreeSettings settings_;
    TMimeMsgTree tree_;
    TPartTreeIcons icons_;
    TPrinterData ownPrinter_;
    TDecodedTempFolder decodedFiles_; // parts written for opening with another program
    const TTreeNode* hintItem_ = nullptr; // the item the tooltip was last made for
};

// Shows the message's part tree modally.
void ShowMessageTree(IDialogMainObject& main, const std::string& messageText, const TMsgTreeSettings& settings);
