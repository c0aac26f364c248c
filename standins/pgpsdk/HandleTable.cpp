// Handle bookkeeping of the stand-in SDK: one locked map from handle to typed object.
#include "standins/pgpsdk/HandleTable.h"

namespace standin {

PGPHandle HandleTable::Add(ObjectKind kind, std::shared_ptr<SdkObject> object)
{
    std::lock_guard guard(lock_);
    PGPHandle handle = next_++;
    while (handle == 0 || handle == kPGPEndOfOptions || entries_.count(handle))
        handle = next_++;
    entries_.emplace(handle, Entry { kind, std::move(object) });
    return handle;
}

std::shared_ptr<SdkObject> HandleTable::Take(PGPHandle handle, ObjectKind kind)
{
    std::lock_guard guard(lock_);
    auto it = entries_.find(handle);
    if (it == entries_.end() || it->second.kind != kind)
        return nullptr;
    auto object = std::move(it->second.object);
    entries_.erase(it);
    return object;
}

std::size_t HandleTable::LiveCount() const
{
    std::lock_guard guard(lock_);
    return entries_.size();
}

std::shared_ptr<SdkObject> HandleTable::Find(PGPHandle handle, ObjectKind kind) const
{
    std::lock_guard guard(lock_);
    auto it = entries_.find(handle);
    if (it == entries_.end() || it->second.kind != kind)
        return nullptr;
    return it->second.object;
}

std::vector<std::shared_ptr<SdkObject>> HandleTable::FindAll(ObjectKind kind) const
{
    std::lock_guard guard(lock_);
    std::vector<std::shared_ptr<SdkObject>> objects;
    for (const auto& [handle, entry] : entries_)
        if (entry.kind == kind)
            objects.push_back(entry.object);
    return objects;
}

HandleTable& Handles()
{
    static HandleTable table;
    return table;
}

} // namespace standin
