// Key lookup, key texts and key changes of the PGP interface: every lookup fills the working key
// list through the key finder and leaves it empty again once its answer is taken.
#include "engine/PGPInterface.h"
#include "engine/PGPDecode.h"
#include "engine/CertStore.h"

#include "engine/KeyFuncs.h"
#include "foundation/ZAVEKResources.h"

#include <cstdio>

namespace {

constexpr uint32_t kDetailsSelection = 0x24000DCF;
constexpr uint32_t kSigningSelection = 0x200001C3;
constexpr uint32_t kStatusSelection = 0x000E4003;
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

bool TPGPInterface::GetKeyDescription(int index, const std::string&, std::string& result, bool details)
{
    result.clear();
    if (index == -1)
        keyList_->Clear();
    if (index < 0) {
        // Picking the key needs the key selection dialog of the PGP libraries.
        NotAvailable();
    } else if (index >= keyList_->Count()) {
        LastStatus = kStatusKeyDescription;
    } else {
        try {
            // The certificate lines of a key come with the certificate unit; until then none.
            result = KeyDescriptionText((*keyList_)[index], keyList_->Record(index), details, "", texts_);
            LastStatus = kStatusOK;
        } catch (...) {
            result.clear();
            LastStatus = kStatusKeyDescription;
        }
    }
    ShowPGPError(LastStatus);
    return LastStatus == kStatusOK;
}

void TPGPInterface::SignatureStatusText(int32_t resultKind, const TSigPropsRec& props, std::string& text, uint32_t& code)
{
    ::SignatureStatusText(resultKind, props, MarginalIsInvalid(), texts_, text, code);
}

void TPGPInterface::ReportCount(TKeyIDData& keys, uint16_t textID, bool quiet)
{
    if (quiet || keys.Count <= 0)
        return;
    messages_(std::to_string(keys.Count) + texts_.GetEntry(textID), TMessageKind::Information, 0);
    keys.Count = 0;
}

int32_t TPGPInterface::DeleteKeys(const std::string& keyID, HWND, TKeyIDData& keys, bool quiet)
{
    TListClearer clearer(*this);
    keys = TKeyIDData();
    if (keyID.empty())
        return NotAvailable(); // the pick needs the key selection dialog
    // Only an exact 16-digit key id naming exactly one key deletes without a dialog: a short id
    // or a name could match keys the caller never meant.
    if (keyID.size() != 18 || !IsKeyIDText(keyID))
        return LastStatus = kStatusNoKey;
    const int count = Lookup(keyID, kKeyPropKeyID | kKeyPropUserID, 0);
    if (count < 0)
        return LastStatus;
    if (count != 1 || _stricmp((*keyList_)[0].c_str(), keyID.c_str()) != 0)
        return LastStatus = kStatusNoKey;
    ::KeyListResult(keyList_.get(), keys);
    LastStatus = DeleteKeysByText(keyID);
    if (LastStatus != kStatusOK) {
        keys = TKeyIDData();
        return LastStatus;
    }
    ReportCount(keys, 315, quiet);
    return LastStatus;
}

int32_t TPGPInterface::ImportKeys(const std::string& textOrFile, HWND, TKeyIDData& keys, bool, bool)
{
    keys = TKeyIDData();
    return textOrFile.empty() ? LastStatus = kStatusNoKey : NotAvailable();
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
    decoder.ImportPrompt = texts_.GetEntry(310);
    LastStatus = decoder.DecodePass(text);
    if (LastStatus == kStatusCancelled) {
        // The user declined the import: nothing imported, nothing failed.
        LastStatus = kStatusOK;
    } else if (LastStatus != kStatusOK || decoder.ImportedKeys == 0) {
        // No key in the text, or a text the decoder could not read.
        keys.UserText = decoder.Output;
        LastStatus = kStatusNoKey;
    } else {
        keys.Count = decoder.ImportedKeys;
        decoder.BurnResults();
        ReportCount(keys, 311, quiet);
    }
    EndCacheHold();
    return LastStatus;
}

int32_t TPGPInterface::SearchKeyServerKeys(const std::string&, HWND, TKeyIDData& keys, bool)
{
    keys = TKeyIDData();
    return NotAvailable();
}

int32_t TPGPInterface::ExportKeysText(HWND, TKeyIDData& keys, std::string& text)
{
    keys = TKeyIDData();
    text.clear();
    return NotAvailable();
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

int32_t TPGPInterface::RemoveCertificate(HWND, bool, TKeyIDData& keys)
{
    keys = TKeyIDData();
    return NotAvailable();
}

int32_t TPGPInterface::ExportCertificate(HWND, TKeyIDData& keys, std::string& text)
{
    keys = TKeyIDData();
    text.clear();
    return NotAvailable();
}

bool TPGPInterface::HasWindowsCertificates()
{
    return ::HasWindowsCertificates();
}

void TPGPInterface::TakeEncodeResult(const std::string& recipientKeyIDs, const std::string& signerKeyID,
    bool encrypt, bool recipientsFound, TKeyIDData& recipients, TKeyIDData& signer, TKeyIDData& chosen)
{
    TListClearer clearer(*this);
    if (encrypt) {
        chosen.KeyIDText = WithoutTrailingSigner(recipientKeyIDs, signerKeyID);
        chosen.Count = 1;
    }
    signer.KeyIDText = signerKeyID;
    recipients = TKeyIDData();
    if (!encrypt || recipientKeyIDs.empty())
        return;
    if (Lookup(recipientKeyIDs, kKeyPropKeyID | kKeyPropUserID, 0) > 0)
        ::KeyListResult(keyList_.get(), recipients);
    if (!recipientsFound)
        recipients.Count = 0;
}
