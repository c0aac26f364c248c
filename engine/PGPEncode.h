// The encoder: one sign or encrypt job through the SDK's PGPEncode on a text in memory, wrapped as
// inline armour, PGP/MIME or S/MIME. It finds the signing key and its passphrase, resolves the
// recipients to key ids and frees every SDK object of a job on every path. GUI thread only.
#pragma once

#include "engine/EncodedText.h"
#include "engine/KeyDialog.h"
#include "engine/SecureFuncs.h"
#include "engine/sdk/PGPsdkTypes.h"

#include <windows.h>

class TPrefsFile;

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The job settings; they persist between jobs of one encoder.
struct TEncodeSettings {
    bool NoAutoRecipients = false;
    bool Armor = true;
    std::string Charset; // for the "Charset:" armour line; empty: none
    std::string Comment;
    std::string VersionText;
    bool EncryptToSelf = false;
    bool ForYourEyesOnly = false;
    bool PGPMime = false;
    bool MultipleSelection = false;
    bool OmitMimeVersion = true;
    bool AllowEmptyInput = false;
    int32_t HashChoice = 0; // 0 from the key, 1 MD5 .. 6 SHA-512
    bool DataIsText = true;
    std::string DefaultKeyID; // the preferences' default signing key
    std::string GroupsFile;
    std::vector<int32_t> AllowedAlgorithms; // the preferences' cipher list; empty: the SDK's choice
    std::string PassphrasePrompt;
    // Passphrase-only encryption: the SDK's cipher algorithm minus one (8: AES-256).
    int32_t ConventionalCipher = 8;
    HWND Parent = nullptr;
    // The key dialog's texts, names, details and help; the choice it made is remembered for the message.
    TKeyDialogTexts KeyDialogTexts;
    TKeyDialogNames KeyDialogNames;
    IKeyDialogAssist* KeyDialogAssist = nullptr; // none: no details and no help
    bool RememberedChoice = false;
    bool SMime = false; // set by the encoder: the key dialog shows certificates
    // The key-server search the key dialog may ask for: the servers' preferences and the prompt
    // over the keys found; without preferences there is no search.
    TPrefsFile* Prefs = nullptr;
    std::string KeyServerPrompt;
};

class TPGPEncode {
public:
    // Asks the user for the signing passphrase of `key` (which the dialog may change); a status.
    using TAskPassphrase = std::function<PGPError(PGPContextRef context, PGPKeySetRef keySet, PGPKeyDBObjRef& key,
        const TEncodeSettings& settings, TSecureBytes& passphrase)>;

    // Lets the user choose among `keys` for the recipient text (edited in place); a key dialog result.
    using TChooseKeys = std::function<int(std::string& recipientText, TKeyPropsList& keys, bool& remembered,
        const TEncodeSettings& settings)>;

    // `secure` (may be null) holds cached passphrases; entered ones are kept there for signing.
    explicit TPGPEncode(TSecure* secure, TAskPassphrase askPassphrase = AskSigningPassphrase,
        TChooseKeys chooseKeys = ChooseKeys);
    ~TPGPEncode();
    TPGPEncode(const TPGPEncode&) = delete;
    TPGPEncode& operator=(const TPGPEncode&) = delete;

    // The text is read where it lies: it must stay unchanged until the call returns.
    int32_t EncryptBuffer(std::string_view text, bool sign, bool smime);
    int32_t SignBuffer(std::string_view text, bool smime);
    // An armoured detached signature of the text.
    int32_t SignDetached(std::string_view text);
    // Encrypts to a passphrase alone, which the conventional-encryption dialog asks for.
    int32_t EncryptConventional(const std::string& text);

    void SetClearSign(bool on);
    void SetEncrypt(bool on);
    void SetSign(bool on);
    // Passphrase-only mode: no signature and no recipient keys.
    void SetConventional(bool on);

    // The key selection dialog over the parent window.
    static int ChooseKeys(std::string& recipientText, TKeyPropsList& keys, bool& remembered,
        const TEncodeSettings& settings);
    // The SDK's signing passphrase dialog.
    static PGPError AskSigningPassphrase(PGPContextRef context, PGPKeySetRef keySet, PGPKeyDBObjRef& key,
        const TEncodeSettings& settings, TSecureBytes& passphrase);

    TEncodeSettings Settings;
    // In: the recipients as key ids or a user text; out: the key ids encrypted to.
    std::string RecipientText;
    // Keys the user named in the key dialog by a typed text: key id, user id = the text typed.
    TKeyPropsList FoundKeys { kKeyPropKeyID | kKeyPropUserID };
    // How many keys the last key-server search found.
    int FoundCount = 0;
    // In: the wanted signer (key id or text, empty for the default); out: the key id that signed.
    std::string SignerKeyID;
    // The signer's user text; it chooses among an S/MIME signer's certificates.
    std::string SignerUserText;
    // After kPGPError_UnsupportedAlgorithm: the keys ("0x…" joined by ",") that the recipients
    // name and whose algorithm the SDK cannot use.
    std::string UnsupportedKeyIDs;

    // The output as one text: a copy.
    std::string OutputText() const { return output_.Joined(); }
    // The output handed over whole: the SDK's block with the texts around it, not copied.
    TEncodedText TakeOutput() { return std::move(output_); }
    // Length of the header block the MIME wrapping wrote, plus one; 0 for inline output.
    std::size_t MimeHeaderLength() const { return mimeHeaderLength_; }

private:
    struct TJob;

    // How a job's output comes from the SDK's buffer: as it stands, or finished as a PGP body
    // (PGP/MIME wrapping or the armour's "Charset:" line) around it.
    enum class TFinish { AsItStands, PgpEncrypted, PgpSigned };

    int32_t Run(TFinish finish = TFinish::AsItStands);
    int32_t BuildEncodeOptions(TJob& job);
    int32_t SetupSigning(TJob& job);
    void CacheBeforeSigning(TJob& job);
    int32_t SetupConventional(TJob& job);
    // The job's output: the SDK's buffer, taken over from the job, finished as finish says.
    int32_t TakeSdkOutput(TJob& job, TFinish finish);
    int32_t SelectRecipients();
    int32_t ResolveEachRecipient();
    int32_t AskForRecipients();
    std::string FindSigner(const std::string& wanted, uint32_t selection) const;
    // The key id of the S/MIME signer's certificate key; empty when the signer has none.
    std::string FindSMimeSigner() const;
    int32_t WrapPgpMime(std::string_view produced, bool encrypted);
    static PGPError PGP_CDECL EventHandler(PGPContextRef context, PGPEvent* event, void* user);

    TSecure* secure_;
    TAskPassphrase askPassphrase_;
    TChooseKeys chooseKeys_;
    bool clearSign_ = false, compress_ = true, detached_ = false, encrypt_ = false, addCharset_ = false,
         smime_ = false, sign_ = false, conventional_ = false;
    int32_t effectiveHash_ = 0; // the job's resolved hash choice, for the SDK and for micalg
    // The text being encoded: the caller's, which is not copied, or ownInput_, a signed entity the
    // encoder made for the S/MIME encryption after it.
    std::string_view input_;
    std::string ownInput_;
    TEncodedText output_;
    std::size_t mimeHeaderLength_ = 0;
    PGPSize bodyOffset_ = 0;
    char separator_[81] = {};
};
