// Certificates in the key database against the in-memory SDK, with certificate data, issuers,
// export, signature removal and chain verification added on top: listing and selection, PEM
// chains and DER export, removal rules, and that only trusted keys' certificates count as roots.
#include "engine/KeyFuncs.h"
#include "engine/X509Funcs.h"
#include "KeyFakeSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

namespace {

using fake::S;

// What the plain fake does not model: certificate data, creation times and issuers per
// signature, the export and removal calls and the chain check.
struct TCertData {
    std::string der;
    uint32_t created = 0;
    int issuerKey = -1;
};
struct TX509State {
    std::map<PGPHandle, TCertData> certs;
    std::map<PGPHandle, std::string> optionText;
    std::map<PGPHandle, int> optionValue;
    std::vector<std::string> chains, roots;
    int32_t verifyFailure = 0;
    int exports = 0, outstandingBuffers = 0;
};
TX509State& X() {
    static TX509State state;
    return state;
}

PGPHandle nextOption = 0x7000000;
enum { kArmour = 1, kFormat, kObject, kBuffer, kNull, kPrivate };
struct TBufferOption {
    void** data;
    PGPSize* length;
};
std::map<PGPHandle, TBufferOption> bufferOptions;

PGPOptionListRef MakeOption(int kind, int value = 0)
{
    const PGPHandle h = ++nextOption;
    X().optionValue[h] = kind * 0x1000000 + value;
    return h;
}
PGPOptionListRef Armour(PGPContextRef, PGPBoolean on) { return MakeOption(kArmour, on); }
PGPOptionListRef Format(PGPContextRef, int32_t format) { return MakeOption(kFormat, format); }
PGPOptionListRef Object(PGPContextRef, PGPKeyDBObjRef object)
{
    const PGPOptionListRef h = MakeOption(kObject);
    X().optionText[h] = std::to_string(object);
    return h;
}
PGPOptionListRef Private(PGPContextRef, PGPBoolean on) { return MakeOption(kPrivate, on); }
PGPOptionListRef NullOption(PGPContextRef) { return MakeOption(kNull); }
PGPOptionListRef LastOption(PGPContextRef) { return kPGPEndOfOptions; }
PGPOptionListRef Buffer(PGPContextRef, void** data, PGPSize, PGPSize* length)
{
    const PGPOptionListRef h = MakeOption(kBuffer);
    bufferOptions[h] = {data, length};
    return h;
}
PGPError FreeData(void* data)
{
    --X().outstandingBuffers;
    std::free(data);
    return 0;
}

PGPError Export(PGPContextRef context, ...)
{
    va_list args;
    va_start(args, context);
    bool armour = false;
    PGPKeyDBObjRef object = 0;
    TBufferOption output{};
    int format = 0;
    for (PGPHandle h = va_arg(args, PGPHandle); h != kPGPEndOfOptions; h = va_arg(args, PGPHandle)) {
        const int value = X().optionValue[h];
        switch (value / 0x1000000) {
        case kArmour: armour = value % 0x1000000 != 0; break;
        case kFormat: format = value % 0x1000000; break;
        case kObject: object = std::stoul(X().optionText[h]); break;
        case kBuffer: output = bufferOptions[h]; break;
        default: break;
        }
    }
    va_end(args);
    if (format != kPGPFormat_X509Cert || !object || !output.data)
        return kPGPError_BadParams;
    ++X().exports;
    const std::string& der = X().certs[object].der;
    const std::string text = armour ? "-----BEGIN CERTIFICATE-----\r\n" + der + "\r\n-----END CERTIFICATE-----" : der;
    *output.data = std::malloc(text.size());
    std::memcpy(*output.data, text.data(), text.size());
    *output.length = static_cast<PGPSize>(text.size());
    ++X().outstandingBuffers;
    return 0;
}

PGPError GetData(PGPKeyDBObjRef obj, int32_t prop, void* buffer, PGPSize size, PGPSize* length)
{
    if (obj >= fake::kSigBase && prop == kPGPSigProperty_X509Certificate)
        return fake::PutData(X().certs[obj].der, buffer, size, length);
    if (obj >= fake::kUidBase && obj < fake::kSigBase && prop == kPGPUserIDProperty_EmailAddress) {
        const std::string& name = S().keys[fake::KeyOf(obj)].userIDs[(obj - fake::kUidBase) % 256].name;
        const std::size_t open = name.find('<');
        return fake::PutData(name.substr(open + 1, name.find('>') - open - 1), buffer, size, length);
    }
    return fake::GetData(obj, prop, buffer, size, length);
}

PGPError GetTime(PGPKeyDBObjRef obj, int32_t prop, PGPTime* out)
{
    if (obj >= fake::kSigBase) {
        *out = prop == kPGPSigProperty_Creation ? X().certs[obj].created : 0;
        return prop == kPGPSigProperty_Creation ? 0 : kPGPError_UnknownProperty;
    }
    return fake::GetTime(obj, prop, out);
}

PGPError CertifierKey(PGPKeyDBObjRef sig, PGPHandle set, PGPKeyDBObjRef* out)
{
    const int issuer = X().certs[sig].issuerKey;
    if (issuer < 0)
        return fake::CertifierKey(sig, set, out);
    *out = fake::KeyRef(issuer);
    return 0;
}

// Removing signature s of user id u moves the later signatures (and their data) down by one.
PGPError RemoveSig(PGPKeyDBObjRef sig)
{
    const int k = fake::KeyOf(sig);
    const int rest = (sig - fake::kSigBase) % 65536;
    const int u = rest / 256, s = rest % 256;
    auto& sigs = S().keys[k].userIDs[u].sigs;
    for (int i = s; i + 1 < static_cast<int>(sigs.size()); ++i)
        X().certs[fake::SigRef(k, u, i)] = X().certs[fake::SigRef(k, u, i + 1)];
    sigs.erase(sigs.begin() + s);
    return 0;
}

// The last user id of a key cannot be removed on its own.
PGPError RemoveUserID(PGPKeyDBObjRef userID)
{
    auto& ids = S().keys[fake::KeyOf(userID)].userIDs;
    if (ids.size() == 1)
        return kPGPError_BadParams;
    ids.erase(ids.begin() + (userID - fake::kUidBase) % 256);
    return 0;
}

std::vector<std::string> BlobItems(const uint8_t* blob)
{
    const std::size_t total = blob[0] << 16 | blob[1] << 8 | blob[2];
    std::vector<std::string> items;
    for (std::size_t at = 3; at < total + 3;) {
        const std::size_t length = blob[at] << 16 | blob[at + 1] << 8 | blob[at + 2];
        items.emplace_back(reinterpret_cast<const char*>(blob) + at + 3, length);
        at += 3 + length;
    }
    return items;
}

// A chain verifies when each certificate's issuer follows it and the last one is among the roots.
PGPError VerifyChain(PGPContextRef, const uint8_t* chain, const uint8_t* roots)
{
    const std::vector<std::string> links = BlobItems(chain), trusted = BlobItems(roots);
    std::string joined, rootText;
    for (const auto& l : links)
        joined += l + ";";
    for (const auto& r : trusted)
        rootText += r + ";";
    X().chains.push_back(joined);
    X().roots.push_back(rootText);
    if (X().verifyFailure)
        return X().verifyFailure;
    return std::find(trusted.begin(), trusted.end(), links.back()) != trusted.end() ? 0 : -10;
}

// The signing dialog over a database of copies: which keys it offered and what it answers.
struct TSigningDialog {
    PGPKeyDBRef db = 0x7100001;
    PGPKeySetRef copied = 0;
    std::vector<int> offered;
    int chooseKey = 1;
    PGPError answer = 0;
    std::string pickedTitle;
    PGPKeyDBObjRef pickCertificate = 0;
    PGPKeyDBObjRef defaultKey = 0;
    bool verifies = false;
} dialog;

PGPOptionListRef DefaultKey(PGPContextRef, PGPKeyDBObjRef key)
{
    dialog.defaultKey = key;
    return MakeOption(kNull);
}
PGPOptionListRef VerifyPassphrase(PGPContextRef, PGPBoolean on)
{
    dialog.verifies = on != 0;
    return MakeOption(kNull);
}

PGPError NewKeyDB(PGPContextRef, PGPKeyDBRef* out)
{
    *out = dialog.db;
    return 0;
}
PGPError FreeKeyDB(PGPKeyDBRef db) { return db == dialog.db ? 0 : fake::FreeDB(db); }
PGPError CopyKeys(PGPKeySetRef from, PGPKeyDBRef, PGPKeySetRef* copied)
{
    *copied = dialog.copied = fake::NewSet(fake::SetKeys(from));
    return 0;
}
PGPKeySetRef RootSetOf(PGPKeyDBRef db) { return db == dialog.db ? dialog.copied : fake::RootSet(db); }
PGPOptionListRef Prompt(PGPContextRef, const char*) { return MakeOption(kNull); }
PGPOptionListRef ParentWindow(PGPContextRef, void*) { return MakeOption(kNull); }
char** outputPassphrase = nullptr;
PGPOptionListRef OutputPassphrase(PGPContextRef, char** passphrase)
{
    outputPassphrase = passphrase;
    return MakeOption(kNull);
}
PGPError SigningDialog(PGPContextRef, PGPHandle set, PGPKeyDBObjRef* key, ...)
{
    dialog.offered = fake::SetKeys(set);
    if (dialog.answer != 0)
        return dialog.answer;
    *key = fake::KeyRef(dialog.chooseKey);
    *outputPassphrase = static_cast<char*>(std::malloc(3));
    std::memcpy(*outputPassphrase, "pw", 3);
    ++X().outstandingBuffers;
    return 0;
}
PGPBoolean PassphraseIsValid(PGPKeyDBObjRef key, ...)
{
    va_list args;
    va_start(args, key);
    const PGPOptionListRef option = va_arg(args, PGPOptionListRef);
    va_end(args);
    const bool valid = S().options[option] == S().keys[fake::KeyOf(key)].passphrase;
    fake::Free(option, fake::kOption);
    return valid;
}
PGPError __stdcall InitClientLibrary(PGPContextRef* context, uint32_t)
{
    *context = 0;
    return 0;
}
PGPError __stdcall SelectCertificate(PGPContextRef, void*, const char* title, PGPKeySetRef, uint32_t, PGPKeyDBObjRef* out)
{
    dialog.pickedTitle = title;
    *out = dialog.pickCertificate;
    return *out ? 0 : kPGPError_UserAbort;
}

constexpr uint64_t kCaID = 0xCA00CA00CA00CA01ull, kAnnID = 0xA1100000A1100002ull, kBobID = 0xB0B00000B0B00003ull;

fake::Sig Certificate(const std::string& subject, const std::string& issuer, bool self)
{
    fake::Sig sig;
    sig.x509 = true;
    sig.subject = subject;
    sig.issuer = issuer;
    sig.selfCertified = self;
    return sig;
}

class X509FuncsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::Install(4);
        X() = TX509State{};
        PGPsdkProcs& p = SDKProcs;
        p.PGPGetKeyDBObjDataProperty = GetData;
        p.PGPGetKeyDBObjTimeProperty = GetTime;
        p.PGPGetSigCertifierKey = CertifierKey;
        p.PGPRemoveSig = RemoveSig;
        p.PGPRemoveUserID = RemoveUserID;
        p.PGPExport = Export;
        p.PGPOArmorOutput = Armour;
        p.PGPOExportFormat = Format;
        p.PGPOExportKeyDBObj = Object;
        p.PGPOExportPrivateKeys = Private;
        p.PGPONullOption = NullOption;
        p.PGPOLastOption = LastOption;
        p.PGPOAllocatedOutputBuffer = Buffer;
        p.PGPFreeData = FreeData;
        p.PGPVerifyX509CertificateChain = VerifyChain;
        p.PGPNewKeyDB = NewKeyDB;
        p.PGPFreeKeyDB = FreeKeyDB;
        p.PGPCopyKeys = CopyKeys;
        p.PGPPeekKeyDBRootKeySet = RootSetOf;
        p.PGPOUIDialogPrompt = Prompt;
        p.PGPOUIParentWindowHandle = ParentWindow;
        p.PGPOUIOutputPassphrase = OutputPassphrase;
        p.PGPSigningPassphraseDialog = SigningDialog;
        p.PGPOUIDefaultKey = DefaultKey;
        p.PGPOUIVerifyPassphrase = VerifyPassphrase;
        p.PGPPassphraseIsValid = PassphraseIsValid;
        p.PGPclSelectX509Cert = SelectCertificate;
        p.PGPclInitLibrary = InitClientLibrary;
        dialog = TSigningDialog{};

