// GnuPG and the stand-in's PGPEncode/PGPDecode as peers: gpg reads messages we encrypt to RSA and
// ElGamal keys or to a passphrase and sign with RSA and DSA keys; we read gpg's, with the events of
// the contract; tampered data and wrong passphrases give their statuses.
#include "standins/pgpsdk/StandInExports.h"
#include "standins/pgpsdk/openpgp/Armor.h"
#include "standins/pgpsdk/openpgp/Grammar.h"
#include "standins/pgpsdk/openpgp/Message.h"
#include "standins/pgpsdk/openpgp/Packets.h"

#include "support/RunCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

namespace {

namespace fs = std::filesystem;

const char kPassphrase[] = "encode interop";

std::string WithoutCR(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// What a decode told its handler, and how the handler answers.
struct DecodeLog {
    std::vector<int> events;
    std::vector<std::string> outputs;
    std::vector<void*> buffers;
    std::vector<PGPSize> lengths = std::vector<PGPSize>(8);
    std::vector<PGPEventSignatureData> signatures;
    std::vector<bool> conventional;
    const char* passphrase = nullptr;
    PGPContextRef context = 0;

    static PGPError Handler(PGPContextRef context, PGPEvent* event, void* user)
    {
        auto* log = static_cast<DecodeLog*>(user);
        log->events.push_back(event->type);
        if (event->type == kPGPEvent_Passphrase) {
            log->conventional.push_back(event->data.passphraseData.fromConventional != 0);
            if (log->passphrase)
                PGPAddJobOptions(event->job, PGPOPassphrase(context, log->passphrase), kPGPEndOfOptions);
        } else if (event->type == kPGPEvent_Output) {
            log->buffers.push_back(nullptr);
            PGPAddJobOptions(event->job,
                             PGPOAllocatedOutputBuffer(context, &log->buffers.back(), ~0u,
                                                       &log->lengths[log->buffers.size() - 1]),
                             kPGPEndOfOptions);
        } else if (event->type == kPGPEvent_Signature) {
            log->signatures.push_back(event->data.signatureData);
        }
        return 0;
    }
    void Collect()
    {
        for (size_t i = 0; i < buffers.size(); ++i) {
            outputs.emplace_back(static_cast<const char*>(buffers[i]), buffers[i] ? lengths[i] : 0);
            if (buffers[i])
                PGPFreeData(buffers[i]);
        }
        buffers.clear();
    }
};

PGPError Decode(PGPContextRef context, PGPKeyDBRef db, const std::string& message, DecodeLog& log,
                bool passThrough = false)
{
    log.buffers.reserve(8);
    PGPError status = PGPDecode(context, PGPOInputBuffer(context, message.data(), message.size()),
                                PGPOKeyDBRef(context, db), PGPOEventHandler(context, DecodeLog::Handler, &log),
                                PGPOPassThroughIfUnrecognized(context, passThrough), kPGPEndOfOptions);
    log.Collect();
    return status;
}

class GnuPGReadsOurMessages : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        home = fs::temp_directory_path() / ("zavek-encode-" + std::to_string(getpid()));
        fs::create_directories(home);
        fs::permissions(home, fs::perms::owner_all);
        Gpg("--quick-gen-key 'Gina RSA <gina@example.net>' rsa2048 sign never");
        Gpg("--quick-add-key " + Fingerprint("gina@example.net") + " rsa2048 encr never");
        Gpg("--quick-gen-key 'Hugo DSA <hugo@example.net>' dsa2048 sign never");
        Gpg("--quick-add-key " + Fingerprint("hugo@example.net") + " elg2048 encr never");
        keys = Gpg("--armor --export-secret-keys gina@example.net hugo@example.net");
    }
    static void TearDownTestSuite()
    {
        RunCommand("gpgconf --homedir '" + home.string() + "' --kill all 2>/dev/null");
        fs::remove_all(home);
    }
    static std::string Fingerprint(const std::string& who)
    {
        std::stringstream in(Gpg("--with-colons --list-keys " + who));
        for (std::string line; std::getline(in, line);)
            if (line.rfind("fpr:", 0) == 0)
                return line.substr(12, 40);
        return {};
    }
    static std::string Gpg(const std::string& arguments)
    {
        return RunCommand("gpg --homedir '" + home.string() + "' --batch --yes --pinentry-mode loopback --passphrase '"
                          + kPassphrase + "' " + arguments + " 2>/dev/null");
    }
    // gpg's plaintext and its status lines for a message of ours.
    static std::pair<std::string, std::string> GpgDecrypt(const std::string& message, const std::string& passphrase)
    {
        fs::path in = home / "message.pgp", out = home / "plain.out", status = home / "status.txt";
        std::ofstream(in, std::ios::binary) << message;
        fs::remove(out);
        RunCommand("gpg --homedir '" + home.string() + "' --batch --yes --pinentry-mode loopback --passphrase '"
                   + passphrase + "' --status-file '" + status.string() + "' --output '" + out.string()
                   + "' --decrypt '" + in.string() + "' 2>/dev/null");
        std::ifstream plain(out, std::ios::binary), lines(status);
        return { std::string(std::istreambuf_iterator<char>(plain), {}),
                 std::string(std::istreambuf_iterator<char>(lines), {}) };
    }

