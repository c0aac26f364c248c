// The plug-in's busy state while the mail client waits on a request: a depth counter (the menu is
// grayed while it is above 0) and an in-request guard that refuses a second message request arriving
// while one runs, except where the plug-in itself makes the mail client send.
#pragma once

class TBusyState {
public:
    // One more (or one fewer) level busy; true when the state changed between idle and busy.
    bool Enter();
    bool Leave();
    bool IsBusy() const { return depth_ > 0; }

    // Starts a request; false when one already runs and no nested one is allowed.
    bool TryBeginRequest();
    void EndRequest();
    bool InRequest() const { return requests_ > 0; }

    // Lets one request run inside the running one (the plug-in asked the mail client to send).
    void AllowNested() { ++nestingAllowed_; }
    void DisallowNested();

private:
    int depth_ = 0;
    int requests_ = 0;
    int nestingAllowed_ = 0;
};

// A request for the time of a scope; check Granted() before doing anything.
class TRequestScope {
public:
    explicit TRequestScope(TBusyState& state)
        : state_(state)
        , granted_(state.TryBeginRequest())
    {
    }
    ~TRequestScope()
    {
        if (granted_)
            state_.EndRequest();
    }
    TRequestScope(const TRequestScope&) = delete;
    TRequestScope& operator=(const TRequestScope&) = delete;
    bool Granted() const { return granted_; }

private:
    TBusyState& state_;
    bool granted_;
};

// Permission for one nested request for the time of a scope.
class TNestedRequestAllowance {
public:
    explicit TNestedRequestAllowance(TBusyState& state)
        : state_(state)
    {
        state_.AllowNested();
    }
    ~TNestedRequestAllowance() { state_.DisallowNested(); }
    TNestedRequestAllowance(const TNestedRequestAllowance&) = delete;
    TNestedRequestAllowance& operator=(const TNestedRequestAllowance&) = delete;

private:
    TBusyState& state_;
};
