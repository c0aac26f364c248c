// The web download thread.
#include "foundation/WebInterface.h"

TWinInetThread::TWinInetThread(const std::string& agent)
    : agent_(agent)
{
    FreeOnTerminate = true;
}

void TWinInetThread::Cancel() noexcept
{
    cancelled_ = true;
    handles_.CloseAll();
}

void TWinInetThread::Execute()
{
    resultCode_ = RESULT_NOTHING_TRIED;
    if (!WinInetLoaded() || !GetModuleHandleA("WinInet.dll"))
        return;
    TOfflineModeGuard online;
    while (!Urls.empty() && !Terminated()) {
        const std::string url = NextListItem(Urls);
        if (url.empty())
            continue;
        resultCode_ = Download(url);
        if (resultCode_ == RESULT_OK || resultCode_ == RESULT_CANCELLED)
            break;
    }
}

int TWinInetThread::Download(const std::string& url)
{
    statusText_ = UrlHostName(url);
    TOpenSettings settings;
    settings.Agent = agent_;
    // Each session, the direct retry's too, has its own time-out, which the caller's countdown
    // starts from.
    settings.SessionOpened = [this](HINTERNET session) {
        timeoutSeconds_ = static_cast<int>(ConnectTimeoutSeconds(session));
        if (OnStatus && !cancelled_)
            Synchronize([this] { OnStatus(*this); });
        if (cancelled_) // a session opened after the cancel is closed here
            handles_.CloseAll();
    };
    if (cancelled_)
        return RESULT_CANCELLED;
    switch (OpenUrlWithFallback(handles_, settings, url)) {
    case TFetchResult::Ok: break;
    case TFetchResult::NoSession: return RESULT_NO_SESSION;
    case TFetchResult::Cancelled: return RESULT_CANCELLED;
    default: return RESULT_NOT_OPENED;
    }
    const TFetchResult read = ReadUrlBody(handles_.Request.load(), resultText_);
    handles_.CloseAll();
    if (cancelled_)
        return RESULT_CANCELLED;
    // The version text it fetches is never empty: an empty answer is as good as none.
    return read == TFetchResult::Ok && !resultText_.empty() ? RESULT_OK : RESULT_NO_BODY;
}
