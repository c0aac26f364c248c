// Option look-up and output delivery shared by the stand-in's jobs.
#include "standins/pgpsdk/Output.h"
#include "standins/pgpsdk/FileCommit.h"
#include "standins/pgpsdk/Memory.h"
#include "standins/pgpsdk/Objects.h"

#include <cstring>

namespace standin {

const Option* FindOption(const std::vector<Option>& options, OptionKind kind)
{
    const Option* found = nullptr;
    for (const auto& option : options)
        if (option.kind == kind)
            found = &option; // the last one given wins
    return found;
}

bool OptionFlag(const std::vector<Option>& options, OptionKind kind, bool absent)
{
    const Option* option = FindOption(options, kind);
    return option ? option->value != 0 : absent;
}

PGPError DeliverOutput(const std::vector<Option>& options, std::string_view data)
{
    if (const Option* fixed = FindOption(options, OptionKind::OutputBuffer)) {
        auto* length = static_cast<PGPSize*>(fixed->pointer2);
        *length = static_cast<PGPSize>(data.size());
        if (data.size() > fixed->size)
            return kPGPError_BufferTooSmall;
        std::memcpy(fixed->pointer, data.data(), data.size());
        return kPGPError_NoErr;
    }
    if (const Option* allocated = FindOption(options, OptionKind::AllocatedOutputBuffer)) {
        auto* buffer = static_cast<void**>(allocated->pointer);
        auto* length = static_cast<PGPSize*>(allocated->pointer2);
        if (data.size() > allocated->size) {
            *length = static_cast<PGPSize>(data.size());
            return kPGPError_BufferTooSmall;
        }
        void* block = AllocateData(static_cast<PGPSize>(data.size()));
        if (!block)
            return kPGPError_OutOfMemory;
        std::memcpy(block, data.data(), data.size());
        *buffer = block;
        *length = static_cast<PGPSize>(data.size());
        return kPGPError_NoErr;
    }
    if (const Option* file = FindOption(options, OptionKind::OutputFile)) {
        auto spec = Handles().Get<FileSpec>(file->handle, ObjectKind::FileSpec);
        if (!spec)
            return kPGPError_BadParams;
        return WriteFileAtomically(spec->path, data) ? kPGPError_NoErr : kPGPError_FileWriteFailed;
    }
    return kPGPError_BadOption;
}

PGPError DeliverOutput(const std::vector<Option>& options, std::string_view data, DataBlock& block)
{
    const Option* allocated = FindOption(options, OptionKind::AllocatedOutputBuffer);
    if (!allocated || FindOption(options, OptionKind::OutputBuffer) || !block.Holds(data) || data.size() > allocated->size)
        return DeliverOutput(options, data);
    std::memmove(block.Data(), data.data(), data.size());
    std::memset(block.Data() + data.size(), 0, block.Size() - data.size()); // what followed may be plaintext
    *static_cast<PGPSize*>(allocated->pointer2) = static_cast<PGPSize>(data.size());
    *static_cast<void**>(allocated->pointer) = block.Release();
    return kPGPError_NoErr;
}

} // namespace standin
