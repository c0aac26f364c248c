// `TZAVEKForm`, the base of every dialog of the plug-in: one look (icon, font, colour scheme), the
// chain of owner windows between nested dialogs, help routing for F1 and right clicks, and the
// one close-down routine through which every dialog ends.
#pragma once

#include "framework/Forms.h"
#include "ui/dialogs/DialogMainObject.h"

#include <memory>
#include <string>

class TFlatBtn;
class TToolTip;

class TZAVEKForm : public TForm {
public:
    explicit TZAVEKForm(IDialogMainObject& mainObject);
    ~TZAVEKForm() override;

    // Ends the dialog: hands activation back along the chain, releases the form and handles the
    // waiting messages, so the form is gone when this returns. Callers never delete a dialog.
    void CloseDown();

    // Deletes the Close command and every grayed item from the system menu.
    void RemoveCloseCommand();
    // Sizes and places the form by the host's frame window.
    void PlaceOverHostWindow();
    // Removes one waiting key message of the focused window (after a key handled as a shortcut).
    void DiscardKeyMessage();
    // Sets the hint; a hint with "&X" gives an icon button that accelerator as its caption.
    void SetButtonHint(TFlatBtn& button, const std::string& hint);
    // Help for a control: 28 and up a help-file topic, 1 to 27 a popup of the form's tooltip.
    int ShowHelpPopup(TControl* control, int context);
    // True while the form's help tooltip shows.
    bool IsToolTipActive() const;
    // The form's help tooltip; null when it could not be made (popups are then skipped).
    TToolTip* HelpToolTip() const noexcept { return toolTip_.get(); }
    // Follows a link of a help popup; text becomes the new text of the popup (empty: it closes).
    void HandleLink(const std::string& url, std::string& text);

    virtual void ApplyColorScheme(bool standard);

    // A size laid out for 96 DPI at the screen's DPI, so that fonts, which follow the DPI, keep
    // their room.
    static int Scaled(int designPixels);
    // Grows the client area and every child from the 96-DPI layout it was built in to the screen's
    // DPI.
    void ScaleLayoutToScreen();

    IDialogMainObject& MainObject() const noexcept { return main_; }
    HWND PreviousDialogWindow() const noexcept { return previousDialog_; }
    const std::string& FixedFontName() const noexcept { return fixedFontName_; }
    const TZAVEKStringList& Texts() const noexcept { return main_.Texts(); }

    // Colours of the scheme: the plug-in's own tint, and the system button face.
    static constexpr TColor OwnTint = 0x00A8C8C7;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void DestroyWnd() override;
    void DoShow() override;
    void WndProc(TMessage& message) override;
    // The first control with a help context, from control up through its parents.
    static TControl* HelpControlOf(TControl* control);

private:
    void HandleHelp(const HELPINFO& info);
    void HandleContextMenu(TMessage& message);
    HWND OwnerForDialog() const;

    IDialogMainObject& main_;
    std::string savedDirectory_;
    std::string fixedFontName_;
    HWND previousDialog_;
    bool standardColor_;
    bool* alive_ = nullptr;
    std::unique_ptr<TToolTip> toolTip_;
};

// Removes bold from the font's style and keeps the rest.
void ClearBoldStyle(TFont& font);
