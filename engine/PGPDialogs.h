// The PGP libraries' own dialogs run inside the mail client: passphrase and key selection dialogs
// owned by and centred over the plug-in's window (a double-click in their key list is OK, Escape is
// Cancel), and key import and export through them. All return an SDK status; -11987 is the user's
// cancel. GUI thread only: the hooks keep their state in globals, so one dialog runs at a time.
#pragma once

#include "engine/KeyFuncs.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/PGPsdkTypes.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPrefsFile;

// ---- Window helpers ------------------------------------------------------------------------------

// A dialog of the PGP libraries: class "#32770" or a class beginning with "PGP", in any case.
bool IsPGPWindow(HWND window);
// Moves `window` (size kept, not redrawn) so that its centre lies over the reference's centre.
void CenterOver(HWND window, HWND reference);
// While installed, PGP windows the calling thread shows are owned by and centred over `window`,
// then over each other in turn.
void InstallDialogHook(HWND window);
void RemoveDialogHook();

// The hook rules of the selection dialogs, open for tests: a double-click on a window of the key
// list's class presses OK of the active window, Escape (not while a menu is open) presses Cancel;
// a button is pressed only when it is enabled. True when a button press was posted.
bool PressDialogButton(HWND dialog, int id);
bool SelectionDoubleClick(HWND target, const char* listClass, HWND active);
bool SelectionEscape(WPARAM key, LPARAM flags, bool menuOpen, HWND active);

// ---- Selection dialogs ---------------------------------------------------------------------------

// The client library's key selection over `chooseFrom`; without a prompt no dialog is shown and
// `defaultSet` is handed back.
PGPError SelectKeysDialog(PGPContextRef context, HWND window, const std::string& prompt, PGPKeySetRef* keySet,
                          bool single, PGPKeySetRef chooseFrom, PGPKeySetRef defaultSet);
// The client library's certificate selection over the certificates of `chooseFrom`; no dialog and
// no certificate without a prompt.
PGPError SelectX509CertDialog(PGPContextRef context, HWND window, const std::string& prompt, PGPKeySetRef chooseFrom,
                              uint32_t flags, PGPKeyDBObjRef* certificate);
// The certificate dialog when the SDK has one (generation 4 on) and the caller wants certificates
// only and a certificate back; else the key dialog (one key).
PGPError SelectKeysOrCert(PGPContextRef context, HWND window, const std::string& prompt, PGPKeySetRef chooseFrom,
                          bool certificatesOnly, bool pickCertificate, PGPKeySetRef* keySet,
                          PGPKeyDBObjRef* certificate);
// The keys of the ring that pass `filter` (and match `matching` when given), offered in the
// selection dialog; the chosen ones listed.
PGPError SelectKeysFromRing(HWND window, std::unique_ptr<TKeyPropsList>& list, bool single, const std::string& prompt,
                            uint32_t filter, uint32_t selection, const std::string& matching = std::string());

// ---- Passphrase dialogs --------------------------------------------------------------------------

PGPError AskPassphrase(PGPContextRef context, HWND window, const std::string& title, const std::string& prompt,
                       TSecureBytes& passphrase);
PGPError AskConventionalEncryptPassphrase(PGPContextRef context, HWND window, const std::string& prompt,
                                          TSecureBytes& passphrase);
PGPError AskConventionalDecryptPassphrase(PGPContextRef context, HWND window, const std::string& prompt,
                                          TSecureBytes& passphrase);
// `key` is the key the dialog offers first (the one of `keyIDText` when found) and the one chosen.
PGPError AskSigningPassphrase(PGPContextRef context, PGPKeySetRef keySet, HWND window, const std::string& title,
                              const std::string& prompt, const std::string& keyIDText, bool findMatchingKey,
                              PGPKeyDBObjRef& key, TSecureBytes& passphrase);
PGPError AskDecryptionPassphrase(PGPContextRef context, PGPKeySetRef recipients, uint32_t keyIDCount,
                                 const PGPKeyID* keyIDs, HWND window, const std::string& title,
                                 const std::string& prompt, bool findMatchingKey, PGPKeyDBObjRef& key,
                                 TSecureBytes& passphrase);
// The passphrase dialog in a context of its own; the callback gets the passphrase and `value`.
using TPassphraseCallback = std::function<void(const char* passphrase, void* value)>;
constexpr PGPError kNoPassphraseCallback = -12000;
PGPError AskPassphraseStandalone(HWND window, const std::string& title, const std::string& prompt,
                                 const TPassphraseCallback& callback, void* value);

// ---- Import and export ---------------------------------------------------------------------------

// `keySet` == kImportedSetWanted: the imported keys come back in `keySet` (free them with
// FreeImportedKeys) and are listed. Otherwise they are offered in the selection dialog (all are
// taken without a prompt), the chosen ones go into the key ring and are listed with `selection`.
inline const PGPKeySetRef kImportedSetWanted = static_cast<PGPKeySetRef>(-1);
PGPError ImportKeys(HWND window, const std::string& textOrFile, const std::string& prompt, PGPKeySetRef& keySet,
                    uint32_t selection, std::unique_ptr<TKeyPropsList>& list, bool fromFile);
void FreeImportedKeys(PGPKeySetRef keySet);
// The import selection that key import, key-server search and the decoder's found keys end with:
// the keys of `offered` in the selection dialog (all of them without a prompt); the chosen ones go
// into the key ring, which is committed, and are listed with `selection`. -10988 when none offered.
PGPError AddSelectedKeys(PGPContextRef context, PGPKeySetRef ring, PGPKeySetRef offered, HWND window,
                         const std::string& prompt, uint32_t selection, std::unique_ptr<TKeyPropsList>& list);
// The keys chosen in the selection dialog over the whole ring, armoured into `text` or written to the
// file named by `text`; private keys only when asked for.
PGPError ExportKeys(const std::string& prompt, std::string& text, std::unique_ptr<TKeyPropsList>& list, HWND window,
                    uint32_t selection, bool withPrivateKeys, bool formatFlag, bool toFile);

// ---- Key servers ---------------------------------------------------------------------------------

// One SDK key-server object per configured server (from the PGP preferences), and what they need.
struct TKeyServers {
    bool initialised = false;
    PGPKeyServerThreadStorageRef storage = 0;
    std::vector<PGPKeyServerRef> servers;
};
// Stops at the first server that cannot be made; those made so far are kept.
PGPError InitKeyServers(PGPContextRef context, TPrefsFile& prefs, TKeyServers& servers);
void FreeKeyServers(TKeyServers& servers);
// The search filter for `text` (intersected with the key filter of `filterFlags` when given) and
// the parent window, in one option list; the caller frees the list and, after the search, the
// filter it refers to.
PGPError BuildSearchOptions(PGPContextRef context, const std::string& text, uint32_t filterFlags, bool subKeys,
                            bool utf8, PGPOptionListRef* options, HWND window, PGPFilterRef* filter);
// The search dialog for `text`; the keys found are offered for import into the key ring and listed.
PGPError SearchKeyServer(HWND window, TPrefsFile& prefs, const std::string& text,
                         std::unique_ptr<TKeyPropsList>& list, const std::string& prompt, uint32_t selection);
// The search dialog for `text`; the keys found come back (free them with FreeImportedKeys).
PGPError SearchKeyServerToSet(PGPContextRef context, TPrefsFile& prefs, const std::string& text, HWND window,
                              PGPKeySetRef* keySet, uint32_t filterFlags);
