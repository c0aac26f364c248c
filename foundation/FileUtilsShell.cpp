// FileUtils on Windows, the shell side: file type names and icons, shell links, opening a file
// with its program and browsing for a folder.
#include "foundation/FileUtilsWin.h"

#include "foundation/FileUtilsCom.h"
#include "foundation/GdiPlus.h"
#include "foundation/Processes.h"
#include "foundation/StrUtil.h"
#include "foundation/StrUtilWin.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>

namespace {

// The extension of the file-name part, with its dot.
std::string ExtensionOf(const std::string& FileName)
{
    return GetFileExtension(GetFileNamePart(FileName));
}

std::string ShellTypeName(const std::string& Extension)
{
    SHFILEINFOA info {};
    if (!SHGetFileInfoA(Extension.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
            SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
        return {};
    return info.szTypeName;
}

// A module loaded as data only, freed with the scope.
class TDataModule {
public:
    explicit TDataModule(const std::string& FileName)
        : module_(LoadLibraryExA(FileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~TDataModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    TDataModule(const TDataModule&) = delete;
    TDataModule& operator=(const TDataModule&) = delete;
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// The bytes of a resource; null when absent.
const void* ResourceBytes(HMODULE Module, const char* Name, const char* Type, DWORD& Size)
{
    HRSRC resource = FindResourceA(Module, Name, Type);
    HGLOBAL loaded = resource ? LoadResource(Module, resource) : nullptr;
    Size = resource ? SizeofResource(Module, resource) : 0;
    return loaded ? LockResource(loaded) : nullptr;
}

int CALLBACK SelectStartFolder(HWND Window, UINT Message, LPARAM, LPARAM Data)
{
    if (Message == BFFM_INITIALIZED && Data != 0)
        SendMessageA(Window, BFFM_SETSELECTIONA, TRUE, Data);
    return 0;
}

} // namespace

// ---- Types and icons ----------------------------------------------------------------------------

std::string GetFileTypeName(const std::string& FileName, const std::string& MimeType)
{
    const std::string extension = ExtensionOf(FileName);
    if (extension.size() > 1 && RegKeyExists(HKEY_CLASSES_ROOT, extension)) {
        std::string name = ShellTypeName(extension);
        if (!name.empty())
            return name;
    }
    const std::string subtype = MimeSubtypeExtension(MimeType);
    return subtype.empty() ? std::string() : ShellTypeName(subtype);
}

HICON GetDefaultIcon(const std::string& FileName, const std::string& Data, const std::string& Class)
{
    std::string location;
    if (!Class.empty()) {
        location = RegReadString(HKEY_CLASSES_ROOT, Class + "\\DefaultIcon", "");
    } else {
        const std::string extension = ExtensionOf(FileName);
        if (extension.size() < 2)
            return nullptr;
        location = RegReadString(HKEY_CLASSES_ROOT, extension + "\\DefaultIcon", "");
        const std::string programID = location.empty() ? RegReadString(HKEY_CLASSES_ROOT, extension, "") : "";
        if (!programID.empty())
            location = RegReadString(HKEY_CLASSES_ROOT, programID + "\\DefaultIcon", "");
    }
    // "%1": every file of the type is its own icon, drawn from its picture data.
    if (location.find("%1") != std::string::npos)
        return Data.empty() ? nullptr : CreateIconFromData(Data);
    std::string file;
    int id = 0;
    if (location.empty() || !ParseIconLocation(location, file, id))
        return nullptr;
    return LoadIconFromModule(file, id, 32, true);
}

HICON GetFileSmallIcon(const std::string& FileName, const std::string& Data, bool Open, bool Selected)
{
    const std::string extension = ExtensionOf(FileName);
    const bool folder = extension.size() == 7 && StartsWithText(".folder", extension);
    UINT flags = SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON;
    if (Open)
        flags |= SHGFI_OPENICON;
    if (Selected)
        flags |= SHGFI_SELECTED;
    SHFILEINFOA info {};
    SHGetFileInfoA(FileName.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags);
    // Indices 0 to 3 are the shell's generic icons: the registry may know a better one.
    if (info.hIcon && info.iIcon > 3)
        return info.hIcon;
    if (!Selected) {
        if (HICON icon = GetDefaultIcon(FileName, Data, "")) {
            if (info.hIcon)
                DestroyIcon(info.hIcon);
            return icon;
        }
    }
    return info.hIcon;
}

HICON LoadIconFromModule(const std::string& FileName, int ID, int MaxBits, bool Small)
{
    TDataModule module(ExpandEnvVars(FileName));
    if (!module.Get())
        return nullptr;
    DWORD size = 0;
    const void* group = ID > 0 ? ResourceBytes(module.Get(), MAKEINTRESOURCEA(ID), RT_GROUP_ICON, size) : nullptr;
    if (!group)
        group = ResourceBytes(module.Get(), MAKEINTRESOURCEA(1), RT_GROUP_ICON, size);
    const std::vector<TIconGroupEntry> entries = ParseIconGroup(group, size);
    const int width = GetSystemMetrics(Small ? SM_CXSMICON : SM_CXICON);
    const int height = GetSystemMetrics(Small ? SM_CYSMICON : SM_CYICON);
    const int chosen = ChooseIconEntry(entries, width, height, MaxBits);
    if (chosen < 0)
        return nullptr;
    const void* image = ResourceBytes(
        module.Get(), MAKEINTRESOURCEA(entries[static_cast<std::size_t>(chosen)].ResourceID), RT_ICON, size);
    if (!image)
        return nullptr;
    return CreateIconFromResourceEx(
        static_cast<PBYTE>(const_cast<void*>(image)), size, TRUE, 0x30000, width, height, LR_DEFAULTCOLOR);
}

// ---- Shell --------------------------------------------------------------------------------------

bool CreateShellLink(const std::string& Link, const std::string& Target, const std::string& Arguments,
    const std::string& IconLocation)
{
    if (Link.empty() || Target.empty())
        return false;
    TComScope com;
    TComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid()))
        || FAILED(link->SetPath(Target.c_str())) || FAILED(link->SetArguments(Arguments.c_str())))
        return false;
    if (IsUsableIconLocation(IconLocation)) {
        const std::size_t comma = IconLocation.rfind(',');
        const int index = std::atoi(IconLocation.c_str() + comma + 1);
        if (FAILED(link->SetIconLocation(IconLocation.substr(0, comma).c_str(), index)))
            return false;
    }
    TComPtr<IPersistFile> file;
    return SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))
        && SUCCEEDED(file->Save(AnsiToWideString(Link).c_str(), TRUE));
}

