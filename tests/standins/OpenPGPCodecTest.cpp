// The stand-in's OpenPGP codec: armour and CRC-24, packet framing in all length forms, the stages
// a message streams through, S2K, and key and signature packets read from GnuPG-made fixtures
// (natively and under Wine).
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/Compression.h"
#include "standins/pgpsdk/openpgp/KeyPackets.h"
#include "standins/pgpsdk/openpgp/Packets.h"
#include "standins/pgpsdk/openpgp/Signature.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace standin::openpgp {
namespace {

std::string Fixture(const std::string& name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/pgpsdk/" + name, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

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

TEST(Armor, Crc24KnownValues)
{
    EXPECT_EQ(Crc24(""), 0xB704CEu);
    EXPECT_EQ(Crc24("123456789"), 0x21CF02u);
}

TEST(Armor, RoundTripWithHeadersAndCrLf)
{
    for (size_t size : { 0, 1, 2, 3, 47, 48, 49, 1000 }) {
        SCOPED_TRACE(size);
        std::string data;
        for (size_t i = 0; i < size; ++i)
            data += static_cast<char>(i * 7);
        std::string text = Armor("MESSAGE", data, { { "Version", "ZAVEK" }, { "Comment", "a: b" } });
        EXPECT_EQ(text.find('\n') - 1, text.find("\r\n"));
        EXPECT_NE(text.find("Comment: a: b\r\n\r\n"), std::string::npos);
        Armored block;
        size_t end = 0;
        ASSERT_EQ(Dearmor("junk before\n" + text + "after", block, &end), kPGPError_NoErr);
        EXPECT_EQ(block.label, "MESSAGE");
        EXPECT_EQ(block.data, data);
        ASSERT_EQ(block.headers.size(), 2u);
        EXPECT_EQ(block.headers[1].second, "a: b");
        EXPECT_EQ(end, 12 + text.size());
    }
}

TEST(Armor, EmptyHeadersAreNotWrittenAndReadWhenOthersWriteThem)
{
    const std::string text = Armor("MESSAGE", "x", { { "Version", "ZAVEK" }, { "Comment", "" } });
    EXPECT_EQ(text.find("Comment"), std::string::npos);
    Armored block;
    const std::string withEmptyComment
        = "-----BEGIN PGP MESSAGE-----\r\nComment:\r\nVersion: v\r\n\r\n" + text.substr(text.find("\r\n\r\n") + 4);
    ASSERT_EQ(Dearmor(withEmptyComment, block, nullptr), kPGPError_NoErr);
    ASSERT_EQ(block.headers.size(), 2u);
    EXPECT_EQ(block.headers[0].first, "Comment");
    EXPECT_EQ(block.headers[0].second, "");
    EXPECT_EQ(block.data, "x");
}

TEST(Armor, BrokenBlocksAreRefused)
{
    const std::string good = Armor("PUBLIC KEY BLOCK", "some key bytes");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        const char* what;
        std::string text;
        PGPError status;
    } cases[] = {
        { "no block", "hello\r\n", kPGPError_UnsupportedFormat },
        { "LF only", replaced("\r\n", "\n"), kPGPError_NoErr },
        { "no checksum", good.substr(0, good.find("\r\n=")) + "\r\n-----END PGP PUBLIC KEY BLOCK-----\r\n",
          kPGPError_NoErr },
        { "wrong checksum", replaced(good.substr(good.find("\r\n=") + 2, 5), "=AAAA"), kPGPError_CorruptData },
        { "bad character", replaced("c29t", "c2*t"), kPGPError_CorruptData },
        { "other end label", replaced("END PGP PUBLIC KEY BLOCK", "END PGP MESSAGE"), kPGPError_CorruptData },
        { "no end", good.substr(0, good.find("-----END")), kPGPError_CorruptData },
        { "bad header", replaced("-----\r\n\r\n", "-----\r\nNoColonHere\r\n\r\n"), kPGPError_CorruptData },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Armored block;
        EXPECT_EQ(Dearmor(c.text, block), c.status);
    }
}

TEST(Packets, LengthFormsRoundTrip)
{
    for (int tag : { kTagUserID, kTagSEIPD }) {
        for (size_t size : { 0, 1, 191, 192, 255, 256, 8383, 8384, 65535, 65536, 70000 }) {
            SCOPED_TRACE(std::to_string(tag) + "/" + std::to_string(size));
            std::string body(size, 'x');
            std::string data = WritePacket(tag, body) + WritePacket(kTagMarker, "PGP");
            std::vector<Packet> packets;
            ASSERT_EQ(ParsePackets(data, packets), kPGPError_NoErr);
            ASSERT_EQ(packets.size(), 2u);
            EXPECT_EQ(packets[0].tag, tag);
            EXPECT_EQ(packets[0].newFormat, tag >= 16);
            EXPECT_EQ(packets[0].body, body);
            EXPECT_EQ(packets[1].body, "PGP");
        }
    }
}

TEST(Packets, HeaderEdgeCases)
{
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::string data;
        PGPError status;
        size_t packets;
        std::string firstBody;
    } cases[] = {
        { "old, 1-byte length", "\xB4\x02hi"s, kPGPError_NoErr, 1, "hi" },
        { "old, 2-byte length", "\xB5\x00\x02hi"s, kPGPError_NoErr, 1, "hi" },
        { "old, 4-byte length", "\xB6\x00\x00\x00\x02hi"s, kPGPError_NoErr, 1, "hi" },
        { "old, indeterminate", "\xAF" "data to the end"s, kPGPError_NoErr, 1, "data to the end" },
        { "new, 5-byte length", "\xCD\xFF\x00\x00\x00\x02hi"s, kPGPError_NoErr, 1, "hi" },
        { "new, partial literal", "\xCB\xE1" "ab\xE0" "c\x01" "d"s, kPGPError_NoErr, 1, "abcd" },
        { "partial, then another", "\xCB\xE1" "ab\xE0" "c\x01" "d\xB4\x02hi"s, kPGPError_NoErr, 2, "abcd" },
        { "partial user id", "\xCD\xE1" "ab\x01" "c"s, kPGPError_CorruptData, 0, "" },
        { "partial without end", "\xCB\xE1" "ab"s, kPGPError_CorruptData, 0, "" },
        { "truncated body", "\xB4\x05hi"s, kPGPError_CorruptData, 0, "" },
        { "truncated length", "\xB5\x00"s, kPGPError_CorruptData, 0, "" },
        { "no packet bit", "\x34\x02hi"s, kPGPError_CorruptData, 0, "" },
        { "tag zero", "\xC0\x00"s, kPGPError_CorruptData, 0, "" },
        { "second broken", "\xB4\x02hi\xB4\x09x"s, kPGPError_CorruptData, 1, "hi" },
        { "huge partial", "\xCB\xFE"s, kPGPError_CorruptData, 0, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Packet> packets;
        EXPECT_EQ(ParsePackets(c.data, packets), c.status);
        ASSERT_EQ(packets.size(), c.packets);
        if (c.packets) {
            EXPECT_EQ(packets[0].body, c.firstBody);
        }
        // Joined where they lie, the chunks leave every packet's body as a copy has it.
        std::string writable = c.data;
        std::vector<Packet> inPlace;
        EXPECT_EQ(ParsePacketsInPlace(writable, writable.data(), inPlace), c.status);
        ASSERT_EQ(inPlace.size(), packets.size());
        for (size_t i = 0; i < packets.size(); ++i) {
            EXPECT_EQ(inPlace[i].body, packets[i].body);
            EXPECT_FALSE(inPlace[i].joined);
        }
    }
}

TEST(S2K, SpecifiersAndCounts)
{
    using namespace std::string_literals;
    const struct {
        std::string data;
        bool ok;
        int type;
        uint32_t count;
    } cases[] = {
        { "\x00\x02"s, true, S2K::kSimple, 0 },
        { "\x01\x08saltsalt"s, true, S2K::kSalted, 0 },
        { "\x03\x08saltsalt\x60"s, true, S2K::kIterated, 65536 },
        { "\x03\x02saltsalt\xFF"s, true, S2K::kIterated, 65011712 },
        { "\x65\x00GNU\x01"s, true, S2K::kGnuExtension, 0 },
        { "\x03\x08salt"s, false, 0, 0 },
        { "\x02\x08"s, false, 0, 0 },
        { "\x65\x00GNX\x01"s, false, 0, 0 },
    };
    for (const auto& c : cases) {
        ByteReader in(c.data);
        S2K s2k;
        ASSERT_EQ(ReadS2K(in, s2k), c.ok) << Hex(c.data);
        if (!c.ok)
            continue;
        EXPECT_EQ(s2k.type, c.type);
        if (c.type == S2K::kIterated) {
            EXPECT_EQ(s2k.Count(), c.count);
        }
        if (c.type != S2K::kGnuExtension) {
            EXPECT_EQ(WriteS2K(s2k), c.data);
        }
    }
}

TEST(Compression, RoundTripsAndRefusals)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line " + std::to_string(i % 37) + "\r\n";
    for (int algorithm : { kCompressNone, kCompressZip, kCompressZlib }) {
        SCOPED_TRACE(algorithm);
        std::string packed, unpacked;
        ASSERT_EQ(Compress(algorithm, text, packed), kPGPError_NoErr);
        if (algorithm != kCompressNone) {
            EXPECT_LT(packed.size(), text.size() / 4);
        }
        ASSERT_EQ(Decompress(algorithm, packed, unpacked, text.size()), kPGPError_NoErr);
        EXPECT_EQ(unpacked, text);
        // Output beyond the limit is refused rather than produced.
        EXPECT_EQ(Decompress(algorithm, packed, unpacked, text.size() - 1), kPGPError_CorruptData);
        if (algorithm != kCompressNone) {
            EXPECT_EQ(Decompress(algorithm, packed.substr(0, packed.size() / 2), unpacked, text.size()),
                      kPGPError_CorruptData);
        }
        if (algorithm == kCompressZlib) { // only the zlib wrapper carries a checksum
            std::string damaged = packed;
            damaged[damaged.size() / 2] ^= 0x55;
            EXPECT_EQ(Decompress(algorithm, damaged, unpacked, text.size()), kPGPError_CorruptData);
        }
    }
    std::string out;
    EXPECT_EQ(Compress(kCompressBzip2, text, out), kPGPError_UnsupportedAlgorithm);
    EXPECT_EQ(Decompress(7, "x", out, 10), kPGPError_UnsupportedAlgorithm);
}

