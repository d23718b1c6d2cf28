// The zone catalogue from Wine's real time-zone database and from a database of the test's
// own, and the time in its zones with their daylight-saving rules.

#include "CRegistryKey.h"
#include "CSuiteRegistryTest.h"
#include "CZoneCatalogue.h"
#include "ZoneTime.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr wchar_t kTestDatabase[] = L"Software\\Orvel Software\\Velmora\\ZoneTestDatabase";

SYSTEMTIME utc(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    return t;
}

// Minutes between a local time and the UTC time it was made from.
long offsetMinutes(const SYSTEMTIME& local, const SYSTEMTIME& from)
{
    FILETIME a, b;
    SystemTimeToFileTime(&local, &a);
    SystemTimeToFileTime(&from, &b);
    auto ticks = [](const FILETIME& f) { return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<long>((ticks(a) - ticks(b)) / 600000000LL);
}

TEST(ZoneCatalogueTest, SortKeys)
{
    struct Case {
        const wchar_t* display;
        int key;
    };
    const Case cases[] = {
        {L"(GMT+05:30) Chennai, Kolkata", 53}, {L"(GMT-08:00) Pacific Time", -80}, {L"(GMT+10:00) Sydney", 100},
        {L"(GMT-03:30) Newfoundland", -33},    {L"(GMT) Greenwich Mean Time", 0},   {L"Coordinated Universal Time", 0},
        {L"(UTC+13:45) Chatham Islands", 134}, {L"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CZoneCatalogue::sortKey(c.display), c.key) << c.display;
}

class ZoneDatabaseTest : public CSuiteRegistryTest {
protected:
    void addZone(const wchar_t* key, const wchar_t* display, const wchar_t* standard = L"Std")
    {
        CRegistryKey zone(HKEY_CURRENT_USER, std::wstring(kTestDatabase) + L"\\" + key);
        ASSERT_TRUE(zone.writeString(L"Display", display));
        ASSERT_TRUE(zone.writeString(L"Std", standard));
        ASSERT_TRUE(zone.writeString(L"Dlt", L"Dlt"));
        const BYTE tzi[44] = {0x2C, 0x01}; // Bias 300
        ASSERT_TRUE(zone.writeBinary(L"TZI", tzi, sizeof tzi));
    }
    std::vector<std::wstring> displays(const CZoneCatalogue& catalogue)
    {
        std::vector<std::wstring> out;
        for (size_t i = 0; i < catalogue.count(); ++i)
            out.push_back(catalogue.at(i).display);
        return out;
    }
};

TEST_F(ZoneDatabaseTest, InsertionKeepsOffsetOrderAndDropsDuplicates)
{
    addZone(L"A", L"(GMT-03:00) Brasilia");
    addZone(L"B", L"(GMT+05:30) Kolkata");
    addZone(L"C", L"(GMT-04:00) Atlantic Time");
    addZone(L"D", L"Zone without an offset");
    addZone(L"E", L"(GMT-03:30) Newfoundland");
    addZone(L"F", L"(GMT-08:00) Pacific Time");
    addZone(L"G", L"(GMT-03:00) Buenos Aires");
    addZone(L"H", L"(GMT-03:00) Brasilia"); // the same zone again
    addZone(L"I", L"(GMT) Casablanca");
    // A display text longer than 64 units reads as empty.
    addZone(L"J", L"(GMT+01:00) A display text that is far too long to be read into the sixty-four units");
    CZoneCatalogue catalogue;
    catalogue.loadFrom(HKEY_CURRENT_USER, kTestDatabase);
    EXPECT_EQ(displays(catalogue), (std::vector<std::wstring>{
                                       L"(GMT-08:00) Pacific Time", L"(GMT-04:00) Atlantic Time",
                                       L"(GMT-03:30) Newfoundland", L"(GMT-03:00) Brasilia",
                                       L"(GMT-03:00) Buenos Aires", L"", L"(GMT) Casablanca",
                                       L"Zone without an offset", L"(GMT+05:30) Kolkata"}));
    EXPECT_EQ(catalogue.at(0).information.Bias, 300);
    EXPECT_EQ(catalogue.findByStandardName(L"Std"), 0);
    EXPECT_EQ(catalogue.findByStandardName(L"nobody"), -1);

    CZoneCatalogue missing;
    missing.loadFrom(HKEY_CURRENT_USER, L"Software\\Orvel Software\\Velmora\\NoSuchDatabase");
    EXPECT_EQ(missing.count(), 0u);
}

TEST_F(ZoneDatabaseTest, ShortRulesAndLongNamesAreReadSafely)
{
    CRegistryKey zone(HKEY_CURRENT_USER, std::wstring(kTestDatabase) + L"\\Short");
    ASSERT_TRUE(zone.writeString(L"Display", L"(GMT+02:00) Short"));
    ASSERT_TRUE(zone.writeString(L"Std", L"A standard name that is longer than thirty-one characters"));
    const BYTE tzi[6] = {0x88, 0xFF, 0xFF, 0xFF, 0x3C, 0x00}; // Bias -120, StandardBias cut short
    ASSERT_TRUE(zone.writeBinary(L"TZI", tzi, sizeof tzi));
    CZoneCatalogue catalogue;
    catalogue.loadFrom(HKEY_CURRENT_USER, kTestDatabase);
    ASSERT_EQ(catalogue.count(), 1u);
    const ZoneDefinition& z = catalogue.at(0);
    EXPECT_EQ(z.information.Bias, -120);
    EXPECT_EQ(z.information.StandardBias, 60);
    EXPECT_EQ(z.information.DaylightDate.wMonth, 0);
    EXPECT_EQ(z.standardName().size(), 31u);
}

// Wine's own database: every zone, in offset order.
TEST(ZoneCatalogueSystemTest, WinesDatabaseIsSortedAndComplete)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    EXPECT_EQ(catalogue.count(), 139u);
    for (size_t i = 1; i < catalogue.count(); ++i) {
        const int before = CZoneCatalogue::sortKey(catalogue.at(i - 1).display);
        const int after = CZoneCatalogue::sortKey(catalogue.at(i).display);
        EXPECT_TRUE(before < after || (before == after && catalogue.at(i - 1).display < catalogue.at(i).display))
            << i;
    }
}

// Every zone's time agrees with its own rules, checked in the middle of each month, away from
// the transitions: daylight time between the two transition months (across New Year for the
// southern hemisphere), standard time outside.
TEST(ZoneCatalogueSystemTest, EveryZoneFollowsItsOwnRules)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    ASSERT_GT(catalogue.count(), 0u);
    for (size_t i = 0; i < catalogue.count(); ++i) {
        const TIME_ZONE_INFORMATION& z = catalogue.at(i).information;
        const WORD dst = z.DaylightDate.wMonth, std = z.StandardDate.wMonth;
        for (WORD month = 1; month <= 12; ++month) {
            if (dst != 0 && (month == dst || month == std))
                continue;
            const SYSTEMTIME at = utc(2026, month, 15, 12, 0);
            SYSTEMTIME local;
            ASSERT_TRUE(zonetime::localTime(z, at, local)) << catalogue.at(i).display.c_str();
            bool daylight = false;
            if (dst != 0)
                daylight = dst < std ? (month > dst && month < std) : (month > dst || month < std);
            const long bias = z.Bias + (daylight ? z.DaylightBias : (std != 0 ? z.StandardBias : 0));
            EXPECT_EQ(offsetMinutes(local, at), -bias) << "zone " << i << " month " << month;
        }
    }
}

TEST(ZoneTimeTest, SouthernZoneIsInDaylightTimeAcrossNewYear)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    const long sydney = catalogue.findByStandardName(L"AUS Eastern Standard Time");
    ASSERT_GE(sydney, 0);
    const TIME_ZONE_INFORMATION& z = catalogue.at(static_cast<size_t>(sydney)).information;
    ASSERT_GT(z.DaylightDate.wMonth, z.StandardDate.wMonth);
    SYSTEMTIME local;
    for (WORD month : {1, 12}) {
        ASSERT_TRUE(zonetime::localTime(z, utc(2026, month, 10, 0, 0), local));
        EXPECT_EQ(offsetMinutes(local, utc(2026, month, 10, 0, 0)), 11 * 60) << month;
    }
    ASSERT_TRUE(zonetime::localTime(z, utc(2026, 7, 10, 0, 0), local));
    EXPECT_EQ(offsetMinutes(local, utc(2026, 7, 10, 0, 0)), 10 * 60);
}

