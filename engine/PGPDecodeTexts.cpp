// The verification text of a signature for PGP's own log, which the decoder writes for a text that
// only the secure viewer may show (the mail client then shows nothing of the message).
#include "engine/PGPDecode.h"

namespace {

// "0x" and the last eight hexadecimal digits of a key id text.
std::string ShortID(const std::string& keyIDText)
{
    return keyIDText.size() > 10 ? "0x" + keyIDText.substr(keyIDText.size() - 8) : keyIDText;
}

std::string ResultWord(const TSigPropsRec& props, const TSignatureWords& words)
{
    if (props.UserIDText.empty())
        return words[5]; // unknown signer
    if (props.State == kSigKeyNotUsable)
        return {};
    if (!props.Verified)
        return words[0];
    if (props.State == kSigGoodExpired)
        return words[1];
    // The last that applies counts.
    std::string word;
    if (props.Revoked)
        word = words[4];
    if (props.Disabled)
        word = words[2];
    if (props.Expired)
        word = words[3];
    return word;
}

} // namespace

std::string FormatSignatureResult(const TSigPropsRec& props, const TSignatureWords& words, int generation,
                                  bool implicitTrust)
{
    if (props.State == kSigNotChecked)
        return {};
    std::string text = props.State == kSigGood ? "Good Signature\n" : "Bad Signature\n";
    text += "(...)\n"; // the data has no file name
    const std::string shortID = ShortID(props.KeyIDText);
    if (props.State != kSigKeyMissing && !props.UserIDText.empty())
        text += props.UserIDText + "\n" + (generation >= 3 ? shortID + "\n" : "");
    else if (generation < 3)
        text += "(" + shortID + ")\n";
    else
        text += "(" + props.KeyIDText + ")\n" + shortID + "\n";
    if (implicitTrust)
        text += "Implicit Trust\n";
    else
        text += props.Validity < 2 ? "Invalid Key\n" : props.Validity == 2 ? "Marginal Key\n" : "Valid Key\n";
    text += props.SigTimeText;
    const std::string word = ResultWord(props, words);
    if (!word.empty())
        text += " (" + word + ")";
    return text;
}
