// Common controls: up-down, status bar, page control with tab sheets (tabs may be hidden), image
// list, and the rich-edit base (a Unicode rich edit created by class name from the system folder's
// library, with plain-text mode, selection and change notification).
#pragma once

#include "framework/Controls.h"
#include "framework/StringLists.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Registers the common-control classes the framework uses (once per process).
void EnsureCommonControls();

class TUpDown : public TWinControl {
public:
    explicit TUpDown(TComponent* owner);

    int Min = 0;
    int Max = 100;
    int Increment = 1;
    int Position();
    void SetPosition(int position);
    // The control whose text shows the position (an edit); null for none.
    void SetAssociate(TWinControl* control);
    TWinControl* Associate() const noexcept { return associate_; }

    // Before a change: set allow to false to refuse it.
    std::function<void(TUpDown&, bool& allow)> OnChanging;
    // After a click or arrow key; up is true for the upper button.
    std::function<void(TUpDown&, bool up)> OnClick;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    int position_ = 0;
    TWinControl* associate_ = nullptr;
};

struct TStatusPanel {
    std::string Text;
    int Width = 50;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    bool SizeGrip = true;
    bool SimplePanel() const noexcept { return simplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const noexcept { return simpleText_; }
    void SetSimpleText(const std::string& text);
    const std::vector<TStatusPanel>& Panels() const noexcept { return panels_; }
    void SetPanels(std::vector<TStatusPanel> panels);
    void SetPanelText(int index, const std::string& text);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;

private:
    void UpdatePanels();

    bool simplePanel_ = false;
    std::string simpleText_;
    std::vector<TStatusPanel> panels_;
};

class TPageControl;

// One page of a page control: a container that fills the page control's display area.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const noexcept { return pageControl_; }
    void SetPageControl(TPageControl* control);
    bool TabVisible() const noexcept { return tabVisible_; }
    void SetTabVisible(bool visible);
    // Index among the page control's sheets (-1 when on none).
    int PageIndex() const;
    void SetText(const std::string& text) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const noexcept { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    TTabSheet* ActivePage() const noexcept { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);

    std::function<void(TPageControl&, bool& allow)> OnChanging;
    std::function<void(TPageControl&)> OnChange;
    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;
    void AdjustClientRect(RECT& rect) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTabs();
    TTabSheet* PageOfTab(int tab) const;
    int TabOfPage(const TTabSheet* page) const;

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};

// A list of same-sized images (HIMAGELIST) owned by the component.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    // Setting a size or the mask flag clears the list.
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetSize(int width, int height);
    bool Masked() const noexcept { return masked_; }
    void SetMasked(bool masked);
    int AllocBy = 4;

    HIMAGELIST Handle();
    int Count();
    // Each returns the new image's index, or -1.
    // The bitmaps leave their canvas DCs (the list selects them into its own).
    int Add(TBitmap& image, TBitmap* mask = nullptr);
    int AddMasked(TBitmap& image, TColor maskColor);
    int AddIcon(HICON icon);
    // Replaces the image at index with the icon; index -1 appends.
    int ReplaceIcon(int index, HICON icon);
    void Clear();
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);

protected:
    // Takes over a list made elsewhere; the size is read from it.
    void AdoptHandle(HIMAGELIST handle) noexcept;

private:
    void Free() noexcept;

    HIMAGELIST handle_ = nullptr;
    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The rich-edit base. Text is exchanged as ANSI byte strings (the system code page) or as UTF-16.
class TRichEdit : public TWinControl {
public:
    explicit TRichEdit(TComponent* owner);
    ~TRichEdit() override;

    // Plain-text mode is chosen when the window is made; changing it recreates the window.
    bool PlainText() const noexcept { return plainText_; }
    void SetPlainText(bool value);
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool value);
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool value);
    TScrollStyle ScrollBars = ssBoth;
    bool HideSelection = true;
    bool BorderVisible = true;
    int MaxLength() const noexcept { return maxLength_; }
    void SetMaxLength(int value);

    std::string GetText() const override;
    void SetText(const std::string& text) override;
    std::wstring WideText() const;
    void SetWideText(const std::wstring& text);
    // The text's lines (paragraphs); changes go straight into the control.
    TStrings& Lines() noexcept { return *lines_; }

    int SelStart();
    int SelLength();
    void SetSelStart(int start);
    void SetSelLength(int length);
    std::string SelText();
    void SetSelText(const std::string& text);
    void SelectAll();

    std::function<void(TRichEdit&)> OnChange;
    void WndProc(TMessage& message) override;

    // The class name in use ("RichEdit50W" or "RichEdit20W"); empty when no library could be loaded.
    static std::string ClassName();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandleDone() override;

private:
    class LineList;

    bool plainText_ = false;
    bool readOnly_ = false;
    bool wordWrap_ = true;
    int maxLength_ = 0;
    std::unique_ptr<TStrings> lines_;
};
