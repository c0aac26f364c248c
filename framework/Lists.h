// `TList`: an ordered list of untyped pointers (window handles, records owned elsewhere).
// The list never owns what its items point to. Indexes are 0-based; a bad index raises EListError.
#pragma once

#include "framework/Exceptions.h"

#include <utility>
#include <vector>

class TList {
public:
    int Count() const noexcept { return static_cast<int>(items_.size()); }

    void* Items(int index) const { return items_[Checked(index)]; }
    void* operator[](int index) const { return Items(index); }
    void Put(int index, void* item) { items_[Checked(index)] = item; }

    int Add(void* item)
    {
        items_.push_back(item);
        return Count() - 1;
    }

    void Insert(int index, void* item)
    {
        if (index < 0 || index > Count())
            throw EListError(index);
        items_.insert(items_.begin() + index, item);
    }

    void Delete(int index) { items_.erase(items_.begin() + Checked(index)); }

    // Removes the first occurrence; returns its former index or -1.
    int Remove(void* item)
    {
        const int index = IndexOf(item);
        if (index >= 0)
            Delete(index);
        return index;
    }

    int IndexOf(const void* item) const noexcept
    {
        for (int i = 0; i < Count(); ++i)
            if (items_[i] == item)
                return i;
        return -1;
    }

    void Clear() noexcept { items_.clear(); }

    void Exchange(int index1, int index2) { std::swap(items_[Checked(index1)], items_[Checked(index2)]); }

    void Move(int currentIndex, int newIndex)
    {
        if (currentIndex == newIndex) {
            Checked(currentIndex);
            return;
        }
        void* item = Items(currentIndex);
        Checked(newIndex);
        items_.erase(items_.begin() + currentIndex);
        items_.insert(items_.begin() + newIndex, item);
    }

private:
    int Checked(int index) const
    {
        if (index < 0 || index >= Count())
            throw EListError(index);
        return index;
    }

    std::vector<void*> items_;
};
