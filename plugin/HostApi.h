// What the plug-in and the mail client say to each other: message and request numbers, event types,
// window class names and the records that cross between them. Shared by the plug-in, the stand-in
// mail client and the tests, so both sides always agree.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace HostApi {

// Messages the mail client sends to the plug-in's hidden window.
constexpr UINT WM_HOSTREADY = 0x0B09;
constexpr UINT WM_HOSTSEND = 0x0B10;
constexpr UINT WM_HOSTEVENT = 0x0B11;
// The answer that tells the mail client the plug-in took the message or event over.
constexpr LRESULT HOST_HANDLED = 0x9999;

// Event types of WM_HOSTEVENT (wParam).
constexpr WPARAM EVENT_TEXT = 5;
constexpr WPARAM EVENT_QUEUE = 15;
constexpr WPARAM EVENT_WINDOW = 25;
constexpr WPARAM EVENT_DECODE_FILE = 28;
constexpr WPARAM EVENT_SHUTDOWN = 32;
// Kinds of the window event.
constexpr uint16_t WINDOW_KIND_ENCRYPTION_DIALOG = 4;
constexpr uint16_t WINDOW_KIND_NEW_EDITOR = 18;

// Requests the plug-in sends to the mail client's plug-in window.
constexpr UINT REQ_NEW_MAIL_FOLDER = 3045;
constexpr UINT REQ_MAIL_FOLDER = 3046;
constexpr UINT REQ_CHOOSE_FOLDER = 3063;
constexpr UINT REQ_GET_SETTING = 3064;
constexpr UINT REQ_SET_SETTING = 3065;
constexpr UINT REQ_HOST_TEXT = 3074;
constexpr UINT REQ_STATUS_TEXT = 3075;
constexpr UINT REQ_HOST_WINDOW = 3081;
constexpr UINT REQ_USER_NAME = 3082;
constexpr UINT REQ_HOST_RECORD = 3087;
constexpr UINT REQ_BASE_FOLDER = 3089;
constexpr UINT REQ_NEW_EDITOR = 3090;
constexpr UINT REQ_ADD_BUTTON = 3097;
constexpr UINT REQ_REMOVE_BUTTON = 3098;
constexpr UINT REQ_VERSION = 3099;

// Buffer sizes the requests use.
constexpr size_t FOLDER_BUFFER_SIZE = 261;
constexpr size_t NAME_BUFFER_SIZE = 260;

// Windows of request 3081.
constexpr WPARAM HOST_WINDOW_FRAME = 0;
constexpr WPARAM HOST_WINDOW_MDI_CLIENT = 1;
constexpr WPARAM HOST_WINDOW_ACTIVE_CHILD = 2;

// Editor and queue window messages.
constexpr UINT WM_EDITOR_FIELD = WM_USER + 128;
constexpr UINT WM_QUEUE_REFRESH = 8500;

// Commands the plug-in posts to the frame (or sends to an editor).
constexpr WPARAM CMD_EDITOR_SEND = 139;
constexpr WPARAM CMD_DELIVER_QUEUE = 189;
constexpr WPARAM CMD_AFTER_QUEUE = 211;
constexpr WPARAM CMD_RERUN = 16397;

// The interface version from which the mail client itself sends the shut-down event on close.
constexpr uint32_t NEW_INTERFACE_VERSION = 0x112;

// Window classes of the mail client.
constexpr const char* CLASS_FRAME = "WPMMDI";
constexpr const char* CLASS_STATUS_BAR = "WPMDLG_STB";
constexpr const char* CLASS_READER = "READER";
constexpr const char* CLASS_MDI_READER = "WPMMDI";
constexpr const char* CLASS_MDI_READER_CONTENT = "WPMDLG_MRD";
constexpr const char* CLASS_EDITOR = "EDMAIL";
constexpr const char* CLASS_FOLDER = "FOLDER";
constexpr const char* CLASS_FOLDER_MANAGER = "FOLMAN";
constexpr const char* CLASS_QUEUE = "QMAN";
constexpr const char* CLASS_TEXT_EDIT = "DH_TEXTEDIT";

