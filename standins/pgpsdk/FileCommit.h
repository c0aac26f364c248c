// Writing a whole file safely: a temporary file in the same folder, flushed, then moved over the
// original, so a failed write never leaves a half-written key file behind.
#pragma once

#include <string>
#include <string_view>

namespace standin {

bool WriteFileAtomically(const std::string& path, std::string_view data);

} // namespace standin