        fake::Key ca;
        ca.id = kCaID;
        ca.flags = {{110, true}};
        ca.userIDs = {{"Example CA <ca@example.org>", 0}};
        ca.userIDs[0].sigs = {Certificate("CN=Example CA", "CN=Example CA", true)};
        fake::Key ann;
        ann.id = kAnnID;
        ann.flags = {{108, true}, {110, true}};
        ann.userIDs = {{"Ann Lee <ann@example.org>", 3}, {"Ann at work <ann@work.example>", 2}};
        ann.userIDs[0].sigs = {Certificate("CN=Ann Lee, E=ann@example.org", "CN=Example CA", false), fake::Sig{}};
        ann.userIDs[1].sigs = {Certificate("CN=Ann at work", "CN=Example CA", false)};
        fake::Key bob;
        bob.id = kBobID;
        bob.userIDs = {{"Bob Stone <bob@example.net>", 1}};
        S().disk = {ca, ann, bob};
        X().certs[fake::SigRef(0, 0, 0)] = {"CA-DER", 100, -1};
        X().certs[fake::SigRef(1, 0, 0)] = {"ANN-DER", 200, 0};
        X().certs[fake::SigRef(1, 1, 0)] = {"ANN-WORK-DER", 300, 0};

        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        ASSERT_EQ(KeyRings().SetRingFiles(std::string(folder) + "x509pub.pkr", std::string(folder) + "x509sec.skr"), 0);
        KeyRings().WatchRingFiles = false;
    }
    void TearDown() override
    {
        EXPECT_EQ(KeyRings().OpenCount(), 0);
        EXPECT_TRUE(S().live.empty()) << S().live.size() << " SDK objects left alive";
        EXPECT_EQ(X().outstandingBuffers, 0);
    }

    // Opens the rings around a query that needs the root set.
    template <class F> auto WithRoot(F f)
    {
        PGPContextRef context = 0;
        PGPKeySetRef root = 0;
        EXPECT_EQ(KeyRings().Open(&context, &root), 0);
        auto result = f(root);
        KeyRings().Close();
        return result;
    }
};

} // namespace

