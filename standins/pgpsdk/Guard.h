// The one guard of the stand-in's exports: no exception crosses into the caller; running out of
// memory becomes its status, anything else a bad-parameter status.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <new>

namespace standin {

template <class Body> PGPError Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return kPGPError_OutOfMemory;
    } catch (...) {
        return kPGPError_BadParams;
    }
}

} // namespace standin
