// The support library's secure viewer (see SecureViewer.cpp).
#pragma once

#include "standins/pgpsdk/StandInExports.h"

#include <windows.h>

#include <cstdint>

namespace standin {

// Shows the text (8-bit, or UTF-16 with `wide`; it ends at its first zero or after `byteLength`
// bytes) until the person closes the viewer.
PGPError ShowSecureText(HWND owner, const void* text, uint32_t byteLength, bool wide);

} // namespace standin
