// The Windows half of StrUtil: locale compares, hashing, memory blocks for the clipboard, folders,
// whole files, registry reads, version resources, system and window texts, keyboard input and the
// clipboard. Failures give an empty text, 0, -1 or false; nothing raises.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>

class TStrings;

// ---- Text routines that need the system ---------------------------------------------------------

// Upper-case hex of the first HexLen/2 bytes of the HashData digest of Text.
std::string HashDataHex(const std::string& Text, int HexLen);
std::string DecodeBase64Text(const std::string& Text);
std::string LowerFirstChar(const std::string& Text);
void UpperFirstChars(std::string& S, int N);
// Text as UTF-16 in a byte string, the two-byte terminating zero included.
std::string AnsiToWideBuffer(const std::string& Text);
// True for an http(s), ftp(s), javascript or vbscript URL; SkipLead ignores one leading
// TAB, LF, CR, blank, '"', ''' or '<'.
bool IsBrowserUrl(const std::string& Url, bool SkipLead);

bool SameTextLocale(const std::string& A, const std::string& B);
bool SameTextLocaleN(const std::string& A, const std::string& B, int N);
int CompareTextIgnoreSymbols(const std::string& A, const std::string& B); // -1, 0, 1; -2 on failure
bool SameTextIgnoreSymbols(const std::string& A, const std::string& B);
int IndexOfTextInList(const std::string& Text, std::span<const std::string> List, int HighIndex);
bool SameTextPCharN(const char* A, const char* B, int N);

// ---- Memory blocks ------------------------------------------------------------------------------

// The caller owns the returned block (it usually goes to the clipboard, which then owns it).
HANDLE TextToMemHandle(const std::string& Text, HANDLE Handle, bool UseLocal);
HANDLE WideTextToMemHandle(const std::string& Text, HANDLE Handle, bool UseLocal);
// Count -1: up to the first zero; Count > 0: Count bytes less trailing zeros; Count 0: the
// block's size less one trailing zero.
std::string TextFromMemHandle(HANDLE Handle, int Count, bool FreeIt);

// Puts Mode (0..3) into the x87 rounding bits and returns the previous mode.
int SetFpuRoundingMode(int Mode);

// ---- Folders ------------------------------------------------------------------------------------

std::string GetSystemFolder();
std::string GetTempFolder();
std::string GetModuleFileNameStr(HMODULE Module);
std::string GetModuleFolder(HMODULE Module);
std::string GetSpecialFolder(int CSIDL);
std::string GetNetworkUserName();
std::string ExpandEnvVars(const std::string& Text);

// ---- Files --------------------------------------------------------------------------------------

// Both return INVALID_HANDLE_VALUE on failure; the caller closes the handle.
HANDLE OpenFileForWrite(const std::string& Name);
HANDLE OpenFileForRead(const std::string& Name);
bool WriteWholeFile(const std::string& Name, const std::string& Data);
std::string ReadWholeFile(const std::string& Name);
bool MoveOrCopyFile(const std::string& From, const std::string& To, bool Replace);
bool DeleteFileStr(const std::string& Name);
int GetFileSizeByName(const std::string& Name); // -1 when the file cannot be opened
bool IsExistingFile(const std::string& Name);    // wildcards allowed
bool IsExistingFolder(const std::string& Path);

// ---- Registry -----------------------------------------------------------------------------------

using TSubkeyFilter = std::function<bool(const std::string& SubkeyName)>;

bool RegKeyExists(HKEY Root, const std::string& Key);
uint32_t RegReadDWord(HKEY Root, const std::string& Key, const std::string& Name);
std::string RegReadString(HKEY Root, const std::string& Key, const std::string& Name);
// Adds each subkey name to List, or with Name the lines "subkey=value" of the subkeys whose value
// Name is set and that Filter (when given) accepts. Returns the number of subkeys enumerated.
int RegListSubkeys(HKEY Root, const std::string& Key, TStrings* List, const std::string& Name,
    const TSubkeyFilter& Filter = {});

// ---- System and window texts --------------------------------------------------------------------

struct TDialogFont {
    std::string FaceName;
    int PointSize = 0;
};

std::string SystemErrorText(uint32_t Code);
std::string LoadStringText(HMODULE Module, UINT Id);
std::string GetMenuItemText(HMENU Menu, UINT Item, UINT Flags);
std::string GetClassNameUpper(HWND Window);
std::string GetWindowTextStr(HWND Window);
std::string GetDlgItemTextStr(HWND Dialog, int Id);
// Name may be MAKEINTRESOURCEA(id).
TDialogFont GetDialogTemplateFont(HMODULE Module, const char* Name);
std::string GetDialogTemplateCaption(HMODULE Module, const char* Name);
// Presses the virtual keys (low words of Keys) as one chord and releases them in reverse order.
bool SendKeys(std::span<const uint32_t> Keys);

// ---- Version information ------------------------------------------------------------------------

enum : uint16_t {
    VersionFixedInfo = 1 << 0,
    VersionComments = 1 << 1,
    VersionCompanyName = 1 << 2,
    VersionFileDescription = 1 << 3,
    VersionFileVersion = 1 << 4,
    VersionInternalName = 1 << 5,
    VersionLegalCopyright = 1 << 6,
    VersionLegalTrademarks = 1 << 7,
    VersionOriginalFilename = 1 << 8,
    VersionPrivateBuild = 1 << 9,
    VersionProductName = 1 << 10,
    VersionProductVersion = 1 << 11,
    VersionSpecialBuild = 1 << 12,
};

constexpr int VersionStringCount = 12;

struct TVersionRecord {
    std::string FileName;
    std::string Translation; // 8 hex digits; read from the file when empty
    uint16_t Flags = 0;      // which parts ReadVersionStrings fills
    VS_FIXEDFILEINFO FixedInfo {};
    std::string Strings[VersionStringCount]; // Comments ... SpecialBuild, in the flag order
};

VS_FIXEDFILEINFO GetFixedFileInfo(const void* Block);
std::string GetVersionTranslation(const void* Block);
std::string GetVersionString(const void* Block, const std::string& Translation, const std::string& Name);
int ReadVersionStrings(TVersionRecord& Record); // 0 when the file has no version resource
uint32_t GetFileVersionNumber(const std::string& File, bool MajorOnly);
uint32_t GetKernel32Version();
int GetWindowsMajorVersion();
std::string WindowsVersionText(bool NumbersOnly, bool WithNumbers, bool WithServicePack, bool WithArchitecture);

// ---- Clipboard ----------------------------------------------------------------------------------

// Opens the clipboard for a hidden window of its own, waiting briefly while another program holds
// it, and closes it when the scope ends. The clipboard needs an owner: opened for no window,
// EmptyClipboard leaves it without one, and Windows then refuses SetClipboardData. The data stays
// on the clipboard when the window is gone.
class TClipboardSession {
public:
    TClipboardSession();
    ~TClipboardSession();
    TClipboardSession(const TClipboardSession&) = delete;
    TClipboardSession& operator=(const TClipboardSession&) = delete;
    bool Open() const { return open_; }

private:
    static bool OpenWithRetries(HWND Owner);

    const HWND owner_;
    const bool open_;
};

bool PutRtfOnClipboard(const std::string& Text);
bool PutHtmlOnClipboard(const std::string& Html);
