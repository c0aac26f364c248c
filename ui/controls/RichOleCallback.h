// `IREOCallback`, the rich edit's OLE callback: storage for embedded objects on global memory,
// objects admitted only when the control shows objects, and a count of those inserted.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <richole.h>

#include <memory>

class IREOCallback final : public IRichEditOleCallback {
public:
    // Null when the storage on global memory cannot be made: the control then runs without one.
    static std::unique_ptr<IREOCallback> Create();
    ~IREOCallback();
    IREOCallback(const IREOCallback&) = delete;
    IREOCallback& operator=(const IREOCallback&) = delete;

    bool ObjectsAllowed() const noexcept { return allowed_; }
    void SetObjectsAllowed(bool value) noexcept { allowed_ = value; }
    int ObjectCount() const noexcept { return count_; }

    // IUnknown: the control owns the object, so the count never changes.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override;
    HRESULT STDMETHODCALLTYPE GetInPlaceContext(
        LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*, LPOLEINPLACEFRAMEINFO) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ShowContainerUI(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override;
    HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT) override;
    HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDragDropEffect(BOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override
    {
        return E_NOTIMPL;
    }

private:
    IREOCallback(ILockBytes* lockBytes, IStorage* root);

    ILockBytes* lockBytes_;
    IStorage* root_;
    int count_ = 0;
    bool allowed_ = false;
};
