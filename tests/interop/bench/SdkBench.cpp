// Benchmark driver (not a test): encrypts or decrypts one file with the stand-in SDK to a
// passphrase, as `SdkBench encrypt|decrypt PASSPHRASE IN OUT`; timed from outside by bench/run.
// It prints how far the job raised the peak working set, the memory figure of the table.
#include "standins/pgpsdk/StandInExports.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
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
PGPError Run(PGPContextRef context, bool encrypt, const char* passphrase, const std::string& in, void*& buffer,
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
    PROCESS_MEMORY_COUNTERS counters {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

// Whole-file read and write with plain Win32 calls, so the figure is the SDK's, not a stream library's.
bool ReadWholeFile(const char* path, std::string& bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size {};
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const char* path, const void* bytes, PGPSize size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    bool ok = size == 0 || (WriteFile(file, bytes, size, &put, nullptr) && put == size);
    return CloseHandle(file) && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5 || (std::strcmp(argv[1], "encrypt") != 0 && std::strcmp(argv[1], "decrypt") != 0)) {
        std::fprintf(stderr, "usage: SdkBench encrypt|decrypt PASSPHRASE IN OUT\n");
        return 2;
    }
    size_t startPeak = PeakWorkingSet();
    std::string in;
    if (!ReadWholeFile(argv[3], in)) {
        std::fprintf(stderr, "SdkBench: cannot read %s\n", argv[3]);
        return 1;
    }
    PGPContextRef context = 0;
    if (PGPsdkInit(0) != kPGPError_NoErr || PGPNewContext(kPGPContextVersion, &context) != kPGPError_NoErr)
        return 1;
    void* out = nullptr;
    PGPSize length = 0;
    PGPError status = Run(context, std::strcmp(argv[1], "encrypt") == 0, argv[2], in, out, length);
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
