// Generation 1 keeps the user's settings inside the SDK's and the client library's own stores:
// read through the SDK binding, with a context and the client store opened around each read.
#include "engine/PrefFuncs.h"

#include "engine/sdk/pgpBindings.h"

#include <cstring>

namespace {

enum : int32_t { kSdkPrefDefaultKey = 3 };

// One SDK context for the length of a read.
class TPrefsContext {
public:
    TPrefsContext()
    {
        status_ = SDKProcs.PGPNewContext ? SDKProcs.PGPNewContext(kPGPContextVersion, &context_)
                                         : kPGPError_NotImplemented;
        if (status_ == 0)
            status_ = SDKProcs.PGPsdkLoadDefaultPrefs ? SDKProcs.PGPsdkLoadDefaultPrefs(context_)
                                                      : kPGPError_NotImplemented;
    }
    ~TPrefsContext()
    {
        if (context_ && SDKProcs.PGPFreeContext)
            SDKProcs.PGPFreeContext(context_);
    }
    TPrefsContext(const TPrefsContext&) = delete;
    TPrefsContext& operator=(const TPrefsContext&) = delete;
    PGPError Status() const { return status_; }
    PGPContextRef Get() const { return context_; }

private:
    PGPContextRef context_ = 0;
    PGPError status_;
};

// The client library's store, opened for one read (closed without saving) or one write (SaveAndClose).
class TClientPrefs {
public:
    TClientPrefs()
    {
        status_ = SDKProcs.PGPclOpenClientPrefs && SDKProcs.PGPGetDefaultMemoryMgr
            ? SDKProcs.PGPclOpenClientPrefs(SDKProcs.PGPGetDefaultMemoryMgr(), &prefs_)
            : kPGPError_NotImplemented;
    }
    ~TClientPrefs()
    {
        if (status_ == 0 && SDKProcs.PGPclCloseClientPrefs)
            SDKProcs.PGPclCloseClientPrefs(prefs_, 0);
    }
    TClientPrefs(const TClientPrefs&) = delete;
    TClientPrefs& operator=(const TClientPrefs&) = delete;
    PGPError Status() const { return status_; }
    PGPHandle Get() const { return prefs_; }
    PGPError SaveAndClose()
    {
        status_ = kPGPError_NotImplemented; // closed: the destructor has nothing left to do
        return SDKProcs.PGPclCloseClientPrefs ? SDKProcs.PGPclCloseClientPrefs(prefs_, 1) : kPGPError_NotImplemented;
    }

private:
    PGPHandle prefs_ = 0;
    PGPError status_;
};

// SDK-allocated output, freed with the SDK.
template <class T> struct TSdkData {
    T* data = nullptr;
    ~TSdkData()
    {
        if (data && SDKProcs.PGPFreeData)
            SDKProcs.PGPFreeData(data);
    }
};

PGPError FileSpecPath(PGPContextRef context, int32_t pref, std::string& path)
{
    if (!SDKProcs.PGPsdkPrefGetFileSpec || !SDKProcs.PGPGetFullPathFromFileSpec)
        return kPGPError_NotImplemented;
    PGPFileSpecRef spec = 0;
    PGPError status = SDKProcs.PGPsdkPrefGetFileSpec(context, pref, &spec);
    if (status != 0)
        return status;
    TSdkData<char> text;
    status = SDKProcs.PGPGetFullPathFromFileSpec(spec, &text.data);
    if (status == 0 && text.data)
        path = text.data;
    if (SDKProcs.PGPFreeFileSpec)
        SDKProcs.PGPFreeFileSpec(spec);
    return status;
}

PGPError DefaultKeyText(PGPContextRef context, std::string& keyID)
{
    if (!SDKProcs.PGPsdkPrefGetData || !SDKProcs.PGPGetKeyIDString)
        return kPGPError_NotImplemented;
    TSdkData<void> data;
    PGPSize size = 0;
    PGPError status = SDKProcs.PGPsdkPrefGetData(context, kSdkPrefDefaultKey, &data.data, &size);
    if (status != 0 || !data.data)
        return status;
    // Generation 1 records are 34 bytes; the rest of the newer layout stays zero.
    PGPKeyID record {};
    std::memcpy(&record, data.data, size < sizeof record ? size : sizeof record);
    char text[64] = {};
    status = SDKProcs.PGPGetKeyIDString(&record, kPGPKeyIDString_FullGen1, text);
    if (status == 0)
        keyID = text;
    return status;
}

} // namespace

