// Certificates in the key database end to end against the stand-in SDK: DER and PEM certificates
// imported become certificate keys that stay in the key files, and the engine lists, exports
// (DER and PEM chains), chain-checks and removes them.
#include "engine/X509Funcs.h"
#include "engine/KeyFuncs.h"
#include "support/StandInSdk.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string Der(const std::string& name, const std::string& folder = "/engine/x509chain/")
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + folder + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Base64(const std::string& data)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        uint32_t group = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size())
            group |= static_cast<unsigned char>(data[i + 1]) << 8;
        if (i + 2 < data.size())
            group |= static_cast<unsigned char>(data[i + 2]);
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += i + 1 < data.size() ? digits[(group >> 6) & 63] : '=';
        out += i + 2 < data.size() ? digits[group & 63] : '=';
    }
    return out;
}

std::string Pem(const std::string& der)
{
    const std::string encoded = Base64(der);
    std::string text = "-----BEGIN CERTIFICATE-----\r\n";
    for (std::size_t i = 0; i < encoded.size(); i += 64)
        text += encoded.substr(i, 64) + "\r\n";
    return text + "-----END CERTIFICATE-----\r\n";
}

class X509StandIn : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadStandInSdk(); }
    void SetUp() override
    {
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        // Sets stay valid across the nested openings of one test step.
        KeyRings().WatchRingFiles = false;
        Import(Der("ca.der"), kPGPFormat_X509Cert);
        Import(Pem(Der("leaf.der")), kPGPFormat_PEMCert);
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
        while (KeyRings().OpenCount() > 0)
            KeyRings().Close();
        KeyRings().WatchRingFiles = true;
    }

    // Imports certificate data into the key files as the key import does: a database of its own,
    // copied into the store and committed.
    void Import(const std::string& data, int32_t format)
    {
        PGPContextRef context = 0;
        PGPKeySetRef root = 0;
        ASSERT_EQ(KeyRings().Open(&context, &root), 0);
        const PGPsdkProcs& p = SDKProcs;
        PGPKeyDBRef imported = 0;
        EXPECT_EQ(p.PGPImport(context, &imported, p.PGPOInputBuffer(context, data.data(), data.size()),
                      p.PGPOInputFormat(context, format), p.PGPOLastOption(context)),
            0);
        PGPKeySetRef copied = 0;
        EXPECT_EQ(p.PGPCopyKeys(p.PGPPeekKeyDBRootKeySet(imported), p.PGPPeekKeySetKeyDB(root), &copied), 0);
        p.PGPFreeKeySet(copied);
        p.PGPFreeKeyDB(imported);
        EXPECT_EQ(KeyRings().Commit(), 0);
        KeyRings().Close();
    }

    std::unique_ptr<TX509CertPropsList> All()
    {
        PGPContextRef context = 0;
        PGPKeySetRef root = 0;
        EXPECT_EQ(KeyRings().Open(&context, &root), 0);
        std::unique_ptr<TX509CertPropsList> list;
        ListCertificates(root, 0, list, 0, 0, nullptr);
        KeyRings().Close();
        return list;
    }

    TScratchFolder scratch{"x509standin"};
};

} // namespace

TEST_F(X509StandIn, ImportedCertificatesStayInTheKeyFiles)
{
    const auto list = All();
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Record(0).SubjectName, "CN=Chain Test CA");
    EXPECT_TRUE(list->Record(0).SelfSigned);
    EXPECT_EQ(list->Record(1).SubjectName, "CN=Chain Test Leaf");
    EXPECT_EQ(list->Record(1).IssuerName, "CN=Chain Test CA");
    EXPECT_FALSE(list->Record(1).SelfSigned);
    EXPECT_EQ(list->Record(1).UserID, "Chain Test Leaf");
    std::unique_ptr<TX509CertPropsList> signing;
    EXPECT_EQ(FindX509Certificates("", list->Record(1).KeyID, "", signing, false, 0), 1);
    // The serialNumber attributes of the names: none here, "AB12" in both names of a certificate
    // that has one.
    EXPECT_EQ(list->Record(1).IssuerSerial, "");
    EXPECT_EQ(list->Record(1).SubjectSerial, "");
    Import(Der("rsa-sha256-ku.der", "/certs/"), kPGPFormat_X509Cert);
    const auto withSerial = All();
    ASSERT_EQ(withSerial->Count(), 3);
    int serials = 0;
    for (int i = 0; i < withSerial->Count(); ++i)
        if (withSerial->Record(i).SubjectSerial == "AB12" && withSerial->Record(i).IssuerSerial == "AB12")
            ++serials;
    EXPECT_EQ(serials, 1);
}

