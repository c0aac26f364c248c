// Tests of the unit registry: fixed order, once-only, reverse finalisation, failure in the middle.
#include "framework/UnitRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Journal {
    std::vector<std::string> events;
    UnitEntry Unit(const std::string& name, bool failInit = false)
    {
        return { name,
            [this, name, failInit] {
                events.push_back("init " + name);
                if (failInit)
                    throw std::runtime_error(name);
            },
            [this, name] { events.push_back("done " + name); } };
    }
};

using V = std::vector<std::string>;

TEST(UnitRegistry, InitialisesOnceInOrderAndFinalisesInReverse)
{
    Journal journal;
    UnitRegistry registry({ journal.Unit("Strings"), journal.Unit("Codecs"), journal.Unit("Main") });
    EXPECT_FALSE(registry.Initialized());
    registry.EnsureInitialized();
    registry.EnsureInitialized();
    EXPECT_TRUE(registry.Initialized());
    EXPECT_EQ(registry.InitCount("Codecs"), 1);
    EXPECT_EQ(registry.InitCount("Absent"), -1);
    EXPECT_TRUE(registry.Finalize());
    EXPECT_TRUE(registry.Finalize());
    EXPECT_EQ(journal.events,
        (V { "init Strings", "init Codecs", "init Main", "done Main", "done Codecs", "done Strings" }));
    EXPECT_EQ(registry.InitCount("Codecs"), 0);
}

TEST(UnitRegistry, FailedInitialisationUndoesAndRetries)
{
    Journal journal;
    bool fail = true;
    UnitRegistry registry({ journal.Unit("A"),
        { "B",
            [&] {
                journal.events.push_back("init B");
                if (fail)
                    throw std::runtime_error("B");
            },
            {} },
        journal.Unit("C") });
    EXPECT_THROW(registry.EnsureInitialized(), std::runtime_error);
    EXPECT_EQ(journal.events, (V { "init A", "init B", "done A" }));
    EXPECT_FALSE(registry.Initialized());
    fail = false;
    registry.EnsureInitialized();
    EXPECT_TRUE(registry.Initialized());
    EXPECT_EQ(journal.events, (V { "init A", "init B", "done A", "init A", "init B", "init C" }));
}

TEST(UnitRegistry, ReentrantCallDoesNothingAndFinaliseFailureIsReported)
{
    std::vector<std::string> events;
    UnitRegistry* self = nullptr;
    UnitRegistry registry({ { "A",
                                [&] {
                                    events.push_back("init A");
                                    self->EnsureInitialized();
                                },
                                [&] { throw std::runtime_error("A"); } },
        { "B", [&] { events.push_back("init B"); }, [&] { events.push_back("done B"); } } });
    self = &registry;
    registry.EnsureInitialized();
    EXPECT_EQ(events, (V { "init A", "init B" }));
    EXPECT_FALSE(registry.Finalize());
    EXPECT_EQ(events, (V { "init A", "init B", "done B" }));
    EXPECT_EQ(registry.InitCount("A"), 0);
}

} // namespace
