// The decoder: one decrypt, verify or key-import job over a text in memory through the SDK's
// PGPDecode and its events — passphrases, recipients, found keys, joined section output and the
// signature result. GUI thread only; the SDK calls the event handler on the same thread.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKeyPropsList;
class TPrefsFile;
class TSecure;
class TSecureBytes;

// Result kinds of a decode job: the SDK's analysis types, extended by the decoder.
enum : int32_t {
    kResultPGPEncrypted = 0,
    kResultPGPSigned = 1,
    kResultPGPDetached = 2,
    kResultKeys = 3,
    kResultNothing = 4,
    kResultCertificate = 5,
    kResultSMimeBody = 6,
    kResultEncryptedSigned = 7, // internal: encrypted data whose signature event has not come yet
    kResultSMimeEnveloped = 8, // also: a signed message found inside an encrypted one
    kResultSMimeSigned = 9,
};

// Signature states of TSigPropsRec.
enum : int32_t {
    kSigNotChecked = 0,
    kSigBad = 1,
    kSigGood = 2,
    kSigKeyMissing = 3,
    kSigKeyNotUsable = 4,
    kSigGoodExpired = 5,
};

// The signature properties of the last signature event of a decode job.
struct TSigPropsRec {
    int32_t State = kSigNotChecked;
    std::string KeyIDText;
    std::string UserIDText;
    std::string SubKeyIDText; // set when a sub-key signed
    std::string SigTimeText;
    uint32_t SigTime = 0;
    bool Checked = false;
    bool Verified = false;
    int32_t Validity = 0; // 0..3
    bool Revoked = false;
    bool Disabled = false;
    bool Expired = false;
    bool Detached = false;
    int32_t Trust = 0;
    uint32_t ExpiryTime = 0;
    std::string ExpiryText;
    int32_t HashAlg = 0;
    int32_t CertState = 0; // chain check result of an S/MIME signer
    bool AlgorithmUnsupported = false; // the signer's key has an algorithm the SDK cannot check
};

// The result words of the verification text: not verified, not valid, disabled, expired, revoked,
// unknown signer.
using TSignatureWords = std::array<std::string, 6>;

// Status codes of the decoder itself.
constexpr int32_t kDecodeEmptyInput = -11984;
constexpr int32_t kDecodeNoDetachedData = -11478;
constexpr int32_t kDecodeNotAvailable = -11975;
constexpr int32_t kDecodeCancelled = -11987;
// Decodes of a signed message found inside an encrypted one, nested at most this deep.
constexpr int kMaxNestedDecodes = 8;

// The recipients a decryption passphrase is asked for, as the SDK named them. Taken as a text it is
// their key ids ("0x…" joined by commas), empty for a conventional passphrase.
struct TPassphraseRecipients {
    std::string keyIDs;
    PGPKeySetRef keys = 0; // those of the user's key store
    uint32_t keyIDCount = 0;
    const PGPKeyID* keyIDArray = nullptr;
    // The dialog may name the key whose passphrase was given (kept for the passphrase cache).
    PGPKeyDBObjRef* chosenKey = nullptr;
    operator const std::string&() const { return keyIDs; }
};

// Asks the user for a passphrase: 0 with the zero-terminated passphrase in `passphrase`,
// kDecodeCancelled when the user cancels, another status when no dialog could ask.
using TPassphraseAsk = std::function<PGPError(const TPassphraseRecipients& recipients,
    const std::string& prompt, bool retry, TSecureBytes& passphrase)>;

class TPGPDecode {
public:
    TPGPDecode() = default;
    ~TPGPDecode();
    TPGPDecode(const TPGPDecode&) = delete;
    TPGPDecode& operator=(const TPGPDecode&) = delete;

    // The acceptance test: 0 when the SDK recognises something in the text (analysis only).
    int32_t AcceptBuffer(const std::string& text);
    // Decrypt, verify or import: the analysis, then the decoding.
    int32_t DecodePass(const std::string& text);
    // DecodePass over a text the caller lets go: it is zeroed and emptied once the SDK has decoded
    // it and no second decode can need it, before the output is taken, so that the text and its
    // output are never held side by side. It stays as it was when the decode gave no output.
    int32_t DecodeLettingGo(std::string& text);
    // Zeroes and empties the results that may hold plaintext, once the caller has taken them.
    void BurnResults();