    void SetUp() override
    {
        ASSERT_EQ(PGPsdkInit(0), kPGPError_NoErr);
        ASSERT_EQ(PGPNewContext(kPGPContextVersion, &context), kPGPError_NoErr);
        ASSERT_EQ(PGPImport(context, &db, PGPOInputBuffer(context, keys.data(), keys.size()), kPGPEndOfOptions), 0);
    }
    void TearDown() override
    {
        PGPFreeKeyDB(db);
        PGPFreeContext(context);
        PGPsdkCleanup();
    }
    PGPKeySetRef KeysMatching(const char* email)
    {
        PGPFilterRef filter = 0;
        PGPKeySetRef set = 0;
        EXPECT_EQ(PGPNewKeyDBObjDataFilter(context, kPGPUserIDProperty_EmailAddress, email, std::strlen(email),
                                           kPGPMatch_SubString, &filter),
                  kPGPError_NoErr);
        EXPECT_EQ(PGPFilterKeySet(PGPPeekKeyDBRootKeySet(db), filter, &set), kPGPError_NoErr);
        PGPFreeFilter(filter);
        return set;
    }
    PGPKeyDBObjRef FirstKey(PGPKeySetRef set)
    {
        PGPKeyIterRef iter = 0;
        PGPKeyDBObjRef key = 0;
        EXPECT_EQ(PGPNewKeyIterFromKeySet(set, &iter), kPGPError_NoErr);
        EXPECT_EQ(PGPKeyIterNextKeyDBObj(iter, kPGPIter_Key, &key), kPGPError_NoErr);
        PGPFreeKeyIter(iter);
        return key;
    }
    std::string Take(void* buffer, PGPSize length)
    {
        std::string data(static_cast<const char*>(buffer), length);
        PGPFreeData(buffer);
        return data;
    }

    static inline fs::path home;
    static inline std::string keys;
    PGPContextRef context = 0;
    PGPKeyDBRef db = 0;
};

TEST_F(GnuPGReadsOurMessages, EncryptedAndSignedToKeys)
{
    std::string text = "Dear Gina,\nline two with trailing space \n\nend\n";
    std::mt19937 random(7);
    std::string binary(100000, '\0');
    for (char& c : binary)
        c = static_cast<char>(random());
    std::string oneByte(1, '\x7F');
    std::string large(10 << 20, '\0');
    for (char& c : large)
        c = static_cast<char>(random());
    const struct {
        const char* what;
        const char* to; // recipients' e-mail filter
        const char* signer; // null: not signed
        bool textMode, armor, compress;
        const std::string* data;
    } cases[] = {
        { "text to RSA, signed with RSA, armoured", "gina@", "gina@", true, true, true, &text },
        { "binary to ElGamal, unsigned", "hugo@", nullptr, false, false, false, &binary },
        { "binary to both, signed with DSA", "@example.net", "hugo@", false, true, true, &binary },
        { "one byte", "gina@", "gina@", false, false, true, &oneByte },
        { "ten megabytes", "gina@", "hugo@", false, false, true, &large },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PGPKeySetRef to = KeysMatching(c.to);
        PGPKeySetRef signers = c.signer ? KeysMatching(c.signer) : 0;
        void* buffer = nullptr;
        PGPSize length = 0;
        PGPOptionListRef sign = signers ? PGPOSignWithKey(context, FirstKey(signers), PGPOPassphrase(context, kPassphrase),
                                                          kPGPEndOfOptions)
                                        : PGPONullOption(context);
        ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, c.data->data(), c.data->size()),
                            PGPOEncryptToKeySet(context, to), sign, PGPODataIsASCII(context, c.textMode),
                            PGPOArmorOutput(context, c.armor), PGPOCompression(context, c.compress),
                            PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
                  kPGPError_NoErr);
        std::string message = Take(buffer, length);
        EXPECT_EQ(message.rfind("-----BEGIN PGP MESSAGE-----\r\n", 0) == 0, c.armor);
        auto [plain, status] = GpgDecrypt(message, kPassphrase);
        EXPECT_EQ(c.textMode ? WithoutCR(plain) : plain, *c.data);
        EXPECT_NE(status.find("DECRYPTION_OKAY"), std::string::npos) << status;
        EXPECT_NE(status.find("GOODMDC"), std::string::npos) << status;
        EXPECT_EQ(status.find("GOODSIG") != std::string::npos, c.signer != nullptr) << status;
        PGPFreeKeySet(to);
        if (signers)
            PGPFreeKeySet(signers);
    }
}

// Text is written in its canonical form whatever its line ends, and signed in that form; read back
// by gpg and by us across many partial chunks, compressed or not, armoured or not.
TEST_F(GnuPGReadsOurMessages, TextInEveryLineEndFormStreamsAsItsCanonicalForm)
{
    std::mt19937 random(11);
    std::string mixed, canonical;
    const char* const ends[] = { "\n", "\r\n", "\r" };
    while (mixed.size() < 300000) {
        std::string line(1 + random() % 150, 'a' + static_cast<char>(random() % 26)); // a lone CR then LF would be one end
        const char* end = ends[random() % 3];
        mixed += line + end;
        canonical += line + "\r\n";
    }
    mixed += "no line end at the end";
    canonical += "no line end at the end";
    PGPKeySetRef gina = KeysMatching("gina@");
    for (const std::string* text : { &mixed, &canonical })
        for (bool compress : { true, false })
            for (bool armor : { true, false }) {
                SCOPED_TRACE(std::string(text == &mixed ? "mixed" : "canonical") + (compress ? " compressed" : "")
                             + (armor ? " armoured" : ""));
                void* buffer = nullptr;
                PGPSize length = 0;
                ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, text->data(), text->size()),
                                    PGPOEncryptToKeySet(context, gina),
                                    PGPOSignWithKey(context, FirstKey(gina), PGPOPassphrase(context, kPassphrase),
                                                    kPGPEndOfOptions),
                                    PGPODataIsASCII(context, 1), PGPOArmorOutput(context, armor),
                                    PGPOCompression(context, compress),
                                    PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
                          kPGPError_NoErr);
                std::string message = Take(buffer, length);
                EXPECT_EQ(message.starts_with("-----BEGIN PGP MESSAGE-----\r\n"), armor);
                EXPECT_TRUE(!armor || message.ends_with("\r\n-----END PGP MESSAGE-----\r\n"));
                auto [plain, status] = GpgDecrypt(message, kPassphrase);
                EXPECT_TRUE(WithoutCR(plain) == WithoutCR(canonical)) << plain.size();
                EXPECT_NE(status.find("GOODMDC"), std::string::npos) << status;
                EXPECT_NE(status.find("GOODSIG"), std::string::npos) << status;

                DecodeLog log;
                log.passphrase = kPassphrase;
                ASSERT_EQ(Decode(context, db, message, log), kPGPError_NoErr);
                ASSERT_EQ(log.outputs.size(), 1u);
                EXPECT_TRUE(log.outputs[0] == canonical) << log.outputs[0].size();
                ASSERT_EQ(log.signatures.size(), 1u);
                EXPECT_TRUE(log.signatures[0].verified);
            }
    PGPFreeKeySet(gina);
}

