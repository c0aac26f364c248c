// FileUtils, the Windows half: temporary and unique files, file searches, the MIME-type list of
// the registry, shell type names and icons, the clipboard, ini sections, shell links, opening
// files with their program, folder browsing and a file's Explorer context menu in our own menus.
// Failures give empty texts, 0 or false; nothing raises.
#pragma once

#include "foundation/FileUtils.h"
#include "framework/StringLists.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class TBitmap;
class THandleStream;

// ---- The MIME-type list -------------------------------------------------------------------------

// Lines "type=.ext" of the registry's MIME database (audio, image, midi, video and text types that
// name an extension); sorted, duplicates ignored.
class TMimeTypeExtensionList : public TStringList {
public:
    TMimeTypeExtensionList();
    // Reads HKCR "Mime\Database\Content Type" afresh.
    void LoadFromRegistry();
};

// The process-wide list: built by InitFileUtils (or on first use), freed by DoneFileUtils.
TMimeTypeExtensionList& MimeTypeExtensions();
void InitFileUtils();
void DoneFileUtils();

// ---- Names and files ----------------------------------------------------------------------------

// A name in the temporary-files folder that no file has yet: "$" + 6 hex digits + "$." + Ext.
std::string MakeTempFileName(const std::string& Ext);
// Deletes the files named as MakeTempFileName names them in Folder (the temporary-files folder
// when empty), under the hourglass cursor. Other files that merely match "$*$.*" stay.
void DeleteTempFiles(const std::string& Folder);
// Name itself when no such file exists, else the first free "name (N).ext".
std::string MakeUniqueFileName(const std::string& Name);
// Each component replaced by the shell's display name (for showing only, never for file access).
std::string GetLongDisplayPath(const std::string& Path);
// A shell folder with '\'; the documents folder (12) falls back to 5; empty on failure.
std::string GetSpecialFolderPath(int CSIDL, bool Long);
std::string GetModuleFolderPath(HMODULE Module);
// One more reference to an already loaded module, by its full file name; 0 when not loaded.
HMODULE AddModuleReference(const std::string& Name);
// The first existing of: our module's folder + Name, the program's folder + Name, Name, and
// Folder + Name (returned without a test).
std::string FindProgramFile(const std::string& Name, const std::string& Folder);

// FindFirstFileA that skips a first entry that is a directory (INVALID_HANDLE_VALUE when nothing
// follows it); FindNextFileA; FindClose.
HANDLE FindFirstEntry(const std::string& Pattern, WIN32_FIND_DATAA& Data);
bool FindNextEntry(HANDLE Search, WIN32_FIND_DATAA& Data);
void FindEntryClose(HANDLE Search);
// Folder of Pattern + the first matching file that is not a directory; empty when none.
std::string FindFirstMatchingFile(const std::string& Pattern);
// Deletes every matching file that is not a directory; the last deletion's result, false when
// nothing matched.
bool DeleteMatchingFiles(const std::string& Pattern);
// Deletes the "*.lnk" files of Folder and then, when the last deletion succeeded, the folder.
bool RemoveShortcutFolder(const std::string& Folder);
bool ReadFileText(const std::string& Name, std::string& Text); // true when not empty
bool WriteFileText(const std::string& Name, const std::string& Text);
// Ends the file at the stream's current position.
bool TruncateFileStream(THandleStream& Stream);

// ---- Types and icons ----------------------------------------------------------------------------

// The shell's type name of FileName's extension when the registry knows that extension; else
// the type name of MimeType's subtype as an extension; else empty.
std::string GetFileTypeName(const std::string& FileName, const std::string& MimeType);
// The icon named by the registry's "DefaultIcon" of Class, or of the extension and then of its
// program id; for "%1" an icon drawn from the picture Data; 0 when none. The caller destroys it.
HICON GetDefaultIcon(const std::string& FileName, const std::string& Data, const std::string& Class);
// The shell's small icon of the file's type ("*.folder" asks for a folder); the caller destroys it.
HICON GetFileSmallIcon(const std::string& FileName, const std::string& Data, bool Open, bool Selected);
// From the group icon ID (else 1) of the file (environment variables expanded): the image of the
// system's small or large icon size with the most colours up to MaxBits; 0 when none.
HICON LoadIconFromModule(const std::string& FileName, int ID, int MaxBits, bool Small);

// ---- Clipboard ----------------------------------------------------------------------------------

