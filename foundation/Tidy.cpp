// HTML clean-up through libtidy, bound by name at run time. libtidy's functions are __stdcall on
// 32-bit Windows and exported undecorated; their prototypes are declared here.

#include "foundation/Tidy.h"

#include "foundation/StrUtilWin.h"
#include "framework/LibraryBinding.h"

#include <windows.h>

#include <iterator>

namespace {

struct TTidyNode;
struct TTidyAttribute;
using TidyNode = TTidyNode*;
using TidyAttr = TTidyAttribute*;
using TidyBool = int;

constexpr int TidyNoMemory = -12; // tidySaveString's "buffer too small"

struct TTidyApi {
    HMODULE Module = nullptr;
    TidyDoc(__stdcall* Create)() = nullptr;
    void(__stdcall* Release)(TidyDoc) = nullptr;
    TidyBool(__stdcall* OptResetAllToDefault)(TidyDoc) = nullptr;
    TidyBool(__stdcall* OptSetInt)(TidyDoc, int, unsigned long) = nullptr;
    TidyBool(__stdcall* OptSetBool)(TidyDoc, int, TidyBool) = nullptr;
    TidyBool(__stdcall* OptParseValue)(TidyDoc, const char*, const char*) = nullptr;
    void*(__stdcall* GetOptionByName)(TidyDoc, const char*) = nullptr;
    int(__stdcall* SetCharEncoding)(TidyDoc, const char*) = nullptr;
    int(__stdcall* ParseFile)(TidyDoc, const char*) = nullptr;
    int(__stdcall* ParseString)(TidyDoc, const char*) = nullptr;
    int(__stdcall* CleanAndRepair)(TidyDoc) = nullptr;
    int(__stdcall* SaveString)(TidyDoc, char*, unsigned*) = nullptr;
    TidyNode(__stdcall* GetHead)(TidyDoc) = nullptr;
    TidyNode(__stdcall* GetChild)(TidyNode) = nullptr;
    TidyNode(__stdcall* GetNext)(TidyNode) = nullptr;
    TidyBool(__stdcall* NodeIsBASE)(TidyNode) = nullptr;
    const char*(__stdcall* NodeGetName)(TidyNode) = nullptr;
    TidyAttr(__stdcall* AttrFirst)(TidyNode) = nullptr;
    TidyAttr(__stdcall* AttrNext)(TidyAttr) = nullptr;
    TidyBool(__stdcall* AttrIsHREF)(TidyAttr) = nullptr;
    const char*(__stdcall* AttrName)(TidyAttr) = nullptr;
    const char*(__stdcall* AttrValue)(TidyAttr) = nullptr;
};

// The one binding of the process; filled once by LoadTidyLibrary.
TTidyApi Tidy;
// The folder named by LoadTidyLibraryWhenNeeded until its library is loaded.
std::string PendingFolder;

// The library of the folder named for later, loaded once it is asked for.
void LoadPendingLibrary()
{
    if (PendingFolder.empty())
        return;
    const std::string folder = std::move(PendingFolder);
    PendingFolder.clear();
    LoadTidyLibrary(folder);
}

// The options of the clean-up, in the order they are set. The ids are those of the classic
// libtidy numbering; libraries that know option names (every libtidy since 2002) get the names
// instead, since later versions renumbered the options and changed some value ranges.
enum class TOptionKind { Int, Bool };
struct TTidyOption {
    int ClassicId;
    TOptionKind Kind;
    const char* Name;
    const char* NameValue; // the value as the library parses it by name; null = the boolean given
    unsigned long Value; // for the classic road
};

constexpr unsigned long Yes = 1, No = 0;
constexpr int DropFontTagsId = 32;
const TTidyOption CleanUpOptions[] = {
    { 59, TOptionKind::Int, "show-body-only", "yes", 1 },
    { 8, TOptionKind::Int, "doctype", "omit", 0 },
    { DropFontTagsId, TOptionKind::Bool, "drop-font-tags", nullptr, No },
    { 51, TOptionKind::Bool, "enclose-text", "yes", Yes },
    { 52, TOptionKind::Bool, "enclose-block-text", "yes", Yes },
    { 47, TOptionKind::Bool, "fix-backslash", "yes", Yes },
    { 60, TOptionKind::Bool, "fix-uri", "yes", Yes },
    { 64, TOptionKind::Bool, "force-output", "yes", Yes },
    { 62, TOptionKind::Bool, "hide-comments", "yes", Yes },
    { 24, TOptionKind::Bool, "output-html", "yes", Yes },
    { 61, TOptionKind::Bool, "lower-literals", "yes", Yes },
    { 37, TOptionKind::Bool, "numeric-entities", "no", No },
    { 84, TOptionKind::Bool, "preserve-entities", "no", No },
    { 18, TOptionKind::Bool, "quiet", "yes", Yes },
    { 40, TOptionKind::Bool, "quote-ampersand", "yes", Yes },
    { 38, TOptionKind::Bool, "quote-marks", "yes", Yes },
    { 39, TOptionKind::Bool, "quote-nbsp", "yes", Yes },
    { 2, TOptionKind::Int, "wrap", "0", 0 },
    { 25, TOptionKind::Bool, "add-xml-decl", "no", No },
};

void SetCleanUpOptions(TidyDoc Doc, bool DropFonts)
{
    for (const TTidyOption& option : CleanUpOptions) {
        const bool dropFonts = option.ClassicId == DropFontTagsId;
        if (Tidy.OptParseValue) {
            // An option this library does not know (newer ones dropped "drop-font-tags") is skipped.
            if (Tidy.GetOptionByName && !Tidy.GetOptionByName(Doc, option.Name))
                continue;
            const char* value = dropFonts ? (DropFonts ? "yes" : "no") : option.NameValue;
            Tidy.OptParseValue(Doc, option.Name, value);
        } else if (option.Kind == TOptionKind::Int && Tidy.OptSetInt) {
            Tidy.OptSetInt(Doc, option.ClassicId, option.Value);
        } else if (option.Kind == TOptionKind::Bool && Tidy.OptSetBool) {
            Tidy.OptSetBool(
                Doc, option.ClassicId, dropFonts ? DropFonts : static_cast<TidyBool>(option.Value));
        }
    }
}

// Owns one libtidy document.
class TTidyDocumentOwner {
public:
    TTidyDocumentOwner()
        : doc_(Tidy.Create())
    {
    }
    ~TTidyDocumentOwner()
    {
        if (doc_ && Tidy.Release)
            Tidy.Release(doc_);
    }
    TTidyDocumentOwner(const TTidyDocumentOwner&) = delete;
    TTidyDocumentOwner& operator=(const TTidyDocumentOwner&) = delete;
    TidyDoc Get() const { return doc_; }

private:
    TidyDoc doc_;
};

bool CanCleanUp()
{
    return Tidy.Module && Tidy.Create && Tidy.Release && Tidy.OptResetAllToDefault && Tidy.ParseString
        && Tidy.ParseFile && Tidy.CleanAndRepair && Tidy.SaveString;
}

// The cleaned document as text; false when saving failed.
bool SaveToString(TidyDoc Doc, std::string& Text)
{
    unsigned size = 0;
    const int sized = Tidy.SaveString(Doc, nullptr, &size);
    if (sized != TidyNoMemory) {
        Text.clear();
        return sized >= 0;
    }
    std::string buffer(size, '\0');
    if (Tidy.SaveString(Doc, buffer.data(), &size) < 0 || size > buffer.size())
        return false;
    buffer.resize(size);
    Text = std::move(buffer);
    return true;
}

// Trailing bytes up to 32 go; without a face name one CR LF right after the content stays.
void TrimTrailing(std::string& Text, bool KeepCrLf)
{
    size_t end = Text.size();
    while (end > 0 && static_cast<unsigned char>(Text[end - 1]) <= 32)
        --end;
    const bool crLfFollows = end + 1 < Text.size() && Text[end] == '\r' && Text[end + 1] == '\n';
    Text.resize(KeepCrLf && crLfFollows ? end + 2 : end);
}

// A leading "<?xml ...>" declaration and the control bytes after it go.
void DropXmlDeclaration(std::string& Text)
{
    if (!SameTextAt("<?xml", Text, 1))
        return;
    size_t end = Text.find('>');
    end = end == std::string::npos ? Text.size() : end + 1;
    while (end < Text.size() && static_cast<unsigned char>(Text[end]) < 32)
        ++end;
    Text.erase(0, end);
}

// What the clean-up hands back when the library fails: the input itself; for a file its content.
std::string Unchanged(const std::string& Source, bool IsFile)
{
    return IsFile ? ReadWholeFile(Source) : Source;
}

// Newer libraries dropped the tag and attribute tests; the names serve as well.
bool IsBaseElement(TidyNode Node)
{
    if (Tidy.NodeIsBASE)
        return Tidy.NodeIsBASE(Node);
    const char* name = Tidy.NodeGetName(Node);
    return name && SameTextAt("base", name, 1) && name[4] == '\0';
}

bool IsHrefAttribute(TidyAttr Attr)
{
    if (Tidy.AttrIsHREF)
        return Tidy.AttrIsHREF(Attr);
    const char* name = Tidy.AttrName(Attr);
    return name && SameTextAt("href", name, 1) && name[4] == '\0';
}

} // namespace

