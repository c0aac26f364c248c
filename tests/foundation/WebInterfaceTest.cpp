// The web download thread against a loopback HTTP server: the URL list walk, status 200 only, the
// announced length, cancelling, and the host name shown while a URL opens.
#include "foundation/WebInterface.h"
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct TDownloadOutcome {
    int Code = -1;
    std::string Text;
    std::vector<std::string> Hosts;
};

// Runs one download thread and handles messages until its end arrives on this thread; with
// cancelWhileOpening, cancels 300 ms after the first URL began to open. Unbind changes the bound
// WinInet functions first (the next download binds them all again).
TDownloadOutcome Download(const std::string& urls, bool cancelWhileOpening = false,
                          const std::function<void(TWinInetApi&)>& unbind = {})
{
    EXPECT_TRUE(LoadWinInetApi(false));
    if (unbind)
        unbind(WinInet());
    TDownloadOutcome outcome;
    bool ended = false;
    ULONGLONG openedAt = 0;
    auto* thread = new TWinInetThread("ZAVEK test");
    thread->Urls = urls;
    thread->OnStatus = [&](TWinInetThread& t) {
        outcome.Hosts.push_back(t.StatusText());
        openedAt = GetTickCount64();
    };
    thread->OnTerminate = [&](TThread& t) {
        auto& done = static_cast<TWinInetThread&>(t);
        outcome.Code = done.ResultCode();
        outcome.Text = done.ResultText();
        ended = true;
    };
    thread->Start();
    bool cancelled = false;
    while (!ended) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (cancelWhileOpening && !cancelled && !ended && openedAt && GetTickCount64() - openedAt > 300) {
            cancelled = true;
            thread->Cancel();
        }
    }
    return outcome;
}

TEST(WebInterface, AFailingFirstUrlGivesTheBodyOfTheSecond)
{
    TLoopbackHttpServer server;
    server.Answer("/missing", { 404, "error page" });
    server.Answer("/version", { 200, "4.9.7" });
    const TDownloadOutcome outcome = Download(server.Url("/missing") + "\t" + server.Url("/version") + "\t");
    EXPECT_EQ(outcome.Code, TWinInetThread::RESULT_OK);
    EXPECT_EQ(outcome.Text, "4.9.7");
    EXPECT_EQ(outcome.Hosts, (std::vector<std::string> { "127.0.0.1", "127.0.0.1" }));
}

TEST(WebInterface, OnlyTheAnnouncedLengthCountsAndAShorterBodyFails)
{
    TLoopbackHttpServer server;
    server.Answer("/long", { 200, "0123456789", true, 4 });
    EXPECT_EQ(Download(server.Url("/long")).Text, "0123");
    server.Answer("/short", { 200, "0123", true, 10 });
    EXPECT_EQ(Download(server.Url("/short")).Code, TWinInetThread::RESULT_NO_BODY);
    server.Answer("/empty", { 200, "" });
    EXPECT_EQ(Download(server.Url("/empty")).Code, TWinInetThread::RESULT_NO_BODY);
}

TEST(WebInterface, ABodyWithoutLengthIsReadToItsEnd)
{
    TLoopbackHttpServer server;
    const std::string body(100000, 'k');
    server.Answer("/key", { 200, body, false });
    const TDownloadOutcome outcome = Download(server.Url("/key"));
    EXPECT_EQ(outcome.Code, TWinInetThread::RESULT_OK);
    EXPECT_EQ(outcome.Text.size(), body.size());
}

TEST(WebInterface, NothingToTryAndUnreachableServers)
{
    EXPECT_EQ(Download("").Code, TWinInetThread::RESULT_NOTHING_TRIED);
    EXPECT_EQ(Download(RefusedUrl("/x")).Code, TWinInetThread::RESULT_NOT_OPENED);
}

TEST(WebInterface, CancellingWhileAUrlOpensTriesNoFurtherUrl)
{
    TLoopbackHttpServer server;
    server.Answer("/slow", { 200, "late", true, -1, 3000 });
    server.Answer("/next", { 200, "never" });
    const TDownloadOutcome outcome = Download(server.Url("/slow") + "\t" + server.Url("/next"), true);
    EXPECT_EQ(outcome.Code, TWinInetThread::RESULT_CANCELLED);
    EXPECT_EQ(outcome.Hosts.size(), 1u);
    for (const std::string& path : server.Requests())
        EXPECT_NE(path, "/next");
}

TEST(WebInterface, AWinInetWithoutAFunctionForTheAnswerOpensNothing)
{
    TLoopbackHttpServer server;
    server.Answer("/version", { 200, "4.9.7" });
    const std::function<void(TWinInetApi&)> unbinds[] = {
        [](TWinInetApi& api) { api.HttpQueryInfoA = nullptr; },
        [](TWinInetApi& api) { api.InternetQueryDataAvailable = nullptr; },
        [](TWinInetApi& api) { api.InternetReadFile = nullptr; },
    };
    for (const auto& unbind : unbinds) {
        const TDownloadOutcome outcome = Download(server.Url("/version"), false, unbind);
        EXPECT_EQ(outcome.Code, TWinInetThread::RESULT_NOT_OPENED);
        EXPECT_TRUE(outcome.Hosts.empty());
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(Download(server.Url("/version")).Text, "4.9.7");
}

TEST(WebInterface, HostNamesOfUrls)
{
    ASSERT_TRUE(LoadWinInetApi(false));
    EXPECT_EQ(UrlHostName("http://keys.example.org:11371/pks/lookup?op=get"), "keys.example.org");
    EXPECT_EQ(UrlHostName(" <https://www.example.com/zavek/download.htm> "), "www.example.com");
    // Decoding for display is WinInet's; a URL it cannot canonicalise comes back unchanged.
    EXPECT_EQ(DecodeUrlForDisplay("not a url"), "not a url");
    EXPECT_EQ(DecodeUrlForDisplay("http://example.org/a%20b"), "http://example.org/a b");
}

} // namespace
