// The PGP interface: the one object through which the plug-in core and the dialogs reach the
// encryption engine — key lookup and key texts, the passphrase cache front, file wiping, PGP help
// and the engine's status codes. GUI thread only; no operation throws except the constructor.
#pragma once

#include "engine/EncodedText.h"
#include "engine/KeyFuncsTypes.h"
#include "engine/PGPInterfaceTexts.h"
#include "engine/PGPInterfacePrefs.h"
#include "engine/SecureFuncs.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class IKeyDialogAssist;
struct TMessageData;

// What one encode call asks for.
struct TEncodeRequest {
    bool Encrypt = false;
    bool Sign = false;
    bool SMime = false;
    bool DataIsText = true; // inline only
    bool EncryptToSelf = false;
    bool AutoRecipients = false; // no key dialog when the keys are clear
    bool MultipleSelection = false;
};
class TPGPErrorStrings;
class TZAVEKStrings;

// How a message is shown; the question kinds answer true for Yes.
enum class TMessageKind { Information, Warning, Error, QuestionYesDefault, QuestionNoDefault };
// Shows one message to the user and returns its answer (true for OK or Yes). `icon` is the number
// of an icon resource of the plug-in, 0 for the kind's own icon.
using TMessageSink = std::function<bool(const std::string& text, TMessageKind kind, int icon)>;
// The default sink, a plain message box: the main object hands the interface a sink over the
// plug-in's own message dialog in its place (the engine does not reach up into the dialogs).
bool ShowInterfaceMessage(const std::string& text, TMessageKind kind, int icon);

class TPGPInterface {
public:
    // changed: the configured cache time differs from the one applied before.
    using TCacheCallback = std::function<void(int32_t seconds, bool changed)>;

    // Over the engine's shared preferences and the bound SDK. Raises EAbort when the SDK did not load.
    // The key dialog gets its details and help from `keyDialogAssist` (none: neither).
    TPGPInterface(IKeyDialogAssist* keyDialogAssist, const TPGPErrorStrings& errorTexts,
        const TZAVEKStrings& texts, TMessageSink messages = ShowInterfaceMessage);
    // The same over given preferences (none: PGP's defaults), cache back end and message sink.
    TPGPInterface(IKeyDialogAssist* keyDialogAssist, const TPGPErrorStrings& errorTexts,
        const TZAVEKStrings& texts, TPrefsFile* prefs, std::unique_ptr<TSecureSdk> secureSdk, TMessageSink messages);
    ~TPGPInterface();
    TPGPInterface(const TPGPInterface&) = delete;
    TPGPInterface& operator=(const TPGPInterface&) = delete;

    // ---- Request brackets and the passphrase cache ----
    // Holds nest: a job's own hold inside a request's ends nothing; the outermost end (or an end
    // outside any hold) applies the configured time.
    void BeginCacheHold();
    void EndCacheHold();
    void PurgePassphrase();
    void SetCacheTime(int32_t seconds, bool changed = false);
    void SetCacheCallback(TCacheCallback callback);
    bool IsCacheEmpty();
    void SetWatchRingFiles(bool watch);

    // ---- Preferences, key rings and settings ----
    int32_t LoadKeyRingPrefs();
    // 0 no signing key, 1 signing keys, 2 also a signing key with an X.509 certificate.
    int OpenKeyRings();
    int32_t GetKeyServer(TKeyServer& server);
    int32_t SetKeyServer(const TKeyServer& server);
    void SetHashChoice(int32_t signAlg, bool ripeMD);
    void SetVersionText(const std::string& text);
    bool MarginalIsInvalid();

    // ---- Key lookup ----
    int ListEncryptionKeys();
    int ListEncryptionKeyDetails();
    int FindSigningKeys(const std::string& text);
    bool KeyHasADK(const std::string& text);
    int32_t KeyStatusText(const std::string& text, std::string& statusText);
    bool ResolveSigner(TKeyIDData& signer, bool certificatesOnly);
    int FillKeyChoices(const std::string& keyID, TStrings& choices);
    void GetShortKeyID(const std::string& keyID, std::string& text) const { text = ::GetShortKeyID(keyID); }
    // The working list the lookups fill; the caller clears it when done.
    const TKeyPropsList& KeyList() const { return *keyList_; }
    void ClearKeyList() { keyList_->Clear(); }

    // ---- Key texts ----
    bool GetKeyDescription(int index, const std::string& keyText, std::string& result, bool details);
    std::string FormatSignerText(const std::string& text) const { return ::FormatSignerText(text, texts_); }
    void SignatureStatusText(int32_t resultKind, const TSigPropsRec& props, std::string& text, uint32_t& code);
    // The status of every signature the decoder met (one per signer).
    void SignersStatus(const TPGPDecode& decoder, std::string& text, uint32_t& code);
    int KeyListResult(TKeyIDData& data) const { return ::KeyListResult(keyList_.get(), data); }

