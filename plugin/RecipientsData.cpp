// The user's recipient key list file with its migration, and the recipients of the message being
// sent with their keys, counts and combined flags.
#include "plugin/RecipientsData.h"

#include "engine/AutoListFile.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kCurrentUpdate = 4960;
constexpr int64_t kBytesPerEntryLine = 69;

// Clears the key source's list when the migration leaves, whichever way.
class TKeyListClearer {
public:
    explicit TKeyListClearer(IAutoListKeySource& keys)
        : keys_(keys)
    {
    }
    TKeyListClearer(const TKeyListClearer&) = delete;
    TKeyListClearer& operator=(const TKeyListClearer&) = delete;
    ~TKeyListClearer() { keys_.ClearKeyList(); }

private:
    IAutoListKeySource& keys_;
};

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The full key id of the key whose short id (first 10 characters of its id text) is `keyID`.
std::string RepairedKeyID(
    const std::vector<std::string>& shortIDs, const TKeyPropsList& keys, const std::string& keyID)
{
    if (keyID.size() != 10)
        return keyID;
    const std::string wanted = LowerAscii(keyID);
    for (size_t i = 0; i < shortIDs.size() && static_cast<int>(i) < keys.Count(); ++i)
        if (shortIDs[i] == wanted)
            return keys.Get(static_cast<int>(i));
    return keyID;
}

std::vector<std::string> SplitAtTabs(const std::string& text)
{
    std::vector<std::string> items;
    size_t at = 0;
    for (;;) {
        const size_t tab = text.find('\t', at);
        const std::string item = text.substr(at, tab == std::string::npos ? std::string::npos : tab - at);
        if (!item.empty())
            items.push_back(item);
        if (tab == std::string::npos)
            return items;
        at = tab + 1;
    }
}

} // namespace

TChooserAnswer ChooserAnswerFromModalResult(int modalResult)
{
    return modalResult == 1 || modalResult == 6 ? TChooserAnswer::Ok : TChooserAnswer::Cancelled;
}

TChooserAnswer TRememberingChooser::Choose(
    const TAutoList& candidates, const std::string& recipient, int chooseMode, int& chosen)
{
    for (const auto& [who, keyID] : chosen_) {
        if (CompareRecipients(who, recipient) != 0)
            continue;
        for (int i = 0; i < candidates.GetCount(); ++i)
            if (LowerAscii(candidates.GetKeyId(i)) == LowerAscii(keyID)) {
                chosen = i;
                return TChooserAnswer::Ok;
            }
    }
    const TChooserAnswer answer = inner_->Choose(candidates, recipient, chooseMode, chosen);
    if (answer == TChooserAnswer::Ok && chosen >= 0 && chosen < candidates.GetCount())
        chosen_.emplace_back(recipient, candidates.GetKeyId(chosen));
    return answer;
}

// ---- TALInterface --------------------------------------------------------------------------------

TALInterface::TALInterface(const std::string& fileName)
{
    if (fileName.empty() || EnsureListFile(fileName) == TListFileOpen::Unavailable)
        return;
    SetFileName(fileName);
    const int64_t size = ListFileSize(fileName);
    if (size > 0)
        SetCapacity(static_cast<int>(std::min<int64_t>(size / kBytesPerEntryLine, 1 << 20)));
    SetSortOrder(soKeyID);
    if (!LoadFile())
        SetFileName(std::string());
}