TEST_F(X509FuncsTest, ListsCertificatesBySelection)
{
    const struct {
        uint32_t selection;
        std::vector<std::string> subjects;
    } cases[] = {
        {0, {"CN=Example CA", "CN=Ann Lee, E=ann@example.org", "CN=Ann at work"}},
        {kCertSelectSelfSigned, {"CN=Example CA"}},
        {kCertSelectEncrypt, {"CN=Ann Lee, E=ann@example.org", "CN=Ann at work"}},
        {kCertSelectSign, {"CN=Example CA", "CN=Ann Lee, E=ann@example.org", "CN=Ann at work"}},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TX509CertPropsList> list;
        const int count = WithRoot([&](PGPKeySetRef root) { return ListCertificates(root, 0, list, 0, c.selection, nullptr); });
        ASSERT_EQ(count, static_cast<int>(c.subjects.size())) << c.selection;
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(list->Record(i).SubjectName, c.subjects[i]);
    }
    // A revoked certificate is still listed, but neither encrypts nor signs.
    std::unique_ptr<TX509CertPropsList> usable;
    EXPECT_EQ(WithRoot([&](PGPKeySetRef root) {
        S().keys[1].userIDs[1].sigs[0].revoked = true;
        return ListCertificates(root, 0, usable, 0, kCertSelectEncrypt, nullptr);
    }),
        1);
    EXPECT_EQ(usable->Record(0).SubjectName, "CN=Ann Lee, E=ann@example.org");
}

