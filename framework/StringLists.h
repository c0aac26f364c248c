// `TStrings`, the abstract list of byte-string lines with an object per line, and `TStringList`,
// its ordinary implementation with sorting, duplicate rules and case rules.
//
// Objects: each line carries one `void*`. It holds either a pointer the caller owns (the list never
// frees it) or a small integer stored with ObjectFromInt and read back with IntFromObject.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TStream;

// <windows.h> renames GetObject to GetObjectA; the list's GetObject keeps its own name.
#ifdef GetObject
#undef GetObject
#endif

inline void* ObjectFromInt(std::intptr_t value) noexcept
{
    return reinterpret_cast<void*>(value);
}
inline std::intptr_t IntFromObject(const void* object) noexcept
{
    return reinterpret_cast<std::intptr_t>(object);
}

class TStrings {
public:
    virtual ~TStrings() = default;

    virtual std::string Get(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual void* GetObject(int index) const;
#ifdef _WIN32
    // For code that includes <windows.h> after this header (the macro turns GetObject into this).
    void* GetObjectA(int index) const
    {
        return GetObject(index);
    }
#endif
    // Replaces the line's text and keeps its object.
    virtual void Put(int index, const std::string& text);
    virtual void PutObject(int index, void* object);
    virtual void SetCapacity(int capacity);

    virtual int Add(const std::string& text);
    virtual int AddObject(const std::string& text, void* object);
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Exchange(int index1, int index2);
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void InsertObject(int index, const std::string& text, void* object);
    virtual void Move(int currentIndex, int newIndex);
    virtual int IndexOf(const std::string& text) const;
    virtual int IndexOfName(const std::string& name) const;
    int IndexOfObject(const void* object) const;

    int Count() const
    {
        return GetCount();
    }
    std::string Strings(int index) const
    {
        return Get(index);
    }
    std::string operator[](int index) const
    {
        return Get(index);
    }
    void* Objects(int index) const
    {
        return GetObject(index);
    }

    // "name=value" lines. A line without '=' has no name. Names compare by the list's case rule.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    std::string Values(const std::string& name) const;
    // Sets the value of the first line with that name; an empty value removes the line.
    void SetValue(const std::string& name, const std::string& value);

    // Every line followed by CR LF. Setting splits at CR, LF or CR LF; a final break adds no line.
    virtual std::string GetTextStr() const;
    virtual void SetTextStr(const std::string& text);
    std::string Text() const
    {
        return GetTextStr();
    }
    void SetText(const std::string& text)
    {
        SetTextStr(text);
    }

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept
    {
        return updateCount_;
    }

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    virtual void LoadFromFile(const std::string& fileName); // raises EFOpenError
    virtual void SaveToFile(const std::string& fileName) const; // raises EFCreateError

    void AddStrings(const TStrings& source);
    // Replaces the lines and objects with those of source.
    virtual void Assign(const TStrings& source);

    // The compare used by IndexOf, IndexOfName and sorting: <0, 0, >0.
    virtual int CompareStrings(const std::string& a, const std::string& b) const;

protected:
    TStrings() = default;
    TStrings(const TStrings&) = default;
    TStrings& operator=(const TStrings&) = default;

    // Called when the update count moves between 0 and 1 (true = updates begin).
    virtual void SetUpdateState(bool updating);

private:
    int updateCount_ = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Case rule: by default names and lines compare without regard to case, folding only the ASCII
// letters A-Z/a-z (no locale), so results do not depend on the user's language settings.
class TStringList : public TStrings {
public:
    using CompareFunction = std::function<int(const TStringList& list, int index1, int index2)>;

    TStringList() = default;
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);

    std::string Get(int index) const override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    void* GetObject(int index) const override;
    void Put(int index, const std::string& text) override;
    void PutObject(int index, void* object) override;
    void SetCapacity(int capacity) override;

    int Add(const std::string& text) override;
    int AddObject(const std::string& text, void* object) override;
    void Clear() override;
    void Delete(int index) override;
    void Exchange(int index1, int index2) override;
    void Insert(int index, const std::string& text) override;
    void InsertObject(int index, const std::string& text, void* object) override;
    int IndexOf(const std::string& text) const override;
    int CompareStrings(const std::string& a, const std::string& b) const override;

    // Binary search of a sorted list: true and the first match's index, or false and the insert index.
    bool Find(const std::string& text, int& index) const;
    void Sort();
    // Stable sort by compare; a Sorted list keeps its own order and ignores it.
    void CustomSort(const CompareFunction& compare);

    bool Sorted() const noexcept { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const noexcept { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) noexcept { duplicates_ = duplicates; }
    bool CaseSensitive() const noexcept { return caseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);

    // Fired around every change while no update is open (and once by the final EndUpdate).
    std::function<void(TStringList&)> OnChanging;
    std::function<void(TStringList&)> OnChange;

protected:
    void SetUpdateState(bool updating) override;

private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };

    int Checked(int index) const;
    void Changing();
    void Changed();
    void InsertItem(int index, const std::string& text, void* object);
    void SortBy(const CompareFunction& compare);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

// The items of a comma text: blanks and commas separate them, double quotes group (a doubled quote
// inside stands for one), and text right after a closing quote belongs to the same item.
std::vector<std::string> SplitCommaText(const std::string& text);
