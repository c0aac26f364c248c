// The language text lists. The message texts are loaded once at start-up; their name tables are
// filled then, so that the key displays read them without looking entries up again.
#include "foundation/ZAVEKResources.h"

#include "foundation/StrTools.h"
#include "foundation/ZAVEKResourcesParser.h"
#include "framework/Exceptions.h"

namespace {

// The name tables: slot ranges and the entries that fill them (-1 leaves a slot empty).
constexpr int KeyTypeSlot = 0, TrustSlot = 2, ValiditySlot = 10, AlgorithmSlot = 14, HashSlot = 33,
              CertValiditySlot = 42, NameSlots = 45;
constexpr int KeyTypeCount = 2, TrustCount = 8, ValidityCount = 4, AlgorithmCount = 19, HashCount = 9,
              CertValidityCount = 3;

int EntryOfSlot(int slot)
{
    if (slot < AlgorithmSlot)
        return 243 + slot; // key types, trust and validity run on without gaps
    if (slot < HashSlot) {
        const int algorithm = slot - AlgorithmSlot;
        if (algorithm < 4)
            return 257 + algorithm;
        if (algorithm < 16)
            return -1;
        return 245 + algorithm;
    }
    if (slot < CertValiditySlot) {
        const int hash = slot - HashSlot;
        // Entry 272 is the first certificate validity name, so the last hash has its own entry.
        return hash < HashCount - 1 ? 264 + hash : TZAVEKStrings::LastHashNameEntry;
    }
    return 272 + (slot - CertValiditySlot);
}

} // namespace

TZAVEKStringList::TZAVEKStringList(const std::string& fileName)
{
    Load(fileName);
}

void TZAVEKStringList::Load(const std::string& fileName)
{
    LoadFromFile(fileName);
}

void TZAVEKStringList::SetTextStr(const std::string& text)
{
    BeginUpdate();
    try {
        Clear();
        for (const std::string& entry : ParseLanguageText(text, CommentChar))
            Add(entry);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TZAVEKStringList::GetEntry(uint16_t id) const
{
    return id < GetCount() ? Get(id) : std::string();
}

void TZAVEKStringList::SetEntry(uint16_t id, const std::string& text)
{
    while (GetCount() <= id)
        Add(std::string());
    Put(id, text);
}

const std::array<uint16_t, 20> TZAVEKStrings::OverlayEntries { 150, 329, 337, 338, 339, 340, 347, 348, 349,
    350, 351, 352, 353, 354, 355, 356, 357, 358, 359, 360 };

TZAVEKStrings::TZAVEKStrings(
    const std::string& pattern, const std::string& language, const std::string& userLanguage)
{
    Load(LanguageFileName(pattern, language));
    ApplyUserLanguage(pattern, language, userLanguage);
    FillNames();
}

void TZAVEKStrings::ApplyUserLanguage(
    const std::string& pattern, const std::string& language, const std::string& userLanguage)
{
    if (userLanguage.empty()
        || (userLanguage.size() == language.size() && StartsWithText(userLanguage, language)))
        return;
    TZAVEKStringList user;
    try {
        user.LoadFromFile(LanguageFileName(pattern, userLanguage));
    } catch (const EFOpenError&) {
        return; // no file of the user's language: nothing to overlay
    }
    for (uint16_t entry : OverlayEntries)
        SetEntry(entry, user.GetEntry(entry));
}

void TZAVEKStrings::FillNames()
{
    for (int slot = 0; slot < NameSlots; ++slot) {
        const int entry = EntryOfSlot(slot);
        names_[static_cast<size_t>(slot)]
            = entry < 0 ? std::string() : GetEntry(static_cast<uint16_t>(entry));
    }
}

std::string TZAVEKStrings::Cached(int first, int count, int n) const
{
    return (n >= 0 && n < count) ? names_[static_cast<size_t>(first + n)] : std::string();
}

std::string TZAVEKStrings::GetKeyTypeName(int n) const
{
    return Cached(KeyTypeSlot, KeyTypeCount, n);
}

std::string TZAVEKStrings::GetTrustName(int n) const
{
    return Cached(TrustSlot, TrustCount, n);
}

std::string TZAVEKStrings::GetValidityName(int n) const
{
    return Cached(ValiditySlot, ValidityCount, n);
}

std::string TZAVEKStrings::GetAlgorithmName(int n) const
{
    return Cached(AlgorithmSlot, AlgorithmCount, n);
}

std::string TZAVEKStrings::GetHashName(int n) const
{
    return Cached(HashSlot, HashCount, n);
}

std::string TZAVEKStrings::GetCertValidityName(int n) const
{
    return Cached(CertValiditySlot, CertValidityCount, n);
}

TPGPErrorStrings::TPGPErrorStrings(const std::string& fileName)
{
    LoadFromFile(fileName);
}

std::string TPGPErrorStrings::GetPGPErrorText(int32_t code) const
{
    const int64_t line = PGPErrorLineOfCode(code);
    if (line >= 0 && line < GetCount())
        return Get(static_cast<int>(line));
    return UnknownPGPErrorText(code);
}

std::string LanguageFileName(const std::string& pattern, const std::string& language)
{
    std::string name = pattern;
    const size_t placeholder = name.find("%s");
    if (placeholder != std::string::npos)
        name.replace(placeholder, 2, language);
    return name;
}

void RegisterHelpTopics(TStrings* list)
{
    if (list == nullptr)
        return;
    static const char* const pages[] = { "AUTOLIST_OPTIONS_DLG.htm", "ENCRYPT_KEY_DLG.htm",
        "MULTI_ID_DLG.htm", "MAINMENU.htm", "AUTOLIST.htm", "CONFIGURATION_DLG.htm" };
    int context = 28;
    for (const char* page : pages)
        list->AddObject(page, ObjectFromInt(context++));
}

std::string RemoveSMimeMention(const std::string& text, bool remove)
{
    if (!remove)
        return text;
    const int pgpMime = PosText("PGP/MIME", text);
    if (pgpMime == 0)
        return text;
    const int cutFrom = pgpMime + 8; // 1-based, just after "PGP/MIME"
    // Only an "S/MIME" after the "PGP/MIME" ends a part to cut; without one the caption stays whole.
    const int sMime = PosTextFrom("S/MIME", text, cutFrom);
    if (sMime == 0)
        return text;
    const size_t cutStart = static_cast<size_t>(cutFrom - 1);
    const size_t cutEnd = static_cast<size_t>(sMime - 1 + 6);
    return text.substr(0, cutStart) + text.substr(cutEnd);
}