// On both transition days the change comes at its own hour, not at the start of the UTC day.
TEST(ZoneTimeTest, TransitionsTakeEffectAtTheirHour)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    const long eastern = catalogue.findByStandardName(L"Eastern Standard Time");
    ASSERT_GE(eastern, 0);
    const TIME_ZONE_INFORMATION& z = catalogue.at(static_cast<size_t>(eastern)).information;
    struct Case {
        SYSTEMTIME utc;
        WORD hour;
        WORD minute;
    };
    const Case cases[] = {
        {utc(2026, 3, 8, 6, 59), 1, 59},  // 8 March: still standard time
        {utc(2026, 3, 8, 7, 1), 3, 1},    // daylight time from 2:00 local
        {utc(2026, 3, 8, 1, 0), 20, 0},   // earlier on that UTC day: standard time
        {utc(2026, 11, 1, 5, 59), 1, 59}, // 1 November: still daylight time
        {utc(2026, 11, 1, 6, 1), 1, 1},   // standard time from 2:00 daylight
        {utc(2026, 11, 1, 4, 0), 0, 0},   // earlier that day: daylight time
    };
    for (const Case& c : cases) {
        SYSTEMTIME local;
        ASSERT_TRUE(zonetime::localTime(z, c.utc, local));
        EXPECT_EQ(local.wHour, c.hour) << c.utc.wMonth << "/" << c.utc.wDay << " " << c.utc.wHour << ":" << c.utc.wMinute;
        EXPECT_EQ(local.wMinute, c.minute);
    }
}

TEST(ZoneTimeTest, ZonesWithoutDaylightRulesAndInvalidRules)
{
    TIME_ZONE_INFORMATION z{};
    z.Bias = -330; // +05:30
    z.StandardBias = 60;
    SYSTEMTIME local;
    const SYSTEMTIME at = utc(2026, 6, 1, 0, 0);
    ASSERT_TRUE(zonetime::localTime(z, at, local));
    EXPECT_EQ(offsetMinutes(local, at), 330) << "no rules: Bias alone";
    z.StandardDate.wMonth = 10;
    z.StandardDate.wDay = 5;
    ASSERT_TRUE(zonetime::localTime(z, at, local));
    EXPECT_EQ(offsetMinutes(local, at), 270) << "a standard date without a daylight date: Bias + StandardBias";

    z.DaylightDate.wMonth = 3;
    z.DaylightDate.wDay = 6; // no sixth week
    SetLastError(0);
    EXPECT_FALSE(zonetime::localTime(z, at, local));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ZoneDefinition broken;
    broken.information = z;
    EXPECT_EQ(zonetime::timeText(broken, 0), L"");
}

} // namespace
