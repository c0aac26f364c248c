// FileUtils on Windows: the MIME-type list, temporary and unique names, file searches, whole
// files, ini sections and the clipboard.
#include "foundation/FileUtilsWin.h"

#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"
#include "framework/Graphics.h"
#include "framework/Streams.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <vector>
#include <memory>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

std::unique_ptr<TMimeTypeExtensionList> g_mimeTypeExtensions;

// Shows the hourglass while a loop over files runs.
class TWaitCursor {
public:
    TWaitCursor()
        : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT)))
    {
    }
    ~TWaitCursor() { SetCursor(previous_); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// An open search; closes on every path.
class TFindHandle {
public:
    explicit TFindHandle(HANDLE handle)
        : handle_(handle)
    {
    }
    ~TFindHandle() { FindEntryClose(handle_); }
    TFindHandle(const TFindHandle&) = delete;
    TFindHandle& operator=(const TFindHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// A plain existence test: no wildcards, a folder counts as a name that is taken.
bool NameExists(const std::string& Name)
{
    return !Name.empty() && GetFileAttributesA(Name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const WIN32_FIND_DATAA& Data)
{
    return (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Calls Visit with the name of every matching entry that is not a directory.
template <typename Visitor> void ForEachMatchingFile(const std::string& Pattern, Visitor Visit)
{
    WIN32_FIND_DATAA data {};
    TFindHandle search(FindFirstEntry(Pattern, data));
    if (!search.Valid())
        return;
    do {
        if (!IsDirectory(data))
            Visit(std::string(data.cFileName));
    } while (FindNextEntry(search.Get(), data));
}

// Owns an open clipboard.
class TClipboard {
public:
    explicit TClipboard(HWND Window)
        : open_(OpenClipboard(Window) != FALSE)
    {
    }
    ~TClipboard()
    {
        if (open_)
            CloseClipboard();
    }
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;
    bool Open() const { return open_; }

private:
    bool open_;
};

// Hands a memory block to the clipboard, which then owns it; frees it when that fails.
bool SetClipboardBlock(UINT Format, HANDLE Block)
{
    if (!Block)
        return false;
    if (SetClipboardData(Format, Block))
        return true;
    GlobalFree(Block);
    return false;
}

} // namespace

// ---- The MIME-type list -------------------------------------------------------------------------

TMimeTypeExtensionList::TMimeTypeExtensionList()
{
    SetSorted(true);
    SetDuplicates(dupIgnore);
}

void TMimeTypeExtensionList::LoadFromRegistry()
{
    Clear();
    RegListSubkeys(HKEY_CLASSES_ROOT, "Mime\\Database\\Content Type", this, "Extension", IsListedMimeTypeKey);
}

TMimeTypeExtensionList& MimeTypeExtensions()
{
    if (!g_mimeTypeExtensions)
        InitFileUtils();
    return *g_mimeTypeExtensions;
}

void InitFileUtils()
{
    auto list = std::make_unique<TMimeTypeExtensionList>();
    list->LoadFromRegistry();
    g_mimeTypeExtensions = std::move(list);
}

void DoneFileUtils()
{
    g_mimeTypeExtensions.reset();
}

// ---- Names and files ----------------------------------------------------------------------------

std::string MakeTempFileName(const std::string& Ext)
{
    const std::string folder = GetTempFolder();
    for (;;) {
        LARGE_INTEGER counter {};
        QueryPerformanceCounter(&counter);
        char hex[24];
        std::snprintf(hex, sizeof hex, "%06llX", static_cast<unsigned long long>(counter.QuadPart));
        std::string digits = HashDataHex(hex, 6);
        if (digits.size() != 6) // no hash: the counter's own low digits still change every round
            digits = std::string(hex).substr(std::strlen(hex) - 6);
        const std::string name = TempFileNameOf(folder, digits, Ext);
        if (!NameExists(name))
            return name;
    }
}

void DeleteTempFiles(const std::string& Folder)
{
    const std::string folder = WithTrailingBackslash(Folder.empty() ? GetTempFolder() : Folder);
    TWaitCursor wait;
    ForEachMatchingFile(folder + "$*$.*", [&](const std::string& name) {
        if (IsTempFileName(name))
            DeleteFileA((folder + name).c_str());
    });
}

std::string MakeUniqueFileName(const std::string& Name)
{
    if (!NameExists(Name))
        return Name;
    for (int n = 1;; ++n) {
        std::string candidate = NumberedFileName(Name, n);
        if (!NameExists(candidate))
            return candidate;
    }
}

std::string GetLongDisplayPath(const std::string& Path)
{
    std::string path = TrimBlanks(Path);
    if (path.empty() || StartsWithStr("\\\\", path))
        return path;
    const bool quoted = QuoteState(path) == qsBoth;
    if (quoted)
        path = RemoveQuotes(path);
    const bool trailing = !path.empty() && path.back() == '\\';

    std::string prefix;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        prefix = path.substr(0, 3);
    std::string rest = path.substr(prefix.size());
    std::string soFar = prefix;
    std::string result = prefix;
    while (!rest.empty()) {
        std::string component = CutAtChar(rest, '\\');
        if (component.empty())
            continue;
        soFar += component;
        SHFILEINFOA info {};
        if (!SHGetFileInfoA(soFar.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) || info.szDisplayName[0] == 0)
            return Path;
        result += info.szDisplayName;
        soFar += '\\';
        if (!rest.empty() || trailing)
            result += '\\';
    }
    return quoted ? "\"" + result + "\"" : result;
}

std::string GetSpecialFolderPath(int CSIDL, bool Long)
{
    std::string folder = GetSpecialFolder(CSIDL);
    if (folder.empty() && CSIDL == CSIDL_MYDOCUMENTS)
        folder = GetSpecialFolder(CSIDL_PERSONAL);
    if (folder.empty() || !Long)
        return folder;
    return WithTrailingBackslash(GetLongDisplayPath(folder));
}

std::string GetModuleFolderPath(HMODULE Module)
{
    return GetModuleFolder(Module);
}

HMODULE AddModuleReference(const std::string& Name)
{
    HMODULE loaded = GetModuleHandleA(Name.c_str());
    if (!loaded)
        return nullptr;
    const std::string fileName = GetModuleFileNameStr(loaded);
    return fileName.empty() ? nullptr : LoadLibraryA(fileName.c_str());
}

std::string FindProgramFile(const std::string& Name, const std::string& Folder)
{
    const HMODULE ownModule = reinterpret_cast<HMODULE>(&__ImageBase);
    for (const std::string& candidate :
        { GetModuleFolderPath(ownModule) + Name, GetModuleFolderPath(nullptr) + Name, Name }) {
        if (IsExistingFile(candidate))
            return candidate;
    }
    return Folder + Name;
}

HANDLE FindFirstEntry(const std::string& Pattern, WIN32_FIND_DATAA& Data)
{
    HANDLE search = FindFirstFileA(Pattern.c_str(), &Data);
    if (search != INVALID_HANDLE_VALUE && IsDirectory(Data) && !FindNextFileA(search, &Data)) {
        FindClose(search);
        return INVALID_HANDLE_VALUE;
    }
    return search;
}

bool FindNextEntry(HANDLE Search, WIN32_FIND_DATAA& Data)
{
    return FindNextFileA(Search, &Data) != FALSE;
}

void FindEntryClose(HANDLE Search)
{
    if (Search != INVALID_HANDLE_VALUE && Search != nullptr)
        FindClose(Search);
}

std::string FindFirstMatchingFile(const std::string& Pattern)
{
    std::string found;
    ForEachMatchingFile(Pattern, [&](const std::string& name) {
        if (found.empty())
            found = GetFolderPart(Pattern) + name;
    });
    return found;
}

bool DeleteMatchingFiles(const std::string& Pattern)
{
    const std::string folder = GetFolderPart(Pattern);
    bool deleted = false;
    ForEachMatchingFile(Pattern, [&](const std::string& name) { deleted = DeleteFileA((folder + name).c_str()) != FALSE; });
    return deleted;
}

bool RemoveShortcutFolder(const std::string& Folder)
{
    const std::string folder = WithTrailingBackslash(Folder);
    return DeleteMatchingFiles(folder + "*.lnk") && RemoveDirectoryA(folder.c_str());
}

bool ReadFileText(const std::string& Name, std::string& Text)
{
    Text = ReadWholeFile(Name);
    return !Text.empty();
}

bool WriteFileText(const std::string& Name, const std::string& Text)
{
    return WriteWholeFile(Name, Text);
}

bool TruncateFileStream(THandleStream& Stream)
{
    return SetEndOfFile(static_cast<HANDLE>(Stream.Handle())) != FALSE;
}

// ---- Ini files ----------------------------------------------------------------------------------

std::unique_ptr<TStringList> ReadIniSectionList(const std::string& File, const std::string& Section)
{
    const std::string text = ReadIniSectionText(File, Section);
    if (text.empty())
        return nullptr;
    auto list = std::make_unique<TStringList>();
    SectionBufferToLines(text.data(), text.size(), *list);
    return list->Count() > 0 ? std::move(list) : nullptr;
}

bool WriteIniSectionList(const std::string& File, const std::string& Section, const TStrings* List)
{
    if (!List)
        return WritePrivateProfileStringA(Section.c_str(), nullptr, nullptr, File.c_str()) != FALSE;
    const std::string buffer = LinesToSectionBuffer(*List);
    return !buffer.empty() && WritePrivateProfileSectionA(Section.c_str(), buffer.data(), File.c_str()) != FALSE;
}

std::string ReadIniSectionText(const std::string& File, const std::string& Section)
{
    std::string buffer(65535, '\0');
    const DWORD length = GetPrivateProfileSectionA(
        Section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), File.c_str());
    buffer.resize(length);
    return buffer;
}

std::string ReadIniString(const std::string& File, const std::string& Section, const std::string& Key)
{
    char buffer[1024];
    const DWORD length = GetPrivateProfileStringA(Section.c_str(), Key.c_str(), "", buffer, sizeof buffer, File.c_str());
    return std::string(buffer, length);
}

// ---- Clipboard ----------------------------------------------------------------------------------

bool GetClipboardText(std::string& Text, bool Unicode, HWND Window)
{
    Text.clear();
    TClipboard clipboard(Window);
    if (!clipboard.Open())
        return false;
    HANDLE block = GetClipboardData(Unicode ? CF_UNICODETEXT : CF_TEXT);
    const char* data = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!data)
        return false;
    const std::size_t size = GlobalSize(block);
    if (Unicode) {
        // UTF-16 with the two-byte terminator that the rest of the system counts in the length.
        std::size_t units = 0;
        while (2 * units + 1 < size && (data[2 * units] != 0 || data[2 * units + 1] != 0))
            ++units;
        if (units > 0)
            Text.assign(data, 2 * units).append(2, '\0');
    } else {
        Text.assign(data, strnlen(data, size));
    }
    GlobalUnlock(block);
    return !Text.empty();
}

bool PutClipboardData(const std::string& Value, int Format, HWND Window)
{
    if (Value.empty())
        return false;
    switch (Format) {
    case cfText:
    case cfUnicodeText: {
        TClipboard clipboard(Window);
        if (!clipboard.Open() || !EmptyClipboard())
            return false;
        if (Value.back() == '\0')
            return SetClipboardBlock(CF_UNICODETEXT, WideTextToMemHandle(Value, nullptr, false));
        return SetClipboardBlock(CF_TEXT, TextToMemHandle(Value, nullptr, false));
    }
    case cfRichText:
        return PutRtfOnClipboard(Value);
    case cfHtml:
        return PutHtmlOnClipboard(Value);
    default:
        return false;
    }
}

namespace {

// The colour table of a bitmap of 8 bits or fewer as a palette; null for a bitmap without one.
HPALETTE PaletteOf(HBITMAP Bitmap)
{
    DIBSECTION dib {};
    if (GetObjectA(Bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBmih.biBitCount > 8)
        return nullptr;
    RGBQUAD colors[256] {};
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, Bitmap);
    const UINT count = GetDIBColorTable(dc, 0, 256, colors);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (count == 0)
        return nullptr;
    std::vector<BYTE> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    for (UINT i = 0; i < count; ++i)
        palette->palPalEntry[i] = { colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0 };
    return CreatePalette(palette);
}

} // namespace

bool PutClipboardData(const TBitmap& Value, HWND Window)
{
    if (Value.Empty())
        return false;
    TClipboard clipboard(Window);
    if (!clipboard.Open() || !EmptyClipboard())
        return false;
    HANDLE copy = CopyImage(Value.Handle(), IMAGE_BITMAP, 0, 0, 0);
    if (!copy)
        return false;
    if (!SetClipboardData(CF_BITMAP, copy)) {
        DeleteObject(copy);
        return false;
    }
    // A bitmap with few colours needs its palette to be read back as it was.
    if (HPALETTE palette = PaletteOf(Value.Handle()))
        if (!SetClipboardData(CF_PALETTE, palette))
            DeleteObject(palette);
    return true;
}