bool LoadTidyLibrary(const std::string& Folder)
{
    if (Tidy.Module)
        return true;
    HMODULE module = GetModuleHandleA("LibTidy.dll");
    if (!module) {
        if (Folder.empty())
            return false;
        const bool separated = Folder.back() == '\\' || Folder.back() == '/';
        const std::string path = Folder + (separated ? "" : "\\") + "LibTidy.dll";
        if (!IsFullPath(path))
            return false;
        // Kept for the life of the process: nothing frees it (the host's editor may share it).
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module)
            return false;
    }
    TTidyApi api;
    // Only the names the clean-up calls are bound, not the whole published API: the rest would be
    // procedure variables that nothing calls.
    const ProcBinding table[] = {
        BindProc("tidyCreate", api.Create),
        BindProc("tidyRelease", api.Release),
        BindProc("tidyOptResetAllToDefault", api.OptResetAllToDefault),
        BindProc("tidyOptSetInt", api.OptSetInt),
        BindProc("tidyOptSetBool", api.OptSetBool),
        BindProc("tidyOptParseValue", api.OptParseValue),
        BindProc("tidyGetOptionByName", api.GetOptionByName),
        BindProc("tidySetCharEncoding", api.SetCharEncoding),
        BindProc("tidyParseFile", api.ParseFile),
        BindProc("tidyParseString", api.ParseString),
        BindProc("tidyCleanAndRepair", api.CleanAndRepair),
        BindProc("tidySaveString", api.SaveString),
        BindProc("tidyGetHead", api.GetHead),
        BindProc("tidyGetChild", api.GetChild),
        BindProc("tidyGetNext", api.GetNext),
        BindProc("tidyNodeIsBASE", api.NodeIsBASE),
        BindProc("tidyNodeGetName", api.NodeGetName),
        BindProc("tidyAttrFirst", api.AttrFirst),
        BindProc("tidyAttrNext", api.AttrNext),
        BindProc("tidyAttrIsHREF", api.AttrIsHREF),
        BindProc("tidyAttrName", api.AttrName),
        BindProc("tidyAttrValue", api.AttrValue),
    };
    BindProcs(module, table);
    api.Module = module;
    Tidy = api;
    return true;
}