TEST_F(X509StandIn, ExportsDerAndPemChains)
{
    std::unique_ptr<TX509CertPropsList> list;
    std::string text;
    EXPECT_EQ(ExportCertificateToFile("", Der("ca.der"), nullptr, list, text, false), 0);
    EXPECT_EQ(text, Der("ca.der"));
    list.reset();
    EXPECT_EQ(ExportCertificateToFile("", Der("leaf.der"), nullptr, list, text, true), 0);
    EXPECT_EQ(text, Pem(Der("leaf.der")) + "\r\n" + Pem(Der("ca.der")));
    EXPECT_EQ(list->Count(), 2);
}

TEST_F(X509StandIn, AChainToAnUntrustedCAHoldsButIsNotVerified)
{
    PGPContextRef context = 0;
    PGPKeySetRef root = 0;
    ASSERT_EQ(KeyRings().Open(&context, &root), 0);
    PGPKeySetRef withCertificates = 0;
    ASSERT_EQ(MakeCertificateKeySet(root, &withCertificates, 0, true, false), 0);
    TX509CertPropsRec record;
    EXPECT_EQ(VerifyCertificateChain(withCertificates, record), csChainSelfSigned);
    EXPECT_EQ(record.SubjectName, "CN=Chain Test Leaf"); // the latest certificate starts the chain
    SDKProcs.PGPFreeKeySet(withCertificates);
    KeyRings().Close();
}

TEST_F(X509StandIn, IssuedCertificatesAreRemovedAndSelfSignedOnesStay)
{
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(RemoveCertificate("", Der("ca.der"), false, nullptr, list), kX509SelfSignedChain);
    EXPECT_EQ(All()->Count(), 2);
    EXPECT_EQ(RemoveCertificate("", Der("leaf.der"), true, nullptr, list), 0);
    const auto left = All();
    ASSERT_EQ(left->Count(), 1);
    EXPECT_EQ(left->Record(0).SubjectName, "CN=Chain Test CA");
}

namespace {

std::string Pfx(const std::string& name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/engine/certstore/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool PassphraseUnlocks(const std::string& keyID, const char* passphrase)
{
    PGPContextRef context = 0;
    PGPKeySetRef root = 0;
    EXPECT_EQ(KeyRings().Open(&context, &root), 0);
    PGPKeyDBObjRef key = 0;
    EXPECT_EQ(FindKeyByKeyIDText(root, keyID, &key), 0);
    const bool valid = key
        && SDKProcs.PGPPassphraseIsValid(key, SDKProcs.PGPOPassphrase(context, passphrase), SDKProcs.PGPOLastOption(context));
    KeyRings().Close();
    return valid;
}

} // namespace

// Imports a PFX file and checks that its key now opens with the user's passphrase only.
void ImportPfx(const std::string& file)
{
    std::unique_ptr<TX509CertPropsList> list;
    ASSERT_EQ(ImportCertificates(Pfx(file), list, "my key passphrase", "test"), 1);
    EXPECT_EQ(list->Record(0).SubjectName, "CN=ZAVEK Store Test");
    EXPECT_TRUE(PassphraseUnlocks(list->Record(0).KeyID, "my key passphrase"));
    EXPECT_FALSE(PassphraseUnlocks(list->Record(0).KeyID, "test"));
}

TEST_F(X509StandIn, PfxFilesOfTheOlderEncryptionBringTheirKey)
{
    ImportPfx("withkey.pfx");
}

TEST_F(X509StandIn, PfxFilesWithCertificatesUnderRc2BringTheirKey)
{
    ImportPfx("withkey-rc2.pfx");
}

TEST_F(X509StandIn, PfxFilesInAesBringTheirKeyAndTheOtherCertificates)
{
    ImportPfx("withkey-aes.pfx");
    bool early = false;
    const auto all = All();
    for (int i = 0; i < all->Count(); ++i)
        early = early || all->Record(i).SubjectName == "CN=Early";
    EXPECT_TRUE(early);
}

TEST_F(X509StandIn, AWrongTransferPassphraseImportsNothing)
{
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(ImportCertificates(Pfx("withkey.pfx"), list, "x", "wrong"), kPGPError_BadPassphrase);
    EXPECT_EQ(All()->Count(), 2);
}
