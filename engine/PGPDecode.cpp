// The decoder's job run: the analysis decode, the decoding decode with its event handler, the
// joining of per-section output and the second pass over a signed message found inside an
// encrypted one. Every plaintext buffer is zeroed before it is released.
#include "engine/PGPDecode.h"

#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/PSMimeTools.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/BurnString.h"

#include "engine/PGPDecodeJob.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// An S/MIME entity's CMS data (and signed content); false for anything else.
bool SplitSMime(const std::string& input, TSMimeInput& smime)
{
    // Every S/MIME entity names a pkcs7 type in its header: anything else, a long armour among
    // them, is not taken apart to learn that.
    std::string opening = input.substr(0, input.find("\r\n\r\n"));
    for (char& c : opening)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (opening.find("pkcs7-") == std::string::npos)
        return false;
    std::string header, body, charset, signature;
    switch (SplitSecureMime(input, header, body, false, charset, signature)) {
    case kSecureMimeSignedData:
        smime.kind = kResultSMimeSigned;
        smime.cms = std::move(body);
        return true;
    case kSecureMimeEnveloped:
        smime.kind = kResultSMimeEnveloped;
        smime.cms = std::move(body);
        return true;
    case kSecureMimeSigned:
        smime.kind = kResultSMimeSigned;
        smime.cms = std::move(signature);
        smime.signedContent = std::move(body);
        smime.detached = true;
        return true;
    default:
        return false;
    }
}

// Whether the input opens with a MIME header block that has a Content-Type field. Armour and
// binary data do not; the look stops at a header's size.
bool OpensWithContentType(const std::string& input)
{
    constexpr size_t kLongestHeader = 16384;
    const size_t end = input.find("\r\n\r\n");
    if (end == std::string::npos || end > kLongestHeader)
        return false;
    std::string header = "\n" + input.substr(0, end);
    for (char& c : header)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return header.find("\ncontent-type:") != std::string::npos
        && header.find("-----begin ") == std::string::npos;
}

// What the SDK is given of a PGP/MIME entity, in `data`: its Content-Type and body alone (a signed
// entity, copied into `body`) or its armoured block (encrypted data, keys: where it stands in the
// input, copied only when it came Base64-encoded). Header fields before the Content-Type, as some
// mail clients write them inside an encrypted message, would otherwise hide the entity from the
// SDK. False for anything else, which the SDK is given as it is.
bool SplitPgpMimeInput(const std::string& input, std::string& body, std::string_view& data)
{
    if (!OpensWithContentType(input))
        return false;
    size_t start = 0, length = 0;
    if (FindPgpMimeArmour(input, start, length)) {
        data = std::string_view(input).substr(start, length);
        return true;
    }
    std::string header, charset, signature;
    if (SplitSecureMime(input, header, body, false, charset, signature) != kSecureMimePgp || body.empty())
        return false;
    data = body;
    return true;
}

} // namespace

TPGPDecode::~TPGPDecode() { BurnResults(); }

void TPGPDecode::BurnResults()
{
    BurnString(Output);
}

void TPGPDecode::ClearResults()
{
    BurnResults();
    Charset.clear();
    ResultKind = kResultNothing;
    ImportStatus = 0;
    ImportedKeys = 0;
    if (ImportedKeyList)
        ImportedKeyList->Clear();
    SigProps = TSigPropsRec();
    Signatures.clear();
    SMimeSignerCertificate.clear();
    ForYourEyesOnly = false;
    SignatureSeen = false;
    RecipientKeyIDs.clear();
    HeldRecipientKeyIDs.clear();
    RecipientCount = 0;
}

int32_t TPGPDecode::AcceptBuffer(const std::string& text)
{
    if (text.empty())
        return kDecodeEmptyInput;
    ClearResults();
    try {
        TJob job;
        job.owner = this;
        job.pass = 0;
        PGPError status = KeyRings().Open(&job.context, &job.keySet);
        if (status != kPGPError_NoErr)
            return status;
        job.ringsOpened = true;
        status = Analyse(job, text);
        return status == kPGPError_NoErr && job.analysisFound ? kPGPError_NoErr : kPGPError_UnsupportedFormat;
    } catch (...) {
        return kPGPError_OutOfMemory;
    }
}

int32_t TPGPDecode::DecodePass(const std::string& text)
{
    return Pass(text, nullptr);
}

int32_t TPGPDecode::DecodeLettingGo(std::string& text)
{
    return Pass(text, &text);
}