// A message's stages fed in uneven pieces give what the whole-buffer forms give and read back
// whole, also where the data ends on or next to a chunk boundary.
TEST(Streams, StagesFedInPiecesReadBackWhole)
{
    const ArmorHeaders headers = { { "Version", "v" } };
    for (size_t size : { size_t(0), size_t(1), size_t(47), size_t(48), size_t(65535), size_t(65536), size_t(65537),
             size_t(3) << 16, size_t(200001) }) {
        SCOPED_TRACE(size);
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>((i * 7919) >> 3 ^ i);
        auto feed = [&](Sink& sink) {
            for (size_t at = 0, piece = 1; at < size; at += piece, piece = piece * 3 % 70001 + 1)
                sink.Write(std::string_view(data).substr(at, piece));
        };

        std::string armored;
        StringSink armorOut(armored);
        ArmorSink armor(armorOut, "MESSAGE", headers);
        feed(armor);
        armor.Close();
        EXPECT_EQ(armored, Armor("MESSAGE", data, headers));
        EXPECT_EQ(armored.size(), ArmoredSize("MESSAGE", size, headers));

        // A packet in partial chunks, then another packet behind it; read in place and from a copy.
        std::string packets;
        StringSink packetsOut(packets);
        PartialPacketSink partial(packetsOut, kTagLiteral);
        feed(partial);
        partial.Close();
        EXPECT_LE(packets.size(), PartialPacketSink::MaxSize(size));
        packets += WritePacket(kTagMarker, "PGP");
        std::vector<Packet> read;
        ASSERT_EQ(ParsePackets(packets, read), kPGPError_NoErr);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_TRUE(read[0].newFormat);
        EXPECT_EQ(read[0].body, data);
        EXPECT_EQ(read[1].body, "PGP");
        read.clear();
        ASSERT_EQ(ParsePacketsInPlace(packets, packets.data(), read), kPGPError_NoErr);
        EXPECT_EQ(read[0].body, data);

        std::string compressed, inflated;
        StringSink compressedOut(compressed);
        DeflateSink deflater(compressedOut, kCompressZlib);
        ASSERT_EQ(deflater.Status(), kPGPError_NoErr);
        feed(deflater);
        deflater.Close();
        EXPECT_LE(compressed.size(), CompressBound(size));
        ASSERT_EQ(Decompress(kCompressZlib, compressed, inflated, size), kPGPError_NoErr);
        EXPECT_EQ(inflated, data);
    }
}

