// The encoder's jobs: the option list in its fixed order, the signing key and passphrase, the
// recipient key ids, one PGPEncode call, and the wrapping of its output as a mail body.
#include "engine/PGPEncode.h"

#include "engine/CertStore.h"

#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/PGPDialogs.h"
#include "engine/PGPEncodeRules.h"
#include "engine/PGPInterfaceTexts.h"
#include "engine/PSMimeTools.h"
#include "engine/X509Funcs.h"
#include "engine/sdk/pgpAdapters.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/BurnString.h"
#include "foundation/PhaseTimes.h"
#include "foundation/StrUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// Status of SDK output that is no usable body (empty, or PGP/MIME without its separator).
constexpr int32_t kStatusBadOutput = kPGPError_CorruptData;

} // namespace

// Everything one job holds of the SDK; freed on every path out of Run.
struct TPGPEncode::TJob {
    PGPContextRef context = 0;
    PGPKeySetRef keySet = 0;
    bool ringsOpen = false;
    PGPOptionListRef options = 0;
    PGPKeySetRef recipients = 0;
    PGPKeyDBObjRef signingKey = 0;
    TSecureBytes passphrase;
    bool passphraseEntered = false;
    bool cachedBeforeSigning = false;
    void* output = nullptr; // until the encoder's output takes it over
    PGPSize outputLength = 0;
    TPhaseTimes phases { "encoder" }; // for the bench: the SDK's share of the job

