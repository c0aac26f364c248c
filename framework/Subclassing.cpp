// The window table and our window-class registrations.
#include "framework/Subclassing.h"

#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <set>
#include <unordered_map>
#include <vector>

LRESULT CALLBACK StandardWindowProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StandardWindowProcW(HWND, UINT, WPARAM, LPARAM);

namespace {

LRESULT CALLBACK ForeignWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const SubclassRegistry::Entry* entry = SubclassRegistry::Find(window);
    if (!entry)
        return DefWindowProcA(window, msg, wParam, lParam);
    // Copies: the handler may unsubclass the window, which drops the entry.
    const WNDPROC original = entry->original;
    const SubclassRegistry::Handler handler = entry->handler;
    if (msg == WM_NCDESTROY) {
        const LRESULT result = CallWindowProcA(original, window, msg, wParam, lParam);
        SubclassRegistry::Remove(window);
        return result;
    }
    if (handler) {
        try {
            return handler(window, msg, wParam, lParam);
        } catch (...) {
            ReportBoundaryException("subclassed window procedure");
        }
    }
    return CallWindowProcA(original, window, msg, wParam, lParam);
}

} // namespace

namespace {

struct Tables {
    std::unordered_map<HWND, SubclassRegistry::Entry> windows;
    std::set<std::string> classes;
};

Tables& State()
{
    static Tables tables;
    return tables;
}

} // namespace

void SubclassRegistry::Add(HWND window, const Entry& entry)
{
    State().windows[window] = entry;
}

const SubclassRegistry::Entry* SubclassRegistry::Find(HWND window) noexcept
{
    auto& windows = State().windows;
    const auto it = windows.find(window);
    return it == windows.end() ? nullptr : &it->second;
}

void SubclassRegistry::Remove(HWND window) noexcept
{
    State().windows.erase(window);
}

int SubclassRegistry::Count() noexcept
{
    return static_cast<int>(State().windows.size());
}

bool SubclassRegistry::Subclass(HWND window, Handler handler)
{
    if (!IsWindow(window) || Find(window))
        return false;
    Entry entry;
    entry.handler = std::move(handler);
    // In the table before the switch, so the first message already finds its handler.
    entry.original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    Add(window, entry);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignWindowProc));
    return true;
}

void SubclassRegistry::Unsubclass(HWND window) noexcept
{
    auto& windows = State().windows;
    const auto it = windows.find(window);
    if (it == windows.end() || it->second.control)
        return;
    if (RestoreProcedure(window, it->second))
        windows.erase(it);
    else
        it->second.handler = nullptr;
}

LRESULT SubclassRegistry::CallOriginal(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const Entry* entry = Find(window);
    return entry ? CallWindowProcA(entry->original, window, msg, wParam, lParam)
                 : DefWindowProcA(window, msg, wParam, lParam);
}

bool SubclassRegistry::RestoreProcedure(HWND window, const Entry& entry) noexcept
{
    const auto ours = reinterpret_cast<LONG_PTR>(
        !entry.control ? ForeignWindowProc : (entry.unicode ? StandardWindowProcW : StandardWindowProc));
    const LONG_PTR current
        = entry.unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
    if (current != ours)
        return false;
    if (entry.unicode)
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.original));
    else
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.original));
    return true;
}

void SubclassRegistry::RegisterOwnClass(const std::string& className, UINT classStyle)
{
    auto& classes = State().classes;
    if (classes.count(className))
        return;
    WNDCLASSA wc {};
    wc.style = classStyle;
    wc.lpfnWndProc = StandardWindowProc;
    wc.hInstance = FrameworkModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EOSError(GetLastError(), "Cannot register window class " + className + ".");
    classes.insert(className);
}

void SubclassRegistry::RestoreAll() noexcept
{
    auto& windows = State().windows;
    // System windows first get their own procedures back; then our own windows are destroyed
    // (destroying may remove further entries, so work from a copy of the handles).
    std::vector<HWND> own;
    for (auto& [window, entry] : windows) {
        if (entry.ownClass) {
            own.push_back(window);
        } else if (IsWindow(window)) {
            if (entry.control)
                entry.control->handle_ = nullptr;
            RestoreProcedure(window, entry);
        }
    }
    for (auto it = windows.begin(); it != windows.end();)
        it = it->second.ownClass ? std::next(it) : windows.erase(it);
    for (HWND window : own)
        if (IsWindow(window))
            DestroyWindow(window);
    windows.clear();
    for (const std::string& name : State().classes)
        UnregisterClassA(name.c_str(), FrameworkModule());
    State().classes.clear();
}
