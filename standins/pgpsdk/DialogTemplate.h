// What the stand-in's dialogs share: their templates are built in memory (the libraries carry no
// resources), and each opens centred over its owner.
#pragma once

#include <windows.h>

#include <vector>

namespace standin {

// The words of a DLGTEMPLATE with its items, each item aligned to a DWORD as the dialog manager needs.
class TemplateWriter {
public:
    void Word(WORD value) { words_.push_back(value); }
    void DWord(DWORD value)
    {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const wchar_t* text)
    {
        for (; *text; ++text)
            Word(static_cast<WORD>(*text));
        Word(0);
    }
    void Align()
    {
        if (words_.size() % 2)
            Word(0);
    }
    // The header of a modal dialog with a caption and the shell font, `items` items to follow.
    void Dialog(WORD items, short cx, short cy, const wchar_t* caption)
    {
        DWord(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
        DWord(0);
        Word(items);
        for (short value : { short(0), short(0), cx, cy })
            Word(static_cast<WORD>(value));
        Word(0); // no menu
        Word(0); // standard class
        Text(caption);
        Word(8);
        Text(L"MS Shell Dlg");
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* text)
    {
        Align();
        DWord(style | WS_CHILD | WS_VISIBLE);
        DWord(0);
        for (short value : { x, y, cx, cy })
            Word(static_cast<WORD>(value));
        Word(id);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0); // no creation data
    }
    const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

// Centres the dialog over its owner, or over the work area without one.
inline void CentreOver(HWND dialog, HWND owner)
{
    RECT area {};
    if (!owner || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT self {};
    GetWindowRect(dialog, &self);
    int x = area.left + ((area.right - area.left) - (self.right - self.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (self.bottom - self.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace standin