struct ExpectedKey {
    const char* file;
    bool armored;
    int algorithm;
    int bits;
    const char* keyID;
    const char* fingerprint;
    uint32_t created;
    int subAlgorithm;
    const char* subKeyID;
    const char* userID;
};

// The values GnuPG listed for its fixtures (gpg --with-colons --fixed-list-mode --list-keys).
const ExpectedKey kFixtureKeys[] = {
    { "alice-public.asc", true, 1, 2048, "EAB9540747794AFA", "82A0E69A0E6EBD0B4C05A529EAB9540747794AFA", 1796764071,
      1, "54180C538F185CC9", "Alice Example <alice@example.org>" },
    { "bob-public.gpg", false, 17, 2048, "D6B0DD7E9DC84292", "7C763DE04E769844AC0B6AB9D6B0DD7E9DC84292", 1796764074,
      16, "EBAE850406C559EB", "Bob Legacy <bob@example.org>" },
};

// The packets view `data`, which receives the fixture's bytes.
std::vector<Packet> FixturePackets(const std::string& file, bool armored, std::string& data)
{
    data = Fixture(file);
    if (armored) {
        Armored block;
        EXPECT_EQ(Dearmor(data, block), kPGPError_NoErr);
        data = block.data;
    }
    std::vector<Packet> packets;
    EXPECT_EQ(ParsePackets(data, packets), kPGPError_NoErr);
    return packets;
}