TEST_F(GnuPGReadsOurMessages, EncryptedToAPassphraseAndRefusedWithoutOne)
{
    std::string data = "only with the passphrase\n";
    void* buffer = nullptr;
    PGPSize length = 0;
    ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, data.data(), data.size()),
                        PGPOConventionalEncrypt(context, PGPOPassphrase(context, "sesame"), kPGPEndOfOptions),
                        PGPOCipherAlgorithm(context, 7), PGPOArmorOutput(context, 1),
                        PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
              kPGPError_NoErr);
    std::string message = Take(buffer, length);
    EXPECT_EQ(GpgDecrypt(message, "sesame").first, data);
    EXPECT_EQ(GpgDecrypt(message, "not sesame").first, "");

    // To keys and a passphrase at once: the passphrase alone opens it, for gpg without the keys and
    // for us with an empty key database.
    PGPKeySetRef both = KeysMatching("@example.net");
    buffer = nullptr;
    ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, data.data(), data.size()), PGPOEncryptToKeySet(context, both),
                        PGPOConventionalEncrypt(context, PGPOPassphrase(context, "sesame"), kPGPEndOfOptions),
                        PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
              kPGPError_NoErr);
    PGPFreeKeySet(both);
    std::string mixed = Take(buffer, length);
    fs::path stranger = home / "stranger";
    fs::create_directories(stranger);
    fs::permissions(stranger, fs::perms::owner_all);
    std::ofstream(stranger / "m.pgp", std::ios::binary) << mixed;
    EXPECT_EQ(RunCommand("gpg --homedir '" + stranger.string() + "' --batch --pinentry-mode loopback --passphrase sesame "
                         "--decrypt '" + (stranger / "m.pgp").string() + "' 2>/dev/null"),
              data);
    RunCommand("gpgconf --homedir '" + stranger.string() + "' --kill all 2>/dev/null");
    PGPKeyDBRef empty = 0;
    ASSERT_EQ(PGPNewKeyDB(context, &empty), kPGPError_NoErr);
    DecodeLog log;
    log.passphrase = "sesame";
    ASSERT_EQ(Decode(context, empty, mixed, log), kPGPError_NoErr);
    EXPECT_EQ(log.outputs, std::vector<std::string> { data });
    EXPECT_EQ(log.conventional, std::vector<bool> { true });
    PGPFreeKeyDB(empty);

    // Signing without a passphrase, and none cached, fails before anything is written.
    PGPKeySetRef gina = KeysMatching("gina@");
    static PGPError reported = 0;
    auto handler = [](PGPContextRef, PGPEvent* event, void*) {
        if (event->type == kPGPEvent_Error)
            reported = event->data.errorData.error;
        return PGPError(0);
    };
    buffer = nullptr;
    EXPECT_EQ(PGPEncode(context, PGPOInputBuffer(context, data.data(), data.size()),
                        PGPOSignWithKey(context, FirstKey(gina), kPGPEndOfOptions), PGPOEventHandler(context, handler, nullptr),
                        PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
              kPGPError_BadPassphrase);
    EXPECT_EQ(reported, kPGPError_BadPassphrase);
    EXPECT_EQ(buffer, nullptr);
    PGPFreeKeySet(gina);
}

TEST_F(GnuPGReadsOurMessages, WeReadGnuPGsSignedAndEncryptedMessages)
{
    std::string text = "from gpg to us\nsecond line\n";
    fs::path plain = home / "gpg-plain.txt";
    std::ofstream(plain, std::ios::binary) << text;
    std::string message = Gpg("--armor --trust-model always --local-user hugo@example.net --recipient gina@example.net "
                              "--sign --encrypt --output - '" + plain.string() + "'");
    ASSERT_NE(message.find("BEGIN PGP MESSAGE"), std::string::npos);
    DecodeLog log;
    log.passphrase = kPassphrase;
    ASSERT_EQ(Decode(context, db, message, log), kPGPError_NoErr);
    EXPECT_EQ(log.events, (std::vector<int> { kPGPEvent_BeginLex, kPGPEvent_Analyze, kPGPEvent_Recipients,
                                               kPGPEvent_Passphrase, kPGPEvent_Output, kPGPEvent_Signature,
                                               kPGPEvent_EndLex }));
    ASSERT_EQ(log.outputs.size(), 1u);
    EXPECT_EQ(log.outputs[0], text);
    ASSERT_EQ(log.signatures.size(), 1u);
    EXPECT_TRUE(log.signatures[0].checked);
    EXPECT_TRUE(log.signatures[0].verified);
    EXPECT_NE(log.signatures[0].signingKey, 0u);
    EXPECT_EQ(log.conventional, std::vector<bool> { false });

    // Passphrase-only messages ask with the conventional flag.
    DecodeLog symmetric;
    symmetric.passphrase = "gpg secret";
    std::string conventional = RunCommand("gpg --homedir '" + home.string()
                                          + "' --batch --pinentry-mode loopback --passphrase 'gpg secret' --symmetric "
                                            "--output - '" + plain.string() + "' 2>/dev/null");
    ASSERT_EQ(Decode(context, db, conventional, symmetric), kPGPError_NoErr);
    ASSERT_EQ(symmetric.outputs.size(), 1u);
    EXPECT_EQ(symmetric.outputs[0], text);
    EXPECT_EQ(symmetric.conventional, std::vector<bool> { true });
}

