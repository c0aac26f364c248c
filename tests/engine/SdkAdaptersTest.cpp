// The SDK binding's portable parts: version parsing and the generation table, the generation
// filter of the procedure table, and the generation-1 adapters against a fake procedure table.
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(SdkVersion, ParseMajorMinorAndGeneration)
{
    const struct {
        const char* text;
        uint32_t value;
        uint8_t generation;
    } cases[] = {
        { "3.12.0", 0x30C, 11 }, { "4.2.0", 0x402, 13 }, { "1.7.1", 0x107, 1 }, { "2.0", 0x200, 2 },
        { "3.1", 0x301, 0 }, { "abc", 0, 0 }, { "", 0, 0 }, { "4.", 0x400, 12 }, { "4", 0x400, 12 },
        { "v3.10 beta", 0x30A, 9 }, { "3..5", 0x300, 3 }, { "99999999999.2", 0xFFFF * 256 + 2, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseMajorMinor(c.text), c.value);
        EXPECT_EQ(GenerationOfVersion(ParseMajorMinor(c.text)), c.generation);
    }
    // Parsing stops at the end of the text even without a terminator after it.
    std::string cut("3.12345", 3);
    EXPECT_EQ(ParseMajorMinor(cut), 0x301u);
}

TEST(SdkVersion, FatalTexts)
{
    EXPECT_STREQ(SDKFatalErrorText(5), "PGP Cryptographic Support Library not found");
    EXPECT_STREQ(SDKFatalErrorText(6), "");
    EXPECT_STREQ(SDKFatalErrorText(8), "Wrong PGP version: 6.5.x, 7.x, 8.x, 9.x or 10.x required");
}

// Every name of the generation gets the same non-null marker; the last library visited is kept.
int lastLibrary = -1;
void FillAll(uint8_t generation)
{
    SDKProcs = PGPsdkProcs {};
    ForEachSDKProc(generation, [](int library, const char*, void** slot) {
        static char marker;
        lastLibrary = library;
        *slot = &marker;
    });
}

TEST(SdkBindings, OnlyTheNamesOfTheGenerationAreBound)
{
    FillAll(1);
    EXPECT_NE(SDKProcs.PGPOrderKeySetGen1, nullptr);
    EXPECT_EQ(SDKProcs.PGPOrderKeySet, nullptr);
    EXPECT_NE(SDKProcs.PGPclInitLibraryGen1, nullptr);
    EXPECT_EQ(SDKProcs.PGPclInitLibrary, nullptr);
    EXPECT_EQ(KeyIDTextType, 3);

    FillAll(4);
    EXPECT_EQ(SDKProcs.PGPOrderKeySetGen1, nullptr);
    EXPECT_NE(SDKProcs.PGPOrderKeySet, nullptr);
    EXPECT_NE(SDKProcs.PGPscCmdLineToFileListA, nullptr);
    EXPECT_EQ(SDKProcs.PGPscCmdLineToFileListW, nullptr);
    EXPECT_NE(SDKProcs.PGPOSMIMESigner, nullptr);
    EXPECT_NE(SDKProcs.PGPOOutputFormat, nullptr);
    EXPECT_EQ(KeyIDTextType, 2);

    FillAll(2);
    EXPECT_EQ(SDKProcs.PGPOSMIMESigner, nullptr);
    EXPECT_EQ(SDKProcs.PGPCacheKeyDB, nullptr);
    EXPECT_NE(SDKProcs.PGPsdkReconnect, nullptr);

    FillAll(5);
    EXPECT_EQ(SDKProcs.PGPscCmdLineToFileListA, nullptr);
    EXPECT_NE(SDKProcs.PGPscCmdLineToFileListW, nullptr);
    EXPECT_EQ(lastLibrary, kSupportLibrary);
    SDKProcs = PGPsdkProcs {};
}

// A fake generation-1 SDK: each entry records which function and which old number it got.
struct Recorded {
    std::string function;
    int32_t number = 0;
} seen;

PGPError Record(const char* function, int32_t number)
{
    seen = { function, number };
    return kPGPError_NoErr;
}

