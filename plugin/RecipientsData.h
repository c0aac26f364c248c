// The user's recipient key list bound to AutoList.txt (`TALInterface`, with the migration of
// lists written by older versions) and the recipient choices of the message being sent
// (`TRecipientsData`, filled by `SelectRecipientKeys`). Portable; keys and the choice dialog come
// in through the two interfaces below.
#pragma once

#include "engine/AutoListHandler.h"

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The PGP interface's key list as the recipient list uses it.
class IAutoListKeySource {
public:
    virtual ~IAutoListKeySource() = default;
    // Every key, in key-list order; null when the keys cannot be read.
    virtual const TKeyPropsList* LoadAllKeys() = 0;
    // The keys that can encrypt; null when the keys cannot be read.
    virtual const TKeyPropsList* LoadEncryptionKeys() = 0;
    virtual void ClearKeyList() = 0;
};

enum class TChooserAnswer { Ok, Cancelled, Unavailable };

// Lets the user pick one of several candidate entries for a recipient (the recipient list dialog).
class IRecipientChooser {
public:
    virtual ~IRecipientChooser() = default;
    // Ok sets `chosen` to the index of the picked entry in `candidates`.
    virtual TChooserAnswer Choose(
        const TAutoList& candidates, const std::string& recipient, int chooseMode, int& chosen)
        = 0;
};

// The dialog's modal result: Enter and double click give 1, its OK button 6; both accept.
TChooserAnswer ChooserAnswerFromModalResult(int modalResult);

// Stands in while no recipient list dialog exists: a choice between keys is never made silently.
class TNoRecipientChooser : public IRecipientChooser {
public:
    TChooserAnswer Choose(const TAutoList&, const std::string&, int, int&) override
    {
        return TChooserAnswer::Unavailable;
    }
};

// Answers a recipient asked about before with the key chosen then, so that the second resolution
// of one send does not ask the user again; anything new goes to the inner chooser.
class TRememberingChooser : public IRecipientChooser {
public:
    explicit TRememberingChooser(IRecipientChooser& inner)
        : inner_(&inner)
    {
    }
    void SetInner(IRecipientChooser& inner) { inner_ = &inner; }
    // A new send asks afresh.
    void Forget() { chosen_.clear(); }
    TChooserAnswer Choose(
        const TAutoList& candidates, const std::string& recipient, int chooseMode, int& chosen) override;

private:
    IRecipientChooser* inner_;
    std::vector<std::pair<std::string, std::string>> chosen_; // recipient, key id
};

class TALInterface : public TAutoList {
public:
    // Binds the list to the file, creating it empty when missing (an existing file is never
    // truncated), and loads it. A file that can be neither opened nor created, or not read,
    // leaves an empty list without file, so that nothing is ever written over it.
    explicit TALInterface(const std::string& fileName);

    // Brings a list written by an older version up to update 4.9.6.0 and saves it. True when the
    // file is current afterwards. The key list is cleared on every path.
    bool MigrateAutoList(IAutoListKeySource& keys);
};

enum TRecipientKind { rkTo = 0, rkCc = 1, rkBcc = 2 };

// Keeps the order in which recipients were added; a pair already present is refused.
class TRecipientsData : public TAutoList {
public:
    TRecipientsData();

    void Clear() override;
    bool FindEntry(const TAutoListEntry& entry, int& index) override;
    // Keyed entries take the low three bits of `mode` and keep their PGP/MIME and S/MIME bits.
    void SetKeyedFlags(uint32_t mode);

    // The OR of the flags of the To recipients.
    uint32_t CombinedFlags() const { return DefaultFlags(); }
    void CombineFlags(uint32_t flags) { SetDefaultFlagsValue(DefaultFlags() | flags); }

    bool Mixed = false; // the recipients' encrypt bits differ
    int RecipientsWithoutKey = 0;
    std::array<int, 3> RecipientCounts {}; // by TRecipientKind, filled by the recipient collection
};

enum class TSelectResult { Done, Cancelled, ChooserUnavailable };

// Fills `data` from TAB-separated recipients through the enabled entries of `autoList`. A
// recipient with several candidates goes to `chooser`; any answer but Ok clears `data`.
TSelectResult SelectRecipientKeys(IAutoListKeySource& keys, IRecipientChooser& chooser,
    const std::string& recipients, TAutoList& autoList, int chooseMode, TRecipientsData& data);

#ifdef _WIN32
// The key source over the process's key store.
class TKeyRingKeySource : public IAutoListKeySource {
public:
    const TKeyPropsList* LoadAllKeys() override;
    const TKeyPropsList* LoadEncryptionKeys() override;
    void ClearKeyList() override;

private:
    const TKeyPropsList* LoadKeys(uint32_t filter);

    std::unique_ptr<TKeyPropsList> list_;
};
#endif
