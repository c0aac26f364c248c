// Options as jobs read them, and delivering a job's output where its options say: the caller's
// fixed buffer (never written past its size), a buffer the SDK allocates, or a file.
#pragma once

#include "standins/pgpsdk/Memory.h"
#include "standins/pgpsdk/Options.h"

namespace standin {

const Option* FindOption(const std::vector<Option>& options, OptionKind kind);
bool OptionFlag(const std::vector<Option>& options, OptionKind kind, bool absent = false);

// kPGPError_BadOption when no output option is given; kPGPError_BufferTooSmall when the fixed
// buffer or the allocation limit is too small (the length then tells what was needed).
PGPError DeliverOutput(const std::vector<Option>& options, std::string_view data);
// The same for `data` lying in `block`: an allocated output takes the block itself, the data moved
// to its start, instead of a copy.
PGPError DeliverOutput(const std::vector<Option>& options, std::string_view data, DataBlock& block);

} // namespace standin
