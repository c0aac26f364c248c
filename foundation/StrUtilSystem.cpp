// StrUtil's registry reads, system message texts, window and menu texts, dialog-template fonts
// and captions, keyboard chords and the clipboard. Nothing here raises; failures give empty results.
#include "foundation/StrUtil.h"

#include "framework/Exceptions.h"
#include "framework/StringLists.h"

#include <algorithm>
#include <memory>
#include <vector>

TClipboardSession::TClipboardSession()
    : owner_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    , open_(owner_ && OpenWithRetries(owner_))
{
}

TClipboardSession::~TClipboardSession()
{
    if (open_)
        CloseClipboard();
    if (owner_)
        DestroyWindow(owner_);
}

bool TClipboardSession::OpenWithRetries(HWND Owner)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(Owner))
            return true;
        Sleep(10);
    }
    return false;
}

namespace {

struct RegKeyCloser {
    void operator()(HKEY h) const { RegCloseKey(h); }
};
using TRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

TRegKey OpenRegKey(HKEY Root, const std::string& Key, REGSAM Access)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(Root, Key.c_str(), 0, Access, &h) != ERROR_SUCCESS)
        return nullptr;
    return TRegKey(h);
}

// Hands a text block to the clipboard, which owns it from then on; frees it when refused.
bool SetClipboardText(UINT Format, const std::string& Text)
{
    HANDLE block = TextToMemHandle(Text, nullptr, false);
    if (!block)
        return false;
    if (SetClipboardData(Format, block))
        return true;
    GlobalFree(block);
    return false;
}

bool PutTwoFormats(const char* FormatName, const std::string& Data, const std::string& PlainText)
{
    UINT format = RegisterClipboardFormatA(FormatName);
    TClipboardSession clipboard;
    if (format == 0 || !clipboard.Open() || !EmptyClipboard())
        return false;
    bool rich = SetClipboardText(format, Data);
    bool plain = SetClipboardText(CF_TEXT, PlainText);
    return rich && plain;
}

std::string WideToAnsi(const wchar_t* Text, size_t Units)
{
    if (Units == 0)
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, Text, static_cast<int>(Units), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, Text, static_cast<int>(Units), ansi.data(), n, nullptr, nullptr);
    return ansi;
}

// Reads a dialog template resource field by field, never past the resource's end.
class TTemplateReader {
public:
    TTemplateReader(const uint8_t* Data, size_t Size)
        : Data(Data)
        , Size(Size)
    {
    }
    bool Failed() const { return Bad; }
    void Seek(size_t To) { At = To <= Size ? To : (Bad = true, Size); }
    uint16_t Word()
    {
        if (At + 2 > Size) {
            Bad = true;
            return 0;
        }
        uint16_t w = static_cast<uint16_t>(Data[At] | Data[At + 1] << 8);
        At += 2;
        return w;
    }
    uint32_t DWord(size_t Offset) const
    {
        if (Offset + 4 > Size)
            return 0;
        return Data[Offset] | Data[Offset + 1] << 8 | Data[Offset + 2] << 16 | static_cast<uint32_t>(Data[Offset + 3]) << 24;
    }
    // A menu, class or title field: 0x0000 (absent), 0xFFFF + ordinal, or a UTF-16 string.
    std::string SizeOrOrdinal()
    {
        uint16_t first = Word();
        if (first == 0)
            return {};
        if (first == 0xFFFF) {
            Word();
            return {};
        }
        At -= 2;
        return WideString();
    }
    std::string WideString()
    {
        std::wstring text;
        for (uint16_t unit = Word(); unit != 0 && !Bad; unit = Word())
            text += static_cast<wchar_t>(unit);
        return Bad ? std::string() : WideToAnsi(text.data(), text.size());
    }

private:
    const uint8_t* Data;
    size_t Size;
    size_t At = 0;
    bool Bad = false;
};

struct TDialogHeader {
    std::string Caption;
    TDialogFont Font;
};

bool ReadDialogHeader(HMODULE Module, const char* Name, TDialogHeader& Header)
{
    HRSRC info = FindResourceA(Module, Name, MAKEINTRESOURCEA(5)); // RT_DIALOG
    HGLOBAL loaded = info ? LoadResource(Module, info) : nullptr;
    const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data)
        return false;
    TTemplateReader reader(data, SizeofResource(Module, info));
    reader.Seek(2);
    bool extended = reader.Word() == 0xFFFF;
    uint32_t style = reader.DWord(extended ? 12 : 0);
    reader.Seek(extended ? 26 : 18);
    reader.SizeOrOrdinal(); // menu
    reader.SizeOrOrdinal(); // window class
    Header.Caption = reader.SizeOrOrdinal();
    if (style & DS_SETFONT) {
        int size = reader.Word();
        if (extended) {
            reader.Word(); // weight
            reader.Word(); // italic and character set bytes
        }
        std::string face = reader.WideString();
        if (!reader.Failed())
            Header.Font = TDialogFont { face, size };
    }
    return true;
}

} // namespace

// ---- Registry -----------------------------------------------------------------------------------

bool RegKeyExists(HKEY Root, const std::string& Key) { return OpenRegKey(Root, Key, KEY_NOTIFY) != nullptr; }

