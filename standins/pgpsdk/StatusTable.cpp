// The stand-in SDK's status texts: one row per code it can return.
#include "standins/pgpsdk/StatusTable.h"

namespace standin {
namespace {

struct StatusRow {
    PGPError code;
    const char* text;
};

constexpr StatusRow kStatusRows[] = {
    { kPGPError_NoErr, "No error" },
    { kPGPError_OutOfMemory, "Out of memory" },
    { kPGPError_BadParams, "Bad parameter or invalid handle" },
    { kPGPError_BufferTooSmall, "Buffer too small" },
    { kPGPError_EndOfIteration, "No more items" },
    { kPGPError_NotImplemented, "Function not available in this SDK" },
    { kPGPError_FileOpenFailed, "File cannot be opened" },
    { kPGPError_FileWriteFailed, "File cannot be written" },
    { kPGPError_KeyFileCorrupt, "Key file is damaged" },
    { kPGPError_WrongObjectKind, "Wrong kind of key object" },
    { kPGPError_UnknownProperty, "Unknown property" },
    { kPGPError_NoSecretKey, "No secret key for any recipient" },
    { kPGPError_BadOption, "Bad or missing option" },
    { kPGPError_UserAbort, "Operation cancelled by the user" },
    { kPGPError_UnsupportedAlgorithm, "Unsupported algorithm" },
    { kPGPError_IntegrityCheckFailed, "Integrity check failed: the message was modified" },
    { kPGPError_KeyUnusable, "Key cannot be used for this operation" },
    { kPGPError_UnsupportedFormat, "Unsupported data format" },
    { kPGPError_NoRecipients, "No recipients" },
    { kPGPError_ServiceUnreachable, "Key store service not reachable" },
    { kPGPError_BadPassphrase, "Passphrase missing or wrong" },
    { kPGPError_SkipSection, "Section skipped" },
    { kPGPError_NoSigningSecretKey, "No offered key has a secret part" },
    { kPGPError_CorruptData, "Damaged OpenPGP data" },
    { kPGPError_X509CertMissing, "A needed certificate is missing" },
    { kPGPError_X509SelfSignedChain, "Certificate chain verified up to a self-signed certificate" },
    { kPGPError_X509BadSignature, "Certificate signature is invalid" },
    { kPGPError_X509BadFormat, "Certificate format is invalid" },
};

} // namespace

std::string StatusText(PGPError status)
{
    for (const auto& row : kStatusRows)
        if (row.code == status)
            return row.text;
    return "Unknown error " + std::to_string(status);
}

} // namespace standin
