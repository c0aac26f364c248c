// The encoder's SDK-free rules: hash choice resolution and numbering, and the recipient text.
#include "engine/PGPEncodeRules.h"

#include "engine/KeyFuncsTypes.h"

#include <algorithm>
#include <cctype>

int32_t SdkHashOfChoice(int32_t choice)
{
    if (choice < 1 || choice > 6)
        return 0;
    return choice <= 3 ? choice : choice + 4;
}

int MicalgCodeOfChoice(int32_t choice) { return choice > 0 ? choice + 1 : 0; }

int32_t ResolveHashChoice(int32_t choice, bool smime, int32_t keyAlgorithm)
{
    if (choice < 0 || choice > 6)
        choice = 0;
    // S/MIME signs with SHA-256, or SHA-1 when chosen; MD5 and the rest are no choice there. A DSA
    // certificate keeps SHA-1 (dsaWithSHA1), as its S/MIME peers expect.
    const bool rsa = keyAlgorithm >= 1 && keyAlgorithm <= 3;
    const bool dsa = keyAlgorithm >= 16 && keyAlgorithm <= 18;
    if (smime && choice != 2)
        choice = rsa ? 4 : dsa ? 2 : 0;
    if (choice != 0)
        return choice;
    // No choice made: SHA-256, which every RSA and DSA key can sign with (DSA takes the leftmost
    // bits of a longer digest). Current OpenPGP programs read MD5 and SHA-1 signatures as invalid.
    if (rsa || dsa)
        return 4;
    return kEncodeCannotSign;
}

bool AllKeyIDs(const std::string& text)
{
    const std::vector<std::string> items = SplitCommaText(text);
    return !items.empty() && std::all_of(items.begin(), items.end(), IsKeyIDText);
}

std::string WithSelfRecipient(const std::string& recipients, const std::string& signerKeyID)
{
    if (recipients.empty() || signerKeyID.empty())
        return recipients;
    auto upper = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return s;
    };
    if (upper(recipients).find(upper(signerKeyID)) != std::string::npos)
        return recipients;
    return recipients + "," + signerKeyID;
}
