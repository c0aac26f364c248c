// Test switches of the stand-in SDK, read from the environment variable PGPSTANDIN_FAULTS (a list
// of words). Off unless a test sets them; the engine never does.
#pragma once

namespace standin {

// True when the fault word (e.g. "version") is in PGPSTANDIN_FAULTS.
bool FaultRequested(const char* word);

// The key-store service fault ("service"): the first key-database open after each init fails with
// kPGPError_ServiceUnreachable, as when the SDK service has gone away, until the SDK is initialised
// again.
bool ServiceFaultPending();
void ArmServiceFault();

} // namespace standin
