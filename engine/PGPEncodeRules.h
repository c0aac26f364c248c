// The encoder's small decisions that need no SDK: which hash a signature uses, the SDK number and
// micalg code of a hash choice, and how encrypt-to-self joins the signer to the recipient list.
#pragma once

#include <cstdint>
#include <string>

// Status of a signing key whose algorithm cannot sign.
constexpr int32_t kEncodeCannotSign = -11347;

// Hash choices: 0 from the key, 1 MD5, 2 SHA-1, 3 RIPEMD-160, 4 SHA-256, 5 SHA-384, 6 SHA-512.
// The SDK's hash number of a choice 1..6 (0 for 0).
int32_t SdkHashOfChoice(int32_t choice);
// The micalg hash code of a resolved choice: choice + 1, 0 for choice 0.
int MicalgCodeOfChoice(int32_t choice);
// The choice a job signs with. S/MIME signs with SHA-1 when that is chosen or the key is DSA, else
// with SHA-256. Otherwise an explicit choice stays and choice 0 is SHA-256 for RSA (1-3) and DSA
// keys (16-18). A negative status for a key whose algorithm cannot sign here.
int32_t ResolveHashChoice(int32_t choice, bool smime, int32_t keyAlgorithm);

// True when every item of the comma text is a key id ("0x" + 8 or 16 hex digits) and there is one.
bool AllKeyIDs(const std::string& text);
// The recipient text with the signer's key id appended after a comma, unless it is already there.
std::string WithSelfRecipient(const std::string& recipients, const std::string& signerKeyID);
