// Benchmark driver (not a test): encrypts or decrypts one file with the stand-in SDK to a
// passphrase, as `SdkBench encrypt|decrypt PASSPHRASE IN OUT`; timed from outside by bench/run.
// It prints how far the job raised the peak working set, the memory figure of the table. It builds
// natively too, where gpg's figures can be compared without Wine's share. `SdkBench copy IN OUT`
// does only what any job with a result in memory must: maps the input, copies it into a fresh
// block of its size and writes that out; the floor under the SDK's figures on this machine.
#include "standins/pgpsdk/StandInExports.h"

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
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

// The input file mapped rather than read: gpg reads its input in small pieces into one buffer, so
// copying the file into fresh memory first would time the harness, not the SDK (fresh pages are
// what costs most on a virtual machine).
class MappedFile {
public:
    explicit MappedFile(const char* path)
    {
#if defined(_WIN32)
        file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER size {};
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size))
            return;
        size_ = static_cast<size_t>(size.QuadPart);
        if (size_ == 0)
            return;
        mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping_)
            data_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
#else
        file_ = open(path, O_RDONLY);
        struct stat status {};
        if (file_ < 0 || fstat(file_, &status) != 0)
            return;
        size_ = static_cast<size_t>(status.st_size);
        if (size_ == 0)
            return;
        void* view = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, file_, 0);
        data_ = view == MAP_FAILED ? nullptr : static_cast<const char*>(view);
#endif
    }
    ~MappedFile()
    {
#if defined(_WIN32)
        if (data_)
            UnmapViewOfFile(data_);
        if (mapping_)
            CloseHandle(mapping_);
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
#else
        if (data_)
            munmap(const_cast<char*>(data_), size_);
        if (file_ >= 0)
            close(file_);
#endif
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Usable() const { return data_ || (size_ == 0 && Opened()); }
    std::string_view View() const { return { data_ ? data_ : "", data_ ? size_ : 0 }; }

private:
#if defined(_WIN32)
    bool Opened() const { return file_ != INVALID_HANDLE_VALUE; }
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
#else
    bool Opened() const { return file_ >= 0; }
    int file_ = -1;
#endif
    const char* data_ = nullptr;
    size_t size_ = 0;
};

// Written in pieces of a megabyte, as gpg writes: one write of the whole output is much slower
// for the kernel here.
bool WriteWholeFile(const char* path, const void* bytes, PGPSize size)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    constexpr PGPSize kPiece = PGPSize { 1 } << 20;
    const char* at = static_cast<const char*>(bytes);
    bool ok = true;
    for (PGPSize done = 0; ok && done < size; done += kPiece) {
        PGPSize piece = size - done < kPiece ? size - done : kPiece;
        ok = std::fwrite(at + done, 1, piece, file) == piece;
    }
    return std::fclose(file) == 0 && ok;
}

int CopyThrough(const char* from, const char* to)
{
    MappedFile in(from);
    if (!in.Usable())
        return 1;
    std::string_view bytes = in.View();
    void* block = std::malloc(bytes.size() ? bytes.size() : 1);
    if (!block)
        return 1;
    std::memcpy(block, bytes.data(), bytes.size());
    bool written = WriteWholeFile(to, block, bytes.size());
    std::free(block);
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "copy") == 0)
        return CopyThrough(argv[2], argv[3]);
    if (argc != 5 || (std::strcmp(argv[1], "encrypt") != 0 && std::strcmp(argv[1], "decrypt") != 0)) {
        std::fprintf(stderr, "usage: SdkBench encrypt|decrypt PASSPHRASE IN OUT | copy IN OUT\n");
        return 2;
    }
    size_t startPeak = PeakWorkingSet();
    MappedFile in(argv[3]);
    if (!in.Usable()) {
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