TEST_F(X509FuncsTest, FindsCertificatesByAddressAndKeyID)
{
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(FindX509Certificates("Ann <ann@work.example>", "", "", list, false, 0), 1);
    EXPECT_EQ(list->Record(0).SubjectName, "CN=Ann at work");
    list.reset();
    EXPECT_EQ(FindX509Certificates("", "0xA1100000A1100002", "", list, false, 0), 2);
    list.reset();
    EXPECT_EQ(FindX509Certificates("", "0xA1100000A1100002", "", list, true, 0), 1);
    list.reset();
    EXPECT_EQ(FindX509Certificates("", "0xA1100000A1100002", "0xB0B00000B0B00003", list, false, 0), kX509KeyCannotSign);
    list.reset();
    EXPECT_EQ(FindX509Certificates("nobody@example.org", "", "", list, false, 0), 0);
}

TEST_F(X509FuncsTest, CountsAndFindsKeyCertificates)
{
    WithRoot([&](PGPKeySetRef) {
        const PGPKeyDBObjRef ann = fake::KeyRef(1);
        EXPECT_EQ(CountCertificates(ann, 0), 2);
        EXPECT_EQ(CountCertificates(ann, fake::KeyRef(0)), 2);
        EXPECT_EQ(CountCertificates(ann, fake::KeyRef(2)), 0);
        EXPECT_EQ(FindKeyCertificate(nullptr, ann, 0), fake::SigRef(1, 1, 0)); // the last one
        const std::string lee = "ann lee";
        EXPECT_EQ(FindKeyCertificate(&lee, ann, 0), fake::SigRef(1, 0, 0));
        S().keys[1].userIDs[1].sigs[0].revoked = true;
        EXPECT_EQ(FindKeyCertificate(nullptr, ann, 0), fake::SigRef(1, 0, 0));
        EXPECT_EQ(FindKeyCertificate(nullptr, fake::KeyRef(2), 0), 0u);
        return 0;
    });
}

