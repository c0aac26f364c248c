// Key-server search through the PGP interface and the stand-in SDK's HKP client, against a small
// HKP server on 127.0.0.1 (tests/engine/hkp-server.py, GnuPG doing the searching over the test key
// ring) that the test starts and stops: keys found by address and by key id are imported into the
// ring, several found keys go through the selection dialog, and a search the server has nothing
// for, a server that is down or never answers and an answer that is no key block are each told
// plainly.
#include "engine/KeyFuncs.h"
#include "engine/PGPInterface.h"

#include "PGPInterfaceTestTexts.h"
#include "PrefsMemoryHost.h"
#include "SecureFakeSdk.h"

#include "support/StandInSdk.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// A TCP socket and the address of a port on 127.0.0.1; the caller closes it and calls WSACleanup.
SOCKET LoopbackSocket(sockaddr_in& address, int port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    return socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
}

// Starts the Python server over the full test key ring and waits for the port it writes.
class THkpServer {
public:
    THkpServer()
    {
        const std::string unixPortFile = std::string(ZAVEK_HKP_FOLDER) + "/port-" + std::to_string(GetCurrentProcessId());
        portFile_ = WindowsPath(unixPortFile);
        DeleteFileA(portFile_.c_str());
        CreateDirectoryA(WindowsPath(ZAVEK_HKP_FOLDER).c_str(), nullptr);
        // A Unix program started from Wine runs on its own: it is waited for through its port file.
        std::string command = WindowsPath(ZAVEK_PYTHON3) + " " + ZAVEK_HKP_SERVER + " " + ZAVEK_KEY_FIXTURES
            + "/pubring.pkr " + unixPortFile;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        for (int tries = 0; tries < 200 && Port() == 0; ++tries)
            Sleep(50);
    }
    ~THkpServer()
    {
        if (Port() != 0)
            Get(Port(), "/quit");
        DeleteFileA(portFile_.c_str());
    }
    THkpServer(const THkpServer&) = delete;
    THkpServer& operator=(const THkpServer&) = delete;

    int Port() const
    {
        std::ifstream in(portFile_);
        int port = 0;
        in >> port;
        return port;
    }
    // One request, its answer ignored; true when the server took it.
    static bool Get(int port, const std::string& path)
    {
        sockaddr_in address = {};
        SOCKET s = LoopbackSocket(address, port);
        const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
        if (connected)
            send(s, request.data(), static_cast<int>(request.size()), 0);
        char answer[256];
        while (connected && recv(s, answer, sizeof answer, 0) > 0) {
        }
        closesocket(s);
        WSACleanup();
        return connected;
    }

private:
    std::string portFile_;
};

// A port on 127.0.0.1 where nothing listens.
int ClosedPort()
{
    sockaddr_in address = {};
    SOCKET s = LoopbackSocket(address, 0);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    closesocket(s);
    WSACleanup();
    return ntohs(address.sin_port);
}

class KeyServerStandIn : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        AnswerStandInDialogs("zavek-keyserver-answers.txt", "select-keys: all\n");
        LoadStandInSdk();
    }
    static void TearDownTestSuite() { ReleasePGPsdk(); }

    void SetUp() override
    {
        ASSERT_EQ(SDKLoadError, 0);
        UseKeyRingCopies(scratch, ZAVEK_KEY_FIXTURES);
        if (HasFatalFailure())
            return;
        std::unique_ptr<TKeyPropsList> list;
        ASSERT_EQ(FindKeys("dave@example.com", list, kKeyPropKeyID, 0, 0), 1);
        daveKeyID = (*list)[0];
        // Rings without Dave's key: the server has it.
        const std::string fixtures = WindowsPath(std::string(ZAVEK_KEY_FIXTURES) + "/");
        ASSERT_TRUE(CopyFileA((fixtures + "pubring-nodave.pkr").c_str(), (scratch.path + "pubring.pkr").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((fixtures + "secring-nodave.skr").c_str(), (scratch.path + "secring.skr").c_str(), FALSE));
        ASSERT_EQ(KeyRings().SetRingFiles(scratch.path + "pubring.pkr", scratch.path + "secring.skr"), 0);
    }
    void TearDown() override
    {
        pgp.reset();
        EXPECT_EQ(KeyRings().OpenCount(), 0);
    }

    // The interface over preferences that name one HTTP key server on 127.0.0.1.
    void UseServer(int port)
    {
        pgp.reset();
        host.Put(kAppData + "\\PGP Corporation\\PGP\\PGPprefs.txt",
            "KeyServerList1=2,0,\"\",\"127.0.0.1\"," + std::to_string(port) + ",\"\",0,0\r\n");
        prefs = std::make_unique<TPrefsFile>(host, 4, kAppData);
        pgp = std::make_unique<TPGPInterface>(nullptr, *t.errorTexts, *t.texts, prefs.get(), NewSdkSecure(),
            [this](const std::string& text, TMessageKind, int) {
                shown.push_back(text);
                return true;
            });
    }
    static int DaveKeys()
    {
        std::unique_ptr<TKeyPropsList> list;
        const int count = FindKeys("dave@example.com", list, kKeyPropKeyID, 0, 0);
        return count == kNoKeyMatches ? 0 : count;
    }

    const std::string kAppData = "C:\\Users\\ann\\AppData\\Roaming";
    TTestTexts t;
    TScratchFolder scratch { "zavek-keyserver" };
    TPrefsMemoryHost host;
    std::unique_ptr<TPrefsFile> prefs;
    std::unique_ptr<TPGPInterface> pgp;
    std::vector<std::string> shown;
    std::string daveKeyID;
};

