// Fuzz target: the user-id parsers on arbitrary bytes (user ids come from foreign keys).
#include "foundation/UserIDs.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string userID(reinterpret_cast<const char*>(data), size);
    const std::string email = ExtractEmailAddress(userID);
    const std::string name = ExtractUserName(userID);
    if (email.size() > userID.size() || name.size() > userID.size())
        __builtin_trap();
    IsEmailAddress(email);
    return 0;
}
