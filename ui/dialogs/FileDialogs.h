// The plug-in's open and save dialogs: the system's file dialogs with a hook and a child template
// of ours, centred over their owner, optionally with an extra button that closes the dialog with
// the name ":CLIP:" (take the key from the clipboard) instead of a path.
#pragma once

#include "framework/Components.h"
#include "framework/StringLists.h"

#include <windows.h>

#include <commdlg.h>

#include <memory>
#include <string>

// The name a file dialog gives when the user chose the clipboard button.
inline constexpr char ClipboardFileName[] = ":CLIP:";

// Options of a file dialog (a set of these bits).
enum TOpenOption : unsigned {
    ofAllowMultiSelect = 1,
    ofShowHelp = 2,
    ofShareAware = 4,
    ofNoTestFileCreate = 8,
};

// What every file dialog has: the chosen name, the caption, options and the chosen filter.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* Owner)
        : TComponent(Owner)
    {
    }
    // True when a name was chosen; it is then in FileName.
    virtual bool Execute() = 0;

    std::string FileName; // several names (multiple selection) are separated by line feeds
    std::string Title;
    unsigned Options = 0;
    int FilterIndex = 1;
};

// The differences between the open and the save dialog.
struct TFileDialogKind {
    // GetOpenFileNameA or GetSaveFileNameA, bound at the first dialog (null when it cannot be had):
    // the common dialogs start the printing library with them, which nothing needs before.
    decltype(&::GetOpenFileNameA) (*Run)();
    DWORD FixedFlags;
    bool MultiSelect;
    int PlainTemplate;
    int ButtonTemplate;
    int ButtonID;
    const char* PropertyName;
};

// The one implementation of both twins.
class TFileDialogEx : public TOpenDialog {
public:
    bool Execute() override;

    void SetClipBtnText(const std::string& Text);
    const std::string& ClipBtnText() const noexcept { return clipBtnText_; }
    char AccessKey() const noexcept { return accessKey_; }
    // The first three characters after an optional leading '.'.
    void SetDefaultExtension(const std::string& Text);
    const std::string& DefaultExtension() const noexcept { return defaultExtension_; }
    TStringList& Filter() noexcept { return filter_; } // lines "description|patterns"
    std::string InitialDir;
    HWND ParentHandle = nullptr;

    // The record the dialog ran with (for callers and tests that look at what was asked).
    const OPENFILENAMEA& Record() const noexcept { return record_; }
    HWND DialogWindow() const noexcept { return dialog_; }

protected:
    explicit TFileDialogEx(const TFileDialogKind& Kind);

private:
    static UINT_PTR CALLBACK Hook(HWND Child, UINT Message, WPARAM WParam, LPARAM LParam);
    UINT_PTR HookMessage(HWND Child, UINT Message, WPARAM WParam, LPARAM LParam);
    LRESULT DialogMessage(HWND Dialog, UINT Message, WPARAM WParam, LPARAM LParam);
    void ChooseClipboard(HWND Dialog);
    DWORD Flags() const;

    const TFileDialogKind& kind_;
    TStringList filter_;
    std::string clipBtnText_;
    char accessKey_ = 0;
    std::string defaultExtension_;
    std::unique_ptr<char[]> buffer_;
    bool clipboardChosen_ = false;
    HWND dialog_ = nullptr;
    OPENFILENAMEA record_ {};
};

class TOpenDialogEx : public TFileDialogEx {
public:
    TOpenDialogEx();
};

class TSaveDialogEx : public TFileDialogEx {
public:
    TSaveDialogEx();
};

// The result of an accepted dialog's buffer (NUL-separated parts up to a double NUL): one part is
// the full name; with several, the first is the folder and each further one a name in it, the
// full names joined by line feeds. Folder receives the folder with its trailing '\'.
std::string FileDialogResult(const char* Buffer, size_t Size, std::string& Folder);
// The upper-cased letter after the '&' of a caption; 0 when it has none.
char AccessKeyOf(const std::string& Caption);
