// The key-server lookup of a signer whose key the rings lack: the configured servers are searched
// for its key id, and what they have is offered for import into the rings, so that the decoding
// can check the signature once more.
#include "engine/PGPDecode.h"

#include "engine/KeyFuncs.h"
#include "engine/PGPDecodeJob.h"
#include "engine/PGPDialogs.h"

bool TPGPDecode::LookUpSigner(TJob& job)
{
    if (!KeyServerPrefs || SigProps.KeyIDText.empty())
        return false;
    PGPKeySetRef found = 0;
    const HWND window = static_cast<HWND>(Parent);
    if (SearchKeyServerToSet(job.context, *KeyServerPrefs, SigProps.KeyIDText, window, &found, 0) != kPGPError_NoErr
        || !found)
        return false;
    ImportStatus = AddSelectedKeys(job.context, job.keySet, found, window, ImportPrompt, kKeyPropKeyID | kKeyPropUserID,
        ImportedKeyList);
    FreeImportedKeys(found);
    ImportedKeys = ImportStatus == kPGPError_NoErr && ImportedKeyList ? ImportedKeyList->Count() : 0;
    return ImportedKeys > 0;
}
