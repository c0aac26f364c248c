// Script steps of the stand-in mail client that open a message in a reader, as a user opens one
// from a folder, and walk the windows the plug-in opens over it (the message tree and its viewers)
// as a person would: wait for a window, read its tree and texts, select, click, close.
//   readmessage FILE                      open a reader showing the message file's text
//   window TEXT [CONTENT]                 wait for a window of ours whose caption holds TEXT to
//                                         take input (shown, enabled: nothing modal over it) and,
//                                         with CONTENT, for one of its controls to show that text
//   tree TEXT                             log the items of its tree view: caption and icon indexes
//   treeselect TEXT N                     select its tree item N (from 0, in the order logged)
//   press TEXT BUTTON                     click its button of that caption (without '&')
//   texts TEXT                            log the texts of its controls
//   closewindow TEXT                      WM_CLOSE to it
//   gone TEXT                             wait until no window of ours has a caption holding TEXT
// A step that waits holds the script and runs again a moment later: it pumps no messages itself, so
// a window that opens modally in the meantime runs the script on in its own message loop.
// Texts are logged as UTF-8, line breaks as '|'.
#include "standins/host/Host.h"
#include "standins/host/HostEditorControl.h"
#include "standins/host/HostLog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(utf8.find('\0'));
    for (char& c : utf8)
        if (c == '\r' || c == '\n')
            c = '|';
    return utf8;
}

std::string WindowText(HWND window)
{
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return Utf8(text.data());
}

struct TWindowSearch {
    std::string CaptionPart;
    HWND Found = nullptr;
};

BOOL CALLBACK FindByCaption(HWND window, LPARAM search)
{
    auto& wanted = *reinterpret_cast<TWindowSearch*>(search);
    if (IsWindowVisible(window) && WindowText(window).find(wanted.CaptionPart) != std::string::npos) {
        wanted.Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WindowWithCaption(const std::string& captionPart)
{
    TWindowSearch search { captionPart };
    EnumThreadWindows(GetCurrentThreadId(), FindByCaption, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// A window taking input: shown, enabled (nothing modal over it); nil while there is none.
HWND ReadyWindow(const std::string& captionPart)
{
    HWND window = WindowWithCaption(captionPart);
    return window && IsWindowEnabled(window) ? window : nullptr;
}

BOOL CALLBACK FindTree(HWND child, LPARAM found)
{
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, WC_TREEVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// The tree's items depth first, as a person reads them top down with every branch open.
std::vector<HTREEITEM> TreeItems(HWND tree)
{
    std::vector<HTREEITEM> items;
    HTREEITEM item = TreeView_GetRoot(tree);
    while (item) {
        items.push_back(item);
        HTREEITEM next = TreeView_GetChild(tree, item);
        for (HTREEITEM up = item; !next && up; up = TreeView_GetParent(tree, up))
            next = TreeView_GetNextSibling(tree, up);
        item = next;
    }
    return items;
}

HWND TreeOf(HWND window)
{
    HWND tree = nullptr;
    if (window)
        EnumChildWindows(window, FindTree, reinterpret_cast<LPARAM>(&tree));
    return tree;
}

void LogTree(HWND tree)
{
    for (HTREEITEM item : TreeItems(tree)) {
        wchar_t text[260] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = 260;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        g_log.Line("tree item \"%s\" image %d/%d", Utf8(text).c_str(), data.iImage, data.iSelectedImage);
    }
}

struct TButtonSearch {
    std::string Caption;
    HWND Found = nullptr;
};

BOOL CALLBACK FindButton(HWND child, LPARAM search)
{
    auto& wanted = *reinterpret_cast<TButtonSearch*>(search);
    std::string caption = WindowText(child);
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    if (IsWindowVisible(child) && IsWindowEnabled(child) && caption == wanted.Caption) {
        wanted.Found = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM texts)
{
    const std::string text = WindowText(child);
    if (IsWindowVisible(child) && !text.empty())
        *reinterpret_cast<std::string*>(texts) += " [" + text + "]";
    return TRUE;
}

// The texts of the window's shown controls, each in brackets.
std::string ControlTexts(HWND window)
{
    std::string texts;
    EnumChildWindows(window, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void OpenMessageInReader(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    HWND reader = g_host.CreateReader(false);
    const bool shown = in && SetReaderControlText(reader, text.str());
    g_log.Line("reader %u opened %s", static_cast<unsigned>(g_host.Readers.size()),
        shown ? "with the message" : "without the message");
}

} // namespace

bool RunViewerStep(const THostStep& step)
{
    const std::string& verb = step[0];
    const std::string arg1 = step.size() > 1 ? step[1] : std::string();
    const std::string arg2 = step.size() > 2 ? step[2] : std::string();
    if (verb == "readmessage") {
        OpenMessageInReader(arg1);
        return true;
    }
    if (verb == "gone") {
        if (WindowWithCaption(arg1))
            HoldScriptStep();
        else
            g_log.Line("gone \"%s\"", arg1.c_str());
        return true;
    }
    if (verb != "window" && verb != "tree" && verb != "treeselect" && verb != "press" && verb != "texts"
        && verb != "closewindow")
        return false;
    HWND window = ReadyWindow(arg1);
    if (!window || (verb == "window" && ControlTexts(window).find(arg2) == std::string::npos)) {
        HoldScriptStep();
        return true;
    }
    if (verb == "window") {
        g_log.Line("window \"%s\"", WindowText(window).c_str());
    } else if (verb == "tree") {
        LogTree(TreeOf(window));
    } else if (verb == "treeselect") {
        HWND tree = TreeOf(window);
        const std::vector<HTREEITEM> items = TreeItems(tree);
        const size_t index = static_cast<size_t>(std::atoi(arg2.c_str()));
        const bool selected = index < items.size() && TreeView_SelectItem(tree, items[index]);
        g_log.Line("tree select %s -> %s", arg2.c_str(), selected ? "ok" : "failed");
    } else if (verb == "press") {
        TButtonSearch search { arg2 };
        EnumChildWindows(window, FindButton, reinterpret_cast<LPARAM>(&search));
        if (search.Found)
            PostMessageA(search.Found, BM_CLICK, 0, 0);
        g_log.Line("press %s -> %s", arg2.c_str(), search.Found ? "ok" : "no such button");
    } else if (verb == "texts") {
        g_log.Line("texts \"%s\":%s", WindowText(window).c_str(), ControlTexts(window).c_str());
    } else {
        PostMessageA(window, WM_CLOSE, 0, 0);
        g_log.Line("closewindow \"%s\"", WindowText(window).c_str());
    }
    return true;
}