// Sent to the parent of the editor control when a link is followed; lParam: the link text.
constexpr UINT WM_TEXT_EDIT_LINK = 2726;

// Request 3087 with this index: the further menus that carry the plug-in's menu (up to ten).
constexpr int HOST_RECORD_MENUS = 0;
constexpr int HOST_MENU_RECORD_LIMIT = 10;
struct THostMenuRecord {
    int32_t Count;
    HMENU Menus[HOST_MENU_RECORD_LIMIT];
};

// The event record of a window event (lParam of event 25).
#pragma pack(push, 2)
struct THostEvent25 {
    HWND Window;
    uint16_t Kind;
};
#pragma pack(pop)
static_assert(sizeof(THostEvent25) == sizeof(HWND) + 2 && offsetof(THostEvent25, Kind) == sizeof(HWND),
    "host record layout");

// A toolbar button as the mail client takes it with request 3097.
#pragma pack(push, 4)
struct THostButtonRecord {
    char BitmapFile[128];
    char Tooltip[64];
    HWND Window;
    uint32_t Message;
    uint32_t Extra;
    uint32_t CommandId;
    uint32_t HostId;
};
#pragma pack(pop)
static_assert(sizeof(THostButtonRecord) == 208 + sizeof(HWND) && offsetof(THostButtonRecord, HostId) == 204 + sizeof(HWND),
    "host record layout");

// A font as the mail client fills it for request 3064 with index 45 (message) or 48 (printer).
#pragma pack(push, 2)
struct THostFontRecord {
    char Face[32];
    int16_t Points;
    int16_t Style;
};
#pragma pack(pop)
static_assert(sizeof(THostFontRecord) == 36 && offsetof(THostFontRecord, Style) == 34, "host record layout");

// Request 3064 with index 91 fills this many bytes; the signature kind is at its offset 14.
constexpr size_t SIGNATURE_RECORD_SIZE = 256;
constexpr size_t SIGNATURE_KIND_OFFSET = 14;

// Wanted by request 3090 (new editor window).
constexpr WPARAM NEW_EDITOR_ALL_FIELDS = 255;
// Sub-codes of the editor message WM_EDITOR_FIELD.
constexpr WPARAM EDITOR_TO = 0;
constexpr WPARAM EDITOR_SUBJECT = 1;
constexpr WPARAM EDITOR_BODY = 3;
constexpr WPARAM EDITOR_UNWRAPPED_SEND = 9;
constexpr WPARAM EDITOR_COMMIT = 103;
// The editor's identity combo box.
constexpr int EDITOR_IDENTITY_CONTROL = 440;
// The editor's own encryption switch of mail clients from build 4500; its command 104 acts on it.
constexpr int EDITOR_ENCRYPT_BOX = 103;

// Commands posted to the frame before the send of an editor.
constexpr WPARAM CMD_BEFORE_SEND_1 = 151;
constexpr WPARAM CMD_BEFORE_SEND_2 = 167;
// Status-line forms of request 3075.
constexpr WPARAM STATUS_TEXT = 3;
constexpr WPARAM STATUS_ROAD = 0;

} // namespace HostApi

// The mail client's request record, passed by pointer to ENCRYPT, SIGN and DECRYPT.
// Every field is 32 bits wide; the plug-in never writes into it.
#pragma pack(push, 4)
struct TEncryptorRequest {
    uint32_t Reserved0;
    uint32_t Reserved1;
    uint32_t HostContext; // handed to the decrypt road, not interpreted
    const char* Method; // "S/MIME", "PGP/MIME", anything else inline PGP
    const char* InFile;
    const char* OutFile; // may be empty
    const char* Recipient; // may be empty
};
#pragma pack(pop)
// The 32-bit client's record is 28 bytes; the 64-bit test build lays the pointers out at their own width.
static_assert(sizeof(TEncryptorRequest) == 12 + 4 * sizeof(void*)
        && offsetof(TEncryptorRequest, Recipient) == 12 + 3 * sizeof(void*),
    "host record layout");
