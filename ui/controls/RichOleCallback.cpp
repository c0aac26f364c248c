// The rich edit's OLE callback over a compound file on global memory.
#include "ui/controls/RichOleCallback.h"

std::unique_ptr<IREOCallback> IREOCallback::Create()
{
    ILockBytes* lockBytes = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes)) || !lockBytes)
        return nullptr;
    IStorage* root = nullptr;
    if (FAILED(StgCreateDocfileOnILockBytes(
            lockBytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &root))
        || !root) {
        lockBytes->Release();
        return nullptr;
    }
    return std::unique_ptr<IREOCallback>(new IREOCallback(lockBytes, root));
}

IREOCallback::IREOCallback(ILockBytes* lockBytes, IStorage* root)
    : lockBytes_(lockBytes)
    , root_(root)
{
}

IREOCallback::~IREOCallback()
{
    root_->Release();
    lockBytes_->Release();
}

HRESULT STDMETHODCALLTYPE IREOCallback::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOleCallback)) {
        *object = static_cast<IRichEditOleCallback*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE IREOCallback::GetNewStorage(LPSTORAGE* storage)
{
    if (!allowed_ || !storage)
        return E_NOTIMPL;
    return root_->CreateStorage(L"", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, storage);
}

HRESULT STDMETHODCALLTYPE IREOCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG)
{
    if (!allowed_)
        return S_FALSE;
    ++count_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE IREOCallback::DeleteObject(LPOLEOBJECT)
{
    --count_;
    return E_NOTIMPL;
}
