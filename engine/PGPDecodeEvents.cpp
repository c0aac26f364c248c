// The decoder's answers to the SDK's decode events: what the analysis found, passphrases (cache
// first, a repeated request for the same section asks again), recipients, found keys, the
// per-section output buffers and the signature result.
#include "engine/PGPDecode.h"

#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/KeyFuncsTypes.h"
#include "engine/PGPDecodeJob.h"
#include "engine/X509Funcs.h"
#include "engine/PGPDialogs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"

#include <limits>

namespace {

std::string PrimaryUserIDOf(PGPKeyDBObjRef key)
{
    char buffer[512] = {};
    PGPSize length = 0;
    if (GetPrimaryUserIDName(key, buffer, sizeof buffer - 1, &length) != kPGPError_NoErr || length >= sizeof buffer)
        return {};
    return std::string(buffer, strnlen(buffer, length));
}

} // namespace

std::string KeyIDString(const PGPKeyID& keyID)
{
    char text[64] = {};
    if (!SDKProcs.PGPGetKeyIDString || SDKProcs.PGPGetKeyIDString(&keyID, kPGPKeyIDString_Full, text) != 0)
        return {};
    return text;
}

std::string JoinedKeyIDs(const PGPKeyID* keyIDs, uint32_t count)
{
    std::string text;
    for (uint32_t i = 0; keyIDs && i < count; ++i) {
        std::string one = KeyIDString(keyIDs[i]);
        if (!one.empty())
            text += (text.empty() ? "" : ",") + one;
    }
    return text;
}

PGPError TPGPDecode::OnEvent(TJob& job, PGPEvent& event)
{
    const bool decoding = job.pass == 2;
    switch (event.type) {
    case kPGPEvent_Error:
        return event.data.errorData.error;
    case kPGPEvent_Passphrase:
        return OnPassphrase(job, event);
    case kPGPEvent_Analyze:
        return OnAnalyse(job, event.data.analyzeData.analyzeType);
    case kPGPEvent_Recipients:
        // The analysis may meet them first: a message that fails there still names its keys.
        NoteHeldRecipients(job, event.data.recipientsData);
        return decoding ? OnRecipients(job, event.data.recipientsData) : kPGPError_NoErr;
    case kPGPEvent_KeyFound:
        return decoding ? OnKeyFound(job, event.data.keyFoundData) : kPGPError_NoErr;
    case kPGPEvent_Output:
        return decoding ? OnOutput(job, event) : kPGPError_NoErr;
    case kPGPEvent_Signature:
        return decoding && CheckSignatures ? OnSignature(job, event) : kPGPError_NoErr;
    case kPGPEvent_BeginLex:
        job.section = event.data.beginLexData.sectionNumber + 1;
        return kPGPError_NoErr;
    case kPGPEvent_EndLex:
        job.FreeRecipients();
        return kPGPError_NoErr;
    default:
        return kPGPError_NoErr;
    }
}

PGPError TPGPDecode::OnAnalyse(TJob& job, int32_t type)
{
    const bool recognised = type != kPGPAnalyze_Unknown;
    if (job.pass == 2) {
        // A signed message inside an encrypted one still reads as encrypted; S/MIME kinds stay.
        if (recognised && ResultKind != kResultPGPEncrypted && !job.smime)
            ResultKind = type;
        return kPGPError_NoErr;
    }
    // Plain text is nothing the SDK accepts, also in the acceptance test.
    job.analysisFound = job.analysisFound || recognised;
    if (job.pass == 1) {
        job.signedFound = job.signedFound || type == kPGPAnalyze_Signed;
        job.detachedFound = job.detachedFound || type == kPGPAnalyze_DetachedSignature;
        if (recognised)
            ResultKind = type;
        if (job.signedFound || job.detachedFound)
            return kDecodeCancelled; // enough is known
    } else if (type == kPGPAnalyze_Encrypted) {
        ResultKind = kResultPGPEncrypted;
    }
    return type == kPGPAnalyze_Key ? kPGPError_NoErr : kPGPError_SkipSection;
}