// Clipboard formats of PutClipboardData.
enum : int {
    cfText = CF_TEXT,               // 1
    cfUnicodeText = CF_UNICODETEXT, // 13
    cfRichText = 513,
    cfHtml = 514,
};

// Unicode: the UTF-16 text with its two-byte terminator, else the ANSI text; true when not empty.
bool GetClipboardText(std::string& Text, bool Unicode, HWND Window);
// Text formats: a text ending in a zero byte goes as CF_UNICODETEXT, others as CF_TEXT; 513 puts
// RTF and 514 HTML. Nothing is put for an empty text. True when something was put.
bool PutClipboardData(const std::string& Value, int Format, HWND Window);
// A bitmap as CF_BITMAP, with CF_PALETTE when it has a colour table; true when it was put.
bool PutClipboardData(const TBitmap& Value, HWND Window);

// ---- Ini files ----------------------------------------------------------------------------------

// The section's "key=value" lines; null when the section is empty or missing.
std::unique_ptr<TStringList> ReadIniSectionList(const std::string& File, const std::string& Section);
// Writes the list's non-empty lines as the whole section; no list deletes the section; a list
// without any character writes nothing.
bool WriteIniSectionList(const std::string& File, const std::string& Section, const TStrings* List);
// The raw section, each line followed by a zero byte.
std::string ReadIniSectionText(const std::string& File, const std::string& Section);
std::string ReadIniString(const std::string& File, const std::string& Section, const std::string& Key);

// ---- Shell --------------------------------------------------------------------------------------

// Saves a shell link at Link to Target; false when either is empty or a step fails.
bool CreateShellLink(const std::string& Link, const std::string& Target, const std::string& Arguments,
    const std::string& IconLocation);
std::string FindAssociatedExecutable(const std::string& Document);
// Opens the file with its program (waits up to 10 s for it) and, when shown, brings its window up.
bool ShellOpenFile(HWND Window, const std::string& Verb, const std::string& FileName, const std::string& Parameters,
    bool Show);
// The chosen folder with '\', empty when cancelled. Starts where SearchPathA finds FileName.
std::string BrowseForFolderDialog(HWND Owner, const std::string& SearchPath, const std::string& FileName,
    const std::string& Title);

// Asked first with a command id of the context menu; true when it handled the command.
using TContextMenuHandler = std::function<bool(HWND Window, UINT CommandID)>;

enum TContextMenuAlignment : int {
    cmaLeft = 0,
    cmaRight = 1,
    cmaCenter = 2,
};

// Shows the Explorer context menu of File: as a submenu captioned Caption at Position of
// ParentMenu (filled when it is first opened), or on its own. With a Point (negative coordinates
// mean the cursor position) the menu (the parent menu when given) pops up there; without, the
// window's menu bar is redrawn. Window is subclassed while the menu lives. With DeleteEmptyFile,
// File is deleted at tear-down when it is empty (a placeholder made for the menu). A popup at a
// Point has left ParentMenu when this returns, so the caller may destroy ParentMenu at once.
bool ShowShellContextMenu(const std::string& File, const std::string& Caption, HWND Window, HMENU ParentMenu,
    int Position, UINT FirstID, const POINT* Point, TContextMenuAlignment Alignment,
    const TContextMenuHandler& Handler, bool DeleteEmptyFile = false);
// Tears down a context menu still attached to Window; false when there was none.
bool CloseShellContextMenu(HWND Window);

// ---- Files of decoded content ---------------------------------------------------------------------

// A folder of its own in the temporary-files folder for the files a dialog writes with decoded
// content (parts opened with another program): they are overwritten and removed with the
// folder when its owner goes; what a process that died left is removed at the next start-up.
class TDecodedTempFolder {
public:
    TDecodedTempFolder() = default;
    ~TDecodedTempFolder() { Remove(); }
    TDecodedTempFolder(const TDecodedTempFolder&) = delete;
    TDecodedTempFolder& operator=(const TDecodedTempFolder&) = delete;

    // The folder with a trailing backslash, created on first use; empty when it cannot be made.
    const std::string& Path();
    // Overwrites and deletes its files (a file another program still holds stays for the next
    // start-up) and removes the folder.
    void Remove();

private:
    std::string path_;
};

// Removes the decoded-content folders of processes that no longer run; the number removed.
int RemoveOrphanedDecodedTempFolders();
