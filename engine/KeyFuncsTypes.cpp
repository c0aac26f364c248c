// The key and certificate lists: each line owns its record, so every list operation that adds,
// removes or moves a line must keep exactly one record per line.
#include "engine/KeyFuncsTypes.h"

#include <memory>

namespace {

void ApplySubListWishes(TKeyPropsRec& record, uint32_t selection)
{
    auto want = [](auto& subList, bool wanted) {
        if (!wanted) {
            subList.reset();
        } else if (!subList) {
            subList.emplace();
            subList->BeginUpdate();
        }
    };
    want(record.UserIDs, (selection & (kKeyPropUserIDs | kKeyPropSignatures)) != 0);
    want(record.Signatures, (selection & kKeyPropSignatures) != 0);
    want(record.ADKs, (selection & kKeyPropADKs) != 0);
    want(record.Revokers, (selection & kKeyPropRevokers) != 0);
}

// Moves a line by neighbour swaps: the records travel with their lines and nothing is freed.
void MoveByExchange(TStringList& list, int currentIndex, int newIndex)
{
    if (currentIndex == newIndex)
        return;
    list.Objects(currentIndex); // range check of both ends before anything changes
    list.Objects(newIndex);
    const int step = newIndex > currentIndex ? 1 : -1;
    for (int i = currentIndex; i != newIndex; i += step)
        list.Exchange(i, i + step);
}

} // namespace

// ---- TUserIDs ------------------------------------------------------------------------------------

TUserIDs::TUserIDs()
{
    BeginUpdate();
}

std::string TUserIDs::Get(int index) const
{
    const std::string text = TStringList::Get(index);
    const uint8_t kind = Kind(index);
    const size_t tab = text.find('\t');
    if ((kind == kCertValid || kind == kCertSelfSigned) && tab != std::string::npos)
        return DNToUserID(text.substr(tab + 1));
    return text;
}

std::string TUserIDs::GetCertUserID(int index) const
{
    const std::string text = TStringList::Get(index);
    return text.substr(0, text.find('\t'));
}

std::string TUserIDs::GetCertSubject(int index) const
{
    const std::string text = TStringList::Get(index);
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

uint8_t TUserIDs::EntryByte(int index, int byte) const
{
    const auto value = static_cast<uint32_t>(IntFromObject(GetObject(index)));
    return static_cast<uint8_t>(value >> (8 * byte));
}

void TUserIDs::SetEntryByte(int index, int byte, uint8_t value)
{
    auto entry = static_cast<uint32_t>(IntFromObject(GetObject(index)));
    entry = (entry & ~(0xFFu << (8 * byte))) | (static_cast<uint32_t>(value) << (8 * byte));
    PutObject(index, ObjectFromInt(static_cast<std::intptr_t>(entry)));
}

// ---- TKeyPropsList -------------------------------------------------------------------------------

TKeyPropsList::TKeyPropsList(uint32_t selection)
    : selection_(selection)
{
    SetDuplicates(dupAccept);
    BeginUpdate();
    groups_.BeginUpdate();
}

TKeyPropsList::~TKeyPropsList()
{
    TKeyPropsList::Clear();
}

TKeyPropsRec* TKeyPropsList::NewRecord(const TKeyPropsRec* source) const
{
    auto record = source ? std::make_unique<TKeyPropsRec>(*source) : std::make_unique<TKeyPropsRec>();
    ApplySubListWishes(*record, selection_);
    return record.release();
}

int TKeyPropsList::Add(const std::string& text)
{
    return AddObject(text, nullptr);
}

int TKeyPropsList::AddObject(const std::string& text, void* object)
{
    std::unique_ptr<TKeyPropsRec> record(NewRecord(static_cast<const TKeyPropsRec*>(object)));
    const int countBefore = Count();
    const int index = TStringList::AddObject(text, record.get());
    if (Count() > countBefore) // a sorted list may have ignored a duplicate
        record.release();
    return index;
}

void TKeyPropsList::Insert(int index, const std::string& text)
{
    InsertObject(index, text, nullptr);
}

void TKeyPropsList::InsertObject(int index, const std::string& text, void* object)
{
    std::unique_ptr<TKeyPropsRec> record(NewRecord(static_cast<const TKeyPropsRec*>(object)));
    TStringList::InsertObject(index, text, record.get());
    record.release();
}

void TKeyPropsList::Clear()
{
    for (int i = 0; i < Count(); ++i)
        delete static_cast<TKeyPropsRec*>(GetObject(i));
    TStringList::Clear();
}

void TKeyPropsList::Delete(int index)
{
    auto* record = static_cast<TKeyPropsRec*>(GetObject(index));
    TStringList::Delete(index);
    delete record;
}

void TKeyPropsList::Move(int currentIndex, int newIndex)
{
    MoveByExchange(*this, currentIndex, newIndex);
}

TKeyPropsRec& TKeyPropsList::Record(int index) const
{
    return *static_cast<TKeyPropsRec*>(GetObject(index));
}

void TKeyPropsList::GetRecord(int index, TKeyPropsRec& record) const
{
    record = Record(index);
}

// ---- TX509CertPropsList --------------------------------------------------------------------------

TX509CertPropsList::TX509CertPropsList()
{
    SetDuplicates(dupAccept);
    BeginUpdate();
}

TX509CertPropsList::~TX509CertPropsList()
{
    TX509CertPropsList::Clear();
}

int TX509CertPropsList::Add(const std::string& text)
{
    return AddObject(text, nullptr);
}

int TX509CertPropsList::AddObject(const std::string& text, void* object)
{
    auto source = static_cast<const TX509CertPropsRec*>(object);
    auto record = source ? std::make_unique<TX509CertPropsRec>(*source) : std::make_unique<TX509CertPropsRec>();
    const int countBefore = Count();
    const int index = TStringList::AddObject(text, record.get());
    if (Count() > countBefore)
        record.release();
    return index;
}

void TX509CertPropsList::Insert(int index, const std::string& text)
{
    InsertObject(index, text, nullptr);
}

void TX509CertPropsList::InsertObject(int index, const std::string& text, void* object)
{
    auto source = static_cast<const TX509CertPropsRec*>(object);
    auto record = source ? std::make_unique<TX509CertPropsRec>(*source) : std::make_unique<TX509CertPropsRec>();
    TStringList::InsertObject(index, text, record.get());
    record.release();
}

void TX509CertPropsList::Clear()
{
    for (int i = 0; i < Count(); ++i)
        delete static_cast<TX509CertPropsRec*>(GetObject(i));
    TStringList::Clear();
}

void TX509CertPropsList::Delete(int index)
{
    auto* record = static_cast<TX509CertPropsRec*>(GetObject(index));
    TStringList::Delete(index);
    delete record;
}

void TX509CertPropsList::Move(int currentIndex, int newIndex)
{
    MoveByExchange(*this, currentIndex, newIndex);
}

TX509CertPropsRec& TX509CertPropsList::Record(int index) const
{
    return *static_cast<TX509CertPropsRec*>(GetObject(index));
}

void TX509CertPropsList::GetRecord(int index, TX509CertPropsRec& record) const
{
    record = Record(index);
}