    // ---- Key import, export and deletion; certificates ----
    int32_t DeleteKeys(const std::string& keyID, HWND parent, TKeyIDData& keys, bool quiet);
    int32_t ImportKeys(const std::string& textOrFile, HWND parent, TKeyIDData& keys, bool noPrompt, bool quiet);
    int32_t ImportKeysFromText(const std::string& text, HWND parent, TKeyIDData& keys, bool quiet);
    int32_t SearchKeyServerKeys(const std::string& search, HWND parent, TKeyIDData& keys, bool quiet);
    int32_t ExportKeysText(HWND parent, TKeyIDData& keys, std::string& text);
    int32_t ImportWindowsCertificates(HWND parent, bool quiet, TKeyIDData& keys);
    int32_t RemoveCertificate(HWND parent, bool quiet, TKeyIDData& keys);
    int32_t ExportCertificate(HWND parent, TKeyIDData& keys, std::string& text);
    bool HasWindowsCertificates();

    // ---- Message operations ----
    // The first PGP or S/MIME block of a message text; its section kind, 0 when none.
    // `decodedQuotedPrintable` (optional) tells whether the block was found only in the text
    // decoded from quoted-printable, so that the caller does not decode it a second time.
    // With `locateOnly` a block that stands as it is in the text is not copied into `block`: the
    // data says where it is (TMessageData::BlockLocated).
    uint32_t ExtractSecureBlock(const std::string& text, TMessageData& data, std::string& block,
        bool* decodedQuotedPrintable = nullptr, bool locateOnly = false);
    bool MarkPartlySigned(TSignatureData& signature, const TMessageData& data);
    int32_t VerifyText(const std::string& text, const std::string& keySource, TSignatureData& signature, bool show,
        bool keyServerLookup, HWND parent);
    // The box that tells a verified signature's signer and verdict, as VerifyText shows it.
    void ShowSignatureBox(const TSignatureData& signature);
    int32_t DecryptText(const std::string& text, HWND parent, bool noErrorBox, bool recursive, bool keepInput,
        bool keyServerLookup, std::string& output, std::string& charset, TKeyIDData& recipients,
        TSignatureData& signature);
    // DecryptText over a text the caller lets go: zeroed and emptied once it is decoded, before the
    // output is taken, so that the two are not held side by side; as it was when nothing came out.
    int32_t DecryptLettingGo(std::string& text, HWND parent, bool noErrorBox, bool recursive, bool keepInput,
        bool keyServerLookup, std::string& output, std::string& charset, TKeyIDData& recipients,
        TSignatureData& signature);
    int32_t DecodeSectionText(const std::string& text, HWND parent, bool check, std::string& output,
        uint32_t& statusCode, std::string& statusText, std::string& charset);
    int32_t SignDetached(std::string_view text, HWND parent, std::string& signature, TKeyIDData& signer);
    int32_t EncryptTextToKey(const std::string& text, const std::string& keyID, std::string& result, HWND parent);
    // `recipients` receives the keys encrypted to, looked up in the key rings; null where the
    // caller has no use for them (the lookup costs a key ring search per job).
    // The encoded body comes as the SDK's output with the texts around it, not copied out of it.
    int32_t EncodeMimeBody(std::string_view body, const TEncodeRequest& request, HWND parent,
        TKeyIDData* recipients, TKeyIDData& signer, TKeyIDData& chosen, TEncodedText& result);
    // `askedOnce` keeps the key dialog's choice for the other inline parts of the same message.
    int32_t EncodeInlineText(std::string_view text, const std::string& charset,
        const TEncodeRequest& request, HWND parent, bool& askedOnce, TKeyIDData* recipients,
        TKeyIDData& signer, TKeyIDData& chosen, TEncodedText& result);
    // Fills the records from a finished encode job: the chosen key ids without the signer that
    // encrypt-to-self added, the signer, and (unless null) the keys actually used.
    void TakeEncodeResult(const std::string& recipientKeyIDs, const std::string& signerKeyID, bool encrypt,
        bool recipientsFound, TKeyIDData* recipients, TKeyIDData& signer, TKeyIDData& chosen);

    // ---- Status ----
    static bool IsShownEncodeError(int32_t code) { return code >= kStatusShownFirst && code <= kStatusShownLast; }
    // The text of a status: the language file's, or for an SDK status it has no words for, the SDK's own.
    std::string PGPErrorText(int32_t code) const;
    bool ShowPGPError(int32_t code);
    // After kPGPError_UnsupportedAlgorithm PGPErrorText names, one a line, the keys among `keyIDs`
    // ("0x…" joined by ",") whose algorithm the SDK cannot use; any other status forgets them.
    void NoteUnsupportedKeys(int32_t status, const std::string& keyIDs);
    bool LastOpSucceeded() const { return LastStatus == kStatusOK; }
    bool LastOpCancelled() const { return LastStatus == kStatusCancelled; }