TEST_F(KeyServerStandIn, KeysFoundByAddressOrKeyIDAreImported)
{
    THkpServer server;
    ASSERT_NE(server.Port(), 0) << "the HKP server did not start";
    UseServer(server.Port());
    TKeyIDData keys;
    EXPECT_EQ(pgp->SearchKeyServerKeys("dave@example.com", nullptr, keys, true), 0);
    EXPECT_EQ(keys.Count, 1);
    EXPECT_EQ(keys.KeyIDText, daveKeyID);
    EXPECT_EQ(DaveKeys(), 1);
    EXPECT_TRUE(shown.empty());

    // Gone from the ring again, then found by its key id, and the import reported.
    ASSERT_EQ(DeleteKeysByText(daveKeyID), 0);
    ASSERT_EQ(DaveKeys(), 0);
    EXPECT_EQ(pgp->SearchKeyServerKeys(daveKeyID, nullptr, keys, false), 0);
    EXPECT_EQ(DaveKeys(), 1);
    EXPECT_EQ(shown, (std::vector<std::string> { "1T311" }));
    shown.clear();

    // Several keys for one search are offered together (the answers take all of them).
    EXPECT_EQ(pgp->SearchKeyServerKeys("example.com", nullptr, keys, true), 0);
    EXPECT_EQ(keys.Count, 2) << keys.UserText;
    EXPECT_NE(keys.UserText.find("Carol Stone"), std::string::npos) << keys.UserText;
}

TEST_F(KeyServerStandIn, FailuresAreToldPlainly)
{
    THkpServer server;
    ASSERT_NE(server.Port(), 0) << "the HKP server did not start";
    UseServer(server.Port());
    TKeyIDData keys;
    EXPECT_EQ(pgp->SearchKeyServerKeys("nobody@example.org", nullptr, keys, true), kPGPError_ServerKeyNotFound);
    EXPECT_EQ(pgp->SearchKeyServerKeys("not-a-key", nullptr, keys, true), kPGPError_ServerBadReply);
    EXPECT_EQ(keys.Count, 0);
    // The interface leaves showing these to its caller, which shows the plain texts.
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(pgp->ShowPGPError(kPGPError_ServerKeyNotFound));
    EXPECT_EQ(shown, (std::vector<std::string> { "E-11358" }));

    // A server that takes the request and never answers is given up after the time-out.
    DWORD start = GetTickCount();
    EXPECT_EQ(pgp->SearchKeyServerKeys("silent", nullptr, keys, true), kPGPError_ServerTimedOut);
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 19000u);
    EXPECT_LT(waited, 30000u);

    // A server that is down is told at once, well within the time-out.
    UseServer(ClosedPort());
    start = GetTickCount();
    EXPECT_EQ(pgp->SearchKeyServerKeys("dave@example.com", nullptr, keys, true), kPGPError_ServerConnectFailed);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(DaveKeys(), 0);
}

} // namespace

TEST_F(KeyServerStandIn, ASignersKeyIsLookedUpOnlyWhenAsked)
{
    THkpServer server;
    ASSERT_NE(server.Port(), 0) << "the HKP server did not start";
    UseServer(server.Port());
    std::ifstream in(WindowsPath(std::string(ZAVEK_KEY_FIXTURES) + "/dave-signed.asc"), std::ios::binary);
    const std::string signedText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(signedText.empty());
    TSignatureData signature;
    // Without the lookup the signer stays unknown and nothing is imported.
    EXPECT_EQ(pgp->VerifyText(signedText, "", signature, false, false, nullptr), 0);
    EXPECT_EQ(DaveKeys(), 0);
    EXPECT_EQ(signature.StatusText.rfind("T324 [ ", 0), 0u) << signature.StatusText; // unknown signer
    // With it the servers are asked for the signer's key id, the key found is imported (the
    // answers take it) and the signature is checked with it: Dave's key has been revoked since,
    // so it is named unusable for the signature.
    EXPECT_EQ(pgp->VerifyText(signedText, "", signature, false, true, nullptr), 0);
    EXPECT_EQ(DaveKeys(), 1);
    EXPECT_EQ(signature.StatusText, "T325 T326");
    EXPECT_TRUE(shown.empty());
}
