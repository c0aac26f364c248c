// The state of one decode job, shared by the job run and the event handler of the decoder.
// Internal to the decoder; the job owns what the SDK hands it and releases it, zeroed, at its end.
#pragma once

#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/PGPDecode.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/pgpBindings.h"
#include "foundation/PhaseTimes.h"

#include <cstring>
#include <string>
#include <vector>

// Sections are counted from 1, so 0 says no passphrase was asked yet.
constexpr uint32_t kNoSection = 0;

// Zeroes and frees an SDK output block.
inline void FreeOutputBlock(void*& block, PGPSize& length)
{
    if (block) {
        std::memset(block, 0, length);
        SDKProcs.PGPFreeData(block);
    }
    block = nullptr;
    length = 0;
}

// The full "0x…" text of a key-id record; empty when the SDK refuses it.
std::string KeyIDString(const PGPKeyID& keyID);
// The comma-joined key ids of a recipient key-id array, for the passphrase prompt.
std::string JoinedKeyIDs(const PGPKeyID* keyIDs, uint32_t count);

// An S/MIME entity taken apart for the SDK: the CMS data, and the signed content of a
// multipart/signed entity (whose CMS data is its detached signature).
struct TSMimeInput {
    int32_t kind = kResultNothing; // kResultSMimeEnveloped or kResultSMimeSigned
    std::string cms;
    std::string signedContent;
    bool detached = false;
};

struct TPGPDecode::TJob {
    TPGPDecode* owner = nullptr;
    PGPContextRef context = 0;
    PGPKeySetRef keySet = 0;
    bool ringsOpened = false;
    int pass = 1; // 0 acceptance, 1 analysis, 2 decoding
    bool signedFound = false;
    // The input was a PGP/MIME entity: what it decrypts to is a MIME entity for the decoder's own
    // second pass, not for the SDK's recursion (which would take a signature part's armour for data).
    bool pgpMime = false;
    bool detachedFound = false;
    bool analysisFound = false;
    bool outputAdded = false;
    void* outBlock = nullptr;
    PGPSize outLength = 0;
    std::string joined;
    // The caller's input when it lets it go (TPGPDecode::DecodeLettingGo); null once let go.
    std::string* letGo = nullptr;
    bool decodingAgain = false; // the second decode, over the rings with the signing key
    uint32_t section = kNoSection;
    uint32_t askedSection = kNoSection;
    std::string recipientKeyIDs;
    std::vector<PGPKeyID> recipientIDs;
    PGPKeySetRef recipients = 0;
    PGPKeyDBObjRef passphraseKey = 0; // the recipient key the passphrase was asked for
    TSecureBytes passphrase;
    bool entered = false; // the passphrase came from the user, not from a cache
    std::string cachedByDecode; // the recipient keys the SDK caches the entered passphrase for itself
    bool conventional = false;
    // The key source text's keys, imported silently when a signing key is missing, and the rings
    // joined with them for a second decode that can check the signature.
    TOwnedKeyDB sourceDB;
    TOwnedKeyDB joinedDB;
    bool sourceHoldsSigner = false;
    const TSMimeInput* smime = nullptr;
    int32_t certState = 0; // chain check of the certificates an S/MIME message carries
    // Keys met in the message, held apart from the rings until the decode has succeeded.
    TOwnedKeyDB foundDB;
    // Where the outermost decode's time goes (the SDK's share, the output taken from it), for the bench.
    TPhaseTimes* phases = nullptr;

    TJob() = default;
    void Phase(const char* name)
    {
        if (phases)
            phases->Mark(name);
    }
    TJob(const TJob&) = delete;
    TJob& operator=(const TJob&) = delete;
    ~TJob()
    {
        FreeOutputBlock(outBlock, outLength);
        std::fill(joined.begin(), joined.end(), '\0');
        FreeRecipients();
        joinedDB.Reset(); // before the rings close, which may end the context
        foundDB.Reset();
        sourceDB.Reset();
        if (ringsOpened)
            KeyRings().Close();
    }
    void FreeRecipients()
    {
        if (recipients && SDKProcs.PGPFreeKeySet)
            SDKProcs.PGPFreeKeySet(recipients);
        recipients = 0;
        recipientKeyIDs.clear();
        recipientIDs.clear();
    }
};
