#pragma once
// The pages' countdown timer entries: "TimerNumber" under the settings root counts the entries
// added, and under "Timer" each entry has two values named after its creation second t: a
// REG_DWORD "t" with the due time and a REG_SZ "t" with its last digit replaced by "D" holding
// the text.

#include <cstdint>
#include <string>

class CTimerList {
public:
    static constexpr wchar_t kPath[] = L"Software\\Orvel Software\\Velmora\\Timer";

    // "TimerNumber", 0 when absent.
    long count() const;
    // The (index + 1)-th REG_SZ value's text in registry order, or an empty text; false only
    // when "TimerNumber" is below `index`.
    bool text(long index, std::wstring& out) const;
    // Counts the entry and, for minutes > 0, stores it. Two entries made within the same ten
    // seconds would share one text name, so a taken name moves the entry to the next later
    // second whose two names are both free. Returns that creation second (or `now` when
    // nothing was stored).
    int64_t add(long minutes, const std::wstring& text, int64_t now) const;

    static std::wstring dueName(int64_t t) { return std::to_wstring(t); }
    static std::wstring textName(int64_t t);
};