PGPError TPGPDecode::OnPassphrase(TJob& job, PGPEvent& event)
{
    job.conventional = event.data.passphraseData.fromConventional != 0;
    const bool retry = job.askedSection == job.section;
    if (retry)
        job.passphrase.Release(); // it was wrong
    if (!job.conventional && !job.passphraseKey && job.recipients)
        FirstKeyOfSet(job.recipients, &job.passphraseKey);
    if (!job.passphrase && !retry && !job.conventional && Secure && job.passphraseKey) {
        TSecureBytes cached;
        if (Secure->GetCachedPassphrase(job.passphraseKey, cached, false) && cached) {
            job.passphrase = std::move(cached);
            job.entered = false;
        }
    }
    if (!job.passphrase) {
        TSecureBytes entered;
        TPassphraseRecipients recipients;
        PGPKeyDBObjRef chosen = 0;
        if (!job.conventional) {
            recipients = { job.recipientKeyIDs, job.recipients, static_cast<uint32_t>(job.recipientIDs.size()),
                job.recipientIDs.data(), &chosen };
        }
        const PGPError asked
            = AskPassphrase ? AskPassphrase(recipients, PassphrasePrompt, retry, entered) : kDecodeCancelled;
        if (asked != kPGPError_NoErr)
            return asked;
        if (!entered)
            return kDecodeCancelled;
        if (chosen)
            job.passphraseKey = chosen;
        job.passphrase = std::move(entered);
        job.entered = true;
    }
    job.askedSection = job.section;
    // An entered passphrase is cached by the SDK for the key it decrypts with, as it decrypts: no
    // second unlock of that key is needed to cache it afterwards.
    bool share = false;
    PGPOptionListRef cache = 0;
    if (job.entered && !job.conventional && Secure && Secure->CachesInSdk(share))
        cache = OptionCachePassphrase(job.context, -1, share ? 1 : 0);
    job.cachedByDecode = cache ? job.recipientKeyIDs : std::string();
    return SDKProcs.PGPAddJobOptions(event.job,
        SDKProcs.PGPOPassphrase(job.context, reinterpret_cast<const char*>(job.passphrase.data())),
        cache ? cache : SDKProcs.PGPONullOption(job.context), kPGPEndOfOptions);
}

void TPGPDecode::NoteHeldRecipients(TJob& job, const PGPEventRecipientsData& data)
{
    HeldRecipientKeyIDs.clear();
    std::unique_ptr<TKeyPropsList> keys;
    if (data.recipientSet && FillKeyList(job.context, data.recipientSet, keys, kKeyPropKeyID, 0, 0) > 0 && keys)
        for (int i = 0; i < keys->Count(); ++i)
            HeldRecipientKeyIDs += (HeldRecipientKeyIDs.empty() ? "" : ",") + (*keys)[i];
}

PGPError TPGPDecode::OnRecipients(TJob& job, const PGPEventRecipientsData& data)
{
    if (ResultKind == kResultEncryptedSigned)
        ResultKind = kResultSMimeEnveloped;
    job.FreeRecipients();
    if (data.recipientSet && SDKProcs.PGPIncKeySetRefCount(data.recipientSet) == kPGPError_NoErr)
        job.recipients = data.recipientSet;
    job.recipientKeyIDs = JoinedKeyIDs(data.keyIDArray, data.keyCount);
    if (data.keyIDArray)
        job.recipientIDs.assign(data.keyIDArray, data.keyIDArray + data.keyCount);
    RecipientKeyIDs = job.recipientKeyIDs;
    RecipientCount = static_cast<int>(data.keyCount);
    return kPGPError_NoErr;
}

PGPError TPGPDecode::OnKeyFound(TJob& job, const PGPEventKeyFoundData& data)
{
    SigProps = TSigPropsRec();
    if (job.smime && data.keyDB) {
        TX509CertPropsRec record;
        job.certState = VerifyCertificateChain(SDKProcs.PGPPeekKeyDBRootKeySet(data.keyDB), record);
    }
    if (!ImportFoundKeys || !data.keyDB)
        return kPGPError_NoErr;
    // Nothing of a decode that fails later may reach the rings: the keys wait in a store of their own.
    ImportStatus = job.foundDB.Get() ? kPGPError_NoErr : SDKProcs.PGPNewKeyDB(job.context, job.foundDB.Out());
    TOwnedKeySet copied;
    if (ImportStatus == kPGPError_NoErr)
        ImportStatus = SDKProcs.PGPCopyKeys(SDKProcs.PGPPeekKeyDBRootKeySet(data.keyDB), job.foundDB.Get(), copied.Out());
    return kPGPError_NoErr;
}

void TPGPDecode::OfferFoundKeys(TJob& job)
{
    ImportStatus = AddSelectedKeys(job.context, KeyRings().KeySet(), SDKProcs.PGPPeekKeyDBRootKeySet(job.foundDB.Get()),
        static_cast<HWND>(Parent), ImportPrompt, kKeyPropKeyID | kKeyPropUserID | kKeyPropAlgorithm, ImportedKeyList);
    job.foundDB.Reset();
    ImportedKeys = ImportStatus == kPGPError_NoErr && ImportedKeyList ? ImportedKeyList->Count() : 0;
    if (ImportStatus == kDecodeCancelled)
        ImportFoundKeys = false; // the user declined: not asked again for this job
}

