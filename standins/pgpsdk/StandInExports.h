// Declarations of the stand-in SDK's exports, generated from the engine's own entry-point lists so
// that a signature that drifts from what the engine binds fails to compile. Names of generation 1
// only are declared too but never defined, so they are not exported.
#pragma once

#include "engine/sdk/PGPsdkEntries.h"

#include <cstdarg>

#if defined(_WIN32)
#define STANDIN_EXPORT __declspec(dllexport)
#else
#define STANDIN_EXPORT __attribute__((visibility("default")))
#endif

#define STANDIN_DECLARE(name, firstGen, lastGen, result, params) \
    extern "C" STANDIN_EXPORT result PGP_CDECL name params;
#define STANDIN_DECLARE_NOTHING(...)

// Private exports the four small libraries use to reach the core's one handle table, and test hooks.
enum StandInLibrary : int32_t { kStandInCore = 0, kStandInNetwork = 1, kStandInUI = 2, kStandInLibraryCount = 3 };
extern "C" {
STANDIN_EXPORT PGPOptionListRef PGP_CDECL StandInNewOption(PGPContextRef context, int32_t kind, int32_t value,
                                                           PGPHandle handle, void* pointer, const char* text);
STANDIN_EXPORT PGPError PGP_CDECL StandInNoteLibraryInit(int32_t library, int32_t delta);
STANDIN_EXPORT int32_t PGP_CDECL StandInInitCount(int32_t library);
STANDIN_EXPORT uint32_t PGP_CDECL StandInLiveHandleCount();
STANDIN_EXPORT PGPBoolean PGP_CDECL StandInIsOptionList(PGPOptionListRef list);
// The SDK generation the core presents (from its version resource), 0 when unknown.
STANDIN_EXPORT int32_t PGP_CDECL StandInGeneration();
}

// What a dialog (or a new key server) was asked for, read out of its option handles by the core.
struct StandInDialogOptions {
    char title[128];
    char prompt[512];
    char** outputPassphrase; // the caller's location for the secure passphrase, or null
    void* parentWindow;
    PGPKeyDBObjRef defaultKey;
    PGPBoolean verifyPassphrase;
    char url[512]; // a key server's
    PGPFilterRef searchFilter; // a key-server search's, still the caller's
};
extern "C" {
// Takes (frees) the `count` option handles and fills `out`; BadParams when one is not an option.
STANDIN_EXPORT PGPError PGP_CDECL StandInTakeDialogOptions(const PGPOptionListRef* options, int32_t count,
                                                           StandInDialogOptions* out);
// The first key with a secret part in a key database or key set; NoSigningSecretKey when none has.
STANDIN_EXPORT PGPError PGP_CDECL StandInFirstSecretKey(PGPHandle dbOrSet, PGPKeyDBObjRef* key);
}
extern "C" {
// The text a key server is asked for under a search filter: the key id of a key-id filter, else
// the text of a user-id filter; empty when the filter names neither.
STANDIN_EXPORT PGPError PGP_CDECL StandInFilterSearchText(PGPFilterRef filter, char* text, PGPSize capacity);
}

// One key-server lookup of the network library: the keys the server holds for a search text.
struct StandInKeyServerQuery {
    const char* search;
    uint32_t timeoutMs; // for the connection and for each wait for data
    volatile long cancelled; // set by the cancel; the lookup then ends at its next wait
    char* reply; // the server's answer, freed with StandInFreeKeyServerReply
    PGPSize replyLength;
};
extern "C" {
// Asks the server (HKP: GET /pks/lookup?op=get) and keeps its answer; the server's own failures
// come back as the key-server statuses.
STANDIN_EXPORT PGPError PGP_CDECL StandInQueryKeyServer(PGPKeyServerRef server, StandInKeyServerQuery* query);
// From another thread: ends a running lookup, which then fails with UserAbort within a tenth of a second.
STANDIN_EXPORT void PGP_CDECL StandInCancelKeyServerQuery(StandInKeyServerQuery* query);
STANDIN_EXPORT void PGP_CDECL StandInFreeKeyServerReply(StandInKeyServerQuery* query);
}
