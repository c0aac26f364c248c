// The recipient list's key source over the process's key store (the engine's key queries).
#include "plugin/RecipientsData.h"

#include "engine/KeyFuncs.h"

namespace {
constexpr uint32_t kRecipientKeySelection
    = kKeyPropKeyID | kKeyPropUserID | kKeyPropUserIDs | kKeyPropCanEncrypt;
}

const TKeyPropsList* TKeyRingKeySource::LoadAllKeys()
{
    list_.reset();
    if (FindKeys(std::string(), list_, kRecipientKeySelection, 0, 0) < 0 || !list_) {
        list_.reset();
        return nullptr;
    }
    return list_.get();
}

// Picked from all keys by their can-encrypt property rather than by an SDK filter, which the
// stand-in SDK's key database does not survive.
const TKeyPropsList* TKeyRingKeySource::LoadEncryptionKeys()
{
    if (!LoadAllKeys())
        return nullptr;
    auto encryption = std::make_unique<TKeyPropsList>(kRecipientKeySelection);
    for (int i = 0; i < list_->Count(); ++i)
        if (list_->Record(i).CanEncrypt)
            encryption->AddObject(list_->Get(i), &list_->Record(i));
    list_ = std::move(encryption);
    return list_.get();
}

void TKeyRingKeySource::ClearKeyList()
{
    list_.reset();
}
