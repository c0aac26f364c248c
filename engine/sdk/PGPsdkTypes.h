// The SDK's binary interface as the engine and our stand-in SDK both see it: handle kinds, status
// codes, property and option numbers, and the records passed by pointer. Layouts are fixed for a
// 32-bit process; the header has no Windows dependency so portable units and tests can use it.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define PGP_CDECL __cdecl
#define PGP_STDCALL __stdcall
#else
#define PGP_CDECL
#define PGP_STDCALL
#endif

using PGPError = int32_t;
using PGPBoolean = uint8_t;
using PGPSize = uint32_t;
using PGPTime = uint32_t; // Unix seconds, UTC

// Every SDK object is an opaque 32-bit handle; 0 is never valid.
using PGPHandle = uint32_t;
using PGPContextRef = PGPHandle;
using PGPMemoryMgrRef = PGPHandle;
using PGPFileSpecRef = PGPHandle;
using PGPOptionListRef = PGPHandle; // an option is a one-element option list
using PGPJobRef = PGPHandle;
using PGPKeyDBRef = PGPHandle;
using PGPKeySetRef = PGPHandle;
using PGPKeyListRef = PGPHandle;
using PGPKeyIterRef = PGPHandle;
using PGPFilterRef = PGPHandle;
using PGPKeyDBObjRef = PGPHandle; // key, sub-key, user id or signature
using PGPGroupSetRef = PGPHandle;
using PGPGroupItemIterRef = PGPHandle;
using PGPGroupID = uint32_t;
using PGPKeyServerRef = PGPHandle;
using PGPtlsContextRef = PGPHandle;
using PGPKeyServerThreadStorageRef = PGPHandle;

constexpr PGPOptionListRef kPGPEndOfOptions = 0xFFFFFFFFu;
constexpr uint32_t kPGPContextVersion = 0x1000000;

// Status codes. Negative is failure; the engine tests the named ones exactly.
enum : PGPError {
    kPGPError_NoErr = 0,
    kPGPError_OutOfMemory = -11999,
    kPGPError_BadParams = -11998,
    kPGPError_BufferTooSmall = -11997,
    kPGPError_EndOfIteration = -11996,
    kPGPError_NotImplemented = -11995,
    kPGPError_FileOpenFailed = -11994,
    kPGPError_FileWriteFailed = -11993,
    kPGPError_KeyFileCorrupt = -11992,
    kPGPError_WrongObjectKind = -11991,
    kPGPError_UnknownProperty = -11990,
    kPGPError_NoSecretKey = -11989,
    kPGPError_BadOption = -11988,
    kPGPError_UserAbort = -11987,
    kPGPError_UnsupportedAlgorithm = -11986,
    kPGPError_IntegrityCheckFailed = -11983,
    kPGPError_KeyUnusable = -11982,
    kPGPError_AdapterIterKind = -11978, // adapter: iterator kind without an older form
    kPGPError_UnsupportedFormat = -11976,
    kPGPError_NoRecipients = -11974,
    kPGPError_ServiceUnreachable = -11939,
    kPGPError_BadPassphrase = -11500,
    kPGPError_SkipSection = -11475,
    kPGPError_NoSigningSecretKey = -11402,
    kPGPError_ServerConnectFailed = -11360,
    kPGPError_ServerTimedOut = -11359,
    kPGPError_ServerKeyNotFound = -11358,
    kPGPError_ServerBadReply = -11357, // an answer that holds no key
    kPGPError_NoKeyServers = -11356,
    kPGPError_ServerProtocol = -11355, // a server kind other than HTTP
    kPGPError_CorruptData = -11392,
    kPGPError_AdapterProperty = -11318, // adapter: property without an older form
    kPGPError_X509CertMissing = -11240,
    kPGPError_X509SelfSignedChain = -11239,
    kPGPError_X509BadSignature = -11238,
    kPGPError_X509BadFormat = -11237,
};

// Key-id record: byte 0 length (8, or 4 for a short id), byte 1 public-key algorithm, bytes 4..11
// the id big-endian (a short id in bytes 8..11). 34 bytes wide in generation 1.
struct PGPKeyID {
    uint8_t length;
    uint8_t algorithm;
    uint8_t reserved[2];
    uint8_t id[8];
    uint8_t padding[24];
};
static_assert(sizeof(PGPKeyID) == 36);
constexpr int kPGPKeyIDStrideGen1 = 34;

enum : int32_t { kPGPKeyIDString_Abbreviated = 1, kPGPKeyIDString_Full = 2, kPGPKeyIDString_FullGen1 = 3 };

struct PGPGroupInfo {
    PGPGroupID id;
    char name[256];
    char description[256];
};

enum : int32_t { kPGPGroupItem_Key = 1, kPGPGroupItem_Group = 2 };
struct PGPGroupItem {
    int32_t type;
    int32_t algorithm;
    PGPKeyID keyID;
};