TEST_F(GnuPGReadsOurMessages, TamperingWrongPassphrasesAndUnprotectedDataAreRefused)
{
    fs::path plain = home / "gpg-plain2.txt";
    std::mt19937 random(11);
    std::string noise(3000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    std::ofstream(plain, std::ios::binary) << noise;
    std::string message = Gpg("--trust-model always --recipient gina@example.net --encrypt --output - '"
                              + plain.string() + "'");
    ASSERT_GT(message.size(), 600u);
    std::string tampered = message;
    tampered[tampered.size() - 30] ^= 0x01;
    DecodeLog log;
    log.passphrase = kPassphrase;
    EXPECT_EQ(Decode(context, db, tampered, log), kPGPError_IntegrityCheckFailed);
    EXPECT_TRUE(log.outputs.empty());

    DecodeLog wrong;
    wrong.passphrase = "not the passphrase";
    EXPECT_EQ(Decode(context, db, message, wrong), kPGPError_BadPassphrase);
    EXPECT_EQ(std::count(wrong.events.begin(), wrong.events.end(), int(kPGPEvent_Passphrase)), 5);

    DecodeLog old;
    std::string unprotected = standin::openpgp::WritePacket(standin::openpgp::kTagSymmetricallyEncrypted,
                                                            std::string(64, 'x'));
    EXPECT_EQ(Decode(context, db, unprotected, old), kPGPError_IntegrityCheckFailed);
    EXPECT_TRUE(old.outputs.empty());
}

// Armoured encrypted messages are read from their armour as they are decrypted: compressed or not,
// to keys or to a passphrase, signed or not; damage found on the way gives no output.
TEST_F(GnuPGReadsOurMessages, ArmouredMessagesAreReadAsTheyAreDecrypted)
{
    fs::path plain = home / "gpg-armoured.txt";
    std::mt19937 random(5);
    std::string text;
    while (text.size() < 2000000)
        text += std::string(1 + random() % 90, 'a' + static_cast<char>(random() % 26)) + "\r\n";
    std::ofstream(plain, std::ios::binary) << text;
    const struct {
        const char* what;
        std::string arguments;
        bool signedToo;
    } cases[] = {
        { "compressed, signed", "--recipient gina@example.net --local-user hugo@example.net --sign --encrypt", true },
        { "uncompressed", "-z 0 --recipient gina@example.net --encrypt", false },
        { "to a passphrase", "--symmetric", false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string message
            = Gpg("--trust-model always --armor --output - " + c.arguments + " '" + plain.string() + "'");
        ASSERT_TRUE(message.starts_with("-----BEGIN PGP MESSAGE-----"));
        DecodeLog log;
        log.passphrase = kPassphrase;
        ASSERT_EQ(Decode(context, db, "Before\r\n" + message + "After\r\n", log, true), kPGPError_NoErr);
        ASSERT_EQ(log.outputs.size(), 3u);
        EXPECT_EQ(log.outputs[0], "Before\r\n");
        EXPECT_TRUE(log.outputs[1] == text) << log.outputs[1].size();
        EXPECT_EQ(log.outputs[2], "After\r\n");
        EXPECT_EQ(log.signatures.size() == 1 && log.signatures[0].verified, c.signedToo);
    }

    // A letter changed in the middle: the checksum refuses the block, or without one the MDC does.
    std::string message = Gpg("--trust-model always --armor --output - --recipient gina@example.net --encrypt '"
                              + plain.string() + "'");
    size_t middle = message.size() / 2;
    message[middle] = message[middle] == 'A' ? 'B' : 'A';
    DecodeLog refused;
    refused.passphrase = kPassphrase;
    EXPECT_EQ(Decode(context, db, message, refused), kPGPError_NoErr);
    EXPECT_TRUE(refused.outputs.empty());
    size_t checksum = message.rfind("\n=");
    ASSERT_NE(checksum, std::string::npos);
    message.erase(checksum + 1, message.find('\n', checksum + 1) - checksum);
    DecodeLog tampered;
    tampered.passphrase = kPassphrase;
    EXPECT_EQ(Decode(context, db, message, tampered), kPGPError_IntegrityCheckFailed);
    EXPECT_TRUE(tampered.outputs.empty());
}

TEST_F(GnuPGReadsOurMessages, PacketsOutsideTheMessageGrammarAreRefusedLikeGnuPGDoes)
{
    using namespace standin::openpgp;
    fs::path plain = home / "grammar-plain.txt";
    std::ofstream(plain, std::ios::binary) << "genuine text\n";
    std::string forged;
    AppendLiteralPacket(forged, "forged text\n", false, "", 0);
    std::string encrypted = Gpg("--trust-model always --recipient gina@example.net --encrypt --output - '"
                                + plain.string() + "'");
    std::string signedMessage = Gpg("--local-user hugo@example.net --compress-algo none --sign --output - '"
                                    + plain.string() + "'");
    std::string clear = Gpg("--local-user hugo@example.net --clearsign --output - '" + plain.string() + "'");
    ASSERT_FALSE(encrypted.empty());
    ASSERT_FALSE(signedMessage.empty());
    // A clear-text signature whose armoured block also carries a literal.
    size_t block = clear.find("-----BEGIN PGP SIGNATURE-----");
    Armored signatureBlock;
    ASSERT_EQ(Dearmor(clear.substr(block), signatureBlock), kPGPError_NoErr);
    std::string clearWithLiteral = clear.substr(0, block) + Armor("SIGNATURE", signatureBlock.data + forged);
    // Two literals inside one integrity-protected packet, opened by a passphrase.
    std::string sessionKey;
    std::string skesk = SKESKBody(9, "sesame", sessionKey);
    std::string inside = forged;
    AppendLiteralPacket(inside, "b", false, "", 0);
    std::string twoInside = WritePacket(kTagSKESK, skesk);
    ASSERT_TRUE(AppendSEIPDPacket(twoInside, 9, sessionKey, inside));
    const struct {
        const char* what;
        std::string message;
        const char* passphrase;
    } cases[] = {
        { "literal after the encrypted packet", encrypted + forged, kPassphrase },
        { "literal after the signature", signedMessage + forged, nullptr },
        { "literal before the signed message", forged + signedMessage, nullptr },
        { "two literals inside the encrypted packet", twoInside, "sesame" },
        { "literal in a clear-text signature block", clearWithLiteral, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DecodeLog log;
        log.passphrase = c.passphrase;
        EXPECT_NE(Decode(context, db, c.message, log), kPGPError_NoErr);
        EXPECT_TRUE(log.outputs.empty());
        EXPECT_TRUE(log.signatures.empty());
        // gpg refuses them as well ("multiple plaintexts", "BAD signature", unexpected packets).
        auto [gpgPlain, status] = GpgDecrypt(c.message, c.passphrase ? c.passphrase : kPassphrase);
        EXPECT_EQ(status.find("GOODSIG"), std::string::npos) << status;
        EXPECT_TRUE(status.find("ERROR") != std::string::npos || status.find("BADSIG") != std::string::npos
                    || status.find("NODATA") != std::string::npos)
            << status;
    }
    // The genuine messages, with a marker packet and trailing padding that the grammar allows.
    std::string marker = WritePacket(kTagMarker, "PGP");
    std::string padding = WritePacket(kTagPadding, std::string(16, '\0'));
    for (const std::string& message : { marker + encrypted + padding, marker + signedMessage }) {
        DecodeLog log;
        log.passphrase = kPassphrase;
        ASSERT_EQ(Decode(context, db, message, log), kPGPError_NoErr);
        EXPECT_EQ(log.outputs, std::vector<std::string> { "genuine text\n" });
    }
}

TEST_F(GnuPGReadsOurMessages, BinaryContentIsDataWhateverItsFirstByte)
{
    std::mt19937 random(21);
    auto sample = [&](size_t size, int first) {
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(random());
        data[0] = static_cast<char>(first);
        return data;
    };
    auto decode = [&](PGPKeyDBRef keys, const std::string& message, std::string& output) {
        DecodeLog log;
        log.passphrase = kPassphrase;
        PGPError status = PGPDecode(context, PGPOInputBuffer(context, message.data(), message.size()),
                                    PGPOKeyDBRef(context, keys), PGPOEventHandler(context, DecodeLog::Handler, &log),
                                    PGPORecursivelyDecode(context, 1), PGPOPassThroughIfUnrecognized(context, 1),
                                    kPGPEndOfOptions);
        log.Collect();
        output = log.outputs.size() == 1 ? log.outputs[0] : std::string();
        return status == kPGPError_NoErr && log.outputs.size() == 1;
    };
    // Every first byte, in a literal packet as gpg --store writes it: what the decoder does with
    // the content of a literal, without the cost of opening hundreds of encrypted messages.
    for (size_t size : { size_t(1), size_t(1000), size_t(200000) })
        for (int first = 0; first < 256; ++first) {
            SCOPED_TRACE(std::to_string(size) + " bytes from " + std::to_string(first));
            std::string data = sample(size, first), output;
            using namespace standin::openpgp;
            std::string literal;
            AppendLiteralPacket(literal, data, false, "", 0);
            EXPECT_TRUE(decode(db, literal, output));
            EXPECT_TRUE(output == data);
        }

    // Encrypted both ways with gpg: the first bytes that look like packet headers and their
    // neighbours, up to ten megabytes; gpg encrypts and decrypts all files in one run each.
    struct Sample {
        std::string data;
        fs::path file;
    };
    std::vector<Sample> samples;
    std::string files;
    for (size_t size : { size_t(1), size_t(1000), size_t(200000), size_t(10) << 20 })
        for (int first : { 0x00, 0x8C, 0xA3, 0xFD, 0xFF }) {
            if (size > 200000 && first != 0x00 && first != 0xFD)
                continue;
            Sample one { sample(size, first), home / ("first-" + std::to_string(first) + "-" + std::to_string(size)) };
            std::ofstream(one.file, std::ios::binary) << one.data;
            files += " '" + one.file.string() + "'";
            samples.push_back(std::move(one));
        }
    Gpg("--trust-model always --recipient gina@example.net --multifile --encrypt" + files);
    PGPKeySetRef gina = KeysMatching("gina@");
    std::string ours;
    for (const auto& one : samples) {
        SCOPED_TRACE(one.file.filename().string());
        std::ifstream in(one.file.string() + ".gpg", std::ios::binary);
        std::string output;
        EXPECT_TRUE(decode(db, std::string(std::istreambuf_iterator<char>(in), {}), output));
        EXPECT_TRUE(output == one.data);
        void* buffer = nullptr;
        PGPSize length = 0;
        ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, one.data.data(), one.data.size()),
                            PGPOEncryptToKeySet(context, gina), PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length),
                            kPGPEndOfOptions),
                  kPGPError_NoErr);
        std::ofstream(one.file.string() + ".ours.gpg", std::ios::binary) << Take(buffer, length);
        fs::remove(one.file);
        ours += " '" + one.file.string() + ".ours.gpg'";
    }
    PGPFreeKeySet(gina);
    Gpg("--multifile --decrypt" + ours);
    for (const auto& one : samples) {
        SCOPED_TRACE(one.file.filename().string());
        std::ifstream in(one.file.string() + ".ours", std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == one.data);
        for (const char* suffix : { ".gpg", ".ours.gpg", ".ours" })
            fs::remove(one.file.string() + suffix);
    }
}

