// The PGP interface's records, status codes and the texts it builds from keys and signature
// results. Portable: everything here works on filled records, so it is tested in both builds;
// the SDK-facing operations that fill them are in PGPInterface.h.
#pragma once

#include "engine/KeyFuncsTypes.h"
#include "engine/PGPInterfaceParts.h"

#include <cstdint>
#include <string>

class TZAVEKStrings;
class TStrings;

// Status codes the engine sets itself; every other status comes from the SDK unchanged.
enum : int32_t {
    kStatusOK = 0,
    kStatusNotAvailable = -11975, // missing in this SDK generation, PGP version or build
    kStatusKeyDescription = -11980,
    kStatusEmptyInput = -11984,
    kStatusCancelled = -11987, // never shown as an error
    kStatusOutOfMemory = -11999,
    kStatusBadKeyServer = -12000,
    kStatusNoSigningKey = -11492,
    kStatusCannotSign = -11347,
    kStatusNoDetachedFile = -11478,
    kStatusShownFirst = -11497, // encode errors the user has already seen
    kStatusShownLast = -11493,
    kStatusNoKey = -10988,
    kStatusWipeFailed = -11993, // the file could not be overwritten or is still there
};

// A key choice or a set of keys: user ids one per line, key ids joined by ",".
struct TKeyIDData {
    std::string UserText;
    std::string KeyIDText;
    int32_t Count = 0;
};

// A signature result: low 16 bits of the code are the result class 1..6 (also the icon number),
// bit 16 says the text was encrypted.
struct TSignatureData {
    std::string SignerText;
    std::string StatusText;
    uint32_t StatusCode = 0;
};
constexpr uint32_t kSignatureEncryptedBit = 0x10000;

struct TKeyManager {
    const char* Program;
    const char* Argument;
};

// Version class 0..5 of a PGP major version; it chooses the key manager and the help topics.
int VersionClassOf(int major, int sdkGeneration);
const TKeyManager& KeyManagerOf(int versionClass);
// The help topic for a topic name ("Groups…", "WipeFiles…" or any other); empty when the
// version class has none.
std::string HelpTopicOf(int versionClass, const std::string& topicName);
// The encoder's hash choice for the SignAlg option 0..3 and the RipeMD flag.
int32_t HashChoiceOf(int32_t signAlg, bool ripeMD, bool strongHashes);
// A resolved recipient key-id text without the signer's key id that encrypt-to-self added last.
std::string WithoutTrailingSigner(const std::string& keyIDs, const std::string& signerKeyID);

// "0x" + the last 8 digits of a 16-digit key id, an 8-digit one unchanged, anything else empty.
std::string GetShortKeyID(const std::string& keyID);
// A signature status text cut into signature, signer and key lines for a message box; the
// signers of a text signed by several each get their own lines, an empty line between them.
std::string FormatSignerText(const std::string& text, const TZAVEKStrings& texts);
// Text 450 naming the key whose algorithm the SDK cannot use: its user id and "[ 0x… ]".
std::string UnsupportedKeyText(const TZAVEKStrings& texts, const std::string& userID, const std::string& keyID);
// The display line and the code (class and encrypted bit) of a signature result.
void SignatureStatusText(int32_t resultKind, const TSigPropsRec& props, bool marginalIsInvalid,
    const TZAVEKStrings& texts, std::string& text, uint32_t& code);
// Stands between the signers' display lines of a text signed by several.
constexpr const char* kSignerSeparator = "; ";
// True when a signature result with Code must be shown rather than one with Than.
bool IsWorseSignature(uint32_t code, uint32_t than);
// The display line of every signer, worst first, joined, and the code of the worst result among
// them: a signature that is not good is never hidden behind a good one.
void SignersStatusText(int32_t resultKind, const std::vector<TSigPropsRec>& signatures, bool marginalIsInvalid,
    const TZAVEKStrings& texts, std::string& text, uint32_t& code);

// Puts text 328 before a good signature's status text when the signed block of an armoured kind
// (below 4) stands among other text; true when marked.
bool MarkPartlySignedText(uint32_t sectionKind, bool hasOtherText, std::string& statusText, const TZAVEKStrings& texts);

// The description of a key: its user ids, key ids, algorithm, size, date, validity and
// fingerprint; `certificates` holds "user id", text-301 line and issuer line per certificate.
std::string KeyDescriptionText(const std::string& fullKeyID, const TKeyPropsRec& key, bool details,
    const std::string& certificateBlock, const TZAVEKStrings& texts);
// Status line of the keys matching a text: none, one (corrupt, revoked, expired, disabled or
// fine) or several.
std::string KeyStatusLine(int count, const TKeyPropsRec* onlyKey, const TZAVEKStrings& texts);

// The record zeroed, then filled with all keys of the list; the number of keys.
int KeyListResult(const TKeyPropsList* list, TKeyIDData& data);
// The same for certificates: their subjects' user ids and the key ids of the keys that hold them.
int CertListResult(const TX509CertPropsList* list, TKeyIDData& data);
// Which user id of key `index` names the key for `wanted`.
std::string ChosenUserID(const TKeyPropsList& list, int index, const std::string& wanted, bool certificatesOnly);
// Adds "user id (size)" per key with the key's index as object; the index of the last key
// whose id equals `keyID` (8 or 16 digits), -1 when none.
int FillKeyChoices(const TKeyPropsList& list, const std::string& keyID, TStrings& choices);
// The key id of a stored key text ("user id\\key id" or a bare id), "0x" + 8 or 16 upper-case digits.
std::string KeyIDOfStoredKey(const std::string& keyText);
// The key that a stored default key text names by its 8- or 16-digit id; 0 when none does.
int DefaultKeyIndex(const TKeyPropsList& list, const std::string& defaultKeyText);
