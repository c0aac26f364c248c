// The shared key store: reference-counted opening of the key database (or, for the oldest SDK,
// the key-ring pair), reopening when another program changed a ring file, the one SDK restart
// when the store cannot reach the SDK service, and committing with a change notice.
#include "engine/KeyFuncs.h"
#include "engine/KeyFuncsSdk.h"
#include "engine/sdk/pgpBase.h"
#include "foundation/TimeUtilsWin.h"
#include "foundation/UTF8.h"

#include <windows.h>

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()))
        == CSTR_EQUAL;
}

uint32_t DosDateOf(const FILETIME& utc)
{
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return (static_cast<uint32_t>(date) << 16) | time;
}

uint32_t NowAsFileDate()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return DosDateOf(now);
}

// 0 when the file cannot be read, which never counts as a change.
uint32_t FileDateOf(const std::string& path)
{
    const std::string ansi = SDKGeneration >= 5 ? Utf8ToLocale(path) : path;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (ansi.empty() || !GetFileAttributesExA(ansi.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return DosDateOf(data.ftLastWriteTime);
}

PGPError NewFileSpec(PGPContextRef context, const std::string& path, TOwnedFileSpec& spec)
{
    if (!SDKProcs.PGPNewFileSpecFromFullPath)
        return kPGPError_NotImplemented;
    return SDKProcs.PGPNewFileSpecFromFullPath(context, path.c_str(), spec.Out());
}

void NotifyKeyringChanged()
{
    if (SDKGeneration == 1) {
        if (SDKProcs.PGPclNotifyKeyringChangesGen1)
            SDKProcs.PGPclNotifyKeyringChangesGen1(GetCurrentProcessId());
    } else if (SDKProcs.PGPclNotifyKeyringChanges) {
        SDKProcs.PGPclNotifyKeyringChanges(0, GetCurrentProcessId());
    }
}

} // namespace

TKeyRings& KeyRings()
{
    static TKeyRings instance;
    return instance;
}

TKeyRings::~TKeyRings()
{
    if (openCount_ > 0) {
        openCount_ = 1;
        Close();
    }
}

PGPError TKeyRings::Open(PGPContextRef* context, PGPKeySetRef* keySet)
{
    PGPError status = kKeyRingsNoSDK;
    if (SDKLoadError != 0 || sdkUnusable_) {
        retried_ = false;
        return status;
    }
    // A nested opening joins the outer one even when a ring file changed since (whatever
    // WatchRingFiles says): reopening would free the context and the key set the outer holder still
    // uses. Every operation holds the store only while it runs, so the next first opening reads
    // the files anew and a change by another program is seen at the next operation.
    if (openCount_ > 0) {
        status = kPGPError_NoErr;
        if (SDKGeneration >= 2 && SDKProcs.PGPsdkReconnect) {
            const PGPError reconnect = SDKProcs.PGPsdkReconnect();
            status = reconnect > 0 ? kPGPError_NoErr : reconnect;
        }
    } else {
        status = OpenStore();
    }
    if (status == kPGPError_NoErr)
        ++openCount_;
    if (context)
        *context = context_;
    if (keySet)
        *keySet = keySet_;
    if (status == kPGPError_ServiceUnreachable && SDKGeneration >= 2 && !retried_)
        return RestartSDK(context, keySet);
    retried_ = false;
    return status;
}

// The store could not reach the SDK service: clean the SDK up, start the service, start the SDK
// again (whether or not the service start was needed) and open once more.
PGPError TKeyRings::RestartSDK(PGPContextRef* context, PGPKeySetRef* keySet)
{
    const int remembered = openCount_ > 0 ? openCount_ : 1;
    if (openCount_ > 0) {
        openCount_ = 1;
        Close();
    }
    if (SDKProcs.PGPsdkCleanup)
        SDKProcs.PGPsdkCleanup();
    retried_ = true;
    StartPGPService();
    const PGPError init = SDKProcs.PGPsdkInit ? SDKProcs.PGPsdkInit(SDKInitFlags) : kPGPError_NotImplemented;
    if (init < 0) {
        // Every later SDK call would run against a cleaned-up SDK.
        sdkUnusable_ = true;
        retried_ = false;
        return kKeyRingsNoSDK;
    }
    const PGPError status = Open(context, keySet);
    if (status == kPGPError_NoErr)
        openCount_ = remembered;
    return status;
}

PGPError TKeyRings::OpenStore()
{
    keyDB_ = 0;
    keySet_ = 0;
    context_ = 0;
    if (!SDKProcs.PGPNewContext)
        return kKeyRingsNoSDK;
    TOwnedContext context;
    PGPError status = SDKProcs.PGPNewContext(kPGPContextVersion, context.Out());
    if (status != kPGPError_NoErr)
        return status;
    TOwnedFileSpec publicSpec, secretSpec;
    status = NewFileSpec(context.Get(), publicRing_, publicSpec);
    if (status == kPGPError_NoErr)
        status = NewFileSpec(context.Get(), secretRing_, secretSpec);
    if (status != kPGPError_NoErr)
        return status;
    if (SDKGeneration == 1) {
        TOwnedKeySet set;
        status = SDKProcs.PGPOpenKeyRingPair
            ? SDKProcs.PGPOpenKeyRingPair(context.Get(), 2, publicSpec.Get(), secretSpec.Get(), set.Out())
            : kPGPError_NotImplemented;
        if (status != kPGPError_NoErr)
            return status;
        keySet_ = set.Release();
    } else {
        TOwnedKeyDB db;
        status = SDKProcs.PGPOpenKeyDBFile
            ? SDKProcs.PGPOpenKeyDBFile(context.Get(), kPGPOpenKeyDB_Mutable, publicSpec.Get(), secretSpec.Get(),
                                        db.Out())
            : kPGPError_NotImplemented;
        if (status != kPGPError_NoErr)
            return status;
        keySet_ = SDKProcs.PGPPeekKeyDBRootKeySet ? SDKProcs.PGPPeekKeyDBRootKeySet(db.Get()) : 0;
        keyDB_ = db.Release();
    }
    context_ = context.Release();
    lastOpened_ = NowAsFileDate();
    return kPGPError_NoErr;
}

void TKeyRings::FreeStore()
{
    if (SDKGeneration == 1) {
        TOwnedKeySet set(keySet_);
    } else {
        TOwnedKeyDB db(keyDB_);
    }
    TOwnedContext context(context_);
    keyDB_ = 0;
    keySet_ = 0;
    context_ = 0;
}

void TKeyRings::Close()
{
    if (openCount_ <= 0)
        return;
    if (--openCount_ == 0)
        FreeStore();
}

PGPError TKeyRings::Reopen(PGPContextRef* context, PGPKeySetRef* keySet)
{
    // Another holder still works with the context and the key set: they are not freed under it.
    if (openCount_ > 1) {
        if (context)
            *context = context_;
        if (keySet)
            *keySet = keySet_;
        return kPGPError_NoErr;
    }
    const int count = openCount_;
    if (openCount_ > 0) {
        openCount_ = 1;
        Close();
    }
    const PGPError status = Open(context, keySet);
    if (status == kPGPError_NoErr && count > 0)
        openCount_ = count;
    return status;
}

PGPError TKeyRings::SetRingFiles(const std::string& publicRing, const std::string& secretRing)
{
    if (publicRing.empty() || secretRing.empty())
        return kKeyRingsNoSDK;
    if (SameTextIgnoringCase(publicRing, publicRing_) && SameTextIgnoringCase(secretRing, secretRing_))
        return kPGPError_NoErr;
    publicRing_ = publicRing;
    secretRing_ = secretRing;
    // Whoever holds the store now finishes on the old files; the next first opening takes the new.
    return kPGPError_NoErr;
}

bool TKeyRings::RingsChanged() const
{
    return FileDateOf(publicRing_) >= lastOpened_ || FileDateOf(secretRing_) >= lastOpened_;
}

PGPError TKeyRings::Commit()
{
    PGPError status = kKeyRingsNoSDK;
    if (openCount_ == 0)
        return status;
    if (SDKGeneration == 1) {
        status = kPGPError_NoErr;
        if (SDKProcs.PGPKeySetNeedsCommit && SDKProcs.PGPKeySetNeedsCommit(keySet_))
            status = SDKProcs.PGPCommitKeyRingChanges ? SDKProcs.PGPCommitKeyRingChanges(keySet_)
                                                      : kPGPError_NotImplemented;
    } else {
        status = SDKProcs.PGPFlushKeyDB ? SDKProcs.PGPFlushKeyDB(keyDB_) : kPGPError_NotImplemented;
    }
    if (status == kPGPError_NoErr) {
        NotifyKeyringChanged();
        lastOpened_ = NowAsFileDate();
    }
    return status;
}

uint32_t NowUnix()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return SystemTimeToUnix(now);
}

std::string UnixDateText(uint32_t seconds)
{
    SYSTEMTIME local;
    FillSystemTime(local, UnixToLocal(static_cast<int32_t>(seconds)));
    char date[128] = {};
    char time[128] = {};
    if (!GetDateFormatA(LOCALE_USER_DEFAULT, 0, &local, "ddd, dd MMM yyyy", date, sizeof date)
        || !GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, sizeof time))
        return {};
    return std::string(date) + ", " + time;
}
