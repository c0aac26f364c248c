// A key of the dialog tests as the key ring lists it: 2048 bits and one user id.
#pragma once

#include "engine/KeyFuncsTypes.h"

#include <cstdint>
#include <string>

// The record of the key with the full id (the short key id is its last eight digits).
inline TKeyPropsRec TestKeyRecord(const std::string& id, const std::string& user, int32_t algorithm, int32_t certState)
{
    TKeyPropsRec record;
    record.KeyID = "0x" + id.substr(10);
    record.UserID = user;
    record.Algorithm = algorithm;
    record.KeySize = "2048";
    record.CertState = certState;
    record.UserIDs.emplace();
    record.UserIDs->Add(user);
    return record;
}
