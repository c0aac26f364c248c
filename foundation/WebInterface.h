// `TWinInetThread`: downloads one small text over HTTP on a worker thread (the about box's update
// check and key fetch). It tries each URL of a TAB-separated list in turn, through the configured
// proxy and then directly, accepts only status 200, and reports progress and its end on the GUI
// thread. WinInet must be bound first (LoadWinInetApi).
#pragma once

#include "foundation/WinInetApi.h"
#include "framework/Threads.h"

#include <atomic>
#include <functional>
#include <string>

class TWinInetThread : public TThread {
public:
    // Result codes.
    static constexpr int RESULT_OK = 0;
    static constexpr int RESULT_NOTHING_TRIED = 1;
    static constexpr int RESULT_NO_SESSION = 3;
    static constexpr int RESULT_NOT_OPENED = 4;
    static constexpr int RESULT_NO_BODY = 5; // status not 200, empty or incomplete body
    static constexpr int RESULT_CANCELLED = 7;

    // Suspended until Start; frees itself when it has ended.
    explicit TWinInetThread(const std::string& agent);

    // Closes the open handles so that a blocked open ends as cancelled; no further URL is tried.
    // Called on the GUI thread.
    void Cancel() noexcept;

    std::string Urls; // TAB-separated, consumed from the front
    // Called on the GUI thread when a URL is being opened; StatusText holds its host.
    std::function<void(TWinInetThread&)> OnStatus;

    int ResultCode() const noexcept { return resultCode_; }
    const std::string& ResultText() const noexcept { return resultText_; }
    const std::string& StatusText() const noexcept { return statusText_; }
    int TimeoutSeconds() const noexcept { return timeoutSeconds_; }

protected:
    void Execute() override;

private:
    int Download(const std::string& url);

    std::string agent_;
    std::string resultText_;
    std::string statusText_;
    int resultCode_ = RESULT_NOTHING_TRIED;
    int timeoutSeconds_ = 0;
    std::atomic<bool> cancelled_ { false };
    TWebHandles handles_;
};