int32_t Gen1KeyRingPrefs(TPreferenceRec& rec, uint32_t selection)
{
    TPrefsContext context;
    if (context.Status() != 0)
        return context.Status();
    const struct {
        uint32_t bit;
        int32_t pref;
        std::string* field;
    } files[] = {
        { kPrefPublicRing, 5, &rec.publicRing },
        { kPrefPrivateRing, 6, &rec.privateRing },
        { kPrefRandomSeed, 7, &rec.randomSeed },
        { kPrefGroupsFile, 8, &rec.groupsFile },
    };
    for (const auto& file : files)
        if (selection & file.bit)
            if (PGPError status = FileSpecPath(context.Get(), file.pref, *file.field); status != 0)
                return status;
    if (selection & kPrefDefaultKey)
        return DefaultKeyText(context.Get(), rec.defaultKeyID);
    return 0;
}

int32_t Gen1ClientBoolean(int32_t index, bool& value)
{
    TClientPrefs prefs;
    if (prefs.Status() != 0 || !SDKProcs.PGPclGetPrefBoolean)
        return prefs.Status() != 0 ? prefs.Status() : kPGPError_NotImplemented;
    PGPBoolean flag = 0;
    PGPError status = SDKProcs.PGPclGetPrefBoolean(prefs.Get(), index, &flag);
    if (status == 0)
        value = flag != 0;
    return status;
}

int32_t Gen1ClientNumber(int32_t index, uint32_t& value)
{
    TClientPrefs prefs;
    if (prefs.Status() != 0 || !SDKProcs.PGPclGetPrefNumber)
        return prefs.Status() != 0 ? prefs.Status() : kPGPError_NotImplemented;
    return SDKProcs.PGPclGetPrefNumber(prefs.Get(), index, &value);
}

int32_t Gen1ClientString(int32_t index, std::string& value)
{
    TClientPrefs prefs;
    if (prefs.Status() != 0 || !SDKProcs.PGPclGetPrefStringAlloc)
        return prefs.Status() != 0 ? prefs.Status() : kPGPError_NotImplemented;
    TSdkData<char> text;
    PGPError status = SDKProcs.PGPclGetPrefStringAlloc(prefs.Get(), index, &text.data);
    if (status == 0)
        value = text.data ? text.data : "";
    return status;
}

int32_t Gen1ClientData(int32_t index, std::string& value)
{
    TClientPrefs prefs;
    if (prefs.Status() != 0 || !SDKProcs.PGPclGetPrefData)
        return prefs.Status() != 0 ? prefs.Status() : kPGPError_NotImplemented;
    TSdkData<void> data;
    PGPSize size = 0;
    PGPError status = SDKProcs.PGPclGetPrefData(prefs.Get(), index, &size, &data.data);
    if (status == 0)
        value.assign(static_cast<const char*>(data.data), data.data ? size : 0);
    return status;
}

int32_t Gen1ClientSetData(int32_t index, const std::string& value)
{
    TClientPrefs prefs;
    if (prefs.Status() != 0 || !SDKProcs.PGPclSetPrefData)
        return prefs.Status() != 0 ? prefs.Status() : kPGPError_NotImplemented;
    const PGPError status
        = SDKProcs.PGPclSetPrefData(prefs.Get(), index, static_cast<PGPSize>(value.size()), value.data());
    const PGPError saved = prefs.SaveAndClose();
    return status != 0 ? status : saved;
}
