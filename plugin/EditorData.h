// The record the plug-in keeps on each mail-client editor window it handles (window property
// "MdiEditorDataProp"): the replaced window procedures, the encryption flags and send state the
// encrypt road reads, the attachment-warning switch and the editor's address books.
#pragma once

#include <windows.h>
// <windows.h> renames GetObject to GetObjectA; the recipient lists keep their own GetObject.
#undef GetObject

#include "engine/AutoListHandler.h"

#include <cstdint>
#include <memory>

constexpr const char* EDITOR_DATA_PROP = "MdiEditorDataProp";

// Encryption flags of an editor (and of recipient-list entries).
enum : uint32_t {
    efEncrypt = 0x01,
    efSign = 0x02,
    efPGPMime = 0x08,
    efSMime = 0x10,
    efMimeKinds = efPGPMime | efSMime,
};

// How the send of an editor's message was decided.
enum TSendState : uint32_t {
    ssUndecided = 0,
    ssCancelled = 1, // the message is replaced by the placeholder
    ssHostDialog = 2, // OK in the mail client's encryption dialog: the request's method decides
    ssListMixed = 3, // decided by the recipient list, mode bit 4
    ssList = 4, // decided by the recipient list
    ssMenuEncrypt = 5, // the plug-in menu's send items
    ssMenuSign = 6,
    ssMenuBoth = 7,
};

struct TEditorData {
    WNDPROC EditorProc = nullptr;
    WNDPROC PageProc = nullptr;
    uint32_t Flags = 0;
    uint32_t SendState = ssUndecided;
    bool AttachmentWarning = true;
    std::unique_ptr<IAddressBookList> AddressBooks;
};

// The record on an editor window; null for a window the plug-in does not handle.
inline TEditorData* EditorDataOf(HWND editor)
{
    return editor ? static_cast<TEditorData*>(GetPropA(editor, EDITOR_DATA_PROP)) : nullptr;
}