TEST_F(X509FuncsTest, RecipientsNeedUsableCertificates)
{
    WithRoot([&](PGPKeySetRef root) {
        PGPKeySetRef withCerts = 0;
        EXPECT_EQ(MakeCertificateKeySet(root, &withCerts, 0, true, false), 0);
        uint32_t count = 0;
        SDKProcs.PGPCountKeys(withCerts, &count);
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(CheckSMimeRecipients(withCerts), 0);
        SDKProcs.PGPFreeKeySet(withCerts);
        EXPECT_EQ(CheckSMimeRecipients(root), kX509NoCertificate); // Bob has none
        return 0;
    });
}

TEST_F(X509FuncsTest, ExportsDerAndPemChains)
{
    std::unique_ptr<TX509CertPropsList> list;
    std::string text;
    EXPECT_EQ(ExportCertificateToFile("", "0xCA00CA00CA00CA01", nullptr, list, text, true), 0);
    EXPECT_EQ(text, "-----BEGIN CERTIFICATE-----\r\nCA-DER\r\n-----END CERTIFICATE-----");
    ASSERT_EQ(list->Count(), 1);
    list.reset();
    EXPECT_EQ(ExportCertificateToFile("", "ANN-DER", nullptr, list, text, true), 0);
    EXPECT_EQ(text, "-----BEGIN CERTIFICATE-----\r\nANN-DER\r\n-----END CERTIFICATE-----\r\n"
                    "-----BEGIN CERTIFICATE-----\r\nCA-DER\r\n-----END CERTIFICATE-----");
    EXPECT_EQ(list->Count(), 2);
    list.reset();
    EXPECT_EQ(ExportCertificateToFile("", "0xA1100000A1100002", nullptr, list, text, false), 0);
    EXPECT_EQ(text, "ANN-WORK-DER");
    EXPECT_EQ(ExportCertificateToFile("", "0xB0B00000B0B00003", nullptr, list, text, false), kX509NoCertificate);
    EXPECT_EQ(text, "");
}

TEST_F(X509FuncsTest, SelfSignedCertificatesStay)
{
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(RemoveCertificate("", "0xCA00CA00CA00CA01", false, nullptr, list), kX509SelfSignedChain);
    EXPECT_EQ(S().flushes, 0);
    EXPECT_EQ(S().disk[0].userIDs[0].sigs.size(), 1u);
    ASSERT_EQ(list->Count(), 1);
    EXPECT_TRUE(list->Record(0).SelfSigned);
}

TEST_F(X509FuncsTest, RemovesIssuedCertificatesAndTheirUserIDs)
{
    std::unique_ptr<TX509CertPropsList> list;
    // Only an exact 16-digit key id names a key; a short one is taken as certificate data.
    EXPECT_EQ(RemoveCertificate("", "0xA1100002", false, nullptr, list), kX509NoCertificate);
    EXPECT_EQ(RemoveCertificate("", "ANN-DER", false, nullptr, list), 0);
    EXPECT_EQ(S().flushes, 1);
    ASSERT_EQ(S().disk[1].userIDs.size(), 2u);
    EXPECT_EQ(S().disk[1].userIDs[0].sigs.size(), 1u); // the OpenPGP signature stays
    EXPECT_EQ(RemoveCertificate("", "ANN-WORK-DER", true, nullptr, list), 0);
    ASSERT_EQ(S().disk[1].userIDs.size(), 1u); // no signature was left on it
    EXPECT_EQ(S().disk[1].userIDs[0].name, "Ann Lee <ann@example.org>");
    EXPECT_EQ(list->Count(), 2);
}