void LoadTidyLibraryWhenNeeded(const std::string& Folder)
{
    if (!Tidy.Module)
        PendingFolder = Folder;
}

bool TidyAvailable()
{
    LoadPendingLibrary();
    return Tidy.Module != nullptr;
}

std::string GetBaseHref(TidyDoc Doc)
{
    if (!Doc || !Tidy.GetHead || !Tidy.GetChild || !Tidy.GetNext || !Tidy.AttrFirst || !Tidy.AttrNext
        || !Tidy.AttrValue || !(Tidy.NodeIsBASE || Tidy.NodeGetName) || !(Tidy.AttrIsHREF || Tidy.AttrName))
        return {};
    TidyNode head = Tidy.GetHead(Doc);
    for (TidyNode node = head ? Tidy.GetChild(head) : nullptr; node; node = Tidy.GetNext(node)) {
        if (!IsBaseElement(node))
            continue;
        for (TidyAttr attr = Tidy.AttrFirst(node); attr; attr = Tidy.AttrNext(attr))
            if (IsHrefAttribute(attr)) {
                const char* value = Tidy.AttrValue(attr);
                return value ? value : "";
            }
        return {};
    }
    return {};
}

void TidyHtml(const std::string& Source, const std::string& FaceName, bool IsFile, bool DropFonts,
    bool IsUtf8, THtmlData& Result)
{
    Result = THtmlData { Source, {} };
    if (Source.empty())
        return;
    LoadPendingLibrary();
    if (!CanCleanUp()) {
        Result.HtmlText = Unchanged(Source, IsFile);
        return;
    }
    TTidyDocumentOwner doc;
    if (!doc.Get() || !Tidy.OptResetAllToDefault(doc.Get())) {
        Result.HtmlText = Unchanged(Source, IsFile);
        return;
    }
    SetCleanUpOptions(doc.Get(), DropFonts);
    // Newer libraries read UTF-8 by default and turn ANSI bytes into U+FFFD; "raw" keeps every byte
    // of the ANSI code page as it is, whichever code page that is.
    if (Tidy.SetCharEncoding)
        Tidy.SetCharEncoding(doc.Get(), IsUtf8 ? "utf8" : "raw");
    const int parsed
        = IsFile ? Tidy.ParseFile(doc.Get(), Source.c_str()) : Tidy.ParseString(doc.Get(), Source.c_str());
    if (parsed < 0 || Tidy.CleanAndRepair(doc.Get()) < 0) {
        Result.HtmlText = Unchanged(Source, IsFile);
        return;
    }
    Result.BaseHref = GetBaseHref(doc.Get());
    std::string html;
    if (!SaveToString(doc.Get(), html)) {
        Result.HtmlText = Unchanged(Source, IsFile);
        return;
    }
    TrimTrailing(html, FaceName.empty());
    DropXmlDeclaration(html);
    if (!FaceName.empty())
        html = "<font face=\"" + FaceName + "\">\r\n" + html + "\r\n</font>";
    Result.HtmlText = std::move(html);
}
