// The stand-in SDK's one table of live objects. Every handle a caller passes in is looked up here
// with the kind the entry point expects, so a stale, foreign or wrong-kind handle is refused with a
// status instead of being dereferenced.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace standin {

enum class ObjectKind : uint8_t {
    Context = 1,
    MemoryMgr,
    FileSpec,
    OptionList,
    Job,
    KeyDB,
    KeySet,
    KeyList,
    KeyIter,
    Filter,
    KeyDBObj,
    GroupSet,
    GroupItemIter,
    KeyServer,
    TLSContext,
    ThreadStorage,
};

struct SdkObject {
    virtual ~SdkObject() = default;
};

class HandleTable {
public:
    // Registers an object; the handle is never 0 or the end-of-options marker and is not reused.
    PGPHandle Add(ObjectKind kind, std::shared_ptr<SdkObject> object);

    // The object behind a handle, or null when the handle is unknown or of another kind.
    template <class T> std::shared_ptr<T> Get(PGPHandle handle, ObjectKind kind) const
    {
        return std::static_pointer_cast<T>(Find(handle, kind));
    }

    // Removes the handle and returns the object (null when it was not there with that kind).
    std::shared_ptr<SdkObject> Take(PGPHandle handle, ObjectKind kind);

    bool Contains(PGPHandle handle, ObjectKind kind) const { return Find(handle, kind) != nullptr; }
    // Every live object of a kind, in no particular order.
    template <class T> std::vector<std::shared_ptr<T>> All(ObjectKind kind) const
    {
        std::vector<std::shared_ptr<T>> objects;
        for (auto& object : FindAll(kind))
            objects.push_back(std::static_pointer_cast<T>(std::move(object)));
        return objects;
    }
    std::size_t LiveCount() const;

private:
    struct Entry {
        ObjectKind kind;
        std::shared_ptr<SdkObject> object;
    };
    std::shared_ptr<SdkObject> Find(PGPHandle handle, ObjectKind kind) const;
    std::vector<std::shared_ptr<SdkObject>> FindAll(ObjectKind kind) const;

    mutable std::mutex lock_;
    std::unordered_map<PGPHandle, Entry> entries_;
    PGPHandle next_ = 1;
};

// The process's table, shared by all five stand-in libraries through the core.
HandleTable& Handles();

} // namespace standin
