// Key lookup, key texts and key changes of the PGP interface: every lookup fills the working key
// list through the key finder and leaves it empty again once its answer is taken.
#include "engine/PGPInterface.h"
#include "engine/PGPDecode.h"
#include "engine/CertStore.h"

#include "engine/KeyFuncs.h"
#include "engine/PGPDialogs.h"
#include "engine/X509Funcs.h"
#include "foundation/StrUtil.h"
#include "foundation/ZAVEKResources.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t kDetailsSelection = 0x24000DCF;
constexpr uint32_t kSigningSelection = 0x200001C3;
constexpr uint32_t kStatusSelection = 0x000E4003;
constexpr uint32_t kNamesSelection = kKeyPropKeyID | kKeyPropUserID;
constexpr uint32_t kExportSelection = kNamesSelection | kKeyPropKeySize | kKeyPropAlgorithm;
constexpr uint32_t kCertificatesOfKey = 0x1000;
const std::string kCRLF = "\r\n";
// Keys are listed in user-id order.
constexpr int32_t kUserIDOrder = 2;

// Empties the working list when the operation that filled it ends.
class TListClearer {
public:
    explicit TListClearer(TPGPInterface& pgp) : pgp_(pgp) { }
    ~TListClearer() { pgp_.ClearKeyList(); }
    TListClearer(const TListClearer&) = delete;
    TListClearer& operator=(const TListClearer&) = delete;

private:
    TPGPInterface& pgp_;
};

// A dialog of the PGP libraries asked for without a parent belongs to the window in front.
HWND DialogOwner(HWND parent) { return parent ? parent : GetActiveWindow(); }

