// The window table and our window-class registrations.
#include "framework/Subclassing.h"

#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <algorithm>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

LRESULT CALLBACK StandardWindowProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StandardWindowProcW(HWND, UINT, WPARAM, LPARAM);

namespace {

// A procedure in a foreign window's chain; a handler when it was subclassed with one.
struct Chained {
    HWND window;
    SUBCLASSPROC procedure;
    std::shared_ptr<SubclassRegistry::Handler> handler;
};

struct Tables {
    std::unordered_map<HWND, SubclassRegistry::Entry> windows;
    std::vector<Chained> chained;
    std::set<std::string> classes;
};

Tables& State()
{
    static Tables tables;
    return tables;
}

std::vector<Chained>::iterator FindChained(HWND window, SUBCLASSPROC procedure)
{
    auto& chained = State().chained;
    return std::find_if(chained.begin(), chained.end(),
        [&](const Chained& c) { return c.window == window && c.procedure == procedure; });
}

// Every procedure of ours in a chain goes through here, with the caller's procedure as subclass id,
// so that the table forgets the window when it is gone.
LRESULT CALLBACK ChainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    const auto procedure = reinterpret_cast<SUBCLASSPROC>(id);
    const LRESULT result = procedure(window, msg, wParam, lParam, id, data);
    if (msg == WM_NCDESTROY)
        SubclassRegistry::Unsubclass(window, procedure);
    return result;
}

LRESULT CALLBACK HandlerProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const auto it = FindChained(window, HandlerProc);
    // A copy: the handler may unsubclass the window, which drops the entry.
    const auto handler = it != State().chained.end() ? it->handler : nullptr;
    if (handler && *handler) {
        try {
            return (*handler)(window, msg, wParam, lParam);
        } catch (...) {
            ReportBoundaryException("subclassed window procedure");
        }
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

void RemoveFromChain(const Chained& entry) noexcept
{
    if (IsWindow(entry.window))
        RemoveWindowSubclass(entry.window, ChainProc, reinterpret_cast<UINT_PTR>(entry.procedure));
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
    return static_cast<int>(State().windows.size() + State().chained.size());
}

bool SubclassRegistry::Subclass(HWND window, SUBCLASSPROC procedure, DWORD_PTR data)
{
    if (!IsWindow(window))
        return false;
    if (IsSubclassed(window, procedure))
        return true;
    auto& chained = State().chained;
    chained.reserve(chained.size() + 1);
    if (!SetWindowSubclass(window, ChainProc, reinterpret_cast<UINT_PTR>(procedure), data))
        return false;
    chained.push_back({ window, procedure, nullptr });
    return true;
}

bool SubclassRegistry::IsSubclassed(HWND window, SUBCLASSPROC procedure) noexcept
{
    return FindChained(window, procedure) != State().chained.end();
}

std::vector<HWND> SubclassRegistry::WindowsWith(SUBCLASSPROC procedure)
{
    std::vector<HWND> windows;
    for (const Chained& c : State().chained)
        if (c.procedure == procedure)
            windows.push_back(c.window);
    return windows;
}

void SubclassRegistry::Unsubclass(HWND window, SUBCLASSPROC procedure) noexcept
{
    const auto it = FindChained(window, procedure);
    if (it == State().chained.end())
        return;
    const Chained entry = *it;
    State().chained.erase(it);
    RemoveFromChain(entry);
}

bool SubclassRegistry::Subclass(HWND window, Handler handler)
{
    if (!IsWindow(window) || Find(window) || IsSubclassed(window, HandlerProc))
        return false;
    // In the table before the chain, so the first message already finds its handler.
    auto& chained = State().chained;
    chained.push_back({ window, HandlerProc, std::make_shared<Handler>(std::move(handler)) });
    if (SetWindowSubclass(window, ChainProc, reinterpret_cast<UINT_PTR>(&HandlerProc), 0))
        return true;
    chained.pop_back();
    return false;
}

LRESULT SubclassRegistry::CallOriginal(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(window, msg, wParam, lParam);
}

void SubclassRegistry::Unsubclass(HWND window) noexcept
{
    auto& chained = State().chained;
    for (std::size_t i = chained.size(); i-- > 0;)
        if (chained[i].window == window)
            Unsubclass(window, chained[i].procedure);
}

bool SubclassRegistry::RestoreProcedure(HWND window, const Entry& entry) noexcept
{
    const auto ours = reinterpret_cast<LONG_PTR>(entry.unicode ? StandardWindowProcW : StandardWindowProc);
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
    auto& chained = State().chained;
    while (!chained.empty())
        Unsubclass(chained.back().window, chained.back().procedure);
    auto& windows = State().windows;
    // System windows first get their own procedures back; then our own windows are destroyed
    // (destroying may remove further entries, so work from a copy of the handles).
    std::vector<HWND> own;
    for (auto& [window, entry] : windows) {
        if (entry.ownClass) {
            own.push_back(window);
        } else if (IsWindow(window)) {
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