    // ---- Job settings ----
    std::string KeySourceText; // keys imported silently to check a signature whose key is missing
    bool NoKeyRing = false; // the caller holds the key rings open
    void* Parent = nullptr;
    bool CheckSignatures = false;
    bool KeyServerLookup = false;
    TPrefsFile* KeyServerPrefs = nullptr; // where the key servers for the lookup are configured
    bool KeepInput = false; // a signed text stays as it is: only the signature is checked
    bool PassThroughUnrecognised = false;
    bool PassThroughKeys = false;
    bool ImportFoundKeys = false;
    bool Recursive = false;
    std::string ImportPrompt;
    std::string PassphrasePrompt;
    TSecure* Secure = nullptr;
    TSignatureWords SignatureWords; // for the verification text of a for-your-eyes-only message
    TPassphraseAsk AskPassphrase; // stands for the passphrase dialogs; none: a request is cancelled
    // Placed before a non-empty output as it is joined (the header fields a decrypted entity stands
    // under), so that the caller needs no second copy of the output to put them there.
    std::string OutputLead;

    // ---- Results ----
    std::string Output;
    std::string Charset;
    int32_t ResultKind = kResultNothing;
    int32_t ImportStatus = 0;
    int ImportedKeys = 0;
    std::unique_ptr<TKeyPropsList> ImportedKeyList; // key ids and user ids of the imported keys
    TSigPropsRec SigProps; // the last signature event's
    std::vector<TSigPropsRec> Signatures; // every signature of the last decoding pass, one per signer
    std::string SMimeSignerCertificate; // DER of an S/MIME signer's certificate in the key database
    bool ForYourEyesOnly = false;
    bool SignatureSeen = false;
    std::string RecipientKeyIDs; // "0x…" of the message's recipients, comma-joined
    std::string HeldRecipientKeyIDs; // the keys of the rings among them, by their own ids
    int RecipientCount = 0;

private:
    struct TJob;
    int32_t Pass(const std::string& text, std::string* letGo);
    int32_t Run(const std::string& input, int depth, std::string* letGo);
    int32_t Analyse(TJob& job, std::string_view input);
    int32_t Decode(TJob& job, std::string_view input);
    static PGPError PGP_CDECL EventHandler(PGPContextRef context, PGPEvent* event, void* userValue);
    PGPError OnEvent(TJob& job, PGPEvent& event);
    PGPError OnAnalyse(TJob& job, int32_t type);
    PGPError OnPassphrase(TJob& job, PGPEvent& event);
    PGPError OnRecipients(TJob& job, const PGPEventRecipientsData& data);
    void NoteHeldRecipients(TJob& job, const PGPEventRecipientsData& data);
    PGPError OnKeyFound(TJob& job, const PGPEventKeyFoundData& data);
    // The keys a successful decode found, offered in the import dialog.
    void OfferFoundKeys(TJob& job);
    PGPError OnOutput(TJob& job, PGPEvent& event);
    PGPError OnSignature(TJob& job, PGPEvent& event);
    bool KeySourceHolds(TJob& job, const PGPKeyID& keyID);
    PGPError DecodeWithKeySource(TJob& job, std::string_view input);
    // The signing key is missing: the key servers are searched for it and what they have is
    // offered for import (with the import prompt) into the rings; true when a key was imported.
    bool LookUpSigner(TJob& job);
    // The decoding once more over `keySet`, which now holds the signing key.
    PGPError DecodeOnceMore(TJob& job, PGPKeySetRef keySet, std::string_view input);
    // A signature whose key is missing sends the decoder to the key servers.
    bool SignerLookUpWanted() const;
    // Whether the input may be let go: the SDK is done with it and no second decode can follow.
    bool InputDone(const TJob& job) const;
    // Zeroes the caller's input and empties it; its memory is given back or holds the output.
    void LetGoOfInput(TJob& job);
    void TakeSectionOutput(TJob& job);
    // Appends to the joined output, after the output lead when it is the first part.
    void JoinOutput(TJob& job, std::string_view part);
    void CacheEnteredPassphrase(TJob& job);
    void ClearResults();
    // A for-your-eyes-only text goes to the secure viewer (its signature's verification text to
    // PGP's log) and nothing of it stays in the results; success when it was shown.
    int32_t ShowEyesOnly();
};

// The fields of a signature event as a TSigPropsRec, without the SDK lookups of the signer.
void FillSigState(const PGPEventSignatureData& data, uint32_t now, TSigPropsRec& props);
// The verification text of a checked signature for PGP's log; empty when nothing was checked.
// `implicitTrust`: the signer's key is one of the user's own.
std::string FormatSignatureResult(const TSigPropsRec& props, const TSignatureWords& words, int generation,
                                  bool implicitTrust);
// The "Charset:" armour header of the first PGP block of a text; empty when it has none.
std::string ArmourCharset(std::string_view text);
// True for a text holding a PEM certificate ("-----BEGIN CERTIFICATE-----" at the start of a line)
// and no OpenPGP armour.
bool IsPemCertificate(const std::string& text);
// True for a PEM certificate or a MIME entity whose header names S/MIME (CMS) content.
bool IsSMimeOrCertificate(const std::string& text);
