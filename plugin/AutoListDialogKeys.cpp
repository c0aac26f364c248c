// The recipient list dialog's keys over the PGP interface's working key list.
#include "plugin/AutoListDialogKeys.h"

#include "engine/KeyFuncs.h"

namespace {
// What the status of a key needs: its id and the states that make it unusable.
constexpr uint32_t kStatusSelection = kKeyPropKeyID | kKeyPropCorrupt | kKeyPropRevoked | kKeyPropDisabled
    | kKeyPropExpired;
}

TPGPAutoListKeys::TPGPAutoListKeys(TPGPInterface& pgp, const TZAVEKStrings& texts)
    : pgp_(pgp)
    , texts_(texts)
{
}

const TKeyPropsList& TPGPAutoListKeys::LoadKeys()
{
    // A failed lookup leaves the list empty: the dialog then shows every key as not found.
    pgp_.ListEncryptionKeyDetails();
    return pgp_.KeyList();
}

std::string TPGPAutoListKeys::Description(int index)
{
    const TKeyPropsList& keys = pgp_.KeyList();
    if (index < 0 || index >= keys.Count())
        return {};
    try {
        return KeyDescriptionText(keys.Get(index), keys.Record(index), false, "", texts_);
    } catch (...) {
        return {};
    }
}

std::string TPGPAutoListKeys::StatusText(const std::string& keyID)
{
    // A list of its own: the dialog's key list stays as it is while it shows.
    std::unique_ptr<TKeyPropsList> found;
    int count = 0;
    try {
        count = FindKeys(keyID, found, kStatusSelection, 0, 0);
    } catch (...) {
        count = 0;
    }
    if (count < 0 || !found)
        count = 0;
    return KeyStatusLine(count, count == 1 ? &found->Record(0) : nullptr, texts_);
}

void TPGPAutoListKeys::Clear()
{
    pgp_.ClearKeyList();
}