PGPError TPGPDecode::OnOutput(TJob& job, PGPEvent& event)
{
    if (event.data.outputData.outputType == 1)
        ForYourEyesOnly = true;
    if (job.outputAdded) {
        TakeSectionOutput(job); // the previous section's output, before the SDK reuses the slot
        return kPGPError_NoErr;
    }
    job.outputAdded = true;
    return SDKProcs.PGPAddJobOptions(event.job,
        SDKProcs.PGPOAllocatedOutputBuffer(
            job.context, &job.outBlock, std::numeric_limits<PGPSize>::max(), &job.outLength),
        kPGPEndOfOptions);
}

PGPError TPGPDecode::OnSignature(TJob& job, PGPEvent& event)
{
    const PGPEventSignatureData& data = event.data.signatureData;
    SigProps = TSigPropsRec();
    SignatureSeen = true;
    if (ResultKind == kResultEncryptedSigned)
        ResultKind = kResultSMimeSigned;
    FillSigState(data, NowUnix(), SigProps);
    SigProps.Detached = job.detachedFound || (job.smime && job.smime->detached);
    if (job.smime) {
        SigProps.Expired = SigProps.Expired || data.certExpired;
        SigProps.Revoked = SigProps.Revoked || data.certRevoked;
        SigProps.CertState = job.certState;
        const PGPKeyDBObjRef certificate = data.signingKey ? FindKeyCertificate(nullptr, data.signingKey, 0) : 0;
        SMimeSignerCertificate = certificate ? CertificateDer(certificate) : std::string();
    }
    if (data.signingKey) {
        // A sub-key that signed is shown as its master key, with its own key id kept apart.
        PGPKeyDBObjRef key = data.signingKey;
        if (SDKGeneration > 1 && SDKProcs.PGPPeekKeyDBObjKey && SDKProcs.PGPPeekKeyDBObjKey(key))
            key = SDKProcs.PGPPeekKeyDBObjKey(key);
        SigProps.KeyIDText = KeyIDText(key);
        const std::string signer = KeyIDString(data.signingKeyID);
        if (!signer.empty() && _stricmp(signer.c_str(), SigProps.KeyIDText.c_str()) != 0)
            SigProps.SubKeyIDText = signer;
        SigProps.UserIDText = PrimaryUserIDOf(key);
        int32_t trust = 0;
        if (GetNumericProperty(key, kPGPKeyProperty_Trust, &trust) == kPGPError_NoErr)
            SigProps.Trust = trust;
        // A signature the SDK cannot compute says so, never that it is bad.
        int32_t algorithm = 0;
        if (GetNumericProperty(key, kPGPKeyProperty_AlgorithmID, &algorithm) == kPGPError_NoErr
            && !KeyAlgorithmSupported(algorithm)) {
            SigProps.AlgorithmUnsupported = true;
            SigProps.State = kSigKeyNotUsable;
        }
    } else {
        SigProps.KeyIDText = KeyIDString(data.signingKeyID);
        if (!KeySourceText.empty() && !job.sourceDB.Get())
            job.sourceHoldsSigner = KeySourceHolds(job, data.signingKeyID);
    }
    SigProps.SigTimeText = SigProps.SigTime ? UnixDateText(SigProps.SigTime) : std::string();
    SigProps.ExpiryText = SigProps.ExpiryTime ? UnixDateText(SigProps.ExpiryTime) : std::string();
    Signatures.push_back(SigProps);
    return kPGPError_NoErr;
}

bool TPGPDecode::KeySourceHolds(TJob& job, const PGPKeyID& keyID)
{
    if (!SDKProcs.PGPImport || !SDKProcs.PGPPeekKeyDBRootKeySet)
        return false; // key databases came with the second SDK generation
    if (SDKProcs.PGPImport(job.context, job.sourceDB.Out(),
            SDKProcs.PGPOInputBuffer(job.context, KeySourceText.data(), static_cast<PGPSize>(KeySourceText.size())),
            kPGPEndOfOptions)
        != kPGPError_NoErr)
        return false;
    PGPKeyDBObjRef key = 0;
    return FindKeyByKeyID(SDKProcs.PGPPeekKeyDBRootKeySet(job.sourceDB.Get()), &keyID, 0, &key) == kPGPError_NoErr;
}