TEST_F(X509FuncsTest, KeyWithoutOtherUserIDsGoesWithItsCertificate)
{
    S().disk[1].userIDs.pop_back();
    S().disk[1].userIDs[0].sigs.resize(1);
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(RemoveCertificate("", "ANN-DER", true, nullptr, list), 0);
    EXPECT_TRUE(S().disk[1].deleted);
}

TEST_F(X509FuncsTest, OnlyTrustedKeysCertificatesAreRoots)
{
    const auto verify = [&](int key) {
        return WithRoot([&](PGPKeySetRef) {
            PGPKeySetRef one = 0;
            SDKProcs.PGPNewOneKeySet(fake::KeyRef(key), &one);
            PGPKeySetRef chain = 0;
            SDKProcs.PGPNewEmptyKeySet(0, &chain);
            SDKProcs.PGPAddKeys(one, chain);
            SDKProcs.PGPFreeKeySet(one);
            SDKProcs.PGPNewOneKeySet(fake::KeyRef(0), &one);
            SDKProcs.PGPAddKeys(one, chain);
            SDKProcs.PGPFreeKeySet(one);
            TX509CertPropsRec record;
            const TChainState state = VerifyCertificateChain(chain, record);
            SDKProcs.PGPFreeKeySet(chain);
            return std::make_pair(state, record.SubjectName);
        });
    };
    // The chain is written from the latest certificate back to the root.
    auto [state, subject] = verify(1);
    EXPECT_EQ(state, csChainSelfSigned); // holds together, but the CA is nobody's trusted key
    EXPECT_EQ(subject, "CN=Ann at work");
    EXPECT_EQ(X().chains.front(), "ANN-WORK-DER;ANN-DER;CA-DER;");
    S().disk[0].validity = 3;
    EXPECT_EQ(verify(1).first, csChainVerified);
    EXPECT_EQ(X().roots.back(), "CA-DER;");
    S().disk[0].validity = 0;
    S().disk[0].flags[kPGPKeyProperty_IsAxiomatic] = true;
    EXPECT_EQ(verify(1).first, csChainVerified);
    X().verifyFailure = -30;
    EXPECT_EQ(verify(1).first, csChainNotVerified);
}

TEST_F(X509FuncsTest, OlderSdkGenerationsRefuse)
{
    SDKGeneration = 1;
    std::unique_ptr<TX509CertPropsList> list;
    std::string text;
    EXPECT_EQ(FindX509Certificates("", "0xA1100000A1100002", "", list, false, 0), kX509NeedsNewerSDK);
    EXPECT_EQ(ExportCertificateToFile("", "CA-DER", nullptr, list, text, false), kX509NeedsNewerSDK);
    EXPECT_EQ(RemoveCertificate("", "ANN-DER", false, nullptr, list), kX509NeedsNewerSDK);
    EXPECT_EQ(ImportCertificates("data", list, "", "0000"), kX509NeedsNewerSDK);
    EXPECT_EQ(ImportCertificates("", list, "", "0000"), kX509NoImportData);
    TX509CertPropsRec record;
    EXPECT_EQ(VerifyCertificateChain(0, record), csChainNotVerified);
}

TEST_F(X509FuncsTest, SignersWithTheAddressAreOffered)
{
    WithRoot([&](PGPKeySetRef root) {
        PGPContextRef context = KeyRings().Context();
        PGPKeyDBObjRef key = 0, certificate = 0;
        TSecureBytes passphrase;
        EXPECT_EQ(SMimeSigningPassphrase(context, root, key, nullptr, "Passphrase for signing", "",
                      "Ann Lee <ann@example.org>", passphrase, certificate),
            0);
        EXPECT_EQ(dialog.offered, std::vector<int>({1}));
        EXPECT_EQ(key, fake::KeyRef(1));
        EXPECT_EQ(certificate, fake::SigRef(1, 0, 0)); // its subject holds the address
        EXPECT_STREQ(reinterpret_cast<const char*>(passphrase.data()), "pw");
        return 0;
    });
}

