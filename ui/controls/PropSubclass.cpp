// Property-held ANSI subclasses.
#include "ui/controls/PropSubclass.h"

bool InstallPropSubclass(HWND window, const char* property, WNDPROC procedure, void* owner)
{
    if (!IsWindow(window) || GetPropA(window, property))
        return false;
    auto* record = new TPropSubclass { nullptr, procedure, owner };
    if (!SetPropA(window, property, reinterpret_cast<HANDLE>(record))) {
        delete record;
        return false;
    }
    record->Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    return true;
}

TPropSubclass* FindPropSubclass(HWND window, const char* property) noexcept
{
    return reinterpret_cast<TPropSubclass*>(GetPropA(window, property));
}

void* PropSubclassOwner(HWND window, const char* property) noexcept
{
    const TPropSubclass* record = FindPropSubclass(window, property);
    return record ? record->Owner : nullptr;
}

LRESULT CallPreviousProc(HWND window, const char* property, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TPropSubclass* record = FindPropSubclass(window, property);
    if (!record)
        return DefWindowProcA(window, msg, wParam, lParam);
    const WNDPROC previous = record->Previous;
    if (msg == WM_NCDESTROY) {
        // The window goes: our procedure leaves it before the last message passes on.
        if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(record->Procedure))
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(window, property);
        delete record;
    }
    return CallWindowProcA(previous, window, msg, wParam, lParam);
}

void RemovePropSubclass(HWND window, const char* property) noexcept
{
    TPropSubclass* record = FindPropSubclass(window, property);
    if (!record)
        return;
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(record->Procedure)) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->Previous));
        RemovePropA(window, property);
        delete record;
        return;
    }
    record->Owner = nullptr;
}