TEST_F(GnuPGReadsOurMessages, MixedTextIsDecodedSectionBySection)
{
    std::string data = "inner secret\n";
    PGPKeySetRef to = KeysMatching("hugo@");
    void* buffer = nullptr;
    PGPSize length = 0;
    ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, data.data(), data.size()), PGPOEncryptToKeySet(context, to),
                        PGPOArmorOutput(context, 1), PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length),
                        kPGPEndOfOptions),
              kPGPError_NoErr);
    std::string mixed = "Hello,\r\n\r\n" + Take(buffer, length) + "Bye\r\n";
    PGPFreeKeySet(to);
    DecodeLog log;
    log.passphrase = kPassphrase;
    ASSERT_EQ(Decode(context, db, mixed, log, true), kPGPError_NoErr);
    EXPECT_EQ(log.outputs, (std::vector<std::string> { "Hello,\r\n\r\n", data, "Bye\r\n" }));
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), int(kPGPEvent_BeginLex)), 3);
    DecodeLog quiet;
    quiet.passphrase = kPassphrase;
    ASSERT_EQ(Decode(context, db, mixed, quiet, false), kPGPError_NoErr);
    EXPECT_EQ(quiet.outputs, std::vector<std::string> { data });
}

TEST_F(GnuPGReadsOurMessages, NestedMessagesDecodeRecursivelyOnRequest)
{
    std::string data = "the innermost text\n";
    auto encrypt = [&](const std::string& what, const char* to) {
        PGPKeySetRef set = KeysMatching(to);
        void* buffer = nullptr;
        PGPSize length = 0;
        EXPECT_EQ(PGPEncode(context, PGPOInputBuffer(context, what.data(), what.size()), PGPOEncryptToKeySet(context, set),
                            PGPOArmorOutput(context, 1), PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length),
                            kPGPEndOfOptions),
                  kPGPError_NoErr);
        PGPFreeKeySet(set);
        return Take(buffer, length);
    };
    std::string inner = encrypt(data, "hugo@");
    std::string outer = encrypt(inner, "gina@");
    for (bool recursive : { true, false }) {
        SCOPED_TRACE(recursive);
        DecodeLog log;
        log.passphrase = kPassphrase;
        ASSERT_EQ(PGPDecode(context, PGPOInputBuffer(context, outer.data(), outer.size()), PGPOKeyDBRef(context, db),
                            PGPOEventHandler(context, DecodeLog::Handler, &log), PGPORecursivelyDecode(context, recursive),
                            kPGPEndOfOptions),
                  kPGPError_NoErr);
        log.Collect();
        EXPECT_EQ(log.outputs, std::vector<std::string> { recursive ? data : inner });
        EXPECT_EQ(std::count(log.events.begin(), log.events.end(), int(kPGPEvent_BeginLex)), recursive ? 2 : 1);
    }
}

