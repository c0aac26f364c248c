// Memory the stand-in SDK hands out: every block is registered so PGPFreeData can refuse a pointer
// it did not make, and secure blocks are locked in memory and zeroed before release.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

namespace standin {

// A plain block for SDK-allocated output; freed by the caller with PGPFreeData. Null on failure.
void* AllocateData(PGPSize size);

} // namespace standin