    ~TJob()
    {
        if (options && SDKProcs.PGPFreeOptionList)
            SDKProcs.PGPFreeOptionList(options);
        if (recipients && SDKProcs.PGPFreeKeySet)
            SDKProcs.PGPFreeKeySet(recipients);
        if (output) {
            std::memset(output, 0, outputLength);
            if (SDKProcs.PGPFreeData)
                SDKProcs.PGPFreeData(output);
        }
        passphrase.Release();
        if (ringsOpen)
            KeyRings().Close();
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
};

TPGPEncode::TPGPEncode(TSecure* secure, TAskPassphrase askPassphrase, TChooseKeys chooseKeys)
    : secure_(secure)
    , askPassphrase_(std::move(askPassphrase))
    , chooseKeys_(std::move(chooseKeys))
{
    char codePage[16];
    std::snprintf(codePage, sizeof codePage, "%u", GetACP());
    Settings.Charset = std::string("Windows-") + codePage;
}

TPGPEncode::~TPGPEncode() { BurnString(ownInput_); }

void TPGPEncode::SetClearSign(bool on)
{
    clearSign_ = on;
    if (!on)
        return;
    sign_ = Settings.Armor = Settings.DataIsText = true;
    encrypt_ = compress_ = detached_ = conventional_ = false;
}

void TPGPEncode::SetEncrypt(bool on)
{
    encrypt_ = on;
    if (on)
        detached_ = conventional_ = clearSign_ = false;
}

void TPGPEncode::SetSign(bool on)
{
    sign_ = on;
    if (on)
        conventional_ = false;
}

void TPGPEncode::SetConventional(bool on)
{
    conventional_ = on;
    if (on)
        sign_ = encrypt_ = clearSign_ = detached_ = false;
}

int32_t TPGPEncode::EncryptBuffer(std::string_view text, bool sign, bool smime)
{
    mimeHeaderLength_ = 0;
    if (smime && SDKGeneration < 4)
        return kStatusNotAvailable;
    sign_ = sign;
    clearSign_ = detached_ = conventional_ = false;
    encrypt_ = compress_ = true;
    smime_ = smime;
    if (smime && sign)
        encrypt_ = false; // S/MIME signs first, then encrypts the signed entity
    input_ = text;
    // However the call ends, a failed second pass included, the signed entity it made is burnt
    // and the caller's text is theirs again.
    struct TInputRelease {
        TPGPEncode& encode;
        ~TInputRelease()
        {
            BurnString(encode.ownInput_);
            encode.input_ = {};
        }
    } release { *this };
    addCharset_ = !Settings.Charset.empty();
    int32_t status = Run(smime ? TFinish::AsItStands : TFinish::PgpEncrypted);
    if (status != kStatusOK)
        return status;
    if (smime) {
        std::string boundary, body;
        std::size_t headerLength = 0;
        if (!encrypt_) {
            const std::string signature = output_.Joined();
            BuildSMimeBody(text, &signature, boundary, body, true, false, MicalgCodeOfChoice(effectiveHash_),
                headerLength);
            ownInput_ = std::move(body);
            input_ = ownInput_;
            encrypt_ = true;
            sign_ = false;
            if ((status = Run()) != kStatusOK)
                return status;
        }
        const std::string enveloped = output_.Joined();
        output_.Release();
        BuildSMimeBody(enveloped, nullptr, boundary, body, Settings.OmitMimeVersion, true, 0, headerLength);
        output_ = TEncodedText(std::move(body));
        mimeHeaderLength_ = headerLength > 0 ? headerLength + 1 : 0;
    }
    return status;
}

int32_t TPGPEncode::EncryptConventional(const std::string& text)
{
    mimeHeaderLength_ = 0;
    SetConventional(true);
    compress_ = true;
    smime_ = false;
    input_ = text;
    addCharset_ = !Settings.Charset.empty();
    const int32_t status = Run(TFinish::PgpEncrypted);
    conventional_ = false;
    BurnString(ownInput_);
    input_ = {}; // the caller's text is theirs again
    return status;
}

int32_t TPGPEncode::TakeSdkOutput(TJob& job, TFinish finish)
{
    const std::string_view produced = output_.AdoptBlock(std::exchange(job.output, nullptr), job.outputLength,
        [](void* block) {
            if (SDKProcs.PGPFreeData)
                SDKProcs.PGPFreeData(block);
        });
    const bool encrypted = finish == TFinish::PgpEncrypted;
    if (finish != TFinish::AsItStands && Settings.PGPMime)
        return WrapPgpMime(produced, encrypted);
    if (finish != TFinish::AsItStands && addCharset_)
        InsertArmorCharset(Settings.Charset, produced, !encrypted, output_);
    else
        output_.Append(produced);
    return kStatusOK;
}

int32_t TPGPEncode::SignBuffer(std::string_view text, bool smime)
{
    mimeHeaderLength_ = 0;
    if (smime && SDKGeneration < 4)
        return kStatusNotAvailable;
    SetClearSign(true);
    smime_ = smime;
    input_ = text;
    addCharset_ = !Settings.Charset.empty();
    const int32_t status = Run(smime ? TFinish::AsItStands : TFinish::PgpSigned);
    if (status == kStatusOK && smime) {
        std::string boundary, body;
        std::size_t headerLength = 0;
        const std::string signature = output_.Joined();
        BuildSMimeBody(text, &signature, boundary, body, Settings.OmitMimeVersion, false,
            MicalgCodeOfChoice(effectiveHash_), headerLength);
        output_ = TEncodedText(std::move(body));
        mimeHeaderLength_ = headerLength > 0 ? headerLength + 1 : 0;
    }
    BurnString(ownInput_);
    input_ = {}; // the caller's text is theirs again
    return status;
}

int32_t TPGPEncode::SignDetached(std::string_view text)
{
    mimeHeaderLength_ = 0;
    detached_ = true;
    sign_ = encrypt_ = clearSign_ = smime_ = addCharset_ = conventional_ = false;
    input_ = text;
    const int32_t status = Run();
    BurnString(ownInput_);
    input_ = {}; // the caller's text is theirs again
    return status;
}

int32_t TPGPEncode::WrapPgpMime(std::string_view produced, bool encrypted)
{
    std::string separator(separator_, strnlen(separator_, sizeof separator_));
    std::size_t offset = bodyOffset_;
    if (!BuildPgpMimeBody(produced, separator, offset, output_, Settings.OmitMimeVersion, encrypted,
            MicalgCodeOfChoice(effectiveHash_))) {
        output_.Release();
        return kStatusBadOutput;
    }
    mimeHeaderLength_ = offset > 0 ? offset + 1 : 0;
    return kStatusOK;
}

int32_t TPGPEncode::Run(TFinish finish)
{
    output_.Release();
    if (input_.empty() && !Settings.AllowEmptyInput)
        return kStatusEmptyInput;
    if (!SDKProcs.PGPEncode)
        return kKeyRingsNoSDK;
    TJob job;
    std::memset(separator_, 0, sizeof separator_);
    bodyOffset_ = 0;
    effectiveHash_ = 0;
    PGPError status = KeyRings().Open(&job.context, &job.keySet);
    if (status != kPGPError_NoErr)
        return status;
    job.ringsOpen = true;
    if ((status = BuildEncodeOptions(job)) != kPGPError_NoErr)
        return status;

    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    addCharset_ = addCharset_ && Settings.Armor && Settings.DataIsText;
    job.phases.Mark("options");
    status = SDKProcs.PGPEncode(job.context, job.options,
        SDKProcs.PGPOInputBuffer(job.context, input_.data(), static_cast<PGPSize>(input_.size())),
        SDKProcs.PGPOAllocatedOutputBuffer(job.context, &job.output, ~PGPSize(0), &job.outputLength),
        kPGPEndOfOptions);
    job.phases.Mark("sdk");
    if (status == kPGPError_NoErr) {
        if (!job.output || job.outputLength == 0)
            return kStatusBadOutput; // nothing to send in place of the text
        status = TakeSdkOutput(job, finish);
        job.phases.Mark("output");
        if (job.passphraseEntered && !job.cachedBeforeSigning && secure_ && secure_->CacheEnabled())
            secure_->CachePassphrase(job.signingKey, job.passphrase, true, nullptr, 0);
        job.phases.Mark("cache");
    } else if (status == kPGPError_NotImplemented && smime_) {
        status = kStatusNotAvailable; // an SDK without CMS
    }
    return status;
}

int32_t TPGPEncode::BuildEncodeOptions(TJob& job)
{
    const PGPContextRef c = job.context;
    auto& sdk = SDKProcs;
    PGPError status;
    if (smime_)
        status = BuildOptionList(c, &job.options, sdk.PGPOEventHandler(c, EventHandler, this),
            sdk.PGPODataIsASCII(c, 1),
            sdk.PGPOOutputFormat ? sdk.PGPOOutputFormat(c, sign_ ? kPGPFormat_CMSSigned : kPGPFormat_CMSEnveloped)
                                 : 0);
    else if (detached_)
        status = BuildOptionList(c, &job.options, sdk.PGPOEventHandler(c, EventHandler, this),
            sdk.PGPOArmorOutput(c, Settings.Armor), sdk.PGPODetachedSig(c, kPGPEndOfOptions),
            sdk.PGPOCommentString(c, Settings.Comment.c_str()), sdk.PGPOVersionString(c, Settings.VersionText.c_str()));
    else {
        status = BuildOptionList(c, &job.options, sdk.PGPOEventHandler(c, EventHandler, this),
            sdk.PGPOArmorOutput(c, Settings.Armor), sdk.PGPOClearSign(c, clearSign_), sdk.PGPOCompression(c, compress_),
            sdk.PGPOForYourEyesOnly(c, Settings.ForYourEyesOnly), sdk.PGPODataIsASCII(c, Settings.DataIsText),
            sdk.PGPOCommentString(c, Settings.Comment.c_str()), sdk.PGPOVersionString(c, Settings.VersionText.c_str()));
        if (status == kPGPError_NoErr && Settings.PGPMime)
            status = AppendOptionList(job.options, sdk.PGPOPGPMIMEEncoding(c, 1, &bodyOffset_, separator_),
                sdk.PGPOOmitMIMEVersion(c, Settings.OmitMimeVersion));
    }
    if (status == kPGPError_NoErr && conventional_)
        return SetupConventional(job);
    if (status == kPGPError_NoErr && (sign_ || detached_))
        status = SetupSigning(job);
    if (status != kPGPError_NoErr || !encrypt_ || (smime_ && sign_))
        return status;
    if ((status = SelectRecipients()) != kPGPError_NoErr)
        return status;
    if ((status = FindKeysByText(c, job.keySet, RecipientText, &job.recipients)) != kPGPError_NoErr)
        return status;
    if (smime_ && (status = CheckSMimeRecipients(job.recipients)) != kPGPError_NoErr)
        return status;
    status = AppendOptionList(job.options, sdk.PGPOEncryptToKeySet(c, job.recipients));
    if (status == kPGPError_NoErr && !Settings.AllowedAlgorithms.empty())
        status = AppendOptionList(job.options, sdk.PGPOPreferredAlgorithms(c, Settings.AllowedAlgorithms.data(),
            static_cast<uint32_t>(Settings.AllowedAlgorithms.size())));
    return status;
}

int32_t TPGPEncode::SetupConventional(TJob& job)
{
    const PGPContextRef c = job.context;
    const PGPOptionListRef cipher = SDKProcs.PGPOCipherAlgorithm(c, Settings.ConventionalCipher + 1);
    PGPError status = AskConventionalEncryptPassphrase(c, Settings.Parent, Settings.PassphrasePrompt, job.passphrase);
    if (status != kPGPError_NoErr) {
        SDKProcs.PGPFreeOptionList(cipher);
        return status;
    }
    return AppendOptionList(job.options, cipher,
        SDKProcs.PGPOConventionalEncrypt(c,
            SDKProcs.PGPOPassphrase(c, reinterpret_cast<const char*>(job.passphrase.data())), kPGPEndOfOptions));
}

std::string TPGPEncode::FindSigner(const std::string& wanted, uint32_t selection) const
{
    std::unique_ptr<TKeyPropsList> list;
    const int found = FindKeys(wanted, list, selection, kKeyFilterCanSign, 0);
    if (found == 1)
        return (*list)[0];
    std::string keyID = KeyIDOfStoredKey(Settings.DefaultKeyID);
    if (keyID.empty() && wanted.empty() && found > 0)
        keyID = (*list)[0];
    return keyID;
}

std::string TPGPEncode::FindSMimeSigner() const
{
    // The wanted key (none named: the default one) when it holds a signing certificate, else the
    // certificate of the signer's address: the same person's OpenPGP key does not sign S/MIME.
    const std::string wanted = SignerKeyID.empty() && SignerUserText.empty() ? FindSigner("", kKeyPropKeyID) : SignerKeyID;
    std::unique_ptr<TX509CertPropsList> found;
    if (IsKeyIDText(wanted) && FindX509Certificates("", wanted, "", found, true, kCertSelectSign) > 0)
        return (*found)[0];
    std::string person = SignerUserText;
    PGPKeyDBObjRef key = 0;
    char name[512] = {};
    PGPSize length = 0;
    if (person.empty() && IsKeyIDText(wanted)
        && FindKeyByKeyIDText(KeyRings().KeySet(), wanted, &key) == kPGPError_NoErr && key
        && GetPrimaryUserIDName(key, name, sizeof name - 1, &length) == kPGPError_NoErr)
        person.assign(name, strnlen(name, std::min<std::size_t>(length, sizeof name - 1)));
    found.reset();
    if (!person.empty() && FindX509Certificates(person, "", "", found, true, kCertSelectSign) > 0)
        return (*found)[0];
    return {};
}

int32_t TPGPEncode::SetupSigning(TJob& job)
{
    TOwnedKeySet candidates;
    if (smime_) {
        const PGPError made = MakeCertificateKeySet(job.keySet, candidates.Out(), 0, true, true);
        if (made != kPGPError_NoErr)
            return made;
    }
    const std::string keyID = smime_ ? FindSMimeSigner() : FindSigner(SignerKeyID, kKeyPropKeyID);
    if (smime_ && keyID.empty())
        return kX509NoCertificate; // no certificate to sign with: no passphrase is asked
    if (keyID.empty() || FindKeyByKeyIDText(job.keySet, keyID, &job.signingKey) != kPGPError_NoErr
        || !job.signingKey)
        return kStatusNoSigningKey;
    PGPKeyDBObjRef certificate = smime_ ? FindKeyCertificate(nullptr, job.signingKey, 0) : 0;
    job.phases.Mark("signer");
    if (!secure_ || !secure_->GetCachedPassphrase(job.signingKey, job.passphrase, true)) {
        PGPError asked = kStatusNotAvailable;
        if (smime_) // the certificate dialog: the signer's certificate keys to choose from
            asked = SMimeSigningPassphrase(job.context, candidates.Get(), job.signingKey, Settings.Parent,
                Settings.PassphrasePrompt, keyID, SignerUserText, job.passphrase, certificate);
        else if (askPassphrase_)
            asked = askPassphrase_(job.context, job.keySet, job.signingKey, Settings, job.passphrase);
        if (asked != kPGPError_NoErr)
            return asked == kPGPError_NotImplemented ? kStatusNotAvailable : asked;
        job.passphraseEntered = true;
        CacheBeforeSigning(job);
    }
    job.phases.Mark("passphrase"); // the SDK's check of a cached one, or the question
    const int32_t hash = ResolveHashChoice(Settings.HashChoice, smime_, GetKeyAlgorithm(job.signingKey));
    if (hash < 0)
        return hash;
    effectiveHash_ = hash;
    const PGPContextRef c = job.context;
    const PGPOptionListRef signer = smime_ ? SDKProcs.PGPOSMIMESigner(c, certificate) : SDKProcs.PGPONullOption(c);
    // Without a buffer the SDK's own cache holds the passphrase (cached from generation 3 on).
    const PGPOptionListRef signWith = job.passphrase
        ? SDKProcs.PGPOSignWithKey(c, job.signingKey,
            SDKProcs.PGPOPassphrase(c, reinterpret_cast<const char*>(job.passphrase.data())), signer, kPGPEndOfOptions)
        : SDKProcs.PGPOSignWithKey(c, job.signingKey, signer, kPGPEndOfOptions);
    PGPError status = AppendOptionList(job.options, signWith, SDKProcs.PGPOHashAlgorithm(c, SdkHashOfChoice(hash)));
    if (status == kPGPError_NoErr && smime_)
        status = AppendOptionList(job.options, SDKProcs.PGPODetachedSig(c, kPGPEndOfOptions));
    if (status == kPGPError_NoErr)
        SignerKeyID = KeyIDText(job.signingKey);
    return status;
}

// Where the SDK keeps passphrases it checks one as it caches it and keeps the key it unlocked:
// cached before the encode, the entered passphrase unlocks the signing key once, not twice.
void TPGPEncode::CacheBeforeSigning(TJob& job)
{
    bool share = false;
    if (!secure_ || !secure_->CachesInSdk(share))
        return;
    TSecureBytes copy = CopySecureText(job.passphrase);
    job.cachedBeforeSigning = true; // a passphrase the SDK refused is not offered to it again
    secure_->CachePassphrase(job.signingKey, copy, true, nullptr, 0);
}

int32_t TPGPEncode::SelectRecipients()
{
    if (KeyRings().GroupsFile.empty())
        KeyRings().GroupsFile = Settings.GroupsFile;
    if (!sign_ && Settings.EncryptToSelf)
        SignerKeyID = smime_ ? FindSMimeSigner() : FindSigner(SignerKeyID, kKeyPropKeyID | 0x200000);
    // Key ids (from an earlier choice) are taken as they are; a text must name exactly one key.
    if (!AllKeyIDs(RecipientText)) {
        const bool automatic = !Settings.NoAutoRecipients && !Settings.RememberedChoice && !Settings.MultipleSelection
            && !RecipientText.empty();
        std::string only;
        if (automatic && smime_) {
            // A certificate by key id, else by address; the line names its key.
            const bool byKeyID = IsKeyIDText(RecipientText);
            std::unique_ptr<TX509CertPropsList> certificates;
            if (FindX509Certificates(byKeyID ? "" : RecipientText, byKeyID ? RecipientText : "", "", certificates,
                    true, kCertSelectEncrypt) == 1)
                only = (*certificates)[0];
        }
        if (!only.empty()) {
            RecipientText = only;
        } else if (const int32_t status = automatic && !smime_ ? ResolveEachRecipient() : AskForRecipients();
                   status != kStatusOK) {
            return status;
        }
    }
    if (Settings.EncryptToSelf)
        RecipientText = WithSelfRecipient(RecipientText, SignerKeyID);
    return kStatusOK;
}

int32_t TPGPEncode::ResolveEachRecipient()
{
    // Each recipient on its own: a key id stays, a text naming exactly one key that can encrypt
    // becomes its id. No recipient is dropped: one whose keys the SDK cannot use stops the job,
    // and the others go to the key dialog, which the user decides.
    std::vector<std::string> resolved, open;
    UnsupportedKeyIDs.clear();
    for (const std::string& item : SplitCommaText(RecipientText)) {
        const std::string recipient = TrimBlanks(item);
        if (recipient.empty())
            continue;
        std::unique_ptr<TKeyPropsList> list;
        if (IsKeyIDText(recipient) || FindKeys(recipient, list, kKeyPropKeyID, kKeyFilterCanEncrypt, 0) == 1) {
            resolved.push_back(list ? (*list)[0] : recipient);
            continue;
        }
        std::unique_ptr<TKeyPropsList> any;
        const int named = FindKeys(recipient, any, kKeyPropKeyID | kKeyPropAlgorithm, 0, 0);
        bool unsupported = named > 0 && any;
        for (int i = 0; unsupported && i < named; ++i)
            unsupported = !KeyAlgorithmSupported(any->Record(i).Algorithm);
        for (int i = 0; unsupported && i < named; ++i)
            UnsupportedKeyIDs += (UnsupportedKeyIDs.empty() ? "" : ",") + (*any)[i];
        if (!unsupported)
            open.push_back(recipient);
    }
    if (!UnsupportedKeyIDs.empty())
        return kPGPError_UnsupportedAlgorithm;
    auto joined = [](const std::vector<std::string>& items) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : ",") + item;
        return text;
    };
    if (open.empty()) {
        RecipientText = joined(resolved);
        return resolved.empty() ? AskForRecipients() : kStatusOK;
    }
    RecipientText = joined(open);
    const int32_t status = AskForRecipients();
    if (status == kStatusOK && !resolved.empty())
        RecipientText = joined(resolved) + "," + RecipientText;
    return status;
}

