// PartTexts: what the part tree hands to viewers and to the file system — the display text of a
// body part (plain, UTF-16 or rich text; HTML rendered without fetching anything) and file names
// for saving parts. Portable: clean-up, pictures and temporary names come through TPartTextServices.
#pragma once

#include "foundation/RichEd20Pictures.h"
#include "mime/MimeMsgTree.h"

#include <cstdint>
#include <string>

// The host services the part texts need; the defaults work without Windows (no clean-up, no
// picture conversion, names in the system's temporary folder).
class TPartTextServices {
public:
    virtual ~TPartTextServices() = default;

    // Cleaned and repaired HTML (IsUtf8: the input is UTF-8); BaseHref receives the document's base
    // reference. A FaceName wraps the result in a font of that face. Default: Html unchanged.
    virtual std::string CleanHtml(
        const std::string& Html, const std::string& FaceName, bool IsUtf8, std::string& BaseHref);
    // The temporary-files folder, ending in a path separator.
    virtual std::string TempFolder();
    // A name in the temporary folder that no file has yet, with extension Ext ("png" or ".png").
    virtual std::string NewTempFileName(const std::string& Ext);
    // An RTF picture group (no closing brace) for picture data, at most as wide as the active
    // window's client area; empty when the picture cannot be converted (the default).
    virtual std::string PictureToRtf(const std::string& Picture);
    // Rtf with its linked pictures embedded, "cid:" links from Sections; default: Rtf unchanged.
    virtual std::string EmbedRtfPictures(const std::string& Rtf, const TSectionPictureLookup& Sections);
    virtual bool FileExists(const std::string& FileName);
    virtual bool WriteFile(const std::string& FileName, const std::string& Bytes);
};

// The services bound for the process (on Windows the system's, natively the portable defaults).
TPartTextServices& PartTextServices();
// Binds Services (not owned; must outlive its use); nullptr restores the default.
void BindPartTextServices(TPartTextServices* Services);

// ---- Rendering --------------------------------------------------------------------------------

// Flags of FormattedTextToPlain that the renderings pass.
constexpr uint32_t ftpWide = 0x02;
constexpr uint32_t ftpRich = 0x06;

std::string RenderAnsiText(const std::string& Text, const TSectionNode& Node);
std::string RenderWideText(const std::string& Text, const TSectionNode& Node);
std::string RenderRichText(const std::string& Text, const TSectionNode& Node);

// Cleans Html (UTF-8 input with Entities) and, with Replace, turns pictures into grey boxes and
// links into their text with the URL; with Entities the UTF-8 result becomes ASCII with numeric
// character references. Out receives the result.
void PrepareHtmlForView(
    const std::string& Html, const std::string& FontFace, bool Replace, std::string& Out, bool Entities);
// The picture and link rewrite alone, over already cleaned HTML; BaseRef goes in front of
// references that begin with '/'. Malformed tags end the rewrite and keep the rest as it is.
std::string RewriteHtmlForView(const std::string& Html, const std::string& BaseRef, const std::string& FontFace);

// The rendered lines of a text list joined, each ending in a line break; the UTF-16 form ends with
// one two-byte terminator.
std::string RenderText(const TMimeMsgTree& Tree, const TTextList& List);
std::string RenderWideText(const TMimeMsgTree& Tree, const TTextList& List);

// ---- Names and texts of a node -------------------------------------------------------------------

// Longest file name a part gives, in bytes, before its extension is added.
constexpr std::size_t MaxPartFileName = 200;

// A name Windows can create as a plain file: forbidden and control bytes become '_', trailing dots
// and blanks go, device names get a leading '_', and the length is capped.
std::string MakeSafePartFileName(const std::string& Name);

std::string GetFileName(const TSectionNode& Node);
// Lower-cased, with its point (".pdf"); empty when there is none.
std::string GetFileExtension(const TSectionNode& Node);
std::string GetMessageFileName(const TSectionNode& Node);
// An attachment whose extension begins ".htm": shown rendered like an HTML body.
bool IsHtmlAttachment(const TSectionNode& Node);
std::string GetContentRef(const TSectionNode& Node);
// The node's whole section in the message text, from its start to its limit.
std::string GetSectionText(const TSectionNode& Node);