TEST(KeyPackets, GnuPGFixturesReadAsGnuPGListsThem)
{
    for (const auto& e : kFixtureKeys) {
        SCOPED_TRACE(e.file);
        std::string data;
        auto packets = FixturePackets(e.file, e.armored, data);
        ASSERT_GE(packets.size(), 5u);
        ASSERT_EQ(packets[0].tag, kTagPublicKey);
        PublicKey key;
        ASSERT_EQ(ParsePublicKey(packets[0].body, key), kPGPError_NoErr);
        EXPECT_EQ(key.algorithm, e.algorithm);
        EXPECT_EQ(key.Bits(), e.bits);
        EXPECT_EQ(Hex(key.KeyID()), e.keyID);
        EXPECT_EQ(Hex(key.Fingerprint()), e.fingerprint);
        EXPECT_EQ(key.created, e.created);
        ASSERT_EQ(packets[1].tag, kTagUserID);
        EXPECT_EQ(packets[1].body, e.userID);
        Signature selfSig;
        ASSERT_EQ(packets[2].tag, kTagSignature);
        ASSERT_EQ(ParseSignature(packets[2].body, selfSig), kPGPError_NoErr);
        EXPECT_EQ(selfSig.type, kSigPositiveCert);
        EXPECT_EQ(Hex(selfSig.issuer), e.keyID);
        EXPECT_EQ(selfSig.keyFlags, 3); // certify and sign
        EXPECT_TRUE(selfSig.primaryUserID || !selfSig.preferredCiphers.empty());
        EXPECT_EQ(packets[3].tag, kTagPublicSubkey);
        PublicKey sub;
        ASSERT_EQ(ParsePublicKey(packets[3].body, sub), kPGPError_NoErr);
        EXPECT_EQ(sub.algorithm, e.subAlgorithm);
        EXPECT_EQ(Hex(sub.KeyID()), e.subKeyID);
        Signature binding;
        ASSERT_EQ(ParseSignature(packets[4].body, binding), kPGPError_NoErr);
        EXPECT_EQ(binding.type, kSigSubkeyBinding);
        EXPECT_EQ(binding.keyFlags, 0x0C); // encrypt communications and storage
    }
}

TEST(KeyPackets, SecretKeysUnlockOnlyWithTheirPassphrase)
{
    std::string aliceData;
    auto alice = FixturePackets("alice-secret.asc", true, aliceData);
    ASSERT_EQ(alice[0].tag, kTagSecretKey);
    SecretKey key;
    ASSERT_EQ(ParseSecretKey(alice[0].body, key), kPGPError_NoErr);
    EXPECT_EQ(key.usage, 254);
    EXPECT_EQ(key.s2k.type, S2K::kIterated);
    std::vector<std::string> secrets;
    EXPECT_EQ(UnlockSecretKey(key, "wrong passphrase", secrets), kPGPError_BadPassphrase);
    ASSERT_EQ(UnlockSecretKey(key, "test passphrase", secrets), kPGPError_NoErr);
    ASSERT_EQ(secrets.size(), 4u); // d, p, q, u
    EXPECT_EQ(BitLength(secrets[1]) + BitLength(secrets[2]), 2048);

    std::string bobData;
    auto bob = FixturePackets("bob-secret.gpg", false, bobData);
    ASSERT_EQ(ParseSecretKey(bob[0].body, key), kPGPError_NoErr);
    EXPECT_FALSE(key.Protected());
    ASSERT_EQ(UnlockSecretKey(key, "", secrets), kPGPError_NoErr);
    EXPECT_EQ(secrets.size(), 1u);
    // A flipped bit in clear secret data breaks its checksum.
    key.secretData[3] ^= 1;
    EXPECT_EQ(UnlockSecretKey(key, "", secrets), kPGPError_KeyFileCorrupt);
}

TEST(KeyPackets, TruncatedKeyAndSignaturePacketsGiveAStatus)
{
    std::string data;
    auto packets = FixturePackets("bob-public.gpg", false, data);
    for (const auto& packet : packets) {
        for (size_t cut = 0; cut < packet.body.size(); cut += 1 + cut / 8) {
            std::string_view part(packet.body.data(), cut);
            if (packet.tag == kTagPublicKey || packet.tag == kTagPublicSubkey) {
                PublicKey key;
                EXPECT_NE(ParsePublicKey(part, key), kPGPError_NoErr) << cut;
            } else if (packet.tag == kTagSignature) {
                Signature signature;
                EXPECT_NE(ParseSignature(part, signature), kPGPError_NoErr) << cut;
            }
        }
    }
}

} // namespace
} // namespace standin::openpgp