int32_t TPGPDecode::Pass(const std::string& text, std::string* letGo)
{
    ClearResults();
    try {
        return Run(text, 0, letGo);
    } catch (...) {
        BurnResults();
        return kPGPError_OutOfMemory;
    }
}

int32_t TPGPDecode::Run(const std::string& input, int depth, std::string* letGo)
{
    if (input.empty())
        return kDecodeEmptyInput;
    std::optional<TPhaseTimes> phases;
    if (depth == 0)
        phases.emplace("decoder");
    TJob job;
    job.owner = this;
    job.phases = phases ? &*phases : nullptr;
    job.letGo = letGo;
    TSMimeInput smime;
    const bool isSMime = SplitSMime(input, smime);
    const bool certificate = !isSMime && IsPemCertificate(input);
    // CMS and X.509 came with the fourth SDK generation.
    if (isSMime || certificate ? SDKGeneration < 4 : IsSMimeOrCertificate(input))
        return kDecodeNotAvailable;
    // A certificate is nothing to decode: the job ends with its kind and no output, and the key
    // import, which reads certificate formats, takes it from there. Binary certificate data (DER,
    // PKCS#12) is not tried here by test imports: a message block is text, and a key file reaches
    // that import when the decoder finds no key in it.
    if (certificate) {
        ResultKind = kResultCertificate;
        return kPGPError_NoErr;
    }
    job.Phase("s/mime");
    if (!NoKeyRing) {
        PGPError status = KeyRings().Open(&job.context, &job.keySet);
        if (status != kPGPError_NoErr)
            return status;
        job.ringsOpened = true;
    } else {
        job.context = KeyRings().Context();
        job.keySet = KeyRings().KeySet();
    }
    ResultKind = kResultNothing;
    PGPError status = kPGPError_NoErr;
    job.Phase("rings");
    // The split may copy plaintext (the decoder's second pass splits decrypted entities).
    std::string split;
    const TBurnOnExit burnSplit(split);
    std::string_view data = input;
    job.pgpMime = !isSMime && SplitPgpMimeInput(input, split, data);
    job.Phase("split");
    if (isSMime) {
        // The entity says what it is; the SDK's analysis of OpenPGP data has nothing to add.
        job.smime = &smime;
        ResultKind = smime.kind;
        job.signedFound = smime.kind == kResultSMimeSigned;
    } else {
        status = Analyse(job, data);
        job.Phase("analyse");
        if (status != kPGPError_NoErr && status != kPGPError_CorruptData)
            return status;
        if (job.detachedFound)
            return kDecodeNoDetachedData; // a text in memory has no file holding the signed data
        if (depth == 0)
            Charset = ArmourCharset(data);
    }
    const std::string_view decoded = isSMime ? std::string_view(smime.cms) : data;
    status = Decode(job, decoded);
    if (isSMime && status == kPGPError_NotImplemented)
        status = kDecodeNotAvailable; // an SDK without CMS
    // A decode once more over the signer's key reads what the first one read: an S/MIME
    // entity's CMS data, not its MIME text.
    if (status == kPGPError_NoErr && job.sourceHoldsSigner)
        status = DecodeWithKeySource(job, decoded);
    else if (status == kPGPError_NoErr && SignerLookUpWanted() && LookUpSigner(job))
        status = DecodeOnceMore(job, job.keySet, decoded);
    if (status != kPGPError_NoErr) {
        BurnResults(); // nothing of a failed decode is shown, not even the sections before the failure
        return status;
    }
    if (job.entered && !job.conventional)
        CacheEnteredPassphrase(job);
    job.Phase("cache");
    // Nothing recognised and nothing passed through is no success: the caller would show an
    // empty text as the message.
    if (ResultKind == kResultNothing && !PassThroughUnrecognised)
        return kPGPError_UnsupportedFormat;
    if (job.foundDB.Get())
        OfferFoundKeys(job);
    if (ForYourEyesOnly) {
        Output.erase(0, std::min(OutputLead.size(), Output.size())); // the viewer shows the text alone
        return ShowEyesOnly();
    }
    const int32_t outerKind = ResultKind;
    bool encrypted = outerKind == kResultPGPEncrypted || outerKind == kResultSMimeEnveloped;
    if (encrypted)
        GiveEntityCrLf(Output, OutputLead.size());
    if (Recursive && encrypted && !SignatureSeen && depth + 1 < kMaxNestedDecodes && !Output.empty()) {
        // The plaintext may itself be a signed message: decode it once more, keeping the first
        // output when it holds nothing the SDK recognises. The output lead is taken off and put
        // back within the text's own memory.
        std::string first = std::move(Output);
        Output.clear();
        first.erase(0, OutputLead.size());
        int32_t result = Run(first, depth + 1, nullptr);
        job.Phase("inner");
        if (ForYourEyesOnly) {
            BurnString(first); // the inner text went to the secure viewer
            return result;
        }
        if (result != kPGPError_NoErr || !SignatureSeen) {
            BurnResults();
            first.insert(0, OutputLead);
            Output = std::move(first);
            ResultKind = outerKind;
            return kPGPError_NoErr;
        }
        BurnString(first);
        // The outer kind stays: an OpenPGP signature read as S/MIME would count as a bad certificate.
        ResultKind = outerKind;
    }
    return kPGPError_NoErr;
}

