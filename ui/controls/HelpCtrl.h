// `THelpHandler`: the plug-in's front end to the Windows help viewers. It opens an HTML Help
// (".chm") or WinHelp (".hlp") file at a topic, waits for the help window and makes Escape in its
// content window close it, and keeps the topic pages and the popup texts of a popups page.
#pragma once

#include "ui/controls/HelpLists.h"

#include <memory>
#include <string>

#include <windows.h>

// The HTML Help control's entry point, bound at run time (null while the library is not loaded).
using THtmlHelpProc = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
extern THtmlHelpProc HtmlHelpA;

// The base of the two viewers: the window classes it looks for, the help window's title and the
// state of the content window's context menu (-1 while it is open).
class THelpClass {
public:
    THelpClass(HWND owner, const std::string& helpFile);
    virtual ~THelpClass();
    THelpClass(const THelpClass&) = delete;
    THelpClass& operator=(const THelpClass&) = delete;

    int MenuActive = 0;
    std::string WindowTitle;
    const std::string& HelpFile() const noexcept { return helpFile_; }
    const std::string& HelpWindowClass() const noexcept { return helpClass_; }
    const std::string& ContentWindowClass() const noexcept { return contentClass_; }
    // The content window subclassed after the last topic (null when none or gone).
    HWND ContentWindow() const noexcept { return content_; }

    // How long a topic waits for its help window to show.
    static constexpr DWORD WaitLimitMs = 10000;

protected:
    // Both run from the derived class's constructor and destructor.
    virtual void Init() = 0;
    virtual void Close() = 0;
    // Closes a help window of this thread, then Close().
    void Shutdown() noexcept;
    // Waits (handling this thread's messages) until the help window shows with its content window,
    // then subclasses that one so that Escape closes the help. False when it did not show in time
    // or WM_QUIT came.
    bool WaitForHelpWindow();
    HWND FindHelpWindow() const;

    HWND owner_;
    std::string helpFile_;
    std::string helpClass_;
    std::string contentClass_;

private:
    void SubclassContent(HWND content);
    LRESULT ContentProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void ReleaseContent() noexcept;

    HWND content_ = nullptr;
};

class TWinHelp : public THelpClass {
public:
    TWinHelp(HWND owner, const std::string& helpFile);
    ~TWinHelp() override;
    bool ShowTopic(int context);

protected:
    void Init() override;
    void Close() override;
};

class THtmlHelp : public THelpClass {
public:
    THtmlHelp(HWND owner, const std::string& helpFile);
    ~THtmlHelp() override;
    bool ShowTopic(const std::string& page, const std::string& windowType);
    bool PreTranslateMessage(MSG& message);

protected:
    void Init() override;
    void Close() override;

private:
    DWORD_PTR cookie_ = 0;
};

// The rectangle a help window gets when its client area is smaller than half the desktop in
// either direction (the desktop being the work area given); unchanged otherwise.
RECT PlaceHelpWindow(const RECT& window, const RECT& client, const RECT& desktop);

enum THelpKind { hkNone = 0, hkWinHelp = 1, hkHtmlHelp = 2 };

class THelpHandler {
public:
    // Called for each popup paragraph: its display text at the width, and a number (its height).
    using TPopupConverter
        = void (*)(void* data, const std::string& html, int width, std::string& text, int& number);

    THelpHandler(HWND owner, const std::string& helpFile, const std::string& popupsFile, void* converterData,
        TPopupConverter converter, int width);
    ~THelpHandler();
    THelpHandler(const THelpHandler&) = delete;
    THelpHandler& operator=(const THelpHandler&) = delete;

    THelpKind Kind() const noexcept { return kind_; }
    bool ShowTopic(int context);
    // True when the HTML Help window took the message (or it is a Tab key for it).
    bool PreTranslateMessage(MSG& message);
    void SetTCardValue(int value);
    void SetWindowTitle(const std::string& title);

    std::string GetPopupText(int index) const { return popups_.GetPopupText(index); }
    std::string GetPopupTextByName(const std::string& id) const { return popups_.GetPopupTextByName(id); }
    int GetPopupNumber(int index) const { return popups_.GetPopupNumber(index); }

    TPopupList& Popups() noexcept { return popups_; }
    TTopicList& Topics() noexcept { return topics_; }
    THelpClass* Viewer() const noexcept { return viewer_.get(); }
    std::string WindowType;

private:
    void LoadPopups(const std::string& popupsFile);

    std::unique_ptr<THelpClass> viewer_;
    THelpKind kind_ = hkNone;
    void* converterData_;
    TPopupConverter converter_;
    TPopupList popups_;
    TTopicList topics_;
};
