// Test switches of the stand-in SDK, read from the environment variable PGPSTANDIN_FAULTS (a list
// of words). Off unless a test sets them; the engine never does.
#pragma once

namespace standin {

// True when the fault word (e.g. "version") is in PGPSTANDIN_FAULTS.
bool FaultRequested(const char* word);

} // namespace standin