int32_t TPGPEncode::AskForRecipients()
{
    // Every key that can encrypt, with its user ids and the recipient groups; for S/MIME the
    // certificates that can encrypt, without groups.
    const uint32_t dialogSelection = smime_ ? 0x34000DCF : 0xB4000DCF;
    const uint32_t dialogFilter = smime_ ? kKeyFilterCertEncrypt | kKeyFilterCanEncrypt : kKeyFilterCanEncrypt;
    std::unique_ptr<TKeyPropsList> keys;
    const int listed = FindKeys("", keys, dialogSelection, dialogFilter, 0);
    if (listed < 0)
        return listed;
    if (!chooseKeys_ || !keys)
        return kNoKeyMatches;
    const std::string typed = RecipientText;
    Settings.SMime = smime_;
    for (;;) {
        const int result = chooseKeys_(RecipientText, *keys, Settings.RememberedChoice, Settings);
        switch (result) {
        case kKeyDialogChosen:
            if (AllKeyIDs(RecipientText))
                return kStatusOK;
            RecipientText = typed; // only key ids may go on: ask again
            continue;
        case kKeyDialogTypedKey: {
            // The chosen key's id, then the text as typed: the key stands for that text from now on.
            constexpr std::size_t kKeyIDLength = 18;
            const std::string keyID = RecipientText.substr(0, kKeyIDLength);
            if (!IsKeyIDText(keyID))
                return kNoKeyMatches;
            const int line = FoundKeys.Add(keyID);
            FoundKeys.Record(line).KeyID = keyID;
            FoundKeys.Record(line).UserID = RecipientText.substr(kKeyIDLength);
            RecipientText = keyID;
            return kStatusOK;
        }
        case kKeyDialogSearchServer: {
            if (!Settings.Prefs)
                return kStatusNotAvailable;
            std::unique_ptr<TKeyPropsList> found;
            const PGPError status = SearchKeyServer(Settings.Parent, *Settings.Prefs, typed, found,
                Settings.KeyServerPrompt, kKeyPropKeyID | kKeyPropUserID);
            FoundCount = found ? found->Count() : 0;
            for (int i = 0; i < FoundCount; ++i)
                FoundKeys.AddObject((*found)[i], &found->Record(i));
            if (status != kPGPError_NoErr)
                return status == kPGPError_NotImplemented ? kStatusNotAvailable : status;
            if (FoundCount == 1) {
                RecipientText = (*found)[0];
                return kStatusOK;
            }
            // Several or none: back to the dialog, which now lists what was imported.
            RecipientText = typed;
            keys.reset();
            const int relisted = FindKeys("", keys, dialogSelection, dialogFilter, 0);
            if (relisted < 0 || !keys)
                return relisted < 0 ? relisted : kNoKeyMatches;
            continue;
        }
        case kKeyDialogFailed:
            return kNoKeyMatches; // the dialog could not be made
        default:
            return kStatusCancelled;
        }
    }
}

