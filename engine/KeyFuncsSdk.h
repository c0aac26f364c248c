// Owners for the SDK objects the key functions create (sets, lists, iterators, filters, file
// specs, groups), so every path out of a query frees what it made. Internal to KeyFuncs.
#pragma once

#include "engine/sdk/pgpAdapters.h"

#include <functional>

template <auto FreeProc> class TSdkRef {
public:
    TSdkRef() = default;
    explicit TSdkRef(PGPHandle handle)
        : handle_(handle)
    {
    }
    TSdkRef(const TSdkRef&) = delete;
    TSdkRef& operator=(const TSdkRef&) = delete;
    ~TSdkRef() { Reset(); }

    PGPHandle Get() const noexcept { return handle_; }
    PGPHandle* Out() noexcept
    {
        Reset();
        return &handle_;
    }
    PGPHandle Release() noexcept
    {
        PGPHandle handle = handle_;
        handle_ = 0;
        return handle;
    }
    void Reset() noexcept
    {
        if (handle_ && SDKProcs.*FreeProc)
            (SDKProcs.*FreeProc)(handle_);
        handle_ = 0;
    }

private:
    PGPHandle handle_ = 0;
};

using TOwnedKeySet = TSdkRef<&PGPsdkProcs::PGPFreeKeySet>;
using TOwnedKeyList = TSdkRef<&PGPsdkProcs::PGPFreeKeyList>;
using TOwnedKeyIter = TSdkRef<&PGPsdkProcs::PGPFreeKeyIter>;
using TOwnedFilter = TSdkRef<&PGPsdkProcs::PGPFreeFilter>;
using TOwnedFileSpec = TSdkRef<&PGPsdkProcs::PGPFreeFileSpec>;
using TOwnedContext = TSdkRef<&PGPsdkProcs::PGPFreeContext>;
using TOwnedKeyDB = TSdkRef<&PGPsdkProcs::PGPFreeKeyDB>;
using TOwnedGroupSet = TSdkRef<&PGPsdkProcs::PGPFreeGroupSet>;
using TOwnedGroupItemIter = TSdkRef<&PGPsdkProcs::PGPFreeGroupItemIter>;

// An iteration over the keys of a set (or over one key): the list and iterator it needs.
struct TKeyWalk {
    TOwnedKeySet set; // only for a single-key walk
    TOwnedKeyList list;
    TOwnedKeyIter iter;
};

// Calls `visit` for each object of `kind` at the iterator's current position until the end;
// a false from `visit` stops early. 0 at the end, else the SDK's status.
PGPError ForEachObject(PGPKeyIterRef iter, int32_t kind, const std::function<bool(PGPKeyDBObjRef)>& visit);
PGPError WalkOneKey(PGPKeyDBObjRef key, TKeyWalk& walk);
PGPError WalkKeySet(PGPKeySetRef keySet, TKeyWalk& walk);
