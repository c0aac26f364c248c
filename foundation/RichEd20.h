// Rich-text helpers: RTF <-> plain text through a hidden rich-edit window, linked pictures in RTF
// made embedded, wide texts and their UTF-8 and ANSI forms, URL normalising and international
// domain names, and font and character-format helpers for rich-edit controls.
#pragma once

#include "foundation/RichEd20Pictures.h"
#include "foundation/RichEd20Text.h"
#include "framework/Graphics.h"

#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <string>
#include <variant>

// Binds the optional system entry points (international domain names, URL canonicalising and
// cracking); without them those routines leave texts unchanged or fail. Once; Done frees them.
void InitRichEd20();
void DoneRichEd20();

// ---- RTF and text ---------------------------------------------------------------------------------

// The format PlainTextToRtf applies: an empty face and a size of 0 keep the control's; Effects are
// CHARFORMAT effect bits, 0 standing for CFE_AUTOCOLOR alone.
struct TRtfFont {
    std::string FaceName;
    int32_t Size = 0;
    int32_t Reserved = 0; // carried for callers, not read here
    uint32_t Effects = 0;
};

// Owns one hidden rich-edit window (no window when the control cannot be created).
class TRtfTxtConverter {
public:
    explicit TRtfTxtConverter(int Version);
    ~TRtfTxtConverter();
    TRtfTxtConverter(const TRtfTxtConverter&) = delete;
    TRtfTxtConverter& operator=(const TRtfTxtConverter&) = delete;

    HWND Window() const { return window_; }
    int Version() const { return version_; }

private:
    int version_;
    HWND window_ = nullptr;
};

int GetRichEditVersion(); // 0 when RichEd20.dll's version cannot be read
// Version selects the rich-edit road (below 3: the version 1 class and window texts).
std::string RtfToPlainText(const std::string& Text, bool Wide, int Version = GetRichEditVersion());
std::string PlainTextToRtf(
    const std::string& Text, const TRtfFont& Font, bool IsUtf8, int Version = GetRichEditVersion());
int GetRichEditTextLength(HWND Control, int Version);
int GetRichEditTextHeight(HWND Control, int Version, int Extra1, int Extra2);
void SetCharFormatAll(HWND Control, const TRtfFont& Font);

// ---- Pictures ---------------------------------------------------------------------------------------

// Rtf with linked pictures embedded (see RewriteRtfPictures); Rtf that is no RTF is taken as a
// picture file name. Sections, when given, supplies prepared picture groups for "cid:" links.
std::string EmbedRtfPictures(const std::string& Rtf, const std::string& LinkPrefix, int MaxWidth,
    bool AsBitmap, const TSectionPictureLookup& Sections = {});
// An RTF picture group (no closing brace) for a picture file or picture data at its own size (MaxWidth
// is handed to the conversion, which does not rescale); Size receives that size in twips. Empty when
// the picture cannot be converted.
std::string MakeRtfPict(const std::string& Source, int MaxWidth, SIZE& Size, bool AsBitmap);
std::string MakeRtfPictFromFiles(
    const std::string& File1, const std::string& File2, int MaxWidth, bool AsBitmap);

// ---- Wide text ----------------------------------------------------------------------------------------

std::string AnsiToWideText(const std::string& S);
std::string WideTextToAnsi(const std::string& S);
std::string Utf8ToWideText(const std::string& S);
std::string Utf8BufToWideText(const std::string& S);
std::string WideTextToUtf8Bom(const std::string& S);
std::string WideTextToUtf8NoBom(const std::string& S);
std::string Utf8ToAnsiText(const std::string& S);
std::string AnsiToUtf8Text(const std::string& S);
std::string GetWindowTextWide(HWND Window);
std::string GetWindowTextAnsi(HWND Window);

// ---- URLs and names -------------------------------------------------------------------------------------

std::string DecodeIdnText(const std::string& Utf8);
std::string CanonicalizeLink(const std::string& Url, bool Decode);
int UrlSchemeNumber(const std::string& Url); // -1 on failure
bool IsNetworkUrl(const std::string& Url);
std::string FileUrlToPath(const std::string& Url);

// ---- Fonts and character formats --------------------------------------------------------------------------

// Size in points (-1 keeps), FaceName (none keeps), Style (an empty set keeps); null on failure.
HFONT CreateDerivedFont(HFONT Font, int Size, const std::string& FaceName, TFontStyles Style);
CHARFORMATA FontToCharFormat(const TFont& Font, const std::string& FaceName, int Size, DWORD Mask);
TFont CharFormatToFont(const CHARFORMATA& Format);
using TCharFormatValue = std::variant<std::monostate, bool, int, std::string>;
TCharFormatValue GetCharFormatValue(const CHARFORMATA& Format, DWORD Mask);
