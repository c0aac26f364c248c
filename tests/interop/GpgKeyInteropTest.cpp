// GnuPG as an independent peer of the stand-in's OpenPGP codec: keys that gpg makes here (RSA, and
// DSA with ElGamal) are read with the ids, algorithms, sizes, dates and user ids gpg lists; their
// secret parts unlock with the passphrase; and what we write back gpg imports unchanged.
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Packets.h"

#include "support/RunCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace standin::openpgp {
namespace {

namespace fs = std::filesystem;

const char kPassphrase[] = "interop passphrase";

std::string Hex(std::string_view bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        out += kDigits[static_cast<uint8_t>(c) >> 4];
        out += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ':'))
        fields.push_back(field);
    return fields;
}

// A private GnuPG home with one RSA key (plus encryption sub-key) and one DSA key with an
// ElGamal sub-key, made once for all tests.
class GnuPG : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        home = fs::temp_directory_path() / ("zavek-gpg-" + std::to_string(getpid()));
        fs::create_directories(home);
        fs::permissions(home, fs::perms::owner_all);
        Gpg("--quick-gen-key 'Carol Interop <carol@example.net>' rsa2048 sign never");
        Gpg("--quick-add-key " + Fingerprint("carol@example.net") + " rsa2048 encr never");
        Gpg("--quick-gen-key 'Dave Interop <dave@example.net>' dsa2048 sign never");
        Gpg("--quick-add-key " + Fingerprint("dave@example.net") + " elg2048 encr never");
    }
    static void TearDownTestSuite()
    {
        RunCommand("gpgconf --homedir '" + home.string() + "' --kill all 2>/dev/null");
        fs::remove_all(home);
    }

    static std::string Gpg(const std::string& arguments, const fs::path& homeDir = home)
    {
        return RunCommand("gpg --homedir '" + homeDir.string() + "' --batch --yes --pinentry-mode loopback --passphrase '"
                   + kPassphrase + "' " + arguments + " 2>/dev/null");
    }
    static std::string Fingerprint(const std::string& who)
    {
        for (std::stringstream in(Gpg("--with-colons --list-keys " + who)); !in.eof();) {
            std::string line;
            std::getline(in, line);
            if (line.rfind("fpr:", 0) == 0)
                return Fields(line)[9];
        }
        return {};
    }

    static inline fs::path home;
};

std::vector<Packet> PacketsOf(const std::string& data)
{
    std::vector<Packet> packets;
    EXPECT_EQ(ParsePackets(data, packets), kPGPError_NoErr);
    return packets;
}

TEST_F(GnuPG, KeysReadAsGnuPGListsThem)
{
    for (const char* who : { "carol@example.net", "dave@example.net" }) {
        SCOPED_TRACE(who);
        // gpg's own listing: key records (pub/sub) with length, algorithm, id, creation; then uid.
        std::vector<std::vector<std::string>> expectedKeys;
        std::string expectedUserID;
        std::stringstream listing(Gpg(std::string("--with-colons --fixed-list-mode --list-keys ") + who));
        for (std::string line; std::getline(listing, line);) {
            auto fields = Fields(line);
            if (fields[0] == "pub" || fields[0] == "sub")
                expectedKeys.push_back(fields);
            if (fields[0] == "uid")
                expectedUserID = fields[9];
        }
        ASSERT_EQ(expectedKeys.size(), 2u);
        std::vector<PublicKey> keys;
        std::string userID;
        std::string exported = Gpg(std::string("--export ") + who);
        for (const auto& packet : PacketsOf(exported)) {
            if (packet.tag == kTagPublicKey || packet.tag == kTagPublicSubkey) {
                PublicKey key;
                ASSERT_EQ(ParsePublicKey(packet.body, key), kPGPError_NoErr);
                keys.push_back(key);
            }
            if (packet.tag == kTagUserID)
                userID = packet.body;
        }
        ASSERT_EQ(keys.size(), 2u);
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(std::to_string(keys[i].Bits()), expectedKeys[i][2]);
            EXPECT_EQ(std::to_string(keys[i].algorithm), expectedKeys[i][3]);
            EXPECT_EQ(Hex(keys[i].KeyID()), expectedKeys[i][4]);
            EXPECT_EQ(std::to_string(keys[i].created), expectedKeys[i][5]);
        }
        EXPECT_EQ(userID, expectedUserID);
    }
}

TEST_F(GnuPG, ExportedSecretKeysUnlockWithTheirPassphrase)
{
    for (const char* who : { "carol@example.net", "dave@example.net" }) {
        SCOPED_TRACE(who);
        Armored block;
        ASSERT_EQ(Dearmor(Gpg(std::string("--armor --export-secret-keys ") + who), block), kPGPError_NoErr);
        EXPECT_EQ(block.label, "PRIVATE KEY BLOCK");
        int unlocked = 0;
        for (const auto& packet : PacketsOf(block.data)) {
            if (packet.tag != kTagSecretKey && packet.tag != kTagSecretSubkey)
                continue;
            SecretKey key;
            ASSERT_EQ(ParseSecretKey(packet.body, key), kPGPError_NoErr);
            std::vector<std::string> secrets;
            EXPECT_EQ(UnlockSecretKey(key, "not it", secrets), kPGPError_BadPassphrase);
            EXPECT_EQ(UnlockSecretKey(key, kPassphrase, secrets), kPGPError_NoErr);
            ++unlocked;
        }
        EXPECT_EQ(unlocked, 2);
    }
}

TEST_F(GnuPG, WhatWeWriteBackGnuPGImportsUnchanged)
{
    std::string original = Gpg("--export carol@example.net dave@example.net");
    std::string rewritten;
    for (const auto& packet : PacketsOf(original))
        rewritten += WritePacket(packet.tag, packet.body);
    EXPECT_EQ(rewritten, original);

    fs::path peer = home / "peer";
    fs::create_directories(peer);
    fs::permissions(peer, fs::perms::owner_all);
    fs::path file = home / "ours.asc";
    std::ofstream(file, std::ios::binary) << Armor("PUBLIC KEY BLOCK", rewritten);
    Gpg("--import '" + file.string() + "'", peer);
    std::string reexported = Gpg("--export carol@example.net dave@example.net", peer);
    fs::path a = home / "a.gpg", b = home / "b.gpg";
    std::ofstream(a, std::ios::binary) << original;
    std::ofstream(b, std::ios::binary) << reexported;
    std::string listed = Gpg("--list-packets '" + a.string() + "'");
    EXPECT_FALSE(listed.empty());
    EXPECT_EQ(Gpg("--list-packets '" + b.string() + "'"), listed);
    RunCommand("gpgconf --homedir '" + peer.string() + "' --kill all 2>/dev/null");
}

} // namespace
} // namespace standin::openpgp
