// The client library's adapters: which entry each generation calls (against a fake procedure
// table), the generation-1 preference store, and the 724-byte key-server records (fields at their
// offsets, the other bytes kept, a short tail ignored, long host names cut to fit).
#include "engine/pgpCL.h"
#include "engine/sdk/pgpBase.h"
#include "engine/sdk/pgpBindings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(ClientKeyServerRecord, FieldsSitAtTheirOffsetsAndOtherBytesSurvive)
{
    std::string record(kClientKeyServerSize, '\0');
    record[0] = static_cast<char>(0xD4); // 724
    record[1] = 0x02;
    record[4] = 3;
    record.replace(264, 16, "keys.example.org");
    record[520] = 0x6B; // 11371
    record[521] = 0x2C;
    record[656] = 0x05;
    record[100] = 'x'; // the client library's own
    const std::string data = record + record + std::string(100, 'y');
    const std::vector<TClientKeyServer> servers = ParseClientKeyServers(data);
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0].protocol, 3);
    EXPECT_EQ(servers[0].host, "keys.example.org");
    EXPECT_EQ(servers[0].port, 11371);
    EXPECT_EQ(servers[0].flags, 5u);
    EXPECT_EQ(BuildClientKeyServers(servers), record + record);

    TClientKeyServer fresh;
    fresh.host = std::string(300, 'h');
    fresh.port = 80;
    const std::string built = BuildClientKeyServers({ fresh });
    ASSERT_EQ(built.size(), kClientKeyServerSize);
    EXPECT_EQ(static_cast<uint8_t>(built[0]), 0xD4);
    EXPECT_EQ(static_cast<uint8_t>(built[1]), 0x02);
    const TClientKeyServer back = ParseClientKeyServers(built).at(0);
    EXPECT_EQ(back.host, std::string(255, 'h'));
    EXPECT_EQ(back.port, 80);
    EXPECT_TRUE(ParseClientKeyServers(std::string(723, '\0')).empty());
}

// What the fake client library was last asked.
struct TCalls {
    std::string last;
    uint32_t flags = 0, processID = 0;
    std::string stored;
    int freed = 0;
};
TCalls calls;

void* Allocate(const std::string& bytes)
{
    void* block = std::malloc(bytes.size() + 1);
    std::memcpy(block, bytes.c_str(), bytes.size() + 1);
    return block;
}

void UseFakeClientLibrary(uint8_t generation)
{
    SDKGeneration = generation;
    SDKInitFlags = 0x40;
    SDKProcs = PGPsdkProcs {};
    calls = TCalls {};
    SDKProcs.PGPFreeData = [](void* data) -> PGPError {
        std::free(data);
        ++calls.freed;
        return 0;
    };
    SDKProcs.PGPclInitLibraryGen1 = [](PGPContextRef) -> PGPError { return calls.last = "init1", 0; };
    SDKProcs.PGPclInitLibrary = [](PGPContextRef* context, uint32_t) PGP_STDCALL -> PGPError {
        *context = 77;
        return calls.last = "init", 0;
    };
    SDKProcs.PGPclNotifyKeyringChangesGen1 = [](uint32_t id) -> PGPError {
        calls.processID = id;
        return calls.last = "keyrings1", 0;
    };
    SDKProcs.PGPclNotifyKeyringChanges = [](uint32_t flags, uint32_t id) PGP_STDCALL -> PGPError {
        calls.flags = flags;
        calls.processID = id;
        return calls.last = "keyrings", 0;
    };
    SDKProcs.PGPclGetPrefBoolean = [](PGPHandle, int32_t index, PGPBoolean* value) -> PGPError {
        *value = index == 2;
        return 0;
    };
    SDKProcs.PGPclGetPrefNumber = [](PGPHandle, int32_t index, uint32_t* value) -> PGPError {
        *value = static_cast<uint32_t>(index) * 2;
        return 0;
    };
    SDKProcs.PGPclGetPrefStringAlloc = [](PGPHandle, int32_t, char** value) -> PGPError {
        *value = static_cast<char*>(Allocate("A comment"));
        return 0;
    };
    SDKProcs.PGPclGetPrefData = [](PGPHandle, int32_t index, PGPSize* size, void** data) -> PGPError {
        if (index != kClientPrefKeyServers || calls.stored.empty())
            return -11990;
        *size = static_cast<PGPSize>(calls.stored.size());
        *data = Allocate(calls.stored);
        return 0;
    };
    SDKProcs.PGPclSetPrefData = [](PGPHandle, int32_t index, PGPSize size, const void* data) -> PGPError {
        if (index == kClientPrefKeyServers)
            calls.stored.assign(static_cast<const char*>(data), size);
        return 0;
    };
}

TEST(ClientLibrary, EachGenerationCallsItsOwnEntries)
{
    PGPContextRef context = 5;
    UseFakeClientLibrary(1);
    EXPECT_EQ(InitClientLibrary(context), 0);
    EXPECT_EQ(calls.last, "init1");
    EXPECT_EQ(context, 5u) << "generation 1 works in the caller's context";
    EXPECT_EQ(NotifyKeyringChanged(42), 0);
    EXPECT_EQ(calls.last, "keyrings1");
    EXPECT_EQ(NotifyPrefsChanged(42), kPGPError_NotImplemented) << "not bound";

    UseFakeClientLibrary(13);
    EXPECT_EQ(InitClientLibrary(context), 0);
    EXPECT_EQ(calls.last, "init");
    EXPECT_EQ(context, 77u) << "later generations make the client's own context";
    EXPECT_EQ(NotifyKeyringChanged(42), 0);
    EXPECT_EQ(calls.last, "keyrings");
    EXPECT_EQ(calls.flags, 0x40u);
    EXPECT_EQ(calls.processID, 42u);
    bool flag = true;
    EXPECT_EQ(GetClientPrefBoolean(1, 2, flag), kPGPError_NotImplemented) << "the store is a file there";
    EXPECT_FALSE(flag);
    SDKGeneration = 0;
}

TEST(ClientLibrary, GenerationOnePreferenceStore)
{
    UseFakeClientLibrary(1);
    bool flag = false;
    uint32_t number = 0;
    std::string text;
    EXPECT_EQ(GetClientPrefBoolean(1, 2, flag), 0);
    EXPECT_TRUE(flag);
    EXPECT_EQ(GetClientPrefNumber(1, 202, number), 0);
    EXPECT_EQ(number, 404u);
    EXPECT_EQ(GetClientPrefString(1, 403, text), 0);
    EXPECT_EQ(text, "A comment");
    EXPECT_EQ(calls.freed, 1) << "the client's copy is given back";

    std::vector<TClientKeyServer> servers;
    EXPECT_EQ(GetClientKeyServers(1, servers), -11990);
    EXPECT_TRUE(servers.empty());
    TClientKeyServer server;
    server.protocol = 1;
    server.host = "keys.example.org";
    server.port = 11371;
    EXPECT_EQ(SetClientKeyServers(1, { server, server }), 0);
    EXPECT_EQ(calls.stored.size(), 2 * kClientKeyServerSize);
    ASSERT_EQ(GetClientKeyServers(1, servers), 0);
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[1].host, "keys.example.org");
    EXPECT_EQ(servers[1].port, 11371);
    EXPECT_EQ(calls.freed, 2);
    SDKGeneration = 0;
}

} // namespace