TEST_F(X509FuncsTest, AnUnknownAddressOffersAllCandidatesAndTheUserPicks)
{
    WithRoot([&](PGPKeySetRef root) {
        PGPContextRef context = KeyRings().Context();
        PGPKeyDBObjRef key = 0, certificate = 0;
        TSecureBytes passphrase;
        dialog.pickCertificate = fake::SigRef(1, 1, 0);
        EXPECT_EQ(SMimeSigningPassphrase(context, root, key, nullptr, "Passphrase for signing", "",
                      "nobody@example.org", passphrase, certificate),
            0);
        EXPECT_EQ(dialog.offered, std::vector<int>({0, 1, 2}));
        EXPECT_EQ(dialog.pickedTitle, "Passphrase:");
        EXPECT_EQ(certificate, fake::SigRef(1, 1, 0));
        // No signer named: none is chosen at first; the passphrase is checked all the same.
        EXPECT_EQ(dialog.defaultKey, 0u);
        EXPECT_TRUE(dialog.verifies);
        dialog.verifies = false;
        EXPECT_EQ(SMimeSigningPassphrase(context, root, key, nullptr, "Passphrase for signing",
                      "0xA1100000A1100002", "nobody@example.org", passphrase, certificate),
            0);
        EXPECT_EQ(dialog.defaultKey, fake::KeyRef(1));
        EXPECT_TRUE(dialog.verifies);
        dialog.answer = kX509NoSigningKeyOffered;
        EXPECT_EQ(SMimeSigningPassphrase(context, root, key, nullptr, "Passphrase for signing", "", "", passphrase,
                      certificate),
            kX509NoCertificate);
        return 0;
    });
}

TEST_F(X509FuncsTest, WithoutPromptTheGivenPassphraseMustUnlockTheSigner)
{
    WithRoot([&](PGPKeySetRef root) {
        PGPContextRef context = KeyRings().Context();
        const auto run = [&](const std::string& signer, const char* text, PGPKeyDBObjRef& certificate) {
            PGPKeyDBObjRef key = 0;
            TSecureBytes passphrase = NewSecureData(8);
            std::memcpy(passphrase.data(), text, std::strlen(text));
            return SMimeSigningPassphrase(context, root, key, nullptr, "", signer, "", passphrase, certificate);
        };
        PGPKeyDBObjRef certificate = 0;
        EXPECT_EQ(run("0xA1100000A1100002", "old", certificate), 0);
        EXPECT_EQ(certificate, fake::SigRef(1, 1, 0));
        EXPECT_EQ(run("ANN-DER", "old", certificate), 0);
        EXPECT_EQ(certificate, fake::SigRef(1, 0, 0));
        EXPECT_EQ(run("0xA1100000A1100002", "wrong", certificate), kX509WrongPassphrase);
        EXPECT_EQ(run("0xB0B00000B0B00003", "old", certificate), kX509KeyCannotSign);
        EXPECT_EQ(run("UNKNOWN-DER", "old", certificate), kX509KeyCannotSign);
        return 0;
    });
}

// Ann's key holds two certificates: the one picked is the one exported and removed, not the key's
// last usable one.
TEST_F(X509FuncsTest, APickedCertificateIsTheOneActedOn)
{
    std::unique_ptr<TX509CertPropsList> picked, chain, removed;
    dialog.pickCertificate = fake::SigRef(1, 0, 0);
    ASSERT_EQ(FindCertificatesForKey("Certificate:", picked, nullptr), 0);
    ASSERT_EQ(picked->Count(), 1);
    const TX509CertPropsRec certificate = picked->Record(0);
    EXPECT_EQ(certificate.Der, "ANN-DER");
    std::string text;
    EXPECT_EQ(ExportCertificateToFile("", CertificateName(certificate), nullptr, chain, text, false), 0);
    EXPECT_EQ(text, "ANN-DER");
    EXPECT_EQ(RemoveCertificate("", CertificateName(certificate), false, nullptr, removed), 0);
    ASSERT_EQ(S().disk[1].userIDs.size(), 2u);
    EXPECT_EQ(S().disk[1].userIDs[0].sigs.size(), 1u); // ANN-DER went, its OpenPGP signature stayed
    EXPECT_EQ(S().disk[1].userIDs[1].sigs.size(), 1u); // ANN-WORK-DER stays
}

TEST_F(X509FuncsTest, APickedCertificateIsListed)
{
    std::unique_ptr<TX509CertPropsList> list;
    dialog.pickCertificate = fake::SigRef(0, 0, 0);
    EXPECT_EQ(FindCertificatesForKey("Certificate:", list, nullptr), 0);
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Record(0).SubjectName, "CN=Example CA");
    dialog.pickCertificate = 0;
    EXPECT_EQ(FindCertificatesForKey("Certificate:", list, nullptr), kPGPError_UserAbort);
}
