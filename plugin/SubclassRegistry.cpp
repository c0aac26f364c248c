// The table of subclassed mail-client windows.
#include "plugin/SubclassRegistry.h"

#include <algorithm>

namespace {
// One subclass id for all of ours; the procedure tells the entries apart.
constexpr UINT_PTR SUBCLASS_ID = 0x5A564B;
} // namespace

bool TSubclassRegistry::Subclass(HWND window, SUBCLASSPROC proc, DWORD_PTR data)
{
    if (!IsWindow(window))
        return false;
    if (IsSubclassed(window, proc))
        return true;
    entries_.reserve(entries_.size() + 1);
    if (!SetWindowSubclass(window, proc, SUBCLASS_ID, data))
        return false;
    entries_.push_back({ window, proc });
    return true;
}

bool TSubclassRegistry::IsSubclassed(HWND window, SUBCLASSPROC proc) const
{
    return std::any_of(entries_.begin(), entries_.end(),
        [&](const TEntry& e) { return e.Window == window && e.Proc == proc; });
}

void TSubclassRegistry::Restore(HWND window, SUBCLASSPROC proc)
{
    auto it = std::find_if(entries_.begin(), entries_.end(),
        [&](const TEntry& e) { return e.Window == window && e.Proc == proc; });
    if (it == entries_.end())
        return;
    if (IsWindow(window))
        RemoveWindowSubclass(window, proc, SUBCLASS_ID);
    entries_.erase(it);
}

void TSubclassRegistry::Restore(HWND window)
{
    for (std::size_t i = entries_.size(); i-- > 0;) {
        if (entries_[i].Window == window)
            Restore(window, entries_[i].Proc);
    }
}

std::vector<HWND> TSubclassRegistry::WindowsWith(SUBCLASSPROC proc) const
{
    std::vector<HWND> windows;
    for (const TEntry& e : entries_) {
        if (e.Proc == proc)
            windows.push_back(e.Window);
    }
    return windows;
}

void TSubclassRegistry::RestoreAll()
{
    while (!entries_.empty())
        Restore(entries_.back().Window, entries_.back().Proc);
}
