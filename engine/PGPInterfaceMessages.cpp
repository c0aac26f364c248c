// The PGP interface's message operations: finding the secure block of a message, marking partly
// signed texts, encoding through the encoder, and decrypting and verifying through the decoder;
// none of them reports a success it did not have.
#include "engine/PGPInterface.h"

#include "engine/CertStore.h"
#include "engine/KeyFuncs.h"
#include "engine/PGPEncode.h"
#include "engine/PSMimeTools.h"
#include "engine/PrefFuncs.h"
#include "foundation/ZAVEKResources.h"
#include "mime/MailUtils.h"

#include <algorithm>
#include <string_view>

namespace {

// An armour the SDK cannot read may still be intact under quoted-printable encoding.
bool IsRefusedArmour(const TMessageData& data, std::string_view block)
{
    if (data.Kind == skNone || data.Kind >= skCertificate)
        return false;
    TPGPDecode decoder;
    return decoder.AcceptBuffer(RejoinArmorLines(std::string(block))) != kStatusOK;
}

bool IsBase64Character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

// An armour every line of which reads as armour: BEGIN line, header fields, Base64 lines with the
// padding on the last, the checksum, END line. Quoted-printable would have made its "=" signs
// "=3D" or broken its long lines, so decoding it as such could only spoil it.
bool IsWellFormedArmour(std::string_view block)
{
    enum { Begin, Fields, Body, Checksum } state = Begin;
    bool padded = false;
    for (size_t at = 0; at < block.size();) {
        const size_t end = std::min(block.find('\n', at), block.size());
        std::string_view line(block.data() + at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (state == Begin) {
            if (line.substr(0, 15) != "-----BEGIN PGP ")
                return false;
            state = Fields;
        } else if (state == Fields) {
            if (line.empty())
                state = Body;
            else if (line.find(": ") == std::string_view::npos)
                return false;
        } else if (line.substr(0, 13) == "-----END PGP ") {
            return true;
        } else if (state == Checksum) {
            return false;
        } else if (line.size() == 5 && line[0] == '=') {
            if (!std::all_of(line.begin() + 1, line.end(), IsBase64Character))
                return false;
            state = Checksum;
        } else if (padded) {
            return false;
        } else {
            const size_t data = line.find_last_not_of('=');
            padded = data + 1 < line.size();
            if (line.size() - (data + 1) > 2
                || !std::all_of(line.begin(), line.begin() + (data + 1), IsBase64Character))
                return false;
        }
    }
    return false;
}

// Whether a text is a PGP/MIME encrypted entity, and its header fields other than those of its
// armoured body; false (and no header) for any other text.
bool SplitPgpMimeEncrypted(const std::string& text, std::string& header)
{
    std::string block, charset, signature;
    const bool split = SplitSecureMime(text, header, block, false, charset, signature) == kSecureMimePgp
        && block.rfind("-----BEGIN PGP MESSAGE", 0) == 0;
    if (!split)
        header.clear();
    return split;
}

// An armoured message or clear-signed text whose blank line holds blanks (no-break spaces from an
// editor) is taken with that line empty: the SDK would refuse it as another format.
void MendArmour(const std::string& text, TMessageData& data, std::string& block)
{
    if (data.Kind != skPgpMessage && data.Kind != skPgpSignedMessage)
        return;
    std::string mended;
    if (!MendArmourBlankLines(
            data.BlockLocated() ? std::string_view(text).substr(data.BlockStart, data.BlockLength) : block,
            mended))
        return;
    block = std::move(mended);
    data.BlockStart = std::string::npos;
}

} // namespace

uint32_t TPGPInterface::ExtractSecureBlock(const std::string& text, TMessageData& data, std::string& block,
    bool* decodedQuotedPrintable, bool locateOnly)
{
    if (decodedQuotedPrintable)
        *decodedQuotedPrintable = false;
    SplitSecureMessage(text, data, block, locateOnly);
    MendArmour(text, data, block);
    const std::string_view armour
        = data.BlockLocated() ? std::string_view(text).substr(data.BlockStart, data.BlockLength) : block;
    // A quoted-printable body hides its armour behind soft breaks and "=3D": one more try decoded.
    const bool found = data.Kind != skNone;
    if (!found || (!IsWellFormedArmour(armour) && IsRefusedArmour(data, armour))) {
        TMessageData decodedData;
        std::string decodedBlock;
        const std::string decoded = DecodeQuotedPrintable(text, false);
        SplitSecureMessage(decoded, decodedData, decodedBlock);
        MendArmour(decoded, decodedData, decodedBlock);
        // A refused block is kept unless the decoded one reads better: a plain armour whose
        // checksum looks like "=3F" would be spoilt by the decoding, and its decode error tells
        // the user what is wrong.
        if (decodedData.Kind != skNone && (!found || !IsRefusedArmour(decodedData, decodedBlock))) {
            data = decodedData;
            block = std::move(decodedBlock);
            if (decodedQuotedPrintable)
                *decodedQuotedPrintable = true;
        }
    }
    // Only key blocks and certificates have their lines re-joined.
    if (data.Kind == skPgpPublicKeyBlock || data.Kind == skCertificate) {
        block
            = RejoinArmorLines(data.BlockLocated() ? text.substr(data.BlockStart, data.BlockLength) : block);
        data.BlockStart = std::string::npos;
    }
    return data.Kind;
}

bool TPGPInterface::MarkPartlySigned(TSignatureData& signature, const TMessageData& data)
{
    return MarkPartlySignedText(data.Kind, data.HasOtherText, signature.StatusText, texts_);
}

void TPGPInterface::SetUpDecoder(TPGPDecode& decoder, HWND parent, const std::string& prompt)
{
    decoder.Parent = parent;
    decoder.Secure = secure_.get();
    decoder.AskPassphrase = DecryptPassphraseAsk;
    decoder.PassphrasePrompt = prompt;
    decoder.KeyServerPrefs = prefs_;
    decoder.ImportPrompt = texts_.GetEntry(310); // keys a key-server lookup found are offered with it
    for (size_t i = 0; i < decoder.SignatureWords.size(); ++i)
        decoder.SignatureWords[i] = texts_.GetEntry(290 + static_cast<int>(i));
}

void TPGPInterface::TakeSignature(const TPGPDecode& decoder, TSignatureData& signature)
{
    if (!decoder.SignatureSeen)
        return;
    // The first signer is the one the key popup offers; every signer is reported.
    signature.SignerText
        = decoder.Signatures.size() > 1 ? decoder.Signatures.front().KeyIDText : decoder.SigProps.KeyIDText;
    SignersStatus(decoder, signature.StatusText, signature.StatusCode);
}

void TPGPInterface::TakeFindings(const TPGPDecode& decoder, bool succeeded, bool produced)
{
    LastDecode = TDecodeFindings();
    if (!succeeded)
        return;
    // Recipients come only with encrypted data; data encrypted with a passphrase alone has none.
    const bool encrypted = decoder.RecipientCount > 0 || decoder.ResultKind == kResultPGPEncrypted
        || decoder.ResultKind == kResultEncryptedSigned || decoder.ResultKind == kResultSMimeEnveloped;
    TakeSignature(decoder, LastDecode.Signature);
    // What the secure viewer showed is no text the caller may write, decrypted or verified.
    LastDecode.ShownSecurely = decoder.ForYourEyesOnly;
    if (LastDecode.ShownSecurely)
        return;
    LastDecode.Decrypted = encrypted && produced;
    const auto checked = [](const TSigPropsRec& props) {
        return props.State != kSigNotChecked && props.State != kSigKeyNotUsable;
    };
    LastDecode.Checked = decoder.SignatureSeen
        && (decoder.Signatures.empty()
                ? checked(decoder.SigProps)
                : std::any_of(decoder.Signatures.begin(), decoder.Signatures.end(), checked));
}

int32_t TPGPInterface::VerifyText(const std::string& text, const std::string& keySource, TSignatureData& signature,
    bool show, bool keyServerLookup, HWND parent)
{
    BeginCacheHold();
    signature = TSignatureData();
    TMessageData data;
    std::string block;
    ExtractSecureBlock(text, data, block);
    TPGPDecode decoder;
    SetUpDecoder(decoder, parent, texts_.GetEntry(303) + ":");
    decoder.KeySourceText = keySource;
    decoder.CheckSignatures = true;
    decoder.KeyServerLookup = keyServerLookup;
    decoder.KeepInput = true;
    decoder.Recursive = true;
    LastStatus = decoder.DecodePass(block.empty() ? text : block);
    NoteUnsupportedKeys(LastStatus, decoder.HeldRecipientKeyIDs);
    decoder.BurnResults(); // only the signature matters here
    if (LastStatus == kStatusOK && !decoder.SignatureSeen)
        LastStatus = kPGPError_UnsupportedFormat; // no signature is no verified text
    if (LastStatus != kStatusOK) {
        ShowPGPError(LastStatus);
    } else {
        TakeSignature(decoder, signature);
        if (show) {
            MarkPartlySigned(signature, data);
            // A good S/MIME signature shows its signer's certificate; without a viewer, the box. So
            // do several signers: a viewer would show one of them, maybe not the one that failed.
            const int32_t state = decoder.SigProps.State;
            const bool viewed = decoder.ResultKind >= kResultSMimeEnveloped && decoder.Signatures.size() <= 1
                && (state == kSigGood || state == kSigGoodExpired)
                && !decoder.SMimeSignerCertificate.empty()
                && ViewCertificate(decoder.SMimeSignerCertificate, decoder.SigProps.UserIDText, parent) == 0;
            if (!viewed)
                ShowSignatureBox(signature);
        }
    }
    EndCacheHold();
    return LastStatus;
}

void TPGPInterface::ShowSignatureBox(const TSignatureData& signature)
{
    const int resultClass = static_cast<int>(signature.StatusCode & 0xFFFF);
    messages_(FormatSignerText(signature.StatusText),
        resultClass == 2 || resultClass == 3 ? TMessageKind::Information : TMessageKind::Warning,
        resultClass);
}

int32_t TPGPInterface::DecryptText(const std::string& text, HWND parent, bool noErrorBox, bool recursive,
    bool keepInput, bool keyServerLookup, std::string& output, std::string& charset, TKeyIDData& recipients,
    TSignatureData& signature)
{
    return Decrypt(text, nullptr, parent, noErrorBox, recursive, keepInput, keyServerLookup, output, charset,
        recipients, signature);
}

int32_t TPGPInterface::DecryptLettingGo(std::string& text, HWND parent, bool noErrorBox, bool recursive,
    bool keepInput, bool keyServerLookup, std::string& output, std::string& charset, TKeyIDData& recipients,
    TSignatureData& signature)
{
    return Decrypt(text, &text, parent, noErrorBox, recursive, keepInput, keyServerLookup, output, charset,
        recipients, signature);
}

int32_t TPGPInterface::Decrypt(const std::string& text, std::string* letGo, HWND parent, bool noErrorBox,
    bool recursive, bool keepInput, bool keyServerLookup, std::string& output, std::string& charset,
    TKeyIDData& recipients, TSignatureData& signature)
{
    output.clear();
    charset.clear();
    recipients = TKeyIDData();
    signature = TSignatureData();
    TPGPDecode decoder;
    SetUpDecoder(decoder, parent, texts_.GetEntry(303) + texts_.GetEntry(304));
    decoder.CheckSignatures = true;
    decoder.PassThroughKeys = true;
    decoder.KeyServerLookup = keyServerLookup;
    decoder.Recursive = recursive;
    decoder.KeepInput = keepInput;
    LastStatus = letGo ? decoder.DecodeLettingGo(*letGo) : decoder.DecodePass(text);
    TakeFindings(decoder, LastStatus == kStatusOK, !decoder.Output.empty());
    NoteUnsupportedKeys(LastStatus, decoder.HeldRecipientKeyIDs);
    if (LastStatus != kStatusOK && !noErrorBox) {
        ShowPGPError(LastStatus);
        return LastStatus;
    }
    output = std::move(decoder.Output); // the caller burns it
    decoder.BurnResults();
    charset = decoder.Charset;
    recipients.KeyIDText = decoder.RecipientKeyIDs;
    recipients.Count = decoder.RecipientCount;
    TakeSignature(decoder, signature);
    return LastStatus;
}

int32_t TPGPInterface::DecodeSectionText(const std::string& text, HWND parent, bool check, std::string& output,
    uint32_t& statusCode, std::string& statusText, std::string& charset)
{
    output.clear();
    statusCode = 0;
    statusText.clear();
    charset.clear();
    // A section decode must not reopen the rings half-way through the message tree.
    const bool watching = KeyRings().WatchRingFiles;
    KeyRings().WatchRingFiles = false;
    TPGPDecode decoder;
    SetUpDecoder(decoder, parent, texts_.GetEntry(303) + ":");
    decoder.CheckSignatures = check;
    decoder.Recursive = check;
    decoder.PassThroughUnrecognised = true;
    decoder.PassThroughKeys = true;
    // The decoder takes a PGP/MIME entity apart itself; the decrypted entity stands under the
    // entity's other header fields: the message it was.
    const bool pgpMime = SplitPgpMimeEncrypted(text, decoder.OutputLead);
    LastStatus = decoder.DecodePass(text);
    TakeFindings(decoder, LastStatus == kStatusOK, !decoder.Output.empty());
    NoteUnsupportedKeys(LastStatus, decoder.HeldRecipientKeyIDs);
    KeyRings().WatchRingFiles = watching;
    if (LastStatus != kStatusOK) {
        ShowPGPError(LastStatus);
        return LastStatus;
    }
    output = std::move(decoder.Output);
    if (pgpMime && output.empty())
        output = decoder.OutputLead;
    decoder.BurnResults();
    charset = decoder.Charset;
    if (check && decoder.SignatureSeen) {
        std::string status;
        SignersStatus(decoder, status, statusCode);
        statusText = std::to_string(statusCode & 0xFFFF) + " " + FormatSignerText(status);
    }
    return LastStatus;
}

namespace {

// The passphrase prompt: text 305 with an empty name in place of its "%s".
std::string PassphrasePrompt(const std::string& pattern)
{
    std::string prompt = pattern;
    const size_t at = prompt.find("%s");
    if (at != std::string::npos)
        prompt.erase(at, 2);
    return prompt;
}

// The signer the caller names: its key id when known, else its text.
std::string WantedSigner(const TKeyIDData& signer)
{
    return signer.KeyIDText.empty() ? signer.UserText : signer.KeyIDText;
}

// The job settings every encode takes from the interface's configuration.
// The language texts' names by SDK number, as many as the key dialog may look up.
constexpr int kKeyTypeNames = 8, kTrustNames = 8, kValidityNames = 4, kAlgorithmNames = 19, kHashNames = 9;

std::vector<std::string> NameTable(const TZAVEKStrings& texts, std::string (TZAVEKStrings::*name)(int) const, int count)
{
    std::vector<std::string> table;
    for (int i = 0; i < count; ++i)
        table.push_back((texts.*name)(i));
    return table;
}

void ConfigureEncoder(TPGPEncode& encoder, const TPGPInterface& pgp, const TZAVEKStrings& texts,
    TPrefsFile* prefs, HWND parent)
{
    TEncodeSettings& settings = encoder.Settings;
    settings.Comment = pgp.Comment;
    settings.VersionText = pgp.OutputVersionText();
    settings.HashChoice = pgp.HashChoice();
    settings.DefaultKeyID = pgp.KeyRingSettings.DefaultKey;
    settings.GroupsFile = pgp.KeyRingSettings.GroupsFile;
    settings.PassphrasePrompt = PassphrasePrompt(texts.GetEntry(305));
    settings.Parent = parent;
    settings.KeyDialogAssist = pgp.KeyDialogAssist();
    settings.Prefs = prefs;
    settings.KeyServerPrompt = texts.GetEntry(310);
    TKeyDialogTexts& dialog = settings.KeyDialogTexts;
    dialog.Title = texts.GetEntry(281);
    dialog.SMimeTitle = texts.GetEntry(282);
    dialog.Hint = texts.GetEntry(283);
    dialog.Cancel = texts.GetEntry(104);
    dialog.Ok = "&Ok";
    dialog.SearchServer = texts.GetEntry(284);
    dialog.UseTypedKey = texts.GetEntry(285);
    dialog.MarkAll = texts.GetEntry(286);
    dialog.UnmarkAll = texts.GetEntry(287);
    dialog.CountSuffix = texts.GetEntry(288);
    dialog.Details = texts.GetEntry(301);
    TKeyDialogNames& names = settings.KeyDialogNames;
    names.KeyTypes = NameTable(texts, &TZAVEKStrings::GetKeyTypeName, kKeyTypeNames);
    names.Trust = NameTable(texts, &TZAVEKStrings::GetTrustName, kTrustNames);
    names.Validity = NameTable(texts, &TZAVEKStrings::GetValidityName, kValidityNames);
    names.Algorithms = NameTable(texts, &TZAVEKStrings::GetAlgorithmName, kAlgorithmNames);
    names.Hashes = NameTable(texts, &TZAVEKStrings::GetHashName, kHashNames);
    names.CertificateStates = { texts.GetEntry(272), texts.GetEntry(273), texts.GetEntry(274) };
    int32_t count = 0;
    if (prefs && GetAllowedAlgorithms(*prefs, settings.AllowedAlgorithms, count) != 0)
        settings.AllowedAlgorithms.clear();
}

// One MIME or inline encode with the request's flags; the records are filled on success.
int32_t RunEncode(TPGPInterface& pgp, TPGPEncode& encoder, std::string_view text,
    const TEncodeRequest& request, TKeyIDData* recipients, TKeyIDData& signer, TKeyIDData& chosen,
    TEncodedText& result)
{
    TEncodeSettings& settings = encoder.Settings;
    settings.EncryptToSelf = request.EncryptToSelf;
    settings.NoAutoRecipients = !request.AutoRecipients;
    settings.MultipleSelection = request.MultipleSelection;
    encoder.RecipientText = chosen.Count > 0 ? chosen.KeyIDText : chosen.UserText;
    encoder.SignerKeyID = WantedSigner(signer);
    encoder.SignerUserText = signer.UserText;
    pgp.BeginCacheHold();
    const int32_t status = request.Encrypt ? encoder.EncryptBuffer(text, request.Sign, request.SMime)
                                           : encoder.SignBuffer(text, request.SMime);
    pgp.EndCacheHold();
    pgp.NoteUnsupportedKeys(status, encoder.UnsupportedKeyIDs);
    if (status == kStatusOK) {
        result = encoder.TakeOutput();
        pgp.TakeEncodeResult(encoder.RecipientText, encoder.SignerKeyID, request.Encrypt, true, recipients, signer,
            chosen);
    }
    return pgp.LastStatus = status;
}

} // namespace

int32_t TPGPInterface::SignDetached(std::string_view text, HWND parent, std::string& signature, TKeyIDData& signer)
{
    signature.clear();
    TPGPEncode encoder(secure_.get());
    ConfigureEncoder(encoder, *this, texts_, prefs_, parent);
    encoder.Settings.Comment.clear();
    encoder.SignerKeyID = WantedSigner(signer);
    LastStatus = encoder.SignDetached(text);
    if (LastStatus == kStatusOK) {
        signature = encoder.OutputText();
        signer.KeyIDText = encoder.SignerKeyID;
    }
    return LastStatus;
}

int32_t TPGPInterface::EncryptTextToKey(const std::string& text, const std::string& keyID, std::string& result,
    HWND parent)
{
    result.clear();
    TPGPEncode encoder(secure_.get());
    ConfigureEncoder(encoder, *this, texts_, prefs_, parent);
    encoder.Settings.Armor = false;
    encoder.Settings.DataIsText = false;
    encoder.Settings.Charset.clear();
    encoder.RecipientText = keyID;
    LastStatus = encoder.EncryptBuffer(text, false, false);
    if (LastStatus == kStatusOK)
        result = encoder.OutputText();
    else
        ShowPGPError(LastStatus);
    return LastStatus;
}

int32_t TPGPInterface::EncodeMimeBody(std::string_view body, const TEncodeRequest& request, HWND parent,
    TKeyIDData* recipients, TKeyIDData& signer, TKeyIDData& chosen, TEncodedText& result)
{
    result.Release();
    if (!request.Encrypt && !request.Sign)
        return LastStatus = kStatusOK; // nothing asked, nothing done
    TPGPEncode encoder(secure_.get());
    ConfigureEncoder(encoder, *this, texts_, prefs_, parent);
    TKeyDialogTexts& dialog = encoder.Settings.KeyDialogTexts;
    dialog.Hint = texts_.GetEntry(306);
    dialog.Title = texts_.GetEntry(307);
    dialog.SMimeTitle = texts_.GetEntry(308);
    encoder.Settings.PGPMime = !request.SMime;
    encoder.Settings.Charset.clear();
    return RunEncode(*this, encoder, body, request, recipients, signer, chosen, result);
}

int32_t TPGPInterface::EncodeInlineText(std::string_view text, const std::string& charset,
    const TEncodeRequest& request, HWND parent, bool& askedOnce, TKeyIDData* recipients, TKeyIDData& signer,
    TKeyIDData& chosen, TEncodedText& result)
{
    result.Release();
    if (!request.Encrypt && !request.Sign)
        return LastStatus = kStatusOK;
    TPGPEncode encoder(secure_.get());
    ConfigureEncoder(encoder, *this, texts_, prefs_, parent);
    encoder.Settings.Charset = charset;
    encoder.Settings.DataIsText = request.DataIsText;
    encoder.Settings.RememberedChoice = askedOnce;
    const int32_t status = RunEncode(*this, encoder, text, request, recipients, signer, chosen, result);
    askedOnce = encoder.Settings.RememberedChoice;
    return status;
}
