// The schedule and its check: what fires when, what happens to a fired record, and the check
// timer's period.

#include "CReminderSchedule.h"
#include "CSuiteRegistryTest.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kNow = 1780000000;
constexpr int64_t kDay = 86400;

class ReminderScheduleTest : public CSuiteRegistryTest {
protected:
    ReminderScheduleTest()
        : schedule({[this] { return now; },
                    [this](long number, const ReminderRecord& r) {
                        shown.push_back(number);
                        shownTexts.push_back(r.text);
                    },
                    [this](UINT p) { period = p; },
                    [this] { ++revisions; }})
    {
    }

    static ReminderRecord dated(int64_t when, const wchar_t* text = L"dated")
    {
        ReminderRecord r;
        r.text = text;
        r.when = static_cast<int32_t>(when);
        r.start = static_cast<int32_t>(kNow - 10);
        return r;
    }
    static ReminderRecord recurring(int64_t when, int days)
    {
        ReminderRecord r = dated(when, L"recurring");
        r.isRecurring = true;
        r.intervalDays = days;
        return r;
    }
    static ReminderRecord countdown(int32_t seconds, int64_t start)
    {
        ReminderRecord r;
        r.text = L"countdown";
        r.isCountdown = true;
        r.when = seconds;
        r.start = static_cast<int32_t>(start);
        return r;
    }

    ReminderRecord stored(long number)
    {
        ReminderRecord r;
        EXPECT_TRUE(store.read(number, r)) << number;
        return r;
    }

    int64_t now = kNow;
    CReminderStore store;
    CReminderSchedule schedule;
    std::vector<long> shown;
    std::vector<std::wstring> shownTexts;
    UINT period = 0;
    int revisions = 0;
};

TEST_F(ReminderScheduleTest, PeriodFollowsTheNearestDueTime)
{
    schedule.refresh();
    EXPECT_EQ(period, CReminderSchedule::kSlow) << "nothing scheduled";

    struct Case {
        int64_t dueIn;
        UINT period;
    };
    const Case cases[] = {{3600, CReminderSchedule::kSlow}, {66, CReminderSchedule::kSlow},
                          {65, CReminderSchedule::kFast}, {1, CReminderSchedule::kFast}};
    for (const Case& c : cases) {
        ASSERT_TRUE(store.write(1, dated(kNow + c.dueIn)));
        schedule.refresh();
        EXPECT_EQ(period, c.period) << "due in " << c.dueIn;
    }
    EXPECT_TRUE(shown.empty());

    // A reminder that is not scheduled (State other than 0) does not count.
    ReminderRecord off = dated(kNow + 10);
    off.state = 1;
    ASSERT_TRUE(store.write(1, off));
    schedule.refresh();
    EXPECT_TRUE(schedule.entries().empty());
    EXPECT_EQ(period, CReminderSchedule::kSlow);
}

TEST_F(ReminderScheduleTest, ZeroCountdownFiresAtOnceAndIsThenFinished)
{
    ASSERT_TRUE(store.write(4, countdown(0, kNow)));
    schedule.refresh();
    ASSERT_EQ(shown, std::vector<long>{4});
    EXPECT_EQ(stored(4).state, 1) << "shown and finished";
    EXPECT_TRUE(schedule.entries().empty());
    EXPECT_EQ(period, CReminderSchedule::kFast);
    EXPECT_EQ(revisions, 0);

    schedule.check();
    EXPECT_EQ(shown.size(), 1u) << "a finished reminder does not fire again";
}

TEST_F(ReminderScheduleTest, DeleteWhenDoneRemovesTheValueAndRaisesTheRevision)
{
    ReminderRecord r = countdown(300, kNow - 300);
    r.deleteWhenDone = true;
    ASSERT_TRUE(store.write(9, r));
    schedule.refresh();
    EXPECT_EQ(shown, std::vector<long>{9});
    EXPECT_FALSE(store.exists(9));
    EXPECT_EQ(revisions, 1);
}

// A recurring reminder missed for days fires once and moves to its first occurrence not
// before now; its When moves by whole intervals.
TEST_F(ReminderScheduleTest, MissedRecurringReminderFiresOnceAndMovesOn)
{
    struct Case {
        int64_t when;
        int days;
        int64_t next;
    };
    const Case cases[] = {
        {kNow - 3 * kDay - 100, 1, kNow - 100 + kDay},
        {kNow - 5 * kDay, 3, kNow + kDay},
        {kNow, 2, kNow + 2 * kDay}, // due exactly now: at least one interval
        {kNow - 10, 0, kNow - 10 + kDay}, // no interval stored: a day, never a loop
    };
    for (const Case& c : cases) {
        shown.clear();
        ASSERT_TRUE(store.write(3, recurring(c.when, c.days)));
        schedule.refresh();
        EXPECT_EQ(shown.size(), 1u) << c.days;
        const ReminderRecord after = stored(3);
        EXPECT_EQ(after.when, c.next) << c.days;
        EXPECT_EQ(after.state, 0) << "stays scheduled";
        int64_t due = 0;
        EXPECT_TRUE(schedule.dueOf(3, due));
        EXPECT_EQ(due, c.next);
    }
}

TEST_F(ReminderScheduleTest, TwoDueAtOnceFireOnConsecutiveChecks)
{
    ASSERT_TRUE(store.write(1, dated(kNow - 5, L"first")));
    ASSERT_TRUE(store.write(2, dated(kNow - 60, L"earlier")));
    ASSERT_TRUE(store.write(3, dated(kNow + 7200, L"later")));
    schedule.refresh();
    ASSERT_EQ(shownTexts, std::vector<std::wstring>{L"earlier"}) << "the most overdue first";
    EXPECT_EQ(period, CReminderSchedule::kFast) << "another one is due";
    schedule.check();
    EXPECT_EQ(shownTexts, (std::vector<std::wstring>{L"earlier", L"first"}));
    EXPECT_EQ(period, CReminderSchedule::kSlow) << "the last one is two hours away";
    now = kNow + 7200;
    schedule.check();
    EXPECT_EQ(shownTexts.size(), 3u);
}

TEST_F(ReminderScheduleTest, ReminderDeletedBehindTheScheduleIsDropped)
{
    ASSERT_TRUE(store.write(5, dated(kNow + 30)));
    schedule.rebuild();
    ASSERT_TRUE(store.remove(5));
    now = kNow + 31;
    schedule.check();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(schedule.entries().empty());
}

} // namespace
