// Benchmark driver (not a test): encrypts or decrypts one file with the stand-in SDK to a
// passphrase, as `SdkBench encrypt|decrypt PASSPHRASE IN OUT`; timed from outside by bench/run.
// It prints how far the job raised the peak working set, the memory figure of the table. It builds
// natively too, where gpg's figures can be compared without Wine's share.
#include "standins/pgpsdk/StandInExports.h"

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

struct Decoding {
    const char* passphrase;
    void* output = nullptr;
    PGPSize length = 0;

    static PGPError Handler(PGPContextRef context, PGPEvent* event, void* user)
    {
        auto* self = static_cast<Decoding*>(user);
        if (event->type == kPGPEvent_Passphrase)
            PGPAddJobOptions(event->job, PGPOPassphrase(context, self->passphrase), kPGPEndOfOptions);
        else if (event->type == kPGPEvent_Output)
            PGPAddJobOptions(event->job, PGPOAllocatedOutputBuffer(context, &self->output, ~0u, &self->length),
                             kPGPEndOfOptions);
        return kPGPError_NoErr;
    }
};

// The output is the SDK's own block, written from where it lies and freed by the caller.
PGPError Run(PGPContextRef context, bool encrypt, const char* passphrase, std::string_view in, void*& buffer,
             PGPSize& length)
{
    if (encrypt)
        return PGPEncode(context, PGPOInputBuffer(context, in.data(), in.size()),
                         PGPOConventionalEncrypt(context, PGPOPassphrase(context, passphrase), kPGPEndOfOptions),
                         PGPOCipherAlgorithm(context, 9), PGPOCompression(context, 0),
                         PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions);
    PGPKeyDBRef db = 0;
    PGPNewKeyDB(context, &db);
    Decoding decoding { passphrase };
    PGPError status = PGPDecode(context, PGPOInputBuffer(context, in.data(), in.size()), PGPOKeyDBRef(context, db),
                                PGPOEventHandler(context, Decoding::Handler, &decoding), kPGPEndOfOptions);
    PGPFreeKeyDB(db);
    buffer = decoding.output;
    length = decoding.length;
    return status;
}

size_t PeakWorkingSet()
{
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS counters {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
#else
    rusage usage {};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? static_cast<size_t>(usage.ru_maxrss) * 1024 : 0;
#endif
}

// Whole-file reads and writes in one call each, so the figure is the SDK's, not a stream library's.
// Left uninitialised: zeroing it first would add a pass over the input that no reader needs.
struct FileBytes {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    std::string_view View() const { return { data.get(), size }; }
};

bool ReadWholeFile(const char* path, FileBytes& bytes)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.size = static_cast<size_t>(size);
        bytes.data.reset(new char[bytes.size ? bytes.size : 1]);
        ok = std::fread(bytes.data.get(), 1, bytes.size, file) == bytes.size;
    }
    return std::fclose(file) == 0 && ok;
}

bool WriteWholeFile(const char* path, const void* bytes, PGPSize size)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 || (std::strcmp(argv[1], "encrypt") != 0 && std::strcmp(argv[1], "decrypt") != 0)) {
        std::fprintf(stderr, "usage: SdkBench encrypt|decrypt PASSPHRASE IN OUT\n");
        return 2;
    }
    size_t startPeak = PeakWorkingSet();
    FileBytes in;
    if (!ReadWholeFile(argv[3], in)) {
        std::fprintf(stderr, "SdkBench: cannot read %s\n", argv[3]);
        return 1;
    }
    PGPContextRef context = 0;
    if (PGPsdkInit(0) != kPGPError_NoErr || PGPNewContext(kPGPContextVersion, &context) != kPGPError_NoErr)
        return 1;
    void* out = nullptr;
    PGPSize length = 0;
    PGPError status = Run(context, std::strcmp(argv[1], "encrypt") == 0, argv[2], in.View(), out, length);
    bool written = status == kPGPError_NoErr && WriteWholeFile(argv[4], out, length);
    if (out)
        PGPFreeData(out);
    PGPFreeContext(context);
    PGPsdkCleanup();
    if (status != kPGPError_NoErr) {
        std::fprintf(stderr, "SdkBench: status %d\n", static_cast<int>(status));
        return 1;
    }
    if (!written) {
        std::fprintf(stderr, "SdkBench: cannot write %s\n", argv[4]);
        return 1;
    }
    std::printf("peak working set added: %zu bytes\n", PeakWorkingSet() - startPeak);
    return 0;
}
