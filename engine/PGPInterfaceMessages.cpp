// The PGP interface's message operations: finding the secure block of a message, marking partly
// signed texts, and decrypting and verifying through the decoder; encoding answers "not
// available" until the encoder is part of the engine, and never reports a success it did not have.
#include "engine/PGPInterface.h"

#include "engine/KeyFuncs.h"
#include "foundation/ZAVEKResources.h"
#include "mime/MailUtils.h"

uint32_t TPGPInterface::ExtractSecureBlock(const std::string& text, TMessageData& data, std::string& block)
{
    SplitSecureMessage(text, data, block);
    // A quoted-printable body hides its armour behind soft breaks and "=3D": one more try decoded.
    if (data.Kind == skNone)
        SplitSecureMessage(DecodeQuotedPrintable(text, false), data, block);
    if (data.Kind != skNone && data.Kind <= skCertificate)
        block = RejoinArmorLines(block);
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
}

void TPGPInterface::TakeSignature(const TPGPDecode& decoder, TSignatureData& signature)
{
    if (!decoder.SignatureSeen)
        return;
    signature.SignerText = decoder.SigProps.KeyIDText;
    SignatureStatusText(decoder.ResultKind, decoder.SigProps, signature.StatusText, signature.StatusCode);
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
    decoder.BurnResults(); // only the signature matters here
    if (LastStatus == kStatusOK && !decoder.SignatureSeen)
        LastStatus = kPGPError_UnsupportedFormat; // no signature is no verified text
    if (LastStatus != kStatusOK) {
        ShowPGPError(LastStatus);
    } else {
        TakeSignature(decoder, signature);
        if (show) {
            MarkPartlySigned(signature, data);
            const int resultClass = static_cast<int>(signature.StatusCode & 0xFFFF);
            messages_(FormatSignerText(signature.StatusText),
                resultClass == 2 || resultClass == 3 ? TMessageKind::Information : TMessageKind::Warning,
                resultClass);
        }
    }
    EndCacheHold();
    return LastStatus;
}

int32_t TPGPInterface::DecryptText(const std::string& text, HWND parent, bool noErrorBox, bool recursive,
    bool keepInput, bool keyServerLookup, std::string& output, std::string& charset, TKeyIDData& recipients,
    TSignatureData& signature)
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
    LastStatus = decoder.DecodePass(text);
    if (LastStatus != kStatusOK && !noErrorBox) {
        ShowPGPError(LastStatus);
        return LastStatus;
    }
    output = decoder.Output;
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
    LastStatus = decoder.DecodePass(text);
    KeyRings().WatchRingFiles = watching;
    if (LastStatus != kStatusOK) {
        ShowPGPError(LastStatus);
        return LastStatus;
    }
    output = decoder.Output;
    decoder.BurnResults();
    charset = decoder.Charset;
    if (check && decoder.SignatureSeen) {
        std::string status;
        SignatureStatusText(decoder.ResultKind, decoder.SigProps, status, statusCode);
        statusText = std::to_string(statusCode & 0xFFFF) + " " + FormatSignerText(status);
    }
    return LastStatus;
}

int32_t TPGPInterface::SignDetached(const std::string&, HWND, std::string& signature, TKeyIDData&)
{
    signature.clear();
    return NotAvailable();
}

int32_t TPGPInterface::EncryptTextToKey(const std::string&, const std::string&, std::string& result, HWND)
{
    result.clear();
    ShowPGPError(NotAvailable());
    return LastStatus;
}

int32_t TPGPInterface::EncodeMimeBody(const std::string& body, const TEncodeRequest& request, HWND,
    TKeyIDData&, TKeyIDData&, TKeyIDData&, std::string& result)
{
    result.clear();
    if (!request.Encrypt && !request.Sign)
        return LastStatus = kStatusOK; // nothing asked, nothing done
    return body.empty() ? LastStatus = kStatusEmptyInput : NotAvailable();
}

int32_t TPGPInterface::EncodeInlineText(const std::string& text, const std::string&, const TEncodeRequest& request,
    HWND, bool&, TKeyIDData&, TKeyIDData&, TKeyIDData&, std::string& result)
{
    result.clear();
    if (!request.Encrypt && !request.Sign)
        return LastStatus = kStatusOK;
    return text.empty() ? LastStatus = kStatusEmptyInput : NotAvailable();
}
