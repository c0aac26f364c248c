// The language texts: the entry list with its file parser, the product's message texts with their
// cached name tables and user-language overlay, and the PGPsdk error texts.
#pragma once

#include "framework/StringLists.h"

#include <array>
#include <cstdint>
#include <string>

// A language text file as a list: entry N is item N.
class TZAVEKStringList : public TStringList {
public:
    TZAVEKStringList() = default;
    // Loads the file; a missing file raises EFOpenError.
    explicit TZAVEKStringList(const std::string& fileName);

    // Replaces all entries by those of a language text file's content.
    void SetTextStr(const std::string& text) override;

    // Empty text for an entry past the end.
    std::string GetEntry(uint16_t id) const;
    // Replaces entry id; the list grows by empty entries to reach it.
    void SetEntry(uint16_t id, const std::string& text);

    char CommentChar = '#'; // 0: no comment lines

protected:
    void Load(const std::string& fileName);
};

// The message texts of one language, named by a file-name pattern with one "%s" for the code.
class TZAVEKStrings : public TZAVEKStringList {
public:
    // Loads Format(pattern, [language]), overlays the entries that follow the Windows user's own
    // language (`userLanguage`) when that differs and its file exists, and fills the name tables.
    TZAVEKStrings(const std::string& pattern, const std::string& language, const std::string& userLanguage);
#ifdef _WIN32
    TZAVEKStrings(const std::string& pattern, const std::string& language);
#endif

    // Names by code; empty text outside each table.
    std::string GetKeyTypeName(int n) const;
    std::string GetTrustName(int n) const;
    std::string GetValidityName(int n) const;
    std::string GetAlgorithmName(int n) const;
    std::string GetHashName(int n) const;
    std::string GetCertValidityName(int n) const;

    // The entries taken from the user's language file.
    static const std::array<uint16_t, 20> OverlayEntries;
    // The entry of the last hash name, apart from the certificate validity names.
    static constexpr uint16_t LastHashNameEntry = 444;

private:
    void ApplyUserLanguage(
        const std::string& pattern, const std::string& language, const std::string& userLanguage);
    void FillNames();
    std::string Cached(int first, int count, int n) const;

    std::array<std::string, 46> names_;
};

// The texts of PGPsdk error codes: one line per code from -12000 on.
class TPGPErrorStrings : public TStringList {
public:
    // Loads the file; a missing file raises EFOpenError.
    explicit TPGPErrorStrings(const std::string& fileName);

    // The line of the code, else "#" + the code as 8 upper-case hexadecimal digits.
    std::string GetPGPErrorText(int32_t code) const;
};

// The file name of a pattern with one "%s" for the language code.
std::string LanguageFileName(const std::string& pattern, const std::string& language);

// Adds the help pages of contexts 28 to 33 (page, context as object); nothing for no list.
void RegisterHelpTopics(TStrings* list);

// A menu caption without its mention of S/MIME when `remove` is set: everything from just after
// the first "PGP/MIME" through the end of the first "S/MIME" after it goes.
std::string RemoveSMimeMention(const std::string& text, bool remove);

#ifdef _WIN32
#include <windows.h>
// The shared icon of this module's resources by name; 0 when missing.
HICON LoadIconResource(const std::string& name);
#endif
