// A windowed control deleted while its form lives leaves the form's tab order, also when it owned
// windowed controls of its own (their destructors run after they stopped being windowed).
#include "framework/Application.h"
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

TEST(TabOrderRemoval, DeletedControlsLeaveTheTabOrder)
{
    TForm form(nullptr);
    form.SetBounds(10, 10, 200, 100);
    form.HandleNeeded();
    auto* kept = new TEdit(&form);
    kept->SetParent(&form);
    for (int round = 0; round < 3; ++round) {
        auto* edit = new TEdit(&form);
        edit->SetParent(&form);
        auto* inner = new TUpDown(edit);
        inner->SetParent(edit);
        EXPECT_EQ(form.TabOrderList().size(), 3u);
        delete edit;
        ASSERT_EQ(form.TabOrderList().size(), 1u);
        EXPECT_EQ(form.TabOrderList().front(), kept);
    }
}

} // namespace
