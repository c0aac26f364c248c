// `TImageViewer`: shows one picture part of a message sized to the picture, zooms it by quarter
// steps, turns it by quarter turns, copies and saves it, and opens it with another program through
// the Explorer's context menu of a temporary copy, and prints it. Also the picture test and copy for the tree.
#pragma once

#include "foundation/FileUtilsWin.h"
#include "foundation/GdiPlus.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "mime/MimeMsgTree.h"
#include "ui/controls/ColGrip.h"
#include "ui/controls/ExtCtrlsEx.h"
#include "ui/dialogs/PrintDlg.h"
#include "ui/dialogs/ZAVEKForm.h"

#include <memory>
#include <string>

class TImageViewer : public TZAVEKForm {
public:
    // Printer choices are read from and kept in printer (the main object's, for the process).
    TImageViewer(IDialogMainObject& mainObject, TPrinterData& printer);
    ~TImageViewer() override;

    // Loads the part's bytes under its file name (the caption shows the name's file part).
    void ShowPart(const std::string& fileName, const std::string& bytes);

    void ZoomIn() { Zoom(false); }
    void ZoomOut() { Zoom(true); }
    void RotateLeft() { Rotate(true); }
    void RotateRight() { Rotate(false); }
    void CopyPicture();
    void SavePicture();
    void PrintPicture();
    // The context menu with the Explorer's commands for a copy of the picture; at the cursor or,
    // from the keyboard, at the form's centre.
    void ShowContextMenu(bool atCursor);

    const std::string& FileName() const noexcept { return fileName_; }
    SIZE FrameSize() const noexcept { return frame_; }
    SIZE ZoomStep() const noexcept { return step_; }
    SIZE MinTrackSize() const noexcept { return minTrack_; }

    void SetBounds(int left, int top, int width, int height) override;
    void ApplyColorScheme(bool standard) override;

    TPanel* pnTop;
    TPanel* pnLeft;
    TPanel* pnRight;
    TColoredGrip* cgImageViewer;
    TColoredFramePanel* pnImage;
    TImage* imgViewer;
    TPopupMenu* pmImage;
    TMenuItem* miDecrease;
    TMenuItem* miIncrease;
    TMenuItem* miRotateLeft;
    TMenuItem* miRotateRight;
    TMenuItem* miSeparator1;
    TMenuItem* miCopy;
    TMenuItem* miSave;
    TMenuItem* miPrint;
    TMenuItem* miSeparator2;
    TMenuItem* miClose;

protected:
    void DoShow() override;
    bool DoKeyDown(WORD& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;
    void WndProc(TMessage& message) override;

private:
    TPanel* MakePanel(TAlign align, int width, int height);
    TMenuItem* MakeItem(const std::string& caption, std::function<void()> action);
    void Render();
    void Fit();
    void FillClientWithPicture();
    void Zoom(bool out);
    void Rotate(bool left);
    void MoveAroundCentre(int width, int height);
    bool WriteCopyForCommand(const std::string& file);

    TPrinterData& printer_;
    std::unique_ptr<TGdipImage> image_; // null without GDI+
    std::string bytes_;
    std::string fileName_;
    TDecodedTempFolder decodedFiles_; // copies written for opening with another program
    SIZE frame_ {};
    SIZE minTrack_ {};
    SIZE step_ {};
};

// True for an extension of at least four characters (".png") that the installed picture decoders
// name, ignoring case.
bool IsPictureExtension(const std::string& extension);
// Puts the picture held by bytes on the clipboard; nothing without GDI+ or for bytes it cannot read.
void CopyImageToClipboard(const std::string& bytes);
// Shows a picture part of a message in the viewer, with the given window icon; printing starts from
// and keeps its choices in printer.
void ShowImagePart(IDialogMainObject& main, TPrinterData& printer, const TSectionNode& node, HICON icon);
