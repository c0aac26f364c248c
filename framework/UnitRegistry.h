// The ordered, once-only initialisation and finalisation of the library's units. Nothing runs in
// DllMain: the first export call runs the initialisations in their fixed order, and tear-down
// finalises the initialised units in reverse order. Used on one thread (the host's GUI thread).
#pragma once

#include <functional>
#include <string>
#include <vector>

struct UnitEntry {
    std::string name;
    std::function<void()> initialize; // may be empty
    std::function<void()> finalize; // may be empty
};

class UnitRegistry {
public:
    explicit UnitRegistry(std::vector<UnitEntry> units);
    UnitRegistry(const UnitRegistry&) = delete;
    UnitRegistry& operator=(const UnitRegistry&) = delete;
    ~UnitRegistry() = default;

    // Initialises every unit not yet initialised, in order. If one raises, the units initialised by
    // this call are finalised again in reverse order and the exception passes on, so a later call
    // retries. A call from inside an initialisation does nothing.
    void EnsureInitialized();
    // Finalises the initialised units in reverse order; each runs once even if another raises.
    // Returns false when a finalisation raised.
    bool Finalize() noexcept;

    bool Initialized() const noexcept { return initializedCount_ == units_.size(); }
    // How often the unit was initialised (0 or 1); -1 for an unknown name.
    int InitCount(const std::string& name) const noexcept;

private:
    struct Unit {
        UnitEntry entry;
        int initCount = 0;
    };

    void FinalizeDownTo(std::size_t first) noexcept;

    std::vector<Unit> units_;
    std::size_t initializedCount_ = 0;
    bool running_ = false;
    bool finalizeFailed_ = false;
};
