// The busy depth and the in-request guard: nesting, permitted nesting for the plug-in's own sends,
// and release on every path.
#include "plugin/BusyState.h"

#include <gtest/gtest.h>

TEST(BusyState, DepthCountsNestedLevelsAndReportsOnlyIdleBusyChanges)
{
    TBusyState state;
    EXPECT_TRUE(state.Enter());
    EXPECT_FALSE(state.Enter());
    EXPECT_FALSE(state.Leave());
    EXPECT_TRUE(state.IsBusy()); // an inner level's end does not clear the outer one
    EXPECT_TRUE(state.Leave());
    EXPECT_FALSE(state.IsBusy());
    EXPECT_FALSE(state.Leave()); // unbalanced leave stays at idle
    EXPECT_TRUE(state.Enter());
}

TEST(BusyState, ASecondRequestIsRefusedWhileOneRuns)
{
    TBusyState state;
    {
        TRequestScope outer(state);
        ASSERT_TRUE(outer.Granted());
        TRequestScope nested(state);
        EXPECT_FALSE(nested.Granted());
    }
    EXPECT_FALSE(state.InRequest());
    TRequestScope next(state);
    EXPECT_TRUE(next.Granted());
}

TEST(BusyState, AnAllowedNestedRequestRunsOnceAndOnlyWhileAllowed)
{
    TBusyState state;
    TRequestScope outer(state);
    {
        TNestedRequestAllowance allowance(state);
        TRequestScope nested(state);
        EXPECT_TRUE(nested.Granted());
        TRequestScope third(state);
        EXPECT_FALSE(third.Granted());
    }
    TRequestScope afterAllowance(state);
    EXPECT_FALSE(afterAllowance.Granted());
}

TEST(BusyState, ScopesReleaseWhenUnwoundByAnException)
{
    TBusyState state;
    try {
        TRequestScope request(state);
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(state.InRequest());
}
