// The record the plug-in keeps on each mail-client reader window it handles (window property
// "MdiReaderDataProp"): the window's own icon, the icon of the signature result of its message,
// and where the put-back of a decoded message stands.
#pragma once

#include <windows.h>

constexpr const char* READER_DATA_PROP = "MdiReaderDataProp";
// Posted to a reader's control: the decoded message goes in (at the control's paint, or at once
// when nothing repaints it).
constexpr UINT WM_PUT_BACK = 1034;

struct TReaderData {
    HICON OwnIcon = nullptr;
    bool IconSet = false; // the window shows the signature icon
    // A decoded message waits for the reader's next paint to be put into its editor control.
    bool PutBackPending = false;
    bool Decoded = false;
    HICON SignatureIcon = nullptr; // shared system icon; nil: no signature result
};

// The record on a reader window; null for a window the plug-in does not handle.
inline TReaderData* ReaderDataOf(HWND reader)
{
    return reader ? static_cast<TReaderData*>(GetPropA(reader, READER_DATA_PROP)) : nullptr;
}
