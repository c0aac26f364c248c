// English texts of the stand-in SDK's status codes.
#pragma once

#include "engine/sdk/PGPsdkTypes.h"

#include <string>

namespace standin {

// The text of a status; an unknown code gets a generic text naming the number.
std::string StatusText(PGPError status);

} // namespace standin