uint32_t RegReadDWord(HKEY Root, const std::string& Key, const std::string& Name)
{
    TRegKey key = OpenRegKey(Root, Key, KEY_QUERY_VALUE);
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key
        || RegQueryValueExA(key.get(), Name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size)
            != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof value)
        return 0;
    return value;
}

std::string RegReadString(HKEY Root, const std::string& Key, const std::string& Name)
{
    TRegKey key = OpenRegKey(Root, Key, KEY_QUERY_VALUE);
    DWORD size = 0;
    if (!key || RegQueryValueExA(key.get(), Name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS
        || size == 0)
        return {};
    std::string data(size, '\0');
    if (RegQueryValueExA(key.get(), Name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS)
        return {};
    data.resize(std::min<size_t>(size, data.size()));
    // Data stored without a terminating zero keeps its last character.
    if (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

int RegListSubkeys(HKEY Root, const std::string& Key, TStrings* List, const std::string& Name,
    const TSubkeyFilter& Filter)
{
    TRegKey key = List ? OpenRegKey(Root, Key, KEY_READ) : nullptr;
    if (!key)
        return 0;
    struct TUpdateScope {
        TStrings& List;
        explicit TUpdateScope(TStrings& list)
            : List(list)
        {
            List.BeginUpdate();
        }
        ~TUpdateScope() { List.EndUpdate(); }
    } update(*List);
    DWORD index = 0;
    try {
        for (;; ++index) {
            char name[MAX_PATH + 1];
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            std::string subkey = TrimBlanks(std::string(name, length));
            if (subkey.empty())
                continue;
            if (Name.empty()) {
                List->Add(subkey);
                continue;
            }
            std::string value = RegReadString(Root, Key + "\\" + subkey, Name);
            if (!value.empty() && (!Filter || Filter(subkey)))
                List->Add(subkey + "=" + value);
        }
    } catch (const Exception&) {
        // A list that refuses a line (duplicates as errors) ends the enumeration; nothing raises.
    }
    return static_cast<int>(index);
}

// ---- System and window texts --------------------------------------------------------------------

std::string SystemErrorText(uint32_t Code)
{
    if (Code == 0)
        return {};
    char* buffer = nullptr;
    // Inserts are ignored: there are no arguments to fill "%1" with.
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, Code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (buffer) {
        text.assign(buffer, n);
        LocalFree(buffer);
    }
    while (!text.empty() && (static_cast<unsigned char>(text.back()) < '!' || text.back() == '.'))
        text.pop_back();
    if (text.size() > 1)
        return text;
    std::string code = "#";
    code += CardinalToHex8(Code);
    return code;
}

std::string LoadStringText(HMODULE Module, UINT Id)
{
    char buf[4097];
    int n = LoadStringA(Module, Id, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string GetMenuItemText(HMENU Menu, UINT Item, UINT Flags)
{
    int n = GetMenuStringA(Menu, Item, nullptr, 0, Flags);
    if (n <= 0)
        return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    n = GetMenuStringA(Menu, Item, text.data(), n + 1, Flags);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

std::string GetClassNameUpper(HWND Window)
{
    char buf[MAX_PATH];
    int n = GetClassNameA(Window, buf, MAX_PATH);
    if (n <= 0)
        return {};
    CharUpperA(buf);
    return std::string(buf, static_cast<size_t>(n));
}

std::string GetWindowTextStr(HWND Window)
{
    int len = GetWindowTextLengthA(Window);
    if (len <= 0)
        return {};
    std::string text(static_cast<size_t>(len) + 1, '\0');
    int n = GetWindowTextA(Window, text.data(), len + 1);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

std::string GetDlgItemTextStr(HWND Dialog, int Id)
{
    char buf[MAX_PATH];
    UINT n = GetDlgItemTextA(Dialog, Id, buf, MAX_PATH);
    return std::string(buf, n);
}

TDialogFont GetDialogTemplateFont(HMODULE Module, const char* Name)
{
    TDialogHeader header;
    return ReadDialogHeader(Module, Name, header) ? header.Font : TDialogFont {};
}

std::string GetDialogTemplateCaption(HMODULE Module, const char* Name)
{
    TDialogHeader header;
    return ReadDialogHeader(Module, Name, header) ? header.Caption : std::string();
}

bool SendKeys(std::span<const uint32_t> Keys)
{
    if (Keys.empty())
        return false;
    std::vector<INPUT> inputs(Keys.size() * 2);
    for (size_t i = 0; i < Keys.size(); ++i) {
        WORD vk = LOWORD(Keys[i]);
        for (INPUT* in : { &inputs[i], &inputs[inputs.size() - 1 - i] }) {
            in->type = INPUT_KEYBOARD;
            in->ki.wVk = vk;
            in->ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
            in->ki.dwExtraInfo = static_cast<ULONG_PTR>(0xFFFFFFFF);
        }
        inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// ---- Clipboard ----------------------------------------------------------------------------------

bool PutRtfOnClipboard(const std::string& Text) { return PutTwoFormats("Rich Text Format", Text, Text); }

bool PutHtmlOnClipboard(const std::string& Html)
{
    return !Html.empty() && PutTwoFormats("HTML Format", HtmlClipboardData(Html), Html);
}