std::string FindAssociatedExecutable(const std::string& Document)
{
    char program[MAX_PATH] = {};
    const auto result = reinterpret_cast<INT_PTR>(FindExecutableA(Document.c_str(), nullptr, program));
    return result > 32 ? std::string(program) : std::string();
}

bool ShellOpenFile(HWND Window, const std::string& Verb, const std::string& FileName, const std::string& Parameters,
    bool Show)
{
    const uintptr_t instance = RunProgram(Window, Verb, FileName, Parameters, "", Show ? SW_SHOW : SW_HIDE, 10);
    if (instance <= 32)
        return false;
    if (Show) {
        const std::string program = StartsWithText(".exe", ExtensionOf(FileName)) ? FileName
                                                                                   : FindAssociatedExecutable(FileName);
        TProcessWindowSearch search;
        if (!program.empty() && FindProcessWindow(GetFileNamePart(program), true, search))
            SetForegroundWindow(search.Window);
    }
    return true;
}

std::string BrowseForFolderDialog(HWND Owner, const std::string& Folders, const std::string& FileName,
    const std::string& Title)
{
    std::string start;
    char found[MAX_PATH] = {};
    char* filePart = nullptr;
    if (!FileName.empty()
        && SearchPathA(Folders.empty() ? nullptr : Folders.c_str(), FileName.c_str(), nullptr, MAX_PATH, found,
               &filePart)
            > 0)
        start = GetFolderPart(found);

    TComScope com;
    BROWSEINFOA browse {};
    browse.hwndOwner = Owner;
    browse.lpszTitle = Title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = SelectStartFolder;
    browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&browse);
    if (!chosen)
        return {};
    char path[MAX_PATH] = {};
    const bool named = SHGetPathFromIDListA(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    return named && path[0] != 0 ? WithTrailingBackslash(path) : std::string();
}
