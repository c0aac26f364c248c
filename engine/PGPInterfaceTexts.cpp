// Texts and small rules of the PGP interface that work on filled records: version classes, help
// topics, hash choice, signature status lines, key descriptions and key-choice lists.
#include "engine/PGPInterfaceTexts.h"

#include "foundation/UserIDs.h"
#include "foundation/ZAVEKCommon.h"
#include "foundation/ZAVEKResources.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

const std::string kCRLF = "\r\n";

std::string Trim(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

bool StartsWithNoCase(const std::string& text, const std::string& head)
{
    return text.size() >= head.size()
        && std::equal(head.begin(), head.end(), text.begin(),
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

bool SameNoCase(const std::string& a, const std::string& b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

// Puts `insert` before the first blank of `text` (at the end when it has none).
std::string InsertAtFirstBlank(const std::string& text, const std::string& insert)
{
    const size_t blank = text.find(' ');
    std::string result = text;
    result.insert(blank == std::string::npos ? result.size() : blank, insert);
    return result;
}

std::string Text(const TZAVEKStrings& texts, uint16_t id) { return texts.GetEntry(id); }

constexpr std::array<TKeyManager, 6> kKeyManagers { { { "PGPkeys", "/s" }, { "PGPkeys", "/s" },
    { "PGPkeys", "/s" }, { "PGPdesk", "" }, { "PGPdesk", "" }, { "PGPdesk", "" } } };

struct THelpTopics {
    const char* general;
    const char* groups;
    const char* wipeFiles;
};
constexpr std::array<THelpTopics, 6> kHelpTopics { {
    { "Additional Decryption Keys", "Groups", "wipe\\,using to wipe free space" },
    { "/pgp/About_ADKs.htm", "/pgp/To_create_a_distribution_list.htm", "/pgp/Recommended_number_of_passes.htm" },
    { "/65keys/keys-aboutadk.htm", "/65keys/keys-createlist.htm", "/45wipe/wipe-passes.htm" },
    { "/Additional_Decryption_Keys.htm", "", "/Free_Space_Wiping.htm" },
    { "2047.htm", "", "2063.htm" },
    { "3443.htm", "", "2063.htm" },
} };

int ClampClass(int versionClass) { return versionClass < 0 || versionClass > 5 ? 0 : versionClass; }

} // namespace

int VersionClassOf(int major, int sdkGeneration)
{
    switch (major) {
    case 6: return 0;
    case 7: return 1;
    case 8: return 2;
    case 9: return sdkGeneration == 7 ? 4 : sdkGeneration == 8 ? 5 : 3;
    case 10: return 5;
    default: return 0;
    }
}

const TKeyManager& KeyManagerOf(int versionClass) { return kKeyManagers[ClampClass(versionClass)]; }

std::string HelpTopicOf(int versionClass, const std::string& topicName)
{
    const THelpTopics& row = kHelpTopics[ClampClass(versionClass)];
    if (StartsWithNoCase(topicName, "Groups"))
        return row.groups;
    if (StartsWithNoCase(topicName, "WipeFiles"))
        return row.wipeFiles;
    return row.general;
}

int32_t HashChoiceOf(int32_t signAlg, bool ripeMD, bool strongHashes)
{
    if (signAlg == 0 && ripeMD)
        return 3;
    if (strongHashes && signAlg >= 1 && signAlg <= 3)
        return signAlg + 3;
    return 0;
}

std::string WithoutTrailingSigner(const std::string& keyIDs, const std::string& signerKeyID)
{
    if (keyIDs.size() <= 18 || signerKeyID.empty() || keyIDs.size() <= signerKeyID.size())
        return keyIDs;
    const size_t tail = keyIDs.size() - signerKeyID.size();
    if (!SameNoCase(keyIDs.substr(tail), signerKeyID) || keyIDs[tail - 1] != ',')
        return keyIDs;
    return keyIDs.substr(0, tail - 1);
}

std::string GetShortKeyID(const std::string& keyID)
{
    if (!IsKeyIDText(keyID))
        return "";
    return keyID.size() == 18 ? "0x" + keyID.substr(10) : keyID;
}

namespace {

std::string FormatOneSignerText(const std::string& text, const TZAVEKStrings& texts)
{
    const std::string unknown = Text(texts, 324);
    if (!unknown.empty() && text.compare(0, unknown.size(), unknown) == 0)
        return text;
    if (text.compare(0, 2, "0x") == 0) {
        const size_t blank = text.find(' ');
        return blank == std::string::npos ? text : Trim(text.substr(blank + 1));
    }
    const size_t paren = text.find(')');
    const size_t firstEnd = paren == std::string::npos ? 0 : paren + 1;
    const std::string first = text.substr(0, firstEnd);
    std::string rest = text.substr(firstEnd);
    const size_t comma = rest.rfind(',');
    const size_t secondEnd = comma == std::string::npos ? 0 : comma + 1;
    const std::string second = rest.substr(0, secondEnd);
    // The character after the last comma is the blank that separates the key line; trimming
    // drops it, so no other character is ever lost.
    const std::string third = rest.substr(secondEnd);
    return Trim(Trim(first) + kCRLF + Trim(second) + kCRLF + Trim(third));
}

// The certificate validity level of an S/MIME signer (0 not certified, 1 invalid, 2 valid) from the
// decoder's chain state: a chain verified up to a trusted root (state 1) is valid; one the chain
// check could not complete to a trusted root (state 2) only when the user trusts the signer's key
// itself; no chain check (state 0) is no certification.
int CertValidityLevel(const TSigPropsRec& props)
{
    constexpr int32_t kChainVerified = 1, kChainIncomplete = 2;
    if (props.CertState == kChainVerified)
        return 2;
    if (props.CertState == kChainIncomplete)
        return props.Validity == 3 ? 2 : 1;
    return 0;
}

// Good signatures rank first, then the classes by how much they must be seen: a missing or
// unusable key, an expired signature, a bad one last.
int ResultRank(uint32_t code)
{
    switch (code & 0xFFFF) {
    case 2:
        return 0;
    case 3:
        return 1;
    case 4:
        return 3;
    case 6:
        return 2;
    case 5:
        return 5;
    default:
        return 4;
    }
}

} // namespace

std::string UnsupportedKeyText(const TZAVEKStrings& texts, const std::string& userID, const std::string& keyID)
{
    std::string text = Text(texts, 450);
    const size_t at = text.find("%s");
    const std::string key = userID + " [ " + GetShortKeyID(keyID) + " ]";
    return at == std::string::npos ? text + " " + key : text.replace(at, 2, key);
}

std::string FormatSignerText(const std::string& text, const TZAVEKStrings& texts)
{
    const std::string separator = kSignerSeparator;
    std::string result;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(separator, from);
        const std::string one = text.substr(from, at == std::string::npos ? std::string::npos : at - from);
        result += (result.empty() ? "" : kCRLF + kCRLF) + FormatOneSignerText(one, texts);
        if (at == std::string::npos)
            return result;
        from = at + separator.size();
    }
}

bool IsWorseSignature(uint32_t code, uint32_t than)
{
    return ResultRank(code) > ResultRank(than);
}

void SignersStatusText(int32_t resultKind, const std::vector<TSigPropsRec>& signatures,
    bool marginalIsInvalid, const TZAVEKStrings& texts, std::string& text, uint32_t& code)
{
    std::vector<std::pair<uint32_t, std::string>> results;
    for (const TSigPropsRec& props : signatures) {
        results.emplace_back();
        SignatureStatusText(resultKind, props, marginalIsInvalid, texts, results.back().second, results.back().first);
    }
    // Worse results come first: a status line that opens with a good signer must not hide a bad one.
    std::stable_sort(results.begin(), results.end(),
        [](const auto& a, const auto& b) { return IsWorseSignature(a.first, b.first); });
    text.clear();
    for (const auto& result : results)
        text += (text.empty() ? "" : kSignerSeparator) + result.second;
    code = results.empty() ? 0 : results.front().first;
}

void SignatureStatusText(int32_t resultKind, const TSigPropsRec& props, bool marginalIsInvalid,
    const TZAVEKStrings& texts, std::string& text, uint32_t& code)
{
    const bool smime = resultKind > 7;
    const uint32_t encrypted
        = resultKind == kResultPGPEncrypted || resultKind == kResultSMimeEnveloped ? kSignatureEncryptedBit : 0;
    const std::string shortID = GetShortKeyID(props.KeyIDText);
    uint32_t resultClass = 1;
    switch (props.State) {
    case 1:
    case 2:
    case 5: break;
    case 3:
        text = Text(texts, 324) + " [ " + shortID + " ] " + Text(texts, 326) + kCRLF + Text(texts, 327);
        code = 6 | encrypted;
        return;
    case 4:
        text = props.AlgorithmUnsupported ? UnsupportedKeyText(texts, props.UserIDText, props.KeyIDText)
                                          : Text(texts, 325) + " " + Text(texts, 326);
        code = 6 | encrypted;
        return;
    default: // 0, and any state the decoder does not define, never reads as a good signature
        text = "0x " + Text(texts, 319);
        code = 1 | encrypted;
        return;
    }

    int32_t validity = props.Validity;
    if (smime)
        validity = CertValidityLevel(props) == 2 ? 3 : 1;
    const bool valid = validity == 3 || (validity == 2 && !marginalIsInvalid);

    std::string first;
    if (props.State == 1) {
        first = Text(texts, 321) + Text(texts, 323);
        resultClass = 5;
    } else {
        first = Text(texts, 320) + Text(texts, 323);
        if (props.State == 5) {
            first = InsertAtFirstBlank(first, " " + Text(texts, 322));
            resultClass = 4;
        } else {
            first = InsertAtFirstBlank(first, " (" + props.SigTimeText + ")");
            resultClass = valid ? 2 : 3;
            if (props.Revoked || props.Expired || props.Disabled)
                resultClass = 6;
        }
    }

    std::string validityPart;
    if (!smime) {
        const std::string subKey
            = props.SubKeyIDText.empty() ? "" : " (" + GetShortKeyID(props.SubKeyIDText) + ")";
        if (props.Revoked)
            validityPart = Text(texts, 294) + subKey;
        else if (props.Expired)
            validityPart = Text(texts, 293) + subKey;
        else if (validity > 0)
            validityPart = Text(texts, 289) + " " + texts.GetValidityName(validity);
        else
            validityPart = texts.GetValidityName(0);
    } else if (props.Revoked) {
        validityPart = Text(texts, 297);
    } else if (props.Expired) {
        validityPart = Text(texts, 296);
    } else if (props.Disabled) {
        validityPart = Text(texts, 298);
    } else {
        validityPart = texts.GetCertValidityName(CertValidityLevel(props));
    }
    text = first + " " + props.UserIDText + ", " + shortID + ": " + validityPart;
    code = resultClass | encrypted;
}

bool MarkPartlySignedText(uint32_t sectionKind, bool hasOtherText, std::string& statusText, const TZAVEKStrings& texts)
{
    // A good signature's status has its time, or "(expired)", after the first word of text 320.
    const std::string full = Text(texts, 320);
    const std::string good = full.substr(0, full.find(' ')) + " ";
    if (sectionKind >= 4 || !hasOtherText || full.empty() || statusText.compare(0, good.size(), good) != 0)
        return false;
    statusText = Text(texts, 328) + " " + statusText;
    return true;
}

std::string KeyDescriptionText(const std::string& fullKeyID, const TKeyPropsRec& key, bool details,
    const std::string& certificateBlock, const TZAVEKStrings& texts)
{
    std::string userBlock;
    if (details) {
        if (key.CertState != 0)
            userBlock = certificateBlock;
        if (key.UserIDs) {
            for (int i = 0; i < key.UserIDs->Count(); ++i)
                if (i == 0 || key.UserIDs->Kind(i) <= 1)
                    userBlock += key.UserIDs->Get(i) + kCRLF;
        } else {
            userBlock += key.UserID + kCRLF;
        }
        userBlock += key.ADKState != 0 ? kCRLF + ">>>>>>>>>> A D K <<<<<<<<<<" + kCRLF : kCRLF;
    } else {
        userBlock = key.UserID + kCRLF;
    }

    std::string date = key.CreatedText;
    const size_t firstBlank = date.find(' ');
    date = firstBlank == std::string::npos ? "" : date.substr(firstBlank + 1);
    const size_t lastComma = date.rfind(',');
    if (lastComma != std::string::npos)
        date.erase(lastComma);
    date = Trim(date);

    const std::string validityBlock = details
        ? texts.GetValidityName(key.Validity) + kCRLF + texts.GetTrustName(key.Trust) + kCRLF + kCRLF
        : "";
    return userBlock + fullKeyID + kCRLF + "(" + key.KeyID + ")" + kCRLF + kCRLF
        + texts.GetAlgorithmName(key.Algorithm) + " - " + key.KeySize + " - " + date + kCRLF + kCRLF
        + validityBlock + key.Fingerprint + kCRLF;
}

std::string KeyStatusLine(int count, const TKeyPropsRec* onlyKey, const TZAVEKStrings& texts)
{
    if (count <= 0)
        return Text(texts, 219);
    if (count > 1 || !onlyKey)
        return Text(texts, 224);
    if (onlyKey->Corrupt)
        return Text(texts, 220);
    if (onlyKey->Revoked)
        return Text(texts, 221);
    if (onlyKey->Expired)
        return Text(texts, 222);
    if (onlyKey->Disabled)
        return Text(texts, 223);
    return "";
}

int KeyListResult(const TKeyPropsList* list, TKeyIDData& data)
{
    data = TKeyIDData();
    if (!list || list->Count() == 0)
        return 0;
    for (int i = 0; i < list->Count(); ++i) {
        if (i > 0) {
            data.UserText += kCRLF;
            data.KeyIDText += ",";
        }
        data.UserText += list->Record(i).UserID;
        data.KeyIDText += (*list)[i];
    }
    data.Count = list->Count();
    return data.Count;
}

int CertListResult(const TX509CertPropsList* list, TKeyIDData& data)
{
    data = TKeyIDData();
    if (!list || list->Count() == 0)
        return 0;
    for (int i = 0; i < list->Count(); ++i) {
        if (i > 0) {
            data.UserText += kCRLF;
            data.KeyIDText += ",";
        }
        const TX509CertPropsRec& certificate = list->Record(i);
        data.UserText += DNToUserID(certificate.SubjectName);
        data.KeyIDText += certificate.KeyID;
    }
    data.Count = list->Count();
    return data.Count;
}

std::string ChosenUserID(const TKeyPropsList& list, int index, const std::string& wanted, bool certificatesOnly)
{
    const TKeyPropsRec& key = list.Record(index);
    if (key.UserIDs) {
        const TUserIDs& ids = *key.UserIDs;
        for (int i = 0; i < ids.Count(); ++i)
            if ((!certificatesOnly || ids.Kind(i) >= 2) && ids.Get(i) == wanted)
                return ids.Get(i);
        const std::string address = ExtractEmailAddress(wanted);
        if (!address.empty())
            for (int i = 0; i < ids.Count(); ++i)
                if ((!certificatesOnly || ids.Kind(i) > 1) && ids.Get(i).find(address) != std::string::npos)
                    return ids.Get(i);
    }
    // The key's own primary user id: another key's name would not belong to the key id returned.
    return key.UserID;
}

int FillKeyChoices(const TKeyPropsList& list, const std::string& keyID, TStrings& choices)
{
    int match = -1;
    for (int i = 0; i < list.Count(); ++i) {
        const TKeyPropsRec& key = list.Record(i);
        choices.AddObject(key.UserID + " (" + key.KeySize + ")", ObjectFromInt(i));
        if ((keyID.size() == 10 && SameNoCase(key.KeyID, keyID)) || (keyID.size() == 18 && SameNoCase(list[i], keyID)))
            match = i;
    }
    return match;
}

std::string KeyIDOfStoredKey(const std::string& keyText)
{
    const size_t slash = keyText.rfind('\\');
    std::string idText = slash == std::string::npos ? keyText : keyText.substr(slash + 1);
    // Stored ids may be written in lower case; the normaliser reads upper case only.
    std::transform(idText.begin(), idText.end(), idText.begin(),
        [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return NormalizeKeyIDText(idText);
}

int DefaultKeyIndex(const TKeyPropsList& list, const std::string& defaultKeyText)
{
    const std::string keyID = KeyIDOfStoredKey(defaultKeyText);
    for (int i = 0; i < list.Count(); ++i) {
        if ((keyID.size() == 10 && SameNoCase(list.Record(i).KeyID, keyID))
            || (keyID.size() == 18 && SameNoCase(list[i], keyID)))
            return i;
    }
    return 0;
}
