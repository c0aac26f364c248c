// Runs unit initialisations once in order and their finalisations in reverse.
#include "framework/UnitRegistry.h"

UnitRegistry::UnitRegistry(std::vector<UnitEntry> units)
{
    units_.reserve(units.size());
    for (auto& entry : units)
        units_.push_back(Unit { std::move(entry), 0 });
}

void UnitRegistry::EnsureInitialized()
{
    if (running_ || Initialized())
        return;
    running_ = true;
    const std::size_t first = initializedCount_;
    try {
        while (initializedCount_ < units_.size()) {
            Unit& unit = units_[initializedCount_];
            if (unit.initCount == 0 && unit.entry.initialize)
                unit.entry.initialize();
            ++unit.initCount;
            ++initializedCount_;
        }
    } catch (...) {
        FinalizeDownTo(first);
        running_ = false;
        throw;
    }
    running_ = false;
}

bool UnitRegistry::Finalize() noexcept
{
    if (running_)
        return false;
    running_ = true;
    finalizeFailed_ = false;
    FinalizeDownTo(0);
    running_ = false;
    return !finalizeFailed_;
}

void UnitRegistry::FinalizeDownTo(std::size_t first) noexcept
{
    while (initializedCount_ > first) {
        Unit& unit = units_[--initializedCount_];
        if (--unit.initCount == 0 && unit.entry.finalize) {
            try {
                unit.entry.finalize();
            } catch (...) {
                finalizeFailed_ = true;
            }
        }
    }
}

int UnitRegistry::InitCount(const std::string& name) const noexcept
{
    for (const Unit& unit : units_)
        if (unit.entry.name == name)
            return unit.initCount;
    return -1;
}
