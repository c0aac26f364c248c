// The PGP interface's message operations: finding the secure block of a message and marking
// partly signed texts here; decoding and encoding answer "not available" until the decoder and
// the encoder are part of the engine, and never report a success they did not have.
#include "engine/PGPInterface.h"

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

int32_t TPGPInterface::VerifyText(const std::string& text, const std::string&, TSignatureData& signature, bool,
    bool, HWND)
{
    BeginCacheHold();
    signature = TSignatureData();
    LastStatus = text.empty() ? kStatusEmptyInput : NotAvailable();
    ShowPGPError(LastStatus);
    EndCacheHold();
    return LastStatus;
}

int32_t TPGPInterface::DecryptText(const std::string& text, HWND, bool noErrorBox, bool, bool, bool,
    std::string& output, std::string& charset, TKeyIDData& recipients, TSignatureData& signature)
{
    output.clear();
    charset.clear();
    recipients = TKeyIDData();
    signature = TSignatureData();
    LastStatus = text.empty() ? kStatusEmptyInput : NotAvailable();
    if (!noErrorBox)
        ShowPGPError(LastStatus);
    return LastStatus;
}

int32_t TPGPInterface::DecodeSectionText(const std::string& text, HWND, bool, std::string& output,
    uint32_t& statusCode, std::string& statusText, std::string& charset)
{
    output.clear();
    statusCode = 0;
    statusText.clear();
    charset.clear();
    LastStatus = text.empty() ? kStatusEmptyInput : NotAvailable();
    ShowPGPError(LastStatus);
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