namespace {

std::vector<TX509CertPropsRec> KeyCertificates(const std::string& keyID)
{
    constexpr uint32_t kCertificatesOfKey = kCertSelectAny;
    std::unique_ptr<TX509CertPropsList> list;
    std::vector<TX509CertPropsRec> certificates;
    if (FindX509Certificates("", keyID, "", list, false, kCertificatesOfKey) > 0 && list)
        for (int i = 0; i < list->Count(); ++i)
            certificates.push_back(list->Record(i));
    return certificates;
}

} // namespace

int TPGPEncode::ChooseKeys(std::string& recipientText, TKeyPropsList& keys, bool& remembered,
    const TEncodeSettings& settings)
{
    TSelKeyDialog dialog(settings.Parent);
    dialog.Texts = settings.KeyDialogTexts;
    if (dialog.Texts.TypedRecipients.empty())
        dialog.Texts.TypedRecipients = recipientText;
    dialog.Names = settings.KeyDialogNames;
    dialog.Assist = settings.KeyDialogAssist;
    dialog.MultipleSelection = settings.MultipleSelection;
    dialog.SMime = settings.SMime;
    if (settings.SMime) {
        dialog.Certificates = KeyCertificates;
        dialog.ViewCertificate = [](HWND owner, const TX509CertPropsRec& certificate, const std::string& title) {
            // The entry's certificate, exported as DER, in the Windows certificate viewer.
            std::unique_ptr<TX509CertPropsList> exported;
            std::string der;
            if (ExportCertificateToFile("", CertificateName(certificate), owner, exported, der, false)
                    == kPGPError_NoErr
                && !der.empty())
                ::ViewCertificate(der, title, owner);
        };
    }
    return dialog.Execute(recipientText, keys, remembered);
}

PGPError PGP_CDECL TPGPEncode::EventHandler(PGPContextRef, PGPEvent* event, void*)
{
    return event && event->type == kPGPEvent_Error ? event->data.errorData.error : kPGPError_NoErr;
}

PGPError TPGPEncode::AskSigningPassphrase(PGPContextRef context, PGPKeySetRef keySet, PGPKeyDBObjRef& key,
    const TEncodeSettings& settings, TSecureBytes& passphrase)
{
    const PGPError status
        = ::AskSigningPassphrase(context, keySet, settings.Parent, "PGP", settings.PassphrasePrompt, "", false, key,
            passphrase);
    return status == kPGPError_NotImplemented ? kStatusNotAvailable : status;
}