class OldSdkAdapters : public ::testing::Test {
protected:
    void SetUp() override
    {
        SDKGeneration = 1;
        SDKProcs = PGPsdkProcs {};
        SDKProcs.PGPOrderKeySetGen1 = [](PGPKeySetRef, int32_t order, PGPKeyListRef*) {
            return Record("PGPOrderKeySet", order);
        };
        SDKProcs.PGPGetKeyBoolean = [](PGPKeyDBObjRef, int32_t p, PGPBoolean*) { return Record("KeyBoolean", p); };
        SDKProcs.PGPGetSubKeyBoolean = [](PGPKeyDBObjRef, int32_t p, PGPBoolean*) { return Record("SubKeyBoolean", p); };
        SDKProcs.PGPGetUserIDBoolean = [](PGPKeyDBObjRef, int32_t p, PGPBoolean*) { return Record("UserIDBoolean", p); };
        SDKProcs.PGPGetSigBoolean = [](PGPKeyDBObjRef, int32_t p, PGPBoolean*) { return Record("SigBoolean", p); };
        SDKProcs.PGPGetKeyNumber = [](PGPKeyDBObjRef, int32_t p, int32_t*) { return Record("KeyNumber", p); };
        SDKProcs.PGPGetHashAlgUsed = [](PGPKeyDBObjRef, int32_t*) { return Record("HashAlgUsed", 0); };
        SDKProcs.PGPGetSubKeyNumber = [](PGPKeyDBObjRef, int32_t p, int32_t*) { return Record("SubKeyNumber", p); };
        SDKProcs.PGPGetUserIDNumber = [](PGPKeyDBObjRef, int32_t p, int32_t*) { return Record("UserIDNumber", p); };
        SDKProcs.PGPGetSigNumber = [](PGPKeyDBObjRef, int32_t p, int32_t*) { return Record("SigNumber", p); };
        SDKProcs.PGPGetKeyTime = [](PGPKeyDBObjRef, int32_t p, PGPTime*) { return Record("KeyTime", p); };
        SDKProcs.PGPGetSubKeyTime = [](PGPKeyDBObjRef, int32_t p, PGPTime*) { return Record("SubKeyTime", p); };
        SDKProcs.PGPGetSigTime = [](PGPKeyDBObjRef, int32_t p, PGPTime*) { return Record("SigTime", p); };
        SDKProcs.PGPGetKeyPropertyBuffer = [](PGPKeyDBObjRef, int32_t p, PGPSize, void*, PGPSize*) {
            return Record("KeyBuffer", p);
        };
        SDKProcs.PGPGetUserIDStringBuffer = [](PGPKeyDBObjRef, int32_t p, PGPSize, void*, PGPSize*) {
            return Record("UserIDBuffer", p);
        };
        SDKProcs.PGPGetSigPropertyBuffer = [](PGPKeyDBObjRef, int32_t p, PGPSize, void*, PGPSize*) {
            return Record("SigBuffer", p);
        };
        SDKProcs.PGPNewKeyDisabledFilter = [](PGPContextRef, PGPBoolean m, PGPFilterRef*) {
            return Record("DisabledFilter", m);
        };
        SDKProcs.PGPNewKeyBooleanFilter = [](PGPContextRef, int32_t p, PGPBoolean, PGPFilterRef*) {
            return Record("BooleanFilter", p);
        };
        SDKProcs.PGPNewKeySigAlgorithmFilter = [](PGPContextRef, int32_t v, PGPFilterRef*) {
            return Record("SigAlgorithmFilter", v);
        };
        SDKProcs.PGPNewKeyNumberFilter = [](PGPContextRef, int32_t p, int32_t, int32_t, PGPFilterRef*) {
            return Record("NumberFilter", p);
        };
        SDKProcs.PGPNewKeyIDFilter = [](PGPContextRef, const PGPKeyID*, PGPFilterRef*) { return Record("KeyIDFilter", 0); };
        SDKProcs.PGPNewSubKeyIDFilter = [](PGPContextRef, const PGPKeyID*, PGPFilterRef*) {
            return Record("SubKeyIDFilter", 0);
        };
        SDKProcs.PGPNewSigKeyIDFilter = [](PGPContextRef, const PGPKeyID*, PGPFilterRef*) {
            return Record("SigKeyIDFilter", 0);
        };
        SDKProcs.PGPNewUserIDEmailFilter = [](PGPContextRef, const char*, int32_t m, PGPFilterRef*) {
            return Record("EmailFilter", m);
        };
        SDKProcs.PGPKeyIterNextUIDSig = [](PGPKeyIterRef, PGPKeyDBObjRef*) { return Record("NextUIDSig", 0); };
        SDKProcs.PGPKeyIterRewindSubKey = [](PGPKeyIterRef) { return Record("RewindSubKey", 0); };
        SDKProcs.PGPGetPrimaryUserIDNameBuffer = [](PGPKeyDBObjRef, PGPSize size, char*, PGPSize*) {
            return Record("PrimaryNameBuffer", static_cast<int32_t>(size));
        };
        SDKProcs.PGPRemoveKeys = [](PGPKeySetRef, PGPKeySetRef from) {
            return Record("RemoveKeys", static_cast<int32_t>(from));
        };
        SDKProcs.PGPGetKeyByKeyID = [](PGPKeySetRef set, const PGPKeyID*, int32_t, PGPKeyDBObjRef*) {
            return Record("GetKeyByKeyID", static_cast<int32_t>(set));
        };
        seen = {};
    }
    void TearDown() override
    {
        SDKProcs = PGPsdkProcs {};
        SDKGeneration = 0;
    }
};

