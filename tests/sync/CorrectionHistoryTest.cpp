// The correction history: the log entries, their count and mean, the limits and the texts
// the pages show.

#include "CCorrectionHistory.h"
#include "SyncTestFixture.h"

namespace {

class CorrectionHistoryTest : public SyncTestFixture {
protected:
    CCorrectionHistory& history = sync.history();
};

TEST(CorrectionTextTest, Examples)
{
    const std::pair<double, const wchar_t*> cases[] = {
        {3725.4, L"1hr, 2mins, 5.4s"},
        {90061, L"1 day, 1hr, 1min, 1.0s"},
        {120, L"2mins"},
        {0.4, L"accurate"},
        {-0.999, L"accurate"},
        {1.0, L"1.0s"},
        {-1.0, L"1.0s"},
        {-4.0, L"4.0s"},
        {172800, L"2 days"},
        {7260.5, L"2hrs, 1min, 0.5s"},
        {3600, L"1hr"},
    };
    for (const auto& [offset, text] : cases)
        EXPECT_EQ(CCorrectionHistory::correctionText(offset), text) << offset;
}

TEST_F(CorrectionHistoryTest, MeanAndCountFollowEachCorrection)
{
    writeDword(settings::kCorrectionCount.name, 3);
    settings::write(settings::kMeanCorrection, L"2.00");
    history.log(-4.0);
    DWORD count = 0;
    ASSERT_TRUE(readDword(settings::kCorrectionCount.name, count));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(readString(settings::kMeanCorrection.name), L"2.50");
    const auto entries = logEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find(L"#4.0s slow"), std::wstring::npos) << entries[0];
    EXPECT_EQ(entries[0].find(L"#"), entries[0].rfind(L"#"));
}

// A mean that is not a number, or not text at all, counts as 0.
TEST_F(CorrectionHistoryTest, UnreadableMeanCountsAsZero)
{
    for (const wchar_t* stored : {L"abc", L"2.5kg", L"", L"-3", L"nan"}) {
        writeDword(settings::kCorrectionCount.name, 1);
        settings::write(settings::kMeanCorrection, stored);
        history.log(3.0);
        EXPECT_EQ(readString(settings::kMeanCorrection.name), L"1.50") << stored;
    }
    writeDword(settings::kCorrectionCount.name, 1);
    writeDword(settings::kMeanCorrection.name, 7);
    history.log(3.0);
    EXPECT_EQ(readString(settings::kMeanCorrection.name), L"1.50");
}

TEST_F(CorrectionHistoryTest, LogMaxSizeKeepsTheNewestEntries)
{
    CRegistryKey logs(HKEY_CURRENT_USER, settings::kLogsPath);
    logs.writeString(L"1700000100", L"old#1.0s fast");
    logs.writeString(L"1700000200", L"middle#2.0s fast");
    writeDword(settings::kCorrectionCount.name, 2);
    writeDword(settings::kLogMaxSize.name, 2);
    history.log(5.0);
    const auto entries = logEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], L"middle#2.0s fast");
    EXPECT_NE(entries[1].find(L"#5.0s fast"), std::wstring::npos);
    DWORD count = 0;
    readDword(settings::kCorrectionCount.name, count);
    EXPECT_EQ(count, 2u);
}

TEST_F(CorrectionHistoryTest, LimitLogWithoutASizeEmptiesTheLog)
{
    CRegistryKey logs(HKEY_CURRENT_USER, settings::kLogsPath);
    logs.writeString(L"1700000100", L"a#1.0s fast");
    logs.writeString(L"1700000200", L"b#2.0s fast");
    writeDword(settings::kLimitLog.name, 1);
    history.trim();
    EXPECT_TRUE(logEntries().empty());
    DWORD count = 9;
    readDword(settings::kCorrectionCount.name, count);
    EXPECT_EQ(count, 0u);

    // Neither limit set: nothing is trimmed, the count is not touched.
    writeDword(settings::kLimitLog.name, 0);
    logs.writeString(L"1700000300", L"c#3.0s fast");
    history.trim();
    EXPECT_EQ(logEntries().size(), 1u);
    readDword(settings::kCorrectionCount.name, count);
    EXPECT_EQ(count, 0u);
}

// Values of other types in the Logs key are no log entries: they are neither counted nor
// deleted, and trimming stops when no entry is left to delete.
TEST_F(CorrectionHistoryTest, TrimmingCountsOnlyTextEntries)
{
    CRegistryKey logs(HKEY_CURRENT_USER, settings::kLogsPath);
    logs.writeString(L"1700000100", L"a#1.0s fast");
    logs.writeDword(L"1700000150", 1);
    logs.writeString(L"1700000200", L"b#2.0s fast");
    logs.writeBinary(L"1700000250", "xy", 2);
    logs.writeString(L"1700000300", L"c#3.0s fast");
    writeDword(settings::kLogMaxSize.name, 1);
    history.trim();
    EXPECT_EQ(logEntries(), std::vector<std::wstring>{L"c#3.0s fast"});
    EXPECT_EQ(logs.countValues(), 3u) << "the DWORD and binary values stay";
    DWORD count = 0;
    readDword(settings::kCorrectionCount.name, count);
    EXPECT_EQ(count, 1u);
}

TEST_F(CorrectionHistoryTest, HistoryDisplayAndClearing)
{
    EXPECT_EQ(history.meanText(), L"0s");
    EXPECT_EQ(history.countText(), L"0");
    CRegistryKey logs(HKEY_CURRENT_USER, settings::kLogsPath);
    logs.writeString(L"1700000100", L"12/1/2026 10:00:00 AM#1.0s fast");
    logs.writeDword(L"1700000150", 5);
    logs.writeString(L"1700000200", L"12/2/2026 11:00:00 AM#2mins, 3.0s slow");
    logs.writeString(L"1700000300", L"no hash here");
    writeDword(settings::kCorrectionCount.name, 2);
    settings::write(settings::kMeanCorrection, L"2.25");

    EXPECT_EQ(history.countText(), L"2");
    EXPECT_EQ(history.meanText(), L"2.25s");
    std::wstring entry, time, correction;
    ASSERT_TRUE(history.entry(2, entry));
    CCorrectionHistory::splitEntry(entry, time, correction);
    EXPECT_EQ(time, L"12/2/2026 11:00:00 AM");
    EXPECT_EQ(correction, L"2mins, 3.0s slow");
    EXPECT_FALSE(history.entry(3, entry)) << "past CorrectionCount";
    EXPECT_FALSE(history.entry(0, entry));
    CCorrectionHistory::splitEntry(L"no hash here", time, correction);
    EXPECT_EQ(time, L"no hash here");
    EXPECT_EQ(correction, L"");

    history.clear();
    EXPECT_EQ(logs.countValues(), 0u);
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, settings::kLogsPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(history.countText(), L"0");
    EXPECT_EQ(readString(settings::kMeanCorrection.name), L"0");
}

} // namespace
