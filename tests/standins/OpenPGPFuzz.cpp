// Fuzz entry for the stand-in's OpenPGP parsers: armour, packet framing, every packet kind a key
// file holds, key grouping with signature checks, and inflation. Whatever the input, they must end
// with a status.
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/Compression.h"
#include "standins/pgpsdk/openpgp/KeyRing.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Packets.h"
#include "standins/pgpsdk/openpgp/Signature.h"

#include <cstddef>
#include <cstdint>

using namespace standin::openpgp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Armored block;
    std::string binary(input);
    if (Dearmor(input, block) == kPGPError_NoErr)
        binary = block.data;
    std::vector<Packet> packets;
    ParsePackets(binary, packets);
    for (const auto& packet : packets) {
        PublicKey key;
        SecretKey secret;
        Signature signature;
        std::vector<std::string> secrets;
        switch (packet.tag) {
        case kTagPublicKey:
        case kTagPublicSubkey:
            if (ParsePublicKey(packet.body, key) == kPGPError_NoErr) {
                key.KeyID();
                key.Bits();
            }
            break;
        case kTagSecretKey:
        case kTagSecretSubkey:
            // Unprotected keys only: deriving keys from passphrases would slow the search down.
            if (ParseSecretKey(packet.body, secret) == kPGPError_NoErr && !secret.Protected())
                UnlockSecretKey(secret, "", secrets);
            break;
        case kTagSignature:
            ParseSignature(packet.body, signature);
            break;
        case kTagCompressed: {
            std::string inflated;
            if (!packet.body.empty())
                Decompress(static_cast<uint8_t>(packet.body[0]), std::string_view(packet.body).substr(1), inflated,
                           1 << 20);
            break;
        }
        default:
            break;
        }
    }
    std::vector<std::shared_ptr<KeyRecord>> keys;
    if (ReadKeyRecords(input, keys) == kPGPError_NoErr)
        for (const auto& key : keys) {
            key->PrimaryUserID();
            key->Expiration();
            key->Revoked();
        }
    return 0;
}
