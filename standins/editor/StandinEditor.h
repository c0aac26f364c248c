// What the stand-in editor library and its HTML add-on share: the private messages by which the
// add-on (a separate library, like the real one) reaches the editor control's state and log.
#pragma once

#include <windows.h>

namespace StandinEditor {

constexpr const char* STATE_PROPERTY = "STANDIN_TER";
constexpr const char* NOTIFY_PROPERTY = "STANDIN_HTS_NOTIFY";
constexpr UINT MSG_LOG = WM_APP + 0x300;         // lParam: const char* line
constexpr UINT MSG_CLEAR = WM_APP + 0x301;       // empties text, pictures and line flags
constexpr UINT MSG_LOAD_RTF = WM_APP + 0x302;    // lParam: const TLoadRequest*
constexpr UINT MSG_NEW_PICTURE = WM_APP + 0x303; // returns a new picture id, lParam: const char* file

// An HTML document read by the add-on: its RTF and the lines inside quotes or lists.
struct TLoadRequest {
    const char* Rtf;
    const int* FlaggedLines;
    int FlaggedCount;
};

} // namespace StandinEditor
