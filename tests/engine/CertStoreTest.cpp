// The Windows certificate stores under Wine: the binding, opening PKCS#7 and DER data and the
// latest-certificate choice, the viewer's failure statuses, the prompt classification, the export
// hook answering a password prompt, and the personal store with and without a private key, whose
// import into the stand-in SDK's key database needs no system prompt.
#include "engine/CertStore.h"
#include "engine/KeyFuncs.h"
#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::string ReadData(const std::string& name)
{
    std::ifstream in(std::string(ZAVEK_TEST_DATA) + "/engine/certstore/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SubjectOf(PCCERT_CONTEXT certificate)
{
    char name[256] = {};
    Crypt32().CertGetNameStringA(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name);
    return name;
}

class CertStoreTest : public ::testing::Test {
protected:
    void SetUp() override { BindCrypt32(); }
    void TearDown() override
    {
        SetCertPassphraseDialog({});
        DoneCrypt32();
    }
};

// A dialog like the system's password prompt: the password box, OK and Cancel.
class TFakePrompt {
public:
    TFakePrompt(const char* caption, bool withPassword, bool passwordEnabled)
    {
        window_ = CreateWindowExA(0, "#32770", caption, WS_POPUP | WS_CAPTION, 0, 0, 300, 200, nullptr, nullptr,
            nullptr, nullptr);
        if (withPassword) {
            HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 10, 10, 100, 20, window_,
                reinterpret_cast<HMENU>(1020), nullptr, nullptr);
            EnableWindow(edit, passwordEnabled);
        }
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD, 10, 40, 50, 20, window_, reinterpret_cast<HMENU>(IDOK), nullptr,
            nullptr);
        CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD, 70, 40, 50, 20, window_, reinterpret_cast<HMENU>(IDCANCEL),
            nullptr, nullptr);
    }
    ~TFakePrompt() { DestroyWindow(window_); }
    HWND Window() const { return window_; }
    std::string Password() const
    {
        char text[64] = {};
        GetDlgItemTextA(window_, 1020, text, sizeof text);
        return text;
    }
    // The command posted to the prompt, 0 when none.
    int PostedCommand() const
    {
        MSG message;
        int command = 0;
        while (PeekMessageA(&message, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE))
            command = LOWORD(message.wParam);
        return command;
    }

private:
    HWND window_ = nullptr;
};

} // namespace

TEST_F(CertStoreTest, BindsTheCertificateServices)
{
    const TCrypt32Procs& p = Crypt32();
    EXPECT_TRUE(p.CertOpenSystemStoreA && p.CertOpenStore && p.CertCloseStore && p.CertEnumCertificatesInStore &&
                p.CertDuplicateCertificateContext && p.CertFreeCertificateContext && p.CertGetNameStringA &&
                p.CertAddCertificateLinkToStore && p.CryptFindCertificateKeyProvInfo && p.PFXExportCertStoreEx);
    EXPECT_TRUE(p.CryptUIDlgViewCertificateA);
    DoneCrypt32();
    EXPECT_FALSE(p.CertOpenStore || p.CryptUIDlgViewCertificateA);
    EXPECT_TRUE(Crypt32().CertOpenStore) << "the first use after the unit's end binds again";
}

TEST_F(CertStoreTest, TheLatestCertificateOfABundleIsChosen)
{
    for (const auto& [file, subject] : {std::pair{"three.p7b", "Latest"}, std::pair{"single.der", "Middle"}}) {
        HCERTSTORE store = OpenCertificateData(ReadData(file));
        ASSERT_TRUE(store) << file;
        PCCERT_CONTEXT latest = LatestCertificate(store);
        ASSERT_TRUE(latest) << file;
        EXPECT_EQ(SubjectOf(latest), subject);
        Crypt32().CertFreeCertificateContext(latest);
        Crypt32().CertCloseStore(store, 0);
    }
    EXPECT_FALSE(OpenCertificateData("no certificate at all"));
    EXPECT_FALSE(OpenCertificateData(""));
}

TEST_F(CertStoreTest, ViewerFailuresHaveTheirStatuses)
{
    EXPECT_EQ(ViewCertificate("", "Title", nullptr), kCertStoreNoData);
    EXPECT_EQ(ViewCertificate("garbage", "Title", nullptr), kCertStoreNotOpened);
    Crypt32().CryptUIDlgViewCertificateA = nullptr;
    EXPECT_EQ(ViewCertificate(ReadData("three.p7b"), "Title", nullptr), kCertStoreNoFunction);
}

