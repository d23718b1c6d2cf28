#include "CReminderSchedule.h"

namespace {
constexpr int64_t kDay = 86400;
} // namespace

CReminderSchedule::CReminderSchedule(Hooks hooks) : m_hooks(std::move(hooks)) {}

void CReminderSchedule::rebuild()
{
    m_entries.clear();
    for (const auto& [number, record] : m_store.all()) {
        if (record.state == 0)
            m_entries.push_back({number, record.due()});
    }
}

bool CReminderSchedule::dueOf(long number, int64_t& due) const
{
    for (const Entry& e : m_entries) {
        if (e.number == number) {
            due = e.due;
            return true;
        }
    }
    return false;
}

size_t CReminderSchedule::earliest() const
{
    size_t best = 0;
    for (size_t i = 1; i < m_entries.size(); ++i) {
        if (m_entries[i].due < m_entries[best].due)
            best = i;
    }
    return best;
}

void CReminderSchedule::choosePeriod(int64_t untilDue)
{
    m_hooks.setPeriod(untilDue <= kFastWindow ? kFast : kSlow);
}

void CReminderSchedule::check()
{
    if (m_entries.empty()) {
        m_hooks.setPeriod(kSlow);
        return;
    }
    const int64_t d = m_entries[earliest()].due - m_hooks.now();
    if (d > 0) {
        choosePeriod(d);
        return;
    }
    fireEarliest();
    if (m_entries.empty()) {
        // Stay quick for a moment: a reminder added while this one is shown is seen at once.
        m_hooks.setPeriod(kFast);
        return;
    }
    choosePeriod(m_entries[earliest()].due - m_hooks.now());
}

void CReminderSchedule::fireEarliest()
{
    if (m_entries.empty())
        return;
    const size_t index = earliest();
    const Entry entry = m_entries[index];
    const int64_t now = m_hooks.now();
    if (entry.due > now)
        return;
    ReminderRecord record;
    if (!m_store.read(entry.number, record)) {
        // Deleted behind our back: it has nothing left to show.
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
        return;
    }
    m_hooks.show(entry.number, record);

    if (record.isRecurring) {
        // At least one interval, and as many as it takes to reach now: a reminder missed for
        // days fires once. An interval below one day still moves by whole days.
        const int64_t step = (record.intervalDays > 0 ? int64_t(record.intervalDays) : 1) * kDay;
        int64_t when = int64_t(record.when) + step;
        if (when < now)
            when += ((now - when + step - 1) / step) * step;
        record.when = static_cast<int32_t>(when);
        m_store.write(entry.number, record);
        rebuild();
        return;
    }
    if (record.deleteWhenDone) {
        m_store.remove(entry.number);
        m_hooks.bumpRevision();
    } else {
        record.state = 1;
        m_store.write(entry.number, record);
    }
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}
