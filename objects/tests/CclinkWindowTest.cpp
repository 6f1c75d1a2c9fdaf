// The editor window and the refresh rule. These tests need a display (CI runs them under
// xvfb-run) and skip themselves without one.

#include "CclinkTestSupport.h"

using namespace cclinktest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{

class CclinkWindow : public CclinkFixture
{
protected:
    void SetUp() override
    {
        CclinkFixture::SetUp();
        if (!Session::Get().HasDisplay())
            GTEST_SKIP() << "no display";
    }

    // Whether the window counts as shown: a list from the scheduler thread then leaves the
    // refresh to the main thread.
    bool windowShown()
    {
        deliverOnScheduler("0 1 16");
        int const pending = maxhost::GetPendingMainThreadTaskCount();
        settle();
        return pending == 1;
    }
};

TEST_F(CclinkWindow, OpenAndCloseShowAndHideTheEditorAndLeaveTheTableAlone)
{
    EXPECT_FALSE(windowShown()) << "a new object's window is hidden";
    EXPECT_THAT(send("open"), IsEmpty());
    EXPECT_TRUE(windowShown());
    EXPECT_THAT(send("127 0 1"), ElementsAre("outlet 0: /foo 1.0"));
    EXPECT_THAT(send("wclose"), IsEmpty());
    EXPECT_FALSE(windowShown());
    ASSERT_TRUE(maxhost::DoubleClick(x));
    settle();
    EXPECT_TRUE(windowShown());
    EXPECT_THAT(send("open"), IsEmpty()) << "opening a shown window again";
    EXPECT_THAT(capture().Take(), IsEmpty());
}

TEST_F(CclinkWindow, SchedulerInputWhileShownRefreshesOnceOnTheMainThread)
{
    send("open");
    for (char const* text : {"127 0 1", "0 0 1", "/foo 0.5", "clear"})
        deliverOnScheduler(text);
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 1) << "one queue element, set four times";
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 1);
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 0);

    // On the main thread the rows are rebuilt at once, shown or not.
    deliver("127 0 1");
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 0);
    // "bang" never refreshes.
    deliverOnScheduler("bang");
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 0);
}

TEST_F(CclinkWindow, OpenAndCloseFromTheSchedulerThreadWaitForTheMainThread)
{
    deliverOnScheduler("open");
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 1);
    settle();
    EXPECT_TRUE(windowShown());
    deliverOnScheduler("wclose");
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 1);
    settle();
    EXPECT_FALSE(windowShown());
}

TEST_F(CclinkWindow, FreeingAnObjectWithARefreshPendingDropsTheRefresh)
{
    send("open");
    deliverOnScheduler("127 0 1");
    EXPECT_EQ(maxhost::GetPendingMainThreadTaskCount(), 1);
    maxhost::FreeObject(x);
    x = nullptr;
    EXPECT_EQ(maxhost::RunMainThreadTasks(), 0);
    capture().Take();
}

} // namespace
