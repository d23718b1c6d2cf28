#pragma once
// The correction history: one REG_SZ per correction under "Logs", named by the decimal time
// of the correction and kept in the key's own order (oldest first); the count and the mean
// of the corrections; and the log's limit. Every operation reads and writes the registry
// afresh, so the pages, the worker of a check and the tray always agree.

#include <windows.h>

#include <string>

class CCorrectionHistory {
public:
    // "accurate" below one second, else days, hours, minutes and seconds ("1hr, 2mins, 5.4s").
    static std::wstring correctionText(double offset);

    // Logs a correction of `offset` seconds (positive: the clock was fast), counts it into
    // the mean, and trims the log.
    void log(double offset);
    // Drops the oldest entries beyond LogMaxSize when a limit is set; the count follows.
    void trim();
    // The Logs key goes whole; count and mean start again.
    void clear();

    DWORD count() const;
    // The count as "%d"; the mean as "%ss" with the stored text, "0s" when there is none.
    std::wstring countText() const;
    std::wstring meanText() const;
    // The stored mean followed by "s", empty when none is stored (what the pages read).
    std::wstring storedMeanText() const;
    // Entry n (1-based, in the key's order) of the log; false past the count.
    bool entry(DWORD n, std::wstring& text) const;
    // The entry split at its first "#" into the Time and Correction columns.
    static void splitEntry(const std::wstring& entry, std::wstring& time, std::wstring& correction);

    DWORD maxSize() const;
    // n > 0 trims the log at once.
    void setMaxSize(DWORD n);
    bool limited() const;
    // Only stored: the next correction trims.
    void setLimited(bool on);
};
