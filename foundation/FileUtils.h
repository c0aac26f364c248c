// FileUtils, the portable half: the text rules of file names (valid, unique and temporary names),
// quoting, icon locations and icon groups, ini section buffers and the MIME-type key filter.
// The file system, shell and clipboard side is in FileUtilsWin.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TStrings;

// Every byte that no Windows file name may hold (* / : < > ? \ | ", and control bytes) becomes '_'.
std::string MakeValidFileName(const std::string& Text);
// The text after the last '/'; the whole text when it has none.
std::string TextAfterLastSlash(const std::string& Text);

// Quote state: 0 none, 1 begins with '"', 2 ends with '"' (two or more bytes), 3 both.
enum : int {
    qsNone = 0,
    qsOpening = 1,
    qsClosing = 2,
    qsBoth = 3,
};
int QuoteState(const std::string& Text);
std::string AddQuotes(const std::string& Text);    // adds the quotes that are missing
std::string RemoveQuotes(const std::string& Text); // drops the quotes it has

// "$" + six hex digits + "$." + Ext without a leading '.' ("tmp" when empty), in Folder.
std::string TempFileNameOf(const std::string& Folder, const std::string& HexDigits, const std::string& Ext);
// True for a bare file name of exactly the form MakeTempFileName gives ("$" + six upper-case hex
// digits + "$." + a non-empty extension).
bool IsTempFileName(const std::string& FileName);
// Name with " (" + N + ")" before the extension of its file-name part ("C:\a.b\f" -> "C:\a.b\f (1)").
std::string NumberedFileName(const std::string& Name, int N);

// "." + the subtype of a MIME type when it has a '/' that is not its last byte, else empty.
std::string MimeSubtypeExtension(const std::string& MimeType);
// Registry keys of the MIME-type list: names beginning, without regard to case, with "audio",
// "image", "midi", "video" or "text".
bool IsListedMimeTypeKey(const std::string& KeyName);

// "file,index": a negative index names resource id -index, others the (index + 1)-th icon.
// False without a comma-separated number.
bool ParseIconLocation(const std::string& Location, std::string& FileName, int& ResourceID);
// A shell link's icon location is used only when the text after its last ',' is a number >= 0.
bool IsUsableIconLocation(const std::string& Location);

// One image of an icon group resource (GRPICONDIR entry).
struct TIconGroupEntry {
    int Width = 0;  // 0 in the resource means 256
    int Height = 0;
    int BitCount = 0;
    uint16_t ResourceID = 0;
};
// The entries of an icon group resource; empty when the data is too short for what it declares.
std::vector<TIconGroupEntry> ParseIconGroup(const void* Data, std::size_t Size);
// Index of the entry of exactly Width x Height with the highest bit count not above MaxBits (the
// first of equals); -1 when none fits.
int ChooseIconEntry(const std::vector<TIconGroupEntry>& Entries, int Width, int Height, int MaxBits);

// An ini section as the profile functions pass it: each "key=value" line ended by a zero byte,
// and one more zero byte at the end.
void SectionBufferToLines(const char* Buffer, std::size_t Size, TStrings& Lines);
// The non-empty lines of a list as such a buffer; empty when no line has a character.
std::string LinesToSectionBuffer(const TStrings& Lines);