bool TALInterface::MigrateAutoList(IAutoListKeySource& keys)
{
    TKeyListClearer clearer(keys);
    const int update = GetUpdateNumber();
    if (update >= kCurrentUpdate)
        return true;
    if (FileName().empty())
        return false;

    const TKeyPropsList* keyList = nullptr;
    std::vector<std::string> shortIDs;
    if (update < 4850) {
        keyList = keys.LoadAllKeys();
        if (!keyList)
            return false;
        for (int i = 0; i < keyList->Count(); ++i) {
            const TKeyPropsRec& record = keyList->Record(i);
            const std::string idText = record.KeyID.empty() ? keyList->Get(i) : record.KeyID;
            shortIDs.push_back(LowerAscii(idText.substr(0, 10)));
        }
    }
    for (int i = 0; i < GetCount(); ++i) {
        if (update < 4850)
            SetKeyId(i, RepairedKeyID(shortIDs, *keyList, GetKeyId(i)));
        uint32_t flags = GetFlags(i);
        if (update < 4550 && flags == 0)
            flags = DefaultFlags();
        if (flags & kALPgpMime)
            flags = (flags & ~kALPgpMime) | kALDisabled;
        SetFlags(i, flags);
    }
    SetUpdateNumber(kCurrentUpdate);
    return SaveFile();
}

// ---- TRecipientsData -----------------------------------------------------------------------------

TRecipientsData::TRecipientsData()
{
    SetUnsorted(true);
}

void TRecipientsData::Clear()
{
    SetDefaultFlagsValue(0);
    RecipientCounts = {};
    Mixed = false;
    RecipientsWithoutKey = 0;
    TAutoList::Clear();
}

bool TRecipientsData::FindEntry(const TAutoListEntry& entry, int& index)
{
    const std::vector<TAutoListEntry>& entries = Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (LowerAscii(entries[i].KeyID) == LowerAscii(entry.KeyID)
            && RecipientMatches(entries[i], entry.Recipient)) {
            index = static_cast<int>(i);
            return true;
        }
    index = GetCount();
    return false;
}

void TRecipientsData::SetKeyedFlags(uint32_t mode)
{
    for (TAutoListEntry& entry : Entries())
        if (LowerAscii(entry.KeyID) != kNoKeyID)
            entry.Flags = (entry.Flags & (kALPgpMime | kALSMime)) | (mode & 7);
}

// ---- SelectRecipientKeys -------------------------------------------------------------------------

TSelectResult SelectRecipientKeys(IAutoListKeySource& keys, IRecipientChooser& chooser,
    const std::string& recipients, TAutoList& autoList, int chooseMode, TRecipientsData& data)
{
    if (recipients.empty())
        return TSelectResult::Done;
    const TKeyPropsList noKeys(kKeyPropKeyID);
    const TKeyPropsList* keyList = keys.LoadEncryptionKeys();
    if (!keyList)
        keyList = &noKeys;
    autoList.LoadFile();
    const std::unique_ptr<TAutoList> working = autoList.CopyEnabledEntries();
    TAutoList candidates;

    for (const std::string& recipient : SplitAtTabs(recipients)) {
        candidates.Clear();
        working->FindEntriesForRecipient(recipient, *keyList, candidates);
        if (candidates.Count() == 0) {
            TAutoListEntry keyless;
            keyless.Recipient = recipient;
            keyless.KeyID = kNoKeyID;
            if (data.AddItem(keyless) >= 0)
                ++data.RecipientsWithoutKey;
        } else if (candidates.Count() == 1) {
            data.AddItem(candidates.GetItem(0));
        } else {
            int chosen = -1;
            const TChooserAnswer answer = chooser.Choose(candidates, recipient, chooseMode, chosen);
            if (answer != TChooserAnswer::Ok || chosen < 0 || chosen >= candidates.Count()) {
                data.Clear();
                return answer == TChooserAnswer::Unavailable ? TSelectResult::ChooserUnavailable
                                                             : TSelectResult::Cancelled;
            }
            data.AddItem(candidates.GetItem(chosen));
        }

        const int count = data.Count();
        if (count == 0)
            continue;
        const uint32_t flags = data.GetFlags(count - 1);
        if (!data.Mixed && count > 1 && (flags & kALEncrypt) != (data.CombinedFlags() & kALEncrypt))
            data.Mixed = true;
        if (data.RecipientCounts[rkTo] >= count)
            data.CombineFlags(flags);
    }
    return TSelectResult::Done;
}
