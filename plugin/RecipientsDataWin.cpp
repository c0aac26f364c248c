// The recipient list's key source over the process's key store (the engine's key queries).
#include "plugin/RecipientsData.h"

#include "engine/KeyFuncs.h"

namespace {
constexpr uint32_t kRecipientKeySelection
    = kKeyPropKeyID | kKeyPropUserID | kKeyPropUserIDs | kKeyPropCanEncrypt;
}

const TKeyPropsList* TKeyRingKeySource::LoadKeys(uint32_t filter)
{
    list_.reset();
    if (FindKeys(std::string(), list_, kRecipientKeySelection, filter, 0) < 0 || !list_) {
        list_.reset();
        return nullptr;
    }
    return list_.get();
}

const TKeyPropsList* TKeyRingKeySource::LoadAllKeys()
{
    return LoadKeys(0);
}

const TKeyPropsList* TKeyRingKeySource::LoadEncryptionKeys()
{
    return LoadKeys(kKeyFilterCanEncrypt);
}

void TKeyRingKeySource::ClearKeyList()
{
    list_.reset();
}
