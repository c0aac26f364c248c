// HTML clean-up: the binding of HTML Tidy ("LibTidy.dll" from the host's folder) and the one
// clean-up every HTML body passes through before it is shown or converted. Without the library
// the clean-up hands its input back unchanged.
#pragma once

#include "foundation/TidyText.h"

#include <string>

// libtidy's opaque document handle.
struct TTidyDocument;
using TidyDoc = TTidyDocument*;

struct THtmlData {
    std::string HtmlText;
    std::string BaseHref; // HREF of the document's BASE element; empty when it has none
};

// Takes "LibTidy.dll" when the process has it loaded already, else loads Folder + "LibTidy.dll"
// (Folder a full path). The library then stays for the life of the process. True when available.
bool LoadTidyLibrary(const std::string& Folder);
// The same, done when the library is first asked for (TidyAvailable, TidyHtml): the plug-in's
// start-up names the folder without paying for the load.
void LoadTidyLibraryWhenNeeded(const std::string& Folder);
bool TidyAvailable();

// Cleans and repairs Source (an HTML text, or with IsFile the name of an HTML file) into the body
// only; DropFonts removes FONT elements, IsUtf8 reads Source as UTF-8, a FaceName wraps the
// result in a FONT element of that face. Any failure keeps the input (a file's content with IsFile).
void TidyHtml(const std::string& Source, const std::string& FaceName, bool IsFile, bool DropFonts,
    bool IsUtf8, THtmlData& Result);

// The first HREF of the first BASE element among the children of the parsed document's head.
std::string GetBaseHref(TidyDoc Doc);
