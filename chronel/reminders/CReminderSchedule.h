#pragma once
// The reminder schedule: (number, due time) for every stored reminder whose State is 0,
// rebuilt from the registry whenever reminders change, and the check that timer 258 runs:
// fire what is due, then choose the timer's period.

#include "CReminderStore.h"

#include <cstdint>
#include <functional>
#include <vector>

class CReminderSchedule {
public:
    struct Entry {
        long number;
        int64_t due;
    };

    // The check timer's two periods: every second while a reminder is due within 65 s.
    static constexpr UINT kFast = 1000;
    static constexpr UINT kSlow = 60000;
    static constexpr int64_t kFastWindow = 65;

    // What the check needs from its owner: the time now (seconds since 1970), showing a
    // reminder, the timer period, and the pages' revision counter.
    struct Hooks {
        std::function<int64_t()> now;
        std::function<void(long number, const ReminderRecord&)> show;
        std::function<void(UINT period)> setPeriod;
        std::function<void()> bumpRevision;
    };

    explicit CReminderSchedule(Hooks hooks);

    void rebuild();
    // The check: fire the earliest reminder when it is due, then pick the timer's period.
    void check();
    // Rebuild, then check: after every change to the stored reminders.
    void refresh()
    {
        rebuild();
        check();
    }
    void clear() { m_entries.clear(); }

    const std::vector<Entry>& entries() const { return m_entries; }
    // The scheduled due time of `number`; false when it is not scheduled.
    bool dueOf(long number, int64_t& due) const;

private:
    // The entry with the smallest (due - now); the earlier entry wins a tie.
    size_t earliest() const;
    void fireEarliest();
    void choosePeriod(int64_t untilDue);

    Hooks m_hooks;
    CReminderStore m_store;
    std::vector<Entry> m_entries;
};