TEST_F(OldSdkAdapters, PropertiesMapToTheTypedGetters)
{
    const struct {
        char kind; // b boolean, n numeric, t time, d data
        int32_t property;
        const char* function; // empty: not translatable
        int32_t number;
    } cases[] = {
        { 'b', 100, "KeyBoolean", 60 }, { 'b', 116, "KeyBoolean", 76 }, { 'b', 501, "SubKeyBoolean", 62 },
        { 'b', 503, "SubKeyBoolean", 65 }, { 'b', 506, "SubKeyBoolean", 75 }, { 'b', 900, "UserIDBoolean", 110 },
        { 'b', 1303, "SigBoolean", 183 }, { 'b', 117, "", 0 }, { 'b', 500, "", 0 },
        { 'n', 200, "KeyNumber", 20 }, { 'n', 207, "HashAlgUsed", 0 }, { 'n', 208, "", 0 },
        { 'n', 601, "SubKeyNumber", 21 }, { 'n', 603, "SubKeyNumber", 25 }, { 'n', 605, "SubKeyNumber", 206 },
        { 'n', 1000, "UserIDNumber", 100 }, { 'n', 1402, "SigNumber", 144 }, { 'n', 604, "", 0 },
        { 't', 301, "KeyTime", 41 }, { 't', 700, "SubKeyTime", 40 }, { 't', 1501, "SigTime", 161 },
        { 't', 302, "", 0 }, { 'd', 401, "KeyBuffer", 1 }, { 'd', 404, "KeyBuffer", 3 },
        { 'd', 1201, "UserIDBuffer", 81 }, { 'd', 1600, "SigBuffer", 120 }, { 'd', 402, "", 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.kind) + std::to_string(c.property));
        seen = {};
        PGPBoolean b;
        int32_t n;
        PGPTime t;
        PGPSize length;
        char buffer[8];
        PGPError status = c.kind == 'b' ? GetBooleanProperty(1, c.property, &b)
            : c.kind == 'n'             ? GetNumericProperty(1, c.property, &n)
            : c.kind == 't'             ? GetTimeProperty(1, c.property, &t)
                                        : GetDataProperty(1, c.property, buffer, sizeof buffer, &length);
        if (*c.function == 0) {
            EXPECT_EQ(status, kPGPError_AdapterProperty);
            EXPECT_EQ(seen.function, "");
        } else {
            EXPECT_EQ(status, kPGPError_NoErr);
            EXPECT_EQ(seen.function, c.function);
            EXPECT_EQ(seen.number, c.number);
        }
    }
}

TEST_F(OldSdkAdapters, FiltersMapToTheTypedFilters)
{
    static PGPKeyID id {};
    static PGPFilterRef filter;
    const struct {
        PGPError (*call)();
        const char* function; // empty: not translatable
        int32_t number;
    } cases[] = {
        { [] { return NewBooleanFilter(1, 103, 1, &filter); }, "DisabledFilter", 1 },
        { [] { return NewBooleanFilter(1, 110, 1, &filter); }, "BooleanFilter", 70 },
        { [] { return NewBooleanFilter(1, 100, 1, &filter); }, "", 0 },
        { [] { return NewNumericFilter(1, 200, 17, &filter, 1); }, "SigAlgorithmFilter", 17 },
        { [] { return NewNumericFilter(1, 203, 2, &filter, 2); }, "NumberFilter", 23 },
        { [] { return NewNumericFilter(1, 208, 4, &filter, 1); }, "", 0 },
        { [] { return NewDataFilter(1, 402, &id, &filter, sizeof id, 1); }, "KeyIDFilter", 0 },
        { [] { return NewDataFilter(1, 801, &id, &filter, sizeof id, 1); }, "SubKeyIDFilter", 0 },
        { [] { return NewDataFilter(1, 1600, &id, &filter, sizeof id, 1); }, "SigKeyIDFilter", 0 },
        { [] { return NewDataFilter(1, 1203, "a@b", &filter, 3, kPGPMatch_SubString); }, "EmailFilter", 4 },
        { [] { return NewDataFilter(1, 1204, "x", &filter, 1, 1); }, "", 0 },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        seen = {};
        PGPError status = cases[i].call();
        EXPECT_EQ(seen.function, cases[i].function);
        EXPECT_EQ(status, *cases[i].function ? kPGPError_NoErr : kPGPError_AdapterProperty);
        EXPECT_EQ(seen.number, cases[i].number);
    }
}

