// The signature state rule of the decoder: which event fields make a signature good, bad, expired,
// unusable, unchecked or one by a missing key.
#include "engine/PGPDecode.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kNow = 1'700'000'000;

struct TStateCase {
    const char* what;
    bool key, checked, verified, canVerify;
    uint32_t created, period;
    int32_t state;
};

TEST(PGPDecodeSig, StateFollowsTheEventFields)
{
    const TStateCase cases[] = {
        { "good", true, true, true, true, kNow - 10, 0, kSigGood },
        { "bad", true, true, false, true, kNow - 10, 0, kSigBad },
        { "not checked", true, false, false, true, kNow - 10, 0, kSigNotChecked },
        { "verified but not checked is no good", true, false, true, true, kNow - 10, 0, kSigNotChecked },
        { "expired signature", true, true, true, true, kNow - 100, 50, kSigGoodExpired },
        { "not yet expired", true, true, true, true, kNow - 100, 500, kSigGood },
        { "key not fit for verifying", true, true, true, false, kNow - 10, 0, kSigKeyNotUsable },
        { "bad stays bad on an unusable key", true, true, false, false, kNow - 10, 0, kSigBad },
        { "no key", false, false, false, false, kNow - 10, 0, kSigKeyMissing },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PGPEventSignatureData data {};
        data.signingKey = c.key ? 7 : 0;
        data.checked = c.checked;
        data.verified = c.verified;
        data.keyCanVerify = c.canVerify;
        data.creationTime = c.created;
        data.validityPeriod = c.period;
        TSigPropsRec props;
        FillSigState(data, kNow, props);
        EXPECT_EQ(props.State, c.state);
        EXPECT_EQ(props.SigTime, c.created);
        EXPECT_EQ(props.ExpiryTime, c.period ? c.created + c.period : 0u);
    }
}

TEST(PGPDecodeSig, KeyFlagsAreTakenOnlyFromAKnownKey)
{
    PGPEventSignatureData data {};
    data.keyRevoked = data.keyDisabled = data.keyExpired = 1;
    data.keyValidity = 3;
    data.hashAlgorithm = 8;
    TSigPropsRec props;
    FillSigState(data, kNow, props);
    EXPECT_FALSE(props.Revoked || props.Disabled || props.Expired);
    EXPECT_EQ(props.Validity, 0);
    EXPECT_EQ(props.HashAlg, 8);

    data.signingKey = 7;
    data.checked = data.verified = data.keyCanVerify = 1;
    FillSigState(data, kNow, props);
    EXPECT_TRUE(props.Revoked && props.Disabled && props.Expired);
    EXPECT_EQ(props.Validity, 3);
}

} // namespace
