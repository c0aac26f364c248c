// The records the PGP interface shares with the engine units behind it: the decoder's result
// kinds and signature properties come from the decoder itself.
#pragma once

#include "engine/PGPDecode.h"