// Closes the certificate viewer once it is up, from a timer of the viewer's own modal loop.
std::string viewerTitle;
bool viewerSeen = false, viewerTopmost = true;
void CALLBACK CloseViewer(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND viewer = FindWindowA("#32770", viewerTitle.c_str());
    if (!viewer)
        return;
    viewerSeen = true;
    viewerTopmost = (GetWindowLongA(viewer, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    KillTimer(nullptr, timer);
    PostMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(viewer, WM_CLOSE, 0, 0);
}

TEST_F(CertStoreTest, TheViewerShowsAndIsClosed)
{
    viewerTitle = "Signer certificate";
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseViewer);
    EXPECT_EQ(ViewCertificate(ReadData("three.p7b"), viewerTitle, nullptr), 0);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(viewerSeen);
    EXPECT_FALSE(viewerTopmost);
}

TEST_F(CertStoreTest, PromptsAreToldApart)
{
    const struct {
        const char* caption;
        bool box, enabled;
        TPromptAction action;
    } cases[] = {
        {"Ann / Example CA", true, true, TPromptAction::CentreOwnDialog},
        {"Ann / Example CA.", false, false, TPromptAction::CentreOwnDialog},
        {"Exporting your private exchange key", true, true, TPromptAction::AskPassword},
        {"Exporting your private exchange key", true, false, TPromptAction::Confirm},
        {"Something else", false, false, TPromptAction::Cancel},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyPrompt(c.caption, "Ann / Example CA", c.box, c.enabled), c.action) << c.caption;
    EXPECT_TRUE(IsDialogClassName("#32770"));
    EXPECT_TRUE(IsDialogClassName("PGPpassphrase"));
    EXPECT_FALSE(IsDialogClassName("Edit"));
}

TEST_F(CertStoreTest, TheHookAnswersThePasswordPrompt)
{
    std::string askedCaption;
    SetCertPassphraseDialog([&](const std::string& caption, const std::string&, HWND, TSecureBytes& entered) {
        askedCaption = caption;
        entered = NewSecureData(7);
        memcpy(entered.data(), "secret", 6);
        return true;
    });
    TExportPromptSession session("Ann / Example CA", "Passphrase for Ann:", nullptr);
    ASSERT_TRUE(session.Installed());
    TFakePrompt prompt("Exporting your private exchange key", true, true);
    ShowWindow(prompt.Window(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(askedCaption, "Ann / Example CA");
    EXPECT_EQ(prompt.Password(), "secret");
    EXPECT_EQ(session.PressedButton(), IDOK);
    EXPECT_EQ(prompt.PostedCommand(), IDOK);
    TSecureBytes entered = session.TakeEnteredPassword();
    ASSERT_TRUE(entered);
    EXPECT_STREQ(reinterpret_cast<const char*>(entered.data()), "secret");
}

TEST_F(CertStoreTest, CancellingTheOwnDialogCancelsThePrompt)
{
    SetCertPassphraseDialog([](const std::string&, const std::string&, HWND, TSecureBytes&) { return false; });
    TExportPromptSession session("Ann / Example CA", "Passphrase:", nullptr);
    TFakePrompt prompt("Exporting your private exchange key", true, true);
    ShowWindow(prompt.Window(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(session.PressedButton(), IDCANCEL);
    EXPECT_EQ(prompt.PostedCommand(), IDCANCEL);
    EXPECT_EQ(prompt.Password(), "");
    EXPECT_FALSE(session.TakeEnteredPassword());
}

TEST_F(CertStoreTest, PromptsWithoutPasswordBoxAreCancelledAndOwnDialogsLeftAlone)
{
    bool asked = false;
    SetCertPassphraseDialog([&](const std::string&, const std::string&, HWND, TSecureBytes&) { return asked = true; });
    TExportPromptSession session("Ann / Example CA", "Passphrase:", nullptr);
    {
        TFakePrompt own("Ann / Example CA", true, true);
        ShowWindow(own.Window(), SW_SHOWNOACTIVATE);
        EXPECT_EQ(session.PressedButton(), 0);
        EXPECT_EQ(own.PostedCommand(), 0);
    }
    TFakePrompt other("Something else", false, false);
    ShowWindow(other.Window(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(session.PressedButton(), IDCANCEL);
    EXPECT_FALSE(asked);
}

TEST_F(CertStoreTest, AnEmptyPersonalStoreImportsNothing)
{
    EXPECT_FALSE(HasWindowsCertificates());
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(ImportStoreCertificate("Import", "Passphrase:", "0A1B2C3D", nullptr, list), kCertStoreNoCertificate);
    Crypt32().PFXExportCertStore = nullptr;
    Crypt32().PFXExportCertStoreEx = nullptr;
    EXPECT_EQ(ImportStoreCertificate("Import", "Passphrase:", "0A1B2C3D", nullptr, list), kCertStoreNoFunction);
    EXPECT_FALSE(HasWindowsCertificates());
}

TEST_F(CertStoreTest, ACertificateWithAKeyIsImportedUnderThePassphraseTheUserGives)
{
    const std::string pfx = ReadData("withkey.pfx");
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(pfx.size()), reinterpret_cast<BYTE*>(const_cast<char*>(pfx.data()))};
    HCERTSTORE imported = PFXImportCertStore(&blob, L"test", CRYPT_EXPORTABLE | CRYPT_USER_KEYSET);
    if (!imported)
        GTEST_SKIP() << "PFX import not available: " << GetLastError();
    HCERTSTORE personal = CertOpenSystemStoreA(0, "MY");
    ASSERT_TRUE(personal);
    PCCERT_CONTEXT added = nullptr;
    PCCERT_CONTEXT source = CertEnumCertificatesInStore(imported, nullptr);
    ASSERT_TRUE(source);
    ASSERT_TRUE(CertAddCertificateContextToStore(personal, source, CERT_STORE_ADD_REPLACE_EXISTING, &added));
    CertFreeCertificateContext(source);
    // Wine writes a system store's changes back when asked to (or when it is closed); the store is
    // left as it was on every way out of the test.
    CertControlStore(personal, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    struct TRestore {
        HCERTSTORE personal, imported;
        PCCERT_CONTEXT added;
        ~TRestore()
        {
            CertDeleteCertificateFromStore(added);
            CertControlStore(personal, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            CertCloseStore(personal, 0);
            CertCloseStore(imported, 0);
        }
    } restore { personal, imported, added };

    EXPECT_TRUE(HasWindowsCertificates());
    HCERTSTORE probe = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
    CRYPT_DATA_BLOB exported { 0, nullptr };
    const bool exports = probe && CertAddCertificateLinkToStore(probe, added, CERT_STORE_ADD_ALWAYS, nullptr)
        && PFXExportCertStoreEx(probe, &exported, L"", nullptr, 7);
    CertCloseStore(probe, 0);
    if (!exports)
        GTEST_SKIP() << "this crypt32 exports no private key: " << GetLastError();
    LoadStandInSdk();
    TScratchFolder scratch { "zavek-certstore" };
    UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
    // Wine's key store asks for no password: the plug-in's own dialog gives the key its passphrase,
    // and cancelling it imports nothing.
    std::vector<std::string> captions;
    bool answer = false;
    const char* given = "store-pass";
    SetCertPassphraseDialog([&](const std::string& caption, const std::string&, HWND, TSecureBytes& entered) {
        captions.push_back(caption);
        entered = NewSecureData(std::strlen(given) + 1);
        std::memcpy(entered.data(), given, std::strlen(given) + 1);
        return answer;
    });
    std::unique_ptr<TX509CertPropsList> list;
    EXPECT_EQ(ImportStoreCertificate("Import", "Passphrase:", "0A1B2C3D", nullptr, list), kCertStoreCancelled);
    EXPECT_TRUE(!list || list->Count() == 0);
    // An empty passphrase would leave the key locked under the transfer one: refused, nothing imported.
    answer = true;
    given = "";
    EXPECT_EQ(ImportStoreCertificate("Import", "Passphrase:", "0A1B2C3D", nullptr, list), kCertStoreBadPassphrase);
    EXPECT_TRUE(!list || list->Count() == 0);
    captions.clear();
    given = "store-pass";
    EXPECT_EQ(ImportStoreCertificate("Import", "Passphrase:", "0A1B2C3D", nullptr, list), 0);
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0], "ZAVEK Store Test / ZAVEK Store Test");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->Count(), 1);
    PGPContextRef context = 0;
    PGPKeySetRef keys = 0;
    ASSERT_EQ(KeyRings().Open(&context, &keys), 0);
    PGPKeyDBObjRef key = 0;
    ASSERT_EQ(FindKeyByKeyIDText(keys, list->Record(0).KeyID, &key), 0);
    for (const char* passphrase : { "store-pass", "0A1B2C3D" })
        EXPECT_EQ(SDKProcs.PGPPassphraseIsValid(key, SDKProcs.PGPOPassphrase(context, passphrase),
                      SDKProcs.PGPOLastOption(context)) != 0,
            std::string(passphrase) == "store-pass") << passphrase;
    KeyRings().Close();
    ReleasePGPsdk();
}