    // ---- Files and programs ----
    bool WipeFile(const std::string& fileName);
    static void BurnText(std::string& text);
    bool ShowPGPHelp(const std::string& topicName);
    bool LaunchPGP();

    // Read-only facts found at construction.
    const std::string& HelpFile() const { return helpFile_; }
    const std::string& PGPVersionText() const { return versionText_; }
    int PGPVersionNumber() const { return versionNumber_; }
    int VersionClass() const { return versionClass_; }
    bool StrongHashesAllowed() const { return strongHashes_; }
    int32_t HashChoice() const { return hashChoice_; }
    const std::string& OutputVersionText() const { return outputVersionText_; }
    IKeyDialogAssist* KeyDialogAssist() const { return keyDialogAssist_; }

    // Settings the configuration overwrites after start-up.
    std::string Comment;
    int32_t CacheSeconds = -1;
    int32_t WipePasses = 3;
    // Filled by LoadKeyRingPrefs; OpenKeyRings rewrites the default key as "user id\key id".
    TKeyRingSettings KeyRingSettings;
    int32_t LastStatus = kStatusOK;
    // What the last DecryptText or DecodeSectionText did to its data: whether encrypted data became
    // plaintext, and the signature it checked (no status text when none was checked).
    struct TDecodeFindings {
        bool Decrypted = false;
        TSignatureData Signature;
        // A signature was checked: reported without one, as when its key's algorithm cannot be
        // used, it was not.
        bool Checked = false;
        // The plaintext was for the eyes only: the secure viewer showed it, the caller has none.
        bool ShownSecurely = false;
        // Only decrypted data or a checked signature makes a decode "done".
        bool Done() const { return Decrypted || Checked; }
    } LastDecode;
    // Asks for a decryption passphrase; none: decryption that needs one is cancelled.
    TPassphraseAsk DecryptPassphraseAsk;

private:
    // A decoder with the settings every decode operation shares.
    void SetUpDecoder(TPGPDecode& decoder, HWND parent, const std::string& prompt);
    int32_t Decrypt(const std::string& text, std::string* letGo, HWND parent, bool noErrorBox, bool recursive,
        bool keepInput, bool keyServerLookup, std::string& output, std::string& charset, TKeyIDData& recipients,
        TSignatureData& signature);
    void TakeSignature(const TPGPDecode& decoder, TSignatureData& signature);
    // Records in LastDecode what a finished decode did.
    void TakeFindings(const TPGPDecode& decoder, bool succeeded, bool produced);
    // Runs a lookup into the emptied working list; the count or a negative status.
    int Lookup(const std::string& text, uint32_t selection, uint32_t filter);
    // The count box unless quiet; `note` (keys that cannot be used) is shown either way.
    void ReportCount(TKeyIDData& keys, uint16_t textID, bool quiet, const std::string& note = {});
    // Text 450 for each key of the list whose algorithm the SDK cannot use, one a line.
    std::string UnsupportedKeysText(const TKeyPropsList& keys) const;
    // The certificate the user picks in the dialog titled with text TitleID; the status.
    int32_t PickCertificate(HWND parent, uint16_t titleID, TX509CertPropsRec& certificate);
    // The certificates of a key for its description: subject, "issued by" and issuer of each.
    std::string CertificateBlock(const std::string& keyID);
    int32_t DeletePickedKeys(HWND parent, TKeyIDData& keys, bool quiet);
    // Deletes the keys of the working list; the record names them.
    int32_t DeleteListedKeys(TKeyIDData& keys, bool quiet);
    // The record of the keys an import listed, reported unless quiet.
    int32_t TakeImported(TKeyIDData& keys, bool quiet);
    bool AskUntilRingsExist();

    IKeyDialogAssist* keyDialogAssist_;
    const TPGPErrorStrings& errorTexts_;
    const TZAVEKStrings& texts_;
    TPrefsFile* prefs_;
    TMessageSink messages_;
    std::unique_ptr<TSecureSdk> secureSdk_;
    std::unique_ptr<TSecure> secure_;
    std::unique_ptr<TKeyPropsList> keyList_;
    std::string unsupportedKeys_; // what the last kPGPError_UnsupportedAlgorithm was about
    std::string helpFile_;
    std::string installFolder_;
    std::string versionText_;
    int versionNumber_ = 0;
    int versionClass_ = 0;
    bool strongHashes_ = false;
    int32_t hashChoice_ = 0;
    std::string outputVersionText_;
    TCacheCallback cacheCallback_;
    int32_t appliedCacheSeconds_ = -1;
    int cacheHolds_ = 0;
};