// Property identifiers (the newer numbering; generation 1 is translated by the engine's adapters).
enum : int32_t {
    kPGPKeyProperty_IsSecret = 100,
    kPGPKeyProperty_IsAxiomatic = 101,
    kPGPKeyProperty_IsRevoked = 102,
    kPGPKeyProperty_IsDisabled = 103,
    kPGPKeyProperty_IsNotCorrupt = 104,
    kPGPKeyProperty_IsExpired = 105,
    kPGPKeyProperty_CanEncrypt = 108,
    kPGPKeyProperty_CanDecrypt = 109,
    kPGPKeyProperty_CanSign = 110,
    kPGPKeyProperty_CanVerify = 111,
    kPGPKeyProperty_IsSecretShared = 114,
    kPGPKeyProperty_AlgorithmID = 200,
    kPGPKeyProperty_Bits = 201,
    kPGPKeyProperty_Trust = 202,
    kPGPKeyProperty_Validity = 203,
    kPGPKeyProperty_PreferredHash = 207,
    kPGPKeyProperty_Version = 208,
    kPGPKeyProperty_Creation = 300,
    kPGPKeyProperty_Expiration = 301,
    kPGPKeyProperty_Fingerprint = 401,
    kPGPKeyProperty_KeyID = 402,
    kPGPSubKeyProperty_IsRevoked = 501,
    kPGPSubKeyProperty_IsExpired = 503,
    kPGPSubKeyProperty_Bits = 601,
    kPGPSubKeyProperty_KeyID = 801,
    kPGPUserIDProperty_IsAttribute = 900,
    kPGPUserIDProperty_Validity = 1000,
    kPGPUserIDProperty_Name = 1200,
    kPGPUserIDProperty_CommonName = 1202,
    kPGPUserIDProperty_EmailAddress = 1203,
    kPGPSigProperty_IsRevoked = 1300,
    kPGPSigProperty_IsNotCorrupt = 1301,
    kPGPSigProperty_IsVerified = 1303,
    kPGPSigProperty_IsExpired = 1307,
    kPGPSigProperty_IsX509 = 1308,
    kPGPSigProperty_Creation = 1500,
    kPGPSigProperty_Expiration = 1501,
    kPGPSigProperty_KeyID = 1600,
    kPGPSigProperty_X509Certificate = 1601,
    kPGPSigProperty_X509IASN = 1602,
    kPGPSigProperty_X509LongName = 1603,
    kPGPSigProperty_X509IssuerLongName = 1604,
    kPGPSigProperty_X509DERDName = 1607,
};

enum : int32_t { kPGPMatch_Equal = 1, kPGPMatch_GreaterOrEqual = 2, kPGPMatch_LessOrEqual = 3, kPGPMatch_SubString = 4 };
enum : int32_t { kPGPIter_Key = 1, kPGPIter_SubKey = 2, kPGPIter_UserID = 4, kPGPIter_Signature = 8 };
enum : int32_t {
    kPGPOrder_Any = 1,
    kPGPOrder_UserID = 2,
    kPGPOrder_KeyID = 3,
    kPGPOrder_Validity = 4,
    kPGPOrder_Trust = 5,
    kPGPOrder_KeySize = 6,
    kPGPOrder_Creation = 7,
    kPGPOrder_Expiration = 8,
};
enum : int32_t {
    kPGPFormat_OpenPGP = 1,
    kPGPFormat_OpenPGPComplete = 255,
    kPGPFormat_X509Cert = 10000,
    kPGPFormat_PEMCert = 10006,
    kPGPFormat_PKCS12 = 10013,
    kPGPFormat_CMS = 12000,
    kPGPFormat_CMSSigned = 12001,
    kPGPFormat_CMSEnveloped = 12002,
};
enum : int32_t { kPGPOpenKeyDB_Mutable = 1, kPGPOpenKeyDB_Create = 2 };

// Events of PGPEncode/PGPDecode. The handler is called with the context, the event and the
// user value given to PGPOEventHandler; a non-zero result aborts the job with that status.
enum : int32_t {
    kPGPEvent_Error = 3,
    kPGPEvent_Passphrase = 6,
    kPGPEvent_Analyze = 8,
    kPGPEvent_Recipients = 9,
    kPGPEvent_KeyFound = 10,
    kPGPEvent_Output = 11,
    kPGPEvent_Signature = 12,
    kPGPEvent_BeginLex = 13,
    kPGPEvent_EndLex = 14,
};
enum : int32_t {
    kPGPAnalyze_Encrypted = 0,
    kPGPAnalyze_Signed = 1,
    kPGPAnalyze_DetachedSignature = 2,
    kPGPAnalyze_Key = 3,
    kPGPAnalyze_Unknown = 4,
};

struct PGPEventErrorData {
    PGPError error;
};
struct PGPEventPassphraseData {
    PGPBoolean fromConventional;
    PGPKeySetRef keySet;
};
struct PGPEventAnalyzeData {
    int32_t analyzeType;
};
struct PGPEventRecipientsData {
    PGPKeySetRef recipientSet;
    uint32_t keyCount;
    const PGPKeyID* keyIDArray;
};
struct PGPEventKeyFoundData {
    PGPKeyDBRef keyDB; // generation 1: a key set
};
struct PGPEventOutputData {
    int32_t outputType; // 0 normal, 1 for your eyes only
};
struct PGPEventSignatureData {
    PGPKeyDBObjRef signingKey;
    PGPKeyID signingKeyID;
    PGPBoolean checked;
    PGPBoolean verified;
    PGPBoolean keyRevoked;
    PGPBoolean keyDisabled;
    PGPBoolean keyExpired;
    PGPBoolean keyCanVerify;
    PGPBoolean certRevoked;
    PGPBoolean certExpired;
    int32_t keyValidity;
    PGPTime creationTime;
    uint32_t validityPeriod;
    int32_t hashAlgorithm;
};
struct PGPEventBeginLexData {
    uint32_t sectionNumber;
};

struct PGPEvent {
    int32_t type;
    PGPJobRef job;
    union {
        PGPEventErrorData errorData;
        PGPEventPassphraseData passphraseData;
        PGPEventAnalyzeData analyzeData;
        PGPEventRecipientsData recipientsData;
        PGPEventKeyFoundData keyFoundData;
        PGPEventOutputData outputData;
        PGPEventSignatureData signatureData;
        PGPEventBeginLexData beginLexData;
    } data;
};

using PGPEventHandlerProcPtr = PGPError(PGP_CDECL*)(PGPContextRef context, PGPEvent* event, void* userValue);