TEST_F(GnuPGReadsOurMessages, PgpMimeEntitiesWithTheirBoundaryAndHeaderLength)
{
    std::string part = "Content-Type: text/plain; charset=us-ascii\r\n\r\nHello in PGP/MIME\r\n-- \r\nsig\r\n";
    PGPKeySetRef gina = KeysMatching("gina@");
    for (bool encrypted : { true, false }) {
        SCOPED_TRACE(encrypted);
        char separator[81] = {};
        PGPSize offset = 0;
        void* buffer = nullptr;
        PGPSize length = 0;
        PGPOptionListRef mode = encrypted ? PGPOEncryptToKeySet(context, gina) : PGPOClearSign(context, 1);
        ASSERT_EQ(PGPEncode(context, PGPOInputBuffer(context, part.data(), part.size()), mode,
                            PGPOSignWithKey(context, FirstKey(gina), PGPOPassphrase(context, kPassphrase), kPGPEndOfOptions),
                            PGPOPGPMIMEEncoding(context, 1, &offset, separator), PGPOOmitMIMEVersion(context, 1),
                            PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
                  kPGPError_NoErr);
        std::string entity = Take(buffer, length);
        std::string boundary = separator;
        ASSERT_GT(boundary.size(), 10u);
        ASSERT_GT(offset, 0u);
        EXPECT_EQ(entity.substr(offset - 4, 4), "\r\n\r\n");
        EXPECT_EQ(entity.substr(offset, boundary.size() + 4), "--" + boundary + "\r\n");
        EXPECT_EQ(entity.substr(entity.size() - boundary.size() - 6), "--" + boundary + "--\r\n");
        EXPECT_EQ(entity.find("Mime-Version"), std::string::npos);
        if (encrypted) {
            EXPECT_EQ(entity.rfind("Content-Type: multipart/encrypted; protocol=\"application/pgp-encrypted\";", 0), 0u);
            auto [plain, status] = GpgDecrypt(entity.substr(entity.find("-----BEGIN PGP MESSAGE")), kPassphrase);
            EXPECT_EQ(plain, part);
            EXPECT_NE(status.find("GOODSIG"), std::string::npos);
            continue;
        }
        EXPECT_NE(entity.find("micalg=pgp-sha256"), std::string::npos);
        // gpg checks the signature over the first part as sent; we read the whole entity.
        size_t first = offset + boundary.size() + 4;
        size_t end = entity.find("\r\n--" + boundary + "\r\n", first);
        fs::path content = home / "mime-part", signature = home / "mime-part.asc";
        std::ofstream(content, std::ios::binary) << entity.substr(first, end - first);
        std::ofstream(signature, std::ios::binary) << entity.substr(entity.find("-----BEGIN PGP SIGNATURE"));
        EXPECT_NE(Gpg("--status-fd 1 --verify '" + signature.string() + "' '" + content.string() + "'").find("GOODSIG"),
                  std::string::npos);
        DecodeLog log;
        ASSERT_EQ(Decode(context, db, entity, log), kPGPError_NoErr);
        ASSERT_EQ(log.signatures.size(), 1u);
        EXPECT_TRUE(log.signatures[0].verified);
        EXPECT_EQ(log.outputs, std::vector<std::string> { entity.substr(first, end - first) });
    }
    PGPFreeKeySet(gina);
}

TEST_F(GnuPGReadsOurMessages, ClearSignedAndDetachedSignaturesBothWays)
{
    std::string text = "-----dashes open this line\nsecond line with trailing blanks   \n\nFrom the end\n";
    PGPKeySetRef gina = KeysMatching("gina@");
    auto sign = [&](bool clear) {
        void* buffer = nullptr;
        PGPSize length = 0;
        EXPECT_EQ(PGPEncode(context, PGPOInputBuffer(context, text.data(), text.size()),
                            PGPOSignWithKey(context, FirstKey(gina), PGPOPassphrase(context, kPassphrase), kPGPEndOfOptions),
                            clear ? PGPOClearSign(context, 1) : PGPODetachedSig(context, kPGPEndOfOptions),
                            PGPODataIsASCII(context, 1), PGPOArmorOutput(context, 1),
                            PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
                  kPGPError_NoErr);
        return Take(buffer, length);
    };
    fs::path data = home / "signed.txt", signature = home / "signed.txt.asc", status = home / "verify-status.txt";
    std::ofstream(data, std::ios::binary) << text;
    auto gpgVerify = [&](const std::string& arguments) {
        RunCommand("gpg --homedir '" + home.string() + "' --batch --status-file '" + status.string() + "' --verify "
                   + arguments + " 2>/dev/null");
        std::ifstream lines(status);
        return std::string(std::istreambuf_iterator<char>(lines), {});
    };

    // Ours, checked by gpg.
    std::string clear = sign(true);
    EXPECT_EQ(clear.rfind("-----BEGIN PGP SIGNED MESSAGE-----\r\nHash: SHA256\r\n\r\n- -----dashes", 0), 0u);
    std::ofstream(signature, std::ios::binary) << clear;
    EXPECT_NE(gpgVerify("'" + signature.string() + "'").find("GOODSIG"), std::string::npos);
    std::string detached = sign(false);
    EXPECT_EQ(detached.rfind("-----BEGIN PGP SIGNATURE-----", 0), 0u);
    std::ofstream(signature, std::ios::binary) << detached;
    EXPECT_NE(gpgVerify("'" + signature.string() + "' '" + data.string() + "'").find("GOODSIG"), std::string::npos);

    // gpg's, and ours, checked by us.
    std::string gpgClear = Gpg("--local-user hugo@example.net --clearsign --output - '" + data.string() + "'");
    for (const std::string* message : { &clear, &gpgClear }) {
        DecodeLog log;
        ASSERT_EQ(Decode(context, db, *message, log), kPGPError_NoErr);
        ASSERT_EQ(log.signatures.size(), 1u);
        EXPECT_TRUE(log.signatures[0].verified);
        ASSERT_EQ(log.outputs.size(), 1u);
        EXPECT_EQ(WithoutCR(log.outputs[0]), text);
    }
    std::string gpgDetached = Gpg("--local-user hugo@example.net --detach-sign --output - '" + data.string() + "'");
    for (const auto& [content, verified] : { std::pair { text, true }, std::pair { text + "x", false } }) {
        DecodeLog log;
        ASSERT_EQ(PGPDecode(context, PGPOInputBuffer(context, gpgDetached.data(), gpgDetached.size()),
                            PGPODetachedSig(context, PGPOInputBuffer(context, content.data(), content.size()),
                                            kPGPEndOfOptions),
                            PGPOKeyDBRef(context, db), PGPOEventHandler(context, DecodeLog::Handler, &log),
                            kPGPEndOfOptions),
                  kPGPError_NoErr);
        log.Collect();
        ASSERT_EQ(log.signatures.size(), 1u);
        EXPECT_TRUE(log.signatures[0].checked);
        EXPECT_EQ(log.signatures[0].verified != 0, verified);
    }
    PGPFreeKeySet(gina);
}

} // namespace

namespace {

// Every kind of message both ways, text and binary, across sizes that straddle the packet length
// forms (192: two-octet lengths; 8192: gpg's partial-body chunk) up to a megabyte.
struct MessageKind {
    const char* name;
    bool sign, encrypt, clear, detached;
};
constexpr MessageKind kKinds[] = {
    { "signed", true, false, false, false },
    { "clear-signed", true, false, true, false },
    { "detached signature", true, false, false, true },
    { "encrypted", false, true, false, false },
    { "signed and encrypted", true, true, false, false },
};

std::string SampleData(size_t size, bool text, unsigned seed)
{
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i)
        data[i] = text ? ((i + 1) % 61 == 0 ? '\n' : static_cast<char>('a' + random() % 26)) : static_cast<char>(random());
    if (text && size > 1)
        data.back() = '\n';
    return data;
}

class EveryKindBothWays : public GnuPGReadsOurMessages {
protected:
    std::string OurMessage(const MessageKind& kind, bool text, const std::string& data)
    {
        PGPKeySetRef gina = KeysMatching("gina@");
        void* buffer = nullptr;
        PGPSize length = 0;
        auto sign = [&] {
            return kind.sign ? PGPOSignWithKey(context, FirstKey(gina), PGPOPassphrase(context, kPassphrase),
                                               kPGPEndOfOptions)
                             : PGPONullOption(context);
        };
        EXPECT_EQ(PGPEncode(context, PGPOInputBuffer(context, data.data(), data.size()), sign(),
                            kind.encrypt ? PGPOEncryptToKeySet(context, gina) : PGPONullOption(context),
                            kind.clear ? PGPOClearSign(context, 1) : PGPONullOption(context),
                            kind.detached ? PGPODetachedSig(context, kPGPEndOfOptions) : PGPONullOption(context),
                            PGPODataIsASCII(context, text), PGPOArmorOutput(context, text),
                            PGPOAllocatedOutputBuffer(context, &buffer, ~0u, &length), kPGPEndOfOptions),
                  kPGPError_NoErr);
        PGPFreeKeySet(gina);
        return Take(buffer, length);
    }
    std::string GpgMessage(const MessageKind& kind, bool text, const fs::path& data)
    {
        std::string arguments = "--trust-model always --output - ";
        if (kind.sign)
            arguments += "--local-user hugo@example.net ";
        if (text && !kind.clear)
            arguments += "--textmode ";
        if (kind.encrypt)
            arguments += "--recipient gina@example.net --encrypt ";
        arguments += kind.clear ? "--clearsign " : kind.detached ? "--detach-sign " : kind.sign ? "--sign " : "";
        return Gpg(arguments + "'" + data.string() + "'");
    }
    // gpg's reading of our message: the plaintext (for a detached signature, the data it checked)
    // and whether it found a good signature.
    std::pair<std::string, bool> GpgReads(const MessageKind& kind, const std::string& message, const fs::path& data)
    {
        if (!kind.detached) {
            auto [plain, status] = GpgDecrypt(message, kPassphrase);
            if (kind.encrypt)
                EXPECT_NE(status.find("GOODMDC"), std::string::npos);
            return { plain, status.find("GOODSIG") != std::string::npos };
        }
        fs::path signature = home / "matrix.sig", status = home / "matrix-status.txt";
        std::ofstream(signature, std::ios::binary) << message;
        RunCommand("gpg --homedir '" + home.string() + "' --batch --status-file '" + status.string() + "' --verify '"
                   + signature.string() + "' '" + data.string() + "' 2>/dev/null");
        std::ifstream lines(status), content(data, std::ios::binary);
        std::string said(std::istreambuf_iterator<char>(lines), {});
        return { std::string(std::istreambuf_iterator<char>(content), {}), said.find("GOODSIG") != std::string::npos };
    }
    // Our reading of a message: the plaintext and whether a signature verified.
    std::pair<std::string, bool> WeRead(const MessageKind& kind, const std::string& message, const std::string& data)
    {
        DecodeLog log;
        log.passphrase = kPassphrase;
        log.buffers.reserve(8);
        EXPECT_EQ(PGPDecode(context, PGPOInputBuffer(context, message.data(), message.size()),
                            kind.detached ? PGPODetachedSig(context, PGPOInputBuffer(context, data.data(), data.size()),
                                                            kPGPEndOfOptions)
                                          : PGPONullOption(context),
                            PGPOKeyDBRef(context, db), PGPOEventHandler(context, DecodeLog::Handler, &log),
                            kPGPEndOfOptions),
                  kPGPError_NoErr);
        log.Collect();
        bool verified = log.signatures.size() == 1 && log.signatures[0].verified;
        if (kind.detached)
            return { data, verified };
        EXPECT_EQ(log.outputs.size(), 1u);
        return { log.outputs.empty() ? std::string() : log.outputs[0], verified };
    }
};

TEST_F(EveryKindBothWays, TextAndBinaryFromOneByteToAMegabyte)
{
    fs::path file = home / "matrix.in";
    for (const MessageKind& kind : kKinds)
        for (bool text : { true, false })
            for (size_t size : { size_t(1), size_t(192), size_t(8192), size_t(1) << 20 }) {
                if (kind.clear && !text)
                    continue; // clear-signing is for text
                SCOPED_TRACE(std::string(kind.name) + (text ? " text " : " binary ") + std::to_string(size));
                std::string data = SampleData(size, text, static_cast<unsigned>(size));
                std::ofstream(file, std::ios::binary) << data;
                // gpg drops or keeps the CR of canonical text by mode, so text compares without CR. The
                // line break that ends clear-signed text is given back also where the text had none.
                std::string expected = kind.clear && data.back() != '\n' ? data + "\n" : data;
                auto same = [&](const std::string& got) { return text ? WithoutCR(got) == expected : got == data; };

                auto [gpgPlain, gpgGood] = GpgReads(kind, OurMessage(kind, text, data), file);
                EXPECT_TRUE(same(gpgPlain)) << "gpg read " << gpgPlain.size() << " bytes";
                EXPECT_EQ(gpgGood, kind.sign);

                auto [ourPlain, ourGood] = WeRead(kind, GpgMessage(kind, text, file), data);
                EXPECT_TRUE(same(ourPlain)) << "we read " << ourPlain.size() << " bytes";
                EXPECT_EQ(ourGood, kind.sign);
            }
}

TEST_F(EveryKindBothWays, TenMegabytesFromGnuPG)
{
    // Ours at this size is read by gpg in EncryptedAndSignedToKeys.
    std::string data = SampleData(10 << 20, false, 10);
    fs::path file = home / "large.in";
    std::ofstream(file, std::ios::binary) << data;
    const MessageKind& both = kKinds[4];
    auto [plain, good] = WeRead(both, GpgMessage(both, false, file), data);
    EXPECT_TRUE(plain == data) << plain.size();
    EXPECT_TRUE(good);
}

} // namespace