TEST_F(OldSdkAdapters, OrderIteratorsAndArgumentOrders)
{
    PGPKeyListRef list;
    const struct {
        int32_t order;
        PGPBoolean reverse;
        int32_t oldOrder;
    } orders[] = { { 3, 1, 5 }, { 3, 0, 4 }, { 1, 1, 1 }, { 0, 0, 0 }, { 2, 0, 2 }, { 8, 1, 15 } };
    for (const auto& o : orders) {
        ASSERT_EQ(OrderKeySet(1, o.order, o.reverse, &list), kPGPError_NoErr);
        EXPECT_EQ(seen.number, o.oldOrder) << o.order << "/" << int(o.reverse);
    }
    PGPKeyDBObjRef obj;
    EXPECT_EQ(KeyIterNext(1, kPGPIter_Signature, &obj), kPGPError_NoErr);
    EXPECT_EQ(seen.function, "NextUIDSig");
    EXPECT_EQ(KeyIterNext(1, 3, &obj), kPGPError_AdapterIterKind);
    EXPECT_EQ(KeyIterRewind(1, kPGPIter_SubKey), kPGPError_NoErr);
    EXPECT_EQ(seen.function, "RewindSubKey");
    EXPECT_EQ(KeyIterRewind(1, 16), kPGPError_AdapterIterKind);
    // A bound-less entry refuses instead of crashing.
    EXPECT_EQ(KeyIterNext(1, kPGPIter_Key, &obj), kPGPError_NotImplemented);
    char name[40];
    PGPSize length;
    EXPECT_EQ(GetPrimaryUserIDName(1, name, 40, &length), kPGPError_NoErr);
    EXPECT_EQ(seen.number, 40);
    EXPECT_EQ(DeleteKeys(1, 9), kPGPError_NoErr);
    EXPECT_EQ(seen.number, 9);
    PGPKeyID id {};
    EXPECT_EQ(FindKeyByKeyID(12, &id, 1, &obj), kPGPError_NoErr);
    EXPECT_EQ(seen.function, "GetKeyByKeyID");
    EXPECT_EQ(seen.number, 12);
}

TEST(SdkAdapters, NamedPassphraseCacheFallsBackToTheUnnamedOne)
{
    SDKGeneration = 2;
    SDKProcs = PGPsdkProcs {};
    static std::string called;
    SDKProcs.PGPPurgePassphraseCache = [](PGPContextRef) {
        called = "unnamed";
        return PGPError(kPGPError_NoErr);
    };
    EXPECT_EQ(PurgePassphraseCache(1), kPGPError_NoErr);
    EXPECT_EQ(called, "unnamed");
    SDKProcs.PGPPurgeNamedPassphraseCache = [](PGPContextRef, const char* name) {
        called = name;
        return PGPError(kPGPError_NoErr);
    };
    EXPECT_EQ(PurgePassphraseCache(1), kPGPError_NoErr);
    EXPECT_EQ(called, "default");
    uint32_t counts[4];
    EXPECT_EQ(CountCachedPassphrases(1, &counts[0], &counts[1], &counts[2], &counts[3]), kPGPError_NotImplemented);
    EXPECT_EQ(OptionCachePassphrase(1, 60, 0), 0u);
    SDKProcs = PGPsdkProcs {};
    SDKGeneration = 0;
}

TEST(SdkAdapters, NewerSdkPassesThroughWithTheKeyDatabaseOfTheSet)
{
    SDKGeneration = 13;
    SDKProcs = PGPsdkProcs {};
    SDKProcs.PGPPeekKeySetKeyDB = [](PGPKeySetRef set) { return PGPKeyDBRef(set + 100); };
    static PGPHandle dbSeen;
    SDKProcs.PGPFindKeyByKeyID = [](PGPKeyDBRef db, const PGPKeyID*, PGPKeyDBObjRef*) {
        dbSeen = db;
        return PGPError(kPGPError_NoErr);
    };
    SDKProcs.PGPOrderKeySet = [](PGPKeySetRef, int32_t order, PGPBoolean reverse, PGPKeyListRef*) {
        return PGPError(order * 10 + reverse);
    };
    PGPKeyID id {};
    PGPKeyDBObjRef key;
    EXPECT_EQ(FindKeyByKeyID(5, &id, 1, &key), kPGPError_NoErr);
    EXPECT_EQ(dbSeen, 105u);
    PGPKeyListRef list;
    EXPECT_EQ(OrderKeySet(1, 3, 1, &list), 31);
    PGPBoolean b;
    EXPECT_EQ(GetBooleanProperty(1, 506, &b), kPGPError_NotImplemented);
    SDKProcs = PGPsdkProcs {};
    SDKGeneration = 0;
}

} // namespace
