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
    timeoutSeconds_ = static_cast<int>(ConnectTimeoutSeconds(nullptr));
    statusText_ = UrlHostName(url);
    if (OnStatus)
        Synchronize([this] { OnStatus(*this); });
    if (cancelled_)
        return RESULT_CANCELLED;
    TOpenSettings settings;
    settings.Agent = agent_;
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