int32_t TPGPDecode::Analyse(TJob& job, std::string_view input)
{
    const int pass = job.pass;
    job.pass = pass == 0 ? 0 : 1;
    PGPError status = SDKProcs.PGPDecode(job.context, OptionKeySource(job.context, job.keySet),
        SDKProcs.PGPODiscardOutput(job.context, 1), SDKProcs.PGPOInputBuffer(job.context, input.data(),
            static_cast<PGPSize>(input.size())),
        SDKProcs.PGPOEventHandler(job.context, &TPGPDecode::EventHandler, &job), kPGPEndOfOptions);
    job.pass = pass;
    // The handler stops the analysis as soon as it knows enough.
    return status == kDecodeCancelled ? kPGPError_NoErr : status;
}

int32_t TPGPDecode::Decode(TJob& job, std::string_view input)
{
    job.pass = 2;
    job.section = kNoSection;
    Signatures.clear(); // a decode over the key source's keys reports the same signatures again
    const PGPContextRef context = job.context;
    PGPOptionListRef output = job.signedFound && KeepInput ? SDKProcs.PGPODiscardOutput(context, 1)
                                                           : SDKProcs.PGPONullOption(context);
    const TSMimeInput* smime = job.smime;
    const bool detached = smime && smime->detached;
    PGPError status = SDKProcs.PGPDecode(context, OptionKeySource(context, job.keySet),
        SDKProcs.PGPOPassThroughKeys(context, PassThroughKeys),
        SDKProcs.PGPOPassThroughIfUnrecognized(context, PassThroughUnrecognised),
        SDKProcs.PGPORecursivelyDecode(context, Recursive && !job.signedFound && !job.pgpMime),
        SDKProcs.PGPOSendEventIfKeyFound(context, 1),
        SDKProcs.PGPOEventHandler(context, &TPGPDecode::EventHandler, &job),
        smime ? SDKProcs.PGPOSMIMEMatchCriterion(context, 3) : SDKProcs.PGPONullOption(context),
        smime ? SDKProcs.PGPOInputFormat(context, kPGPFormat_CMS) : SDKProcs.PGPONullOption(context),
        detached ? SDKProcs.PGPODetachedSig(context,
            SDKProcs.PGPOInputBuffer(
                context, smime->signedContent.data(), static_cast<PGPSize>(smime->signedContent.size())),
            kPGPEndOfOptions)
                 : SDKProcs.PGPONullOption(context),
        SDKProcs.PGPOInputBuffer(context, input.data(), static_cast<PGPSize>(input.size())), output,
        kPGPEndOfOptions);
    job.Phase("sdk");
    const bool produced = job.outLength > 0 || !job.joined.empty();
    if (status == kPGPError_NoErr && produced && job.letGo && InputDone(job))
        LetGoOfInput(job);
    TakeSectionOutput(job);
    job.Phase("output");
    // What a detached signature signed is the message; the SDK outputs nothing of its own for it.
    if (status == kPGPError_NoErr && detached && !KeepInput) {
        BurnString(job.joined);
        JoinOutput(job, smime->signedContent);
    }
    if (status == kPGPError_NoErr)
        Output = std::move(job.joined);
    return status;
}

