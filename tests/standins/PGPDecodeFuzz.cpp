// Fuzz entry for the stand-in's PGPDecode: any input, split into sections and decoded against a
// small key database with an unprotected secret key, must end with a status and free what it gave.
#include "standins/pgpsdk/StandInExports.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

struct Session {
    PGPContextRef context = 0;
    PGPKeyDBRef db = 0;
    Session()
    {
        PGPsdkInit(0);
        PGPNewContext(kPGPContextVersion, &context);
        std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/pgpsdk/bob-secret.gpg", std::ios::binary);
        std::ostringstream keys;
        keys << in.rdbuf();
        std::string data = keys.str();
        PGPImport(context, &db, PGPOInputBuffer(context, data.data(), data.size()), kPGPEndOfOptions);
    }
};

// As a caller does: the first output event adds the output option, each later one collects the
// previous section's buffer before the next section's is written.
struct Outputs {
    void* buffer = nullptr;
    PGPSize length = 0;
    bool added = false;

    void Collect()
    {
        if (buffer)
            PGPFreeData(buffer);
        buffer = nullptr;
    }
};

PGPError Handler(PGPContextRef context, PGPEvent* event, void* user)
{
    auto* outputs = static_cast<Outputs*>(user);
    if (event->type == kPGPEvent_Output) {
        outputs->Collect();
        if (!outputs->added)
            PGPAddJobOptions(event->job, PGPOAllocatedOutputBuffer(context, &outputs->buffer, 1 << 20, &outputs->length),
                             kPGPEndOfOptions);
        outputs->added = true;
    }
    if (event->type == kPGPEvent_Passphrase)
        PGPAddJobOptions(event->job, PGPOPassphrase(context, "fuzz"), kPGPEndOfOptions);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Session session;
    Outputs outputs;
    PGPDecode(session.context, PGPOInputBuffer(session.context, data, static_cast<PGPSize>(size)),
              PGPOKeyDBRef(session.context, session.db), PGPOEventHandler(session.context, Handler, &outputs),
              PGPOPassThroughIfUnrecognized(session.context, 1), PGPORecursivelyDecode(session.context, 1),
              kPGPEndOfOptions);
    outputs.Collect();
    return 0;
}
