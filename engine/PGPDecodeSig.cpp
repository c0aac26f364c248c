// The signature state of a decode job's signature event: checked and verified give bad or good,
// an expired signature and a key not fit for verifying change a good one, no key means missing.
#include "engine/PGPDecode.h"

void FillSigState(const PGPEventSignatureData& data, uint32_t now, TSigPropsRec& props)
{
    props.SigTime = static_cast<uint32_t>(data.creationTime);
    props.Checked = data.checked != 0;
    props.Verified = data.verified != 0;
    props.HashAlg = data.hashAlgorithm;
    props.ExpiryTime = data.validityPeriod ? props.SigTime + data.validityPeriod : 0;
    if (!data.signingKey) {
        props.State = kSigKeyMissing;
        return;
    }
    props.Validity = data.keyValidity;
    props.Revoked = data.keyRevoked != 0;
    props.Disabled = data.keyDisabled != 0;
    props.Expired = data.keyExpired != 0;
    // A signature that was not checked is never good, whatever the verified flag says.
    props.State = !props.Checked ? kSigNotChecked : props.Verified ? kSigGood : kSigBad;
    if (props.State == kSigGood && props.ExpiryTime && props.ExpiryTime < now)
        props.State = kSigGoodExpired;
    if (!data.keyCanVerify && props.State != kSigBad)
        props.State = kSigKeyNotUsable;
}
