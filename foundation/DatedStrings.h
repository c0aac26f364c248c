// String lists whose every line carries a date-time, optionally kept in date order as lines are
// added (mail folders sorted by message date). `TDatedWideStrings` holds UTF-16 lines in byte
// strings, each with its two-byte terminator. Portable: built in both builds.
#pragma once

#include "foundation/TimeUtils.h"
#include "framework/StringLists.h"

#include <cstdint>
#include <string>
#include <vector>

// Sort states of a dated list.
enum TDateSortState : int32_t {
    dsUnsorted = 0,
    dsAscending = 1,
    dsDescending = 2,
};

class TDatedStrings : public TStrings {
public:
    TDatedStrings() = default;
    ~TDatedStrings() override;

    std::string Get(int index) const override;
    int GetCount() const override;
    // Replaces the text and keeps the date and the sort state.
    void Put(int index, const std::string& text) override;
    void SetCapacity(int capacity) override;
    // Appends with date 0; the list becomes unsorted.
    int Add(const std::string& text) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int index1, int index2) override; // the list becomes unsorted
    void Insert(int index, const std::string& text) override; // date 0; the list becomes unsorted
    void Move(int currentIndex, int newIndex) override; // keeps the date; the list becomes unsorted

    virtual TDateTime GetDate(int index) const;
    // Does not change the sort state, even when the new date breaks the order.
    virtual void SetDate(int index, TDateTime date);
    // In a sorted list the line goes before the lines of the same date; unsorted it is appended.
    virtual int AddDated(const std::string& text, TDateTime date);
    virtual void SortByDate(bool descending);
    // Sorted: the first position whose date is not earlier (ascending) or not later (descending).
    // Unsorted: the first line with exactly that date, -1 when there is none.
    virtual bool FindDate(TDateTime date, int& index) const;
    virtual void InsertDated(int index, const std::string& text, TDateTime date); // becomes unsorted

    int32_t SortState() const noexcept { return sortState_; }
    // A state other than the current one sorts the list (descending for dsDescending).
    void SetSortState(int32_t state);
    int Capacity() const noexcept { return capacity_; }

private:
    struct TDatedItem {
        std::string Text;
        TDateTime Date = 0;
    };

    void CheckIndex(int index) const;
    void InsertItem(int index, std::string text, TDateTime date);
    void Grow();
    void QuickSort(int low, int high, bool descending);

    std::vector<TDatedItem> items_;
    int capacity_ = 0;
    int32_t sortState_ = dsUnsorted;
};

class TDatedWideStrings : public TDatedStrings {
public:
    // The lines without their terminators, each followed by UTF-16 CR LF, and one terminator.
    std::string GetTextStr() const override;
    // One line per CR, LF or CR LF (or the terminator) of the UTF-16 text, each with a terminator.
    void SetTextStr(const std::string& text) override;
    // The first line whose UTF-16 units before its first '=' equal the name's, ASCII letters
    // compared without case; -1 for an empty name or when none matches.
    int IndexOfName(const std::string& name) const override;
};
