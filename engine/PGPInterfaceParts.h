// The records the PGP interface shares with the encoder, the decoder and the key dialogs. Those
// units are not part of the engine yet; until they are, the interface answers their operations
// with kStatusNotAvailable and only the records they exchange live here.
#pragma once

#include <cstdint>
#include <string>

// Result kinds of a decode job: below 8 OpenPGP, from 8 on S/MIME.
enum : int32_t {
    kResultPGPEncrypted = 0,
    kResultPGPSigned = 1,
    kResultSMimeEnveloped = 8,
};

// The signature properties of the last signature event of a decode job.
struct TSigPropsRec {
    int32_t State = 0; // 0 not checked, 1 bad, 2 good, 3 key missing, 4 key not usable, 5 good but expired
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
};