// An input without a line break that names an existing file is that file; anything else is text.
bool NamesAFile(const std::string& textOrFile)
{
    if (textOrFile.size() >= MAX_PATH || textOrFile.find_first_of("\r\n") != std::string::npos)
        return false;
    const DWORD attributes = GetFileAttributesA(textOrFile.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

int TPGPInterface::Lookup(const std::string& text, uint32_t selection, uint32_t filter)
{
    keyList_->Clear();
    int count = kStatusOutOfMemory;
    try {
        count = FindKeys(text, keyList_, selection, filter, kUserIDOrder);
    } catch (...) {
        keyList_->Clear(); // a half-filled list is no answer
    }
    if (count == kNoKeyMatches)
        count = 0;
    LastStatus = count < 0 ? count : kStatusOK;
    return count;
}

int TPGPInterface::ListEncryptionKeys() { return Lookup("", kKeyPropKeyID, kKeyFilterCanEncrypt); }

int TPGPInterface::ListEncryptionKeyDetails() { return Lookup("", kDetailsSelection, kKeyFilterCanEncrypt); }

int TPGPInterface::FindSigningKeys(const std::string& text) { return Lookup(text, kSigningSelection, kKeyFilterCanSign); }

bool TPGPInterface::KeyHasADK(const std::string& text)
{
    TListClearer clearer(*this);
    return Lookup(text, kDetailsSelection, kKeyFilterCanEncrypt) == 1 && keyList_->Record(0).ADKState != 0;
}

int32_t TPGPInterface::KeyStatusText(const std::string& text, std::string& statusText)
{
    TListClearer clearer(*this);
    const int count = Lookup(text, kStatusSelection, 0);
    if (count < 0)
        statusText = PGPErrorText(count);
    else
        statusText = KeyStatusLine(count, count == 1 ? &keyList_->Record(0) : nullptr, texts_);
    return LastStatus;
}

bool TPGPInterface::ResolveSigner(TKeyIDData& signer, bool certificatesOnly)
{
    TListClearer clearer(*this);
    signer.Count = 0;
    int index = -1;
    if (!signer.KeyIDText.empty() && FindSigningKeys(signer.KeyIDText) > 0)
        index = 0;
    else if (!signer.UserText.empty() && FindSigningKeys(signer.UserText) > 0)
        index = DefaultKeyIndex(*keyList_, KeyRingSettings.DefaultKey);
    if (index < 0)
        return false;
    signer.UserText = ChosenUserID(*keyList_, index, signer.UserText, certificatesOnly);
    signer.KeyIDText = (*keyList_)[index];
    signer.Count = 1;
    return true;
}

int TPGPInterface::FillKeyChoices(const std::string& keyID, TStrings& choices)
{
    const std::string wanted = keyID.empty() ? KeyIDOfStoredKey(KeyRingSettings.DefaultKey) : keyID;
    return ::FillKeyChoices(*keyList_, wanted, choices);
}

bool TPGPInterface::GetKeyDescription(int index, const std::string& keyText, std::string& result, bool details)
{
    result.clear();
    if (index == -1)
        keyList_->Clear();
    LastStatus = kStatusOK;
    if (index < 0) {
        // One key is described: the pick offers the keys matching the key text (every key of the
        // ring without one) and takes one.
        LastStatus = SelectKeysFromRing(DialogOwner(nullptr), keyList_, true, texts_.GetEntry(300), 0,
            kDetailsSelection, keyText);
        index = 0;
    }
    if (LastStatus == kStatusOK && index >= keyList_->Count())
        LastStatus = kStatusKeyDescription;
    if (LastStatus == kStatusOK) {
        try {
            const TKeyPropsRec& key = keyList_->Record(index);
            const std::string certificates = details && key.CertState != 0 ? CertificateBlock((*keyList_)[index]) : "";
            result = KeyDescriptionText((*keyList_)[index], key, details, certificates, texts_);
        } catch (...) {
            result.clear();
            LastStatus = kStatusKeyDescription;
        }
    }
    ShowPGPError(LastStatus);
    return LastStatus == kStatusOK;
}

std::string TPGPInterface::CertificateBlock(const std::string& keyID)
{
    std::unique_ptr<TX509CertPropsList> certificates;
    std::string block;
    if (FindX509Certificates("", keyID, "", certificates, false, kCertificatesOfKey) <= 0 || !certificates)
        return block;
    for (int i = 0; i < certificates->Count(); ++i) {
        const TX509CertPropsRec& certificate = certificates->Record(i);
        block += certificate.UserID + kCRLF + texts_.GetEntry(301) + kCRLF + DNToUserID(certificate.IssuerName)
            + kCRLF + kCRLF;
    }
    return block;
}

void TPGPInterface::SignatureStatusText(int32_t resultKind, const TSigPropsRec& props, std::string& text, uint32_t& code)
{
    ::SignatureStatusText(resultKind, props, MarginalIsInvalid(), texts_, text, code);
}

void TPGPInterface::SignersStatus(const TPGPDecode& decoder, std::string& text, uint32_t& code)
{
    if (decoder.Signatures.size() > 1)
        ::SignersStatusText(decoder.ResultKind, decoder.Signatures, MarginalIsInvalid(), texts_, text, code);
    else
        SignatureStatusText(decoder.ResultKind, decoder.SigProps, text, code);
}

void TPGPInterface::ReportCount(TKeyIDData& keys, uint16_t textID, bool quiet, const std::string& note)
{
    if (keys.Count <= 0)
        return;
    if (quiet) {
        // The caller reports the count; that a key cannot be used is told here in any case.
        if (!note.empty())
            messages_(note, TMessageKind::Warning, 0);
        return;
    }
    const std::string count = std::to_string(keys.Count) + texts_.GetEntry(textID);
    if (note.empty())
        messages_(count, TMessageKind::Information, 0);
    else
        messages_(count + kCRLF + kCRLF + note, TMessageKind::Warning, 0);
    keys.Count = 0;
}

std::string TPGPInterface::UnsupportedKeysText(const TKeyPropsList& keys) const
{
    std::string text;
    // A list read without the algorithm property holds 0 there, which says nothing of the key.
    for (int i = 0; i < keys.Count(); ++i)
        if (keys.Record(i).Algorithm != 0 && !KeyAlgorithmSupported(keys.Record(i).Algorithm))
            text += (text.empty() ? "" : kCRLF) + UnsupportedKeyText(texts_, keys.Record(i).UserID, keys[i]);
    return text;
}

void TPGPInterface::NoteUnsupportedKeys(int32_t status, const std::string& keyIDs)
{
    unsupportedKeys_.clear();
    if (status != kPGPError_UnsupportedAlgorithm)
        return;
    // One by one: a key that is no longer on the rings does not hide the others.
    TKeyPropsList named(kKeyPropKeyID | kKeyPropUserID | kKeyPropAlgorithm);
    for (const std::string& keyID : SplitCommaText(keyIDs)) {
        std::unique_ptr<TKeyPropsList> found;
        if (FindKeys(TrimBlanks(keyID), found, kKeyPropKeyID | kKeyPropUserID | kKeyPropAlgorithm, 0, 0) > 0 && found)
            for (int i = 0; i < found->Count(); ++i)
                if (named.IndexOf((*found)[i]) < 0)
                    named.AddObject((*found)[i], &found->Record(i));
    }
    unsupportedKeys_ = UnsupportedKeysText(named);
}

int32_t TPGPInterface::DeleteKeys(const std::string& keyID, HWND parent, TKeyIDData& keys, bool quiet)
{
    TListClearer clearer(*this);
    keys = TKeyIDData();
    if (keyID.empty())
        return DeletePickedKeys(parent, keys, quiet);
    // Only an exact 16-digit key id naming exactly one key deletes without a dialog: a short id
    // or a name could match keys the caller never meant.
    if (keyID.size() != 18 || !IsKeyIDText(keyID))
        return LastStatus = kStatusNoKey;
    const int count = Lookup(keyID, kNamesSelection, 0);
    if (count < 0)
        return LastStatus;
    if (count != 1 || _stricmp((*keyList_)[0].c_str(), keyID.c_str()) != 0)
        return LastStatus = kStatusNoKey;
    return DeleteListedKeys(keys, quiet);
}

int32_t TPGPInterface::DeletePickedKeys(HWND parent, TKeyIDData& keys, bool quiet)
{
    LastStatus = SelectKeysFromRing(DialogOwner(parent), keyList_, false, texts_.GetEntry(312), 0, kNamesSelection);
    if (LastStatus != kStatusOK)
        return LastStatus;
    ::KeyListResult(keyList_.get(), keys);
    const bool yes = messages_(texts_.GetEntry(312) + "?" + kCRLF + kCRLF + keys.UserText,
        TMessageKind::QuestionNoDefault, 0);
    if (!yes) {
        keys = TKeyIDData();
        return LastStatus;
    }
    return DeleteListedKeys(keys, quiet);
}

int32_t TPGPInterface::DeleteListedKeys(TKeyIDData& keys, bool quiet)
{
    ::KeyListResult(keyList_.get(), keys);
    LastStatus = DeleteKeysByText(keys.KeyIDText);
    if (LastStatus != kStatusOK) {
        keys = TKeyIDData();
        return LastStatus;
    }
    ReportCount(keys, 315, quiet);
    return LastStatus;
}

int32_t TPGPInterface::ImportKeys(const std::string& textOrFile, HWND parent, TKeyIDData& keys, bool noPrompt,
    bool quiet)
{
    TListClearer clearer(*this);
    keys = TKeyIDData();
    if (textOrFile.empty())
        return LastStatus = kStatusNoKey;
    PGPKeySetRef intoRing = 0;
    LastStatus = ::ImportKeys(DialogOwner(parent), textOrFile, noPrompt ? "" : texts_.GetEntry(310), intoRing,
        kNamesSelection | kKeyPropAlgorithm, keyList_, NamesAFile(textOrFile));
    // Data of no format the import knows holds no key, which is what the user is told.
    if (LastStatus == kPGPError_CorruptData)
        LastStatus = kStatusNoKey;
    return TakeImported(keys, quiet);
}

int32_t TPGPInterface::TakeImported(TKeyIDData& keys, bool quiet)
{
    if (LastStatus != kStatusOK)
        return LastStatus;
    ::KeyListResult(keyList_.get(), keys);
    ReportCount(keys, 311, quiet, UnsupportedKeysText(*keyList_));
    return LastStatus;
}

int32_t TPGPInterface::ImportKeysFromText(const std::string& text, HWND parent, TKeyIDData& keys, bool quiet)
{
    keys = TKeyIDData();
    if (text.empty())
        return LastStatus = kStatusNoKey;
    BeginCacheHold();
    TPGPDecode decoder;
    SetUpDecoder(decoder, parent, texts_.GetEntry(303) + ":");
    decoder.Recursive = true;
    decoder.ImportFoundKeys = true;
    LastStatus = decoder.DecodePass(text);
    if (LastStatus == kStatusOK && decoder.ImportStatus == kStatusCancelled) {
        // The user declined the import: nothing imported, nothing failed.
    } else if (LastStatus == kStatusCancelled) {
        // A passphrase was not given: the decode stopped before any key was offered.
    } else if (LastStatus == kStatusOK && decoder.ImportStatus != kStatusOK) {
        LastStatus = decoder.ImportStatus;
    } else if (LastStatus != kStatusOK || decoder.ImportedKeys == 0) {
        // No key in the text, or a text the decoder could not read.
        keys.UserText = decoder.Output;
        LastStatus = kStatusNoKey;
    } else {
        ::KeyListResult(decoder.ImportedKeyList.get(), keys);
        const std::string note = UnsupportedKeysText(*decoder.ImportedKeyList);
        decoder.BurnResults();
        ReportCount(keys, 311, quiet, note);
    }
    EndCacheHold();
    return LastStatus;
}

int32_t TPGPInterface::SearchKeyServerKeys(const std::string& search, HWND parent, TKeyIDData& keys, bool quiet)
{
    TListClearer clearer(*this);
    keys = TKeyIDData();
    if (!prefs_)
        return LastStatus = kStatusBadKeyServer; // no preferences, so no key server to ask
    LastStatus = SearchKeyServer(DialogOwner(parent), *prefs_, search, keyList_, texts_.GetEntry(310), kNamesSelection);
    return TakeImported(keys, quiet);
}

int32_t TPGPInterface::ExportKeysText(HWND parent, TKeyIDData& keys, std::string& text)
{
    TListClearer clearer(*this);
    keys = TKeyIDData();
    text.clear();
    std::string armoured;
    LastStatus = ExportKeys(texts_.GetEntry(316), armoured, keyList_, DialogOwner(parent), kExportSelection, false,
        false, false);
    if (LastStatus != kStatusOK)
        return LastStatus;
    ::KeyListResult(keyList_.get(), keys);
    for (int i = 0; i < keyList_->Count(); ++i) {
        const TKeyPropsRec& key = keyList_->Record(i);
        text += key.UserID + ", " + texts_.GetAlgorithmName(key.Algorithm) + ", " + key.KeySize + kCRLF;
    }
    text += kCRLF + armoured;
    return LastStatus;
}

int32_t TPGPInterface::ImportWindowsCertificates(HWND parent, bool quiet, TKeyIDData& keys)
{
    keys = TKeyIDData();
    // A passphrase for this one transfer from the store into the key database.
    char transfer[9] = {};
    std::snprintf(transfer, sizeof transfer, "%08X", secure_->NextRandomWord());
    std::unique_ptr<TX509CertPropsList> imported;
    LastStatus = ImportStoreCertificate(texts_.GetEntry(309), texts_.GetEntry(303) + ":", transfer, parent, imported);
    SecureZeroMemory(transfer, sizeof transfer);
    CertListResult(imported.get(), keys);
    if (LastStatus == kStatusOK)
        ReportCount(keys, 311, quiet);
    return LastStatus;
}

int32_t TPGPInterface::PickCertificate(HWND parent, uint16_t titleID, TX509CertPropsRec& certificate)
{
    std::unique_ptr<TX509CertPropsList> picked;
    LastStatus = FindCertificatesForKey(texts_.GetEntry(titleID), picked, parent);
    if (LastStatus == kStatusOK && (!picked || picked->Count() == 0))
        LastStatus = kX509NoCertificate;
    if (LastStatus == kStatusOK)
        certificate = picked->Record(0);
    return LastStatus;
}

int32_t TPGPInterface::RemoveCertificate(HWND parent, bool quiet, TKeyIDData& keys)
{
    keys = TKeyIDData();
    TX509CertPropsRec certificate;
    if (PickCertificate(parent, 313, certificate) != kStatusOK)
        return LastStatus;
    if (!messages_(texts_.GetEntry(313) + "?\r\n\r\n" + certificate.SubjectName, TMessageKind::QuestionNoDefault, 0))
        return LastStatus = kStatusCancelled;
    std::unique_ptr<TX509CertPropsList> removed;
    LastStatus = ::RemoveCertificate("", CertificateName(certificate), false, parent, removed);
    if (LastStatus != kStatusOK)
        return LastStatus;
    keys.KeyIDText = certificate.KeyID;
    keys.Count = 1;
    ReportCount(keys, 315, quiet);
    return LastStatus;
}

int32_t TPGPInterface::ExportCertificate(HWND parent, TKeyIDData& keys, std::string& text)
{
    keys = TKeyIDData();
    text.clear();
    TX509CertPropsRec certificate;
    if (PickCertificate(parent, 317, certificate) != kStatusOK)
        return LastStatus;
    std::unique_ptr<TX509CertPropsList> chain;
    std::string pem;
    LastStatus = ExportCertificateToFile("", CertificateName(certificate), parent, chain, pem, true);
    if (LastStatus != kStatusOK)
        return LastStatus;
    // A chain's or a self-signed certificate's headline ends like "X.509 certificate for".
    const std::string single = texts_.GetEntry(239);
    const std::string forTail = single.substr(std::min(single.rfind(' '), single.size()));
    std::string headline = chain && chain->Count() > 1 ? texts_.GetEntry(318)
        : certificate.SelfSigned                       ? texts_.GetEntry(274)
                                                       : single;
    if (headline.size() < forTail.size() || headline.compare(headline.size() - forTail.size(), forTail.size(), forTail) != 0)
        headline += forTail;
    keys.UserText = headline + " " + DNToUserID(certificate.SubjectName) + "\r\n";
    if (!certificate.SelfSigned) {
        const std::string issued = texts_.GetEntry(301);
        keys.KeyIDText = issued.substr(std::min(issued.find(' ') + 1, issued.size())) + " "
            + DNToUserID(certificate.IssuerName) + "\r\n";
    }
    keys.Count = 1;
    text = keys.UserText + keys.KeyIDText + "\r\n" + pem;
    return LastStatus;
}

bool TPGPInterface::HasWindowsCertificates()
{
    return ::HasWindowsCertificates();
}

void TPGPInterface::TakeEncodeResult(const std::string& recipientKeyIDs, const std::string& signerKeyID,
    bool encrypt, bool recipientsFound, TKeyIDData* recipients, TKeyIDData& signer, TKeyIDData& chosen)
{
    TListClearer clearer(*this);
    if (encrypt) {
        chosen.KeyIDText = WithoutTrailingSigner(recipientKeyIDs, signerKeyID);
        chosen.Count = 1;
    }
    signer.KeyIDText = signerKeyID;
    if (!recipients)
        return;
    *recipients = TKeyIDData();
    if (!encrypt || recipientKeyIDs.empty())
        return;
    if (Lookup(recipientKeyIDs, kKeyPropKeyID | kKeyPropUserID, 0) > 0)
        ::KeyListResult(keyList_.get(), *recipients);
    if (!recipientsFound)
        recipients->Count = 0;
}