PGPError TPGPDecode::DecodeWithKeySource(TJob& job, std::string_view input)
{
    // The missing signing key is in the key source text: decode once more over the rings joined
    // with those keys in a temporary store, so the rings themselves stay as they are.
    PGPError status = SDKProcs.PGPNewKeyDB(job.context, job.joinedDB.Out());
    const PGPKeySetRef sources[] = { job.keySet, SDKProcs.PGPPeekKeyDBRootKeySet(job.sourceDB.Get()) };
    for (PGPKeySetRef source : sources) {
        TOwnedKeySet copied;
        if (status == kPGPError_NoErr)
            status = SDKProcs.PGPCopyKeys(source, job.joinedDB.Get(), copied.Out());
    }
    if (status != kPGPError_NoErr)
        return kPGPError_NoErr; // the first result stands: signing key missing
    job.sourceHoldsSigner = false;
    return DecodeOnceMore(job, SDKProcs.PGPPeekKeyDBRootKeySet(job.joinedDB.Get()), input);
}

PGPError TPGPDecode::DecodeOnceMore(TJob& job, PGPKeySetRef keySet, std::string_view input)
{
    BurnResults();
    job.decodingAgain = true;
    job.keySet = keySet;
    job.askedSection = kNoSection; // the held passphrase is still right
    job.outputAdded = false;
    return Decode(job, input);
}

bool TPGPDecode::SignerLookUpWanted() const
{
    return KeyServerLookup && SignatureSeen && SigProps.State == kSigKeyMissing;
}

bool TPGPDecode::InputDone(const TJob& job) const
{
    return job.decodingAgain || (!job.sourceHoldsSigner && !SignerLookUpWanted());
}

void TPGPDecode::LetGoOfInput(TJob& job)
{
    std::string& input = *job.letGo;
    job.letGo = nullptr;
    BurnString(input);
    // Memory the output fits in takes it: no fresh block is filled beside the SDK's.
    if (job.joined.empty() && input.capacity() >= OutputLead.size() + job.outLength)
        job.joined.swap(input);
    std::string().swap(input);
}

void TPGPDecode::TakeSectionOutput(TJob& job)
{
    if (!job.outBlock)
        return;
    JoinOutput(job, std::string_view(static_cast<const char*>(job.outBlock), job.outLength));
    FreeOutputBlock(job.outBlock, job.outLength);
}

void TPGPDecode::JoinOutput(TJob& job, std::string_view part)
{
    if (part.empty())
        return;
    std::string& joined = job.joined;
    const std::string_view lead = joined.empty() ? std::string_view(OutputLead) : std::string_view();
    const size_t size = joined.size() + lead.size() + part.size();
    if (size > joined.capacity()) {
        // The joined sections move to a larger block: the one they leave is zeroed first.
        std::string grown;
        grown.reserve(joined.empty() ? size : std::max(size, 2 * joined.capacity()));
        grown.append(joined);
        BurnString(joined);
        joined.swap(grown);
    }
    joined.append(lead).append(part);
}

void TPGPDecode::CacheEnteredPassphrase(TJob& job)
{
    if (!Secure || !job.passphraseKey || !job.passphrase)
        return;
    // The SDK keeps a passphrase per key or sub-key and a message is encrypted to a sub-key:
    // every part of the key the passphrase unlocks keeps it. Each caching unlocks that part again,
    // so the parts the decode cached itself are left out.
    const std::string cached = "," + job.cachedByDecode + ",";
    const auto cachedByDecode = [&cached](PGPKeyDBObjRef part) {
        PGPKeyID keyID {};
        return SDKProcs.PGPGetKeyID && SDKProcs.PGPGetKeyID(part, &keyID) == kPGPError_NoErr
            && cached.find("," + KeyIDString(keyID) + ",") != std::string::npos;
    };
    std::vector<PGPKeyDBObjRef> parts;
    if (!cachedByDecode(job.passphraseKey))
        parts.push_back(job.passphraseKey);
    TKeyWalk walk;
    if (WalkOneKey(job.passphraseKey, walk) == kPGPError_NoErr)
        ForEachObject(walk.iter.Get(), kPGPIter_SubKey, [&](PGPKeyDBObjRef subKey) {
            if (!cachedByDecode(subKey))
                parts.push_back(subKey);
            return true;
        });
    for (PGPKeyDBObjRef part : parts) {
        TSecureBytes copy = CopySecureText(job.passphrase);
        if (!copy)
            return;
        Secure->CachePassphrase(part, copy, false, nullptr, 0);
    }
}

PGPError PGP_CDECL TPGPDecode::EventHandler(PGPContextRef, PGPEvent* event, void* userValue)
{
    // No exception may travel back through the SDK.
    try {
        auto* job = static_cast<TJob*>(userValue);
        auto* self = job ? job->owner : nullptr;
        return self && event ? self->OnEvent(*job, *event) : kPGPError_BadParams;
    } catch (...) {
        return kPGPError_OutOfMemory;
    }
}
