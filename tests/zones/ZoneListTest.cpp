// The user's zone list in the registry: records, deleting and moving zones, the home zone,
// the older layout, and the bar rule.

#include "CRegistryKey.h"
#include "CSuiteRegistryTest.h"
#include "CZoneList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class ZoneListTest : public CSuiteRegistryTest {
protected:
    // Zones 1..n named "Zone k" with catalogue index 10 k.
    void makeZones(long n)
    {
        for (long k = 1; k <= n; ++k)
            ASSERT_TRUE(list.save(k, true, L"Zone " + std::to_wstring(k), ZoneRecord{uint32_t(10 * k), 1, 0, 1}));
    }
    std::vector<std::wstring> names()
    {
        std::vector<std::wstring> out;
        for (long k = 1; k <= list.count(); ++k) {
            std::wstring name;
            ZoneRecord record;
            EXPECT_TRUE(list.readName(k, name));
            EXPECT_TRUE(list.readRecord(k, record));
            out.push_back(name + L"/" + std::to_wstring(record.catalogueIndex));
        }
        return out;
    }
    bool subkeyExists(long n)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, CZoneList::subkeyPath(n).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    CZoneList list;
};

TEST_F(ZoneListTest, RecordBytesAndTheBarRule)
{
    ASSERT_TRUE(list.writeRecord(2, ZoneRecord{7, 1, 1, 0}));
    std::vector<BYTE> data;
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(2)).readAnyAlloc(L"Data", data));
    EXPECT_EQ(data, (std::vector<BYTE>{7, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));

    struct Case {
        ZoneRecord record;
        bool inBar;
    };
    const Case cases[] = {{{0, 0, 0, 0}, false}, {{0, 1, 0, 0}, true}, {{0, 1, 1, 0}, false},
                          {{0, 1, 1, 1}, true},  {{0, 0, 1, 1}, false}};
    for (const Case& c : cases)
        EXPECT_EQ(c.record.inBar(), c.inBar) << c.record.showInBar << c.record.atThisLocation << c.record.showWhenHere;

    // A record of the wrong size or type is no record.
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(3)).writeBinary(L"Data", data.data(), 12));
    ZoneRecord record;
    EXPECT_FALSE(list.readRecord(3, record));
}

TEST_F(ZoneListTest, DeletingMovesTheLaterZonesDown)
{
    makeZones(3);
    ASSERT_TRUE(list.deleteZone(1));
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"Zone 2/20", L"Zone 3/30"}));
    EXPECT_FALSE(subkeyExists(3));
    ASSERT_TRUE(list.deleteZone(2)) << "the last one";
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"Zone 2/20"}));
    EXPECT_FALSE(subkeyExists(2));
    for (long n : {0L, 2L, -1L})
        EXPECT_FALSE(list.deleteZone(n)) << n;
    EXPECT_EQ(list.count(), 1);
}

TEST_F(ZoneListTest, MovingExchangesNeighbours)
{
    makeZones(3);
    bool moved = true;
    ASSERT_TRUE(list.moveZone(1, -1, moved));
    EXPECT_FALSE(moved) << "the first cannot move up";
    ASSERT_TRUE(list.moveZone(3, 1, moved));
    EXPECT_FALSE(moved) << "the last cannot move down";
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"Zone 1/10", L"Zone 2/20", L"Zone 3/30"}));

    ASSERT_TRUE(list.moveZone(1, 1, moved));
    EXPECT_TRUE(moved);
    ASSERT_TRUE(list.moveZone(3, -1, moved));
    EXPECT_TRUE(moved);
    EXPECT_EQ(names(), (std::vector<std::wstring>{L"Zone 2/20", L"Zone 3/30", L"Zone 1/10"}));
    EXPECT_FALSE(list.moveZone(4, -1, moved)) << "outside the list";
    EXPECT_FALSE(list.moveZone(0, 1, moved));
}

TEST_F(ZoneListTest, AtThisLocationKeepsTheOtherWords)
{
    makeZones(2);
    ASSERT_TRUE(list.setAtThisLocation(2, true));
    ZoneRecord record;
    ASSERT_TRUE(list.readRecord(2, record));
    EXPECT_EQ(record.catalogueIndex, 20u);
    EXPECT_EQ(record.atThisLocation, 1u);
    EXPECT_EQ(record.showWhenHere, 1u);
    EXPECT_TRUE(list.setAtThisLocation(CZoneList::kHome, true));
    EXPECT_FALSE(list.setAtThisLocation(3, true));
    EXPECT_FALSE(list.setAtThisLocation(-1, true));
}

TEST_F(ZoneListTest, SavingAnExistingZoneReplacesItsValues)
{
    makeZones(1);
    ASSERT_TRUE(list.save(1, false, std::wstring(300, L'n'), ZoneRecord{5, 0, 1, 0}));
    std::wstring name;
    ASSERT_TRUE(list.readName(1, name));
    EXPECT_EQ(name.size(), 256u) << "names are kept to 256 characters";
    ZoneRecord record;
    ASSERT_TRUE(list.readRecord(1, record));
    EXPECT_EQ(record.catalogueIndex, 5u);
    EXPECT_EQ(list.count(), 1);
    ASSERT_TRUE(list.save(CZoneList::kHome, false, L"Home", ZoneRecord{3, 1, 1, 0}));
    EXPECT_EQ(list.count(), 1) << "the home zone is not counted";
}

// On a clean profile the home zone is made from the computer's own zone (Wine without TZ has
// none: "Local Zone"), where the user is and so not shown in the bar.
TEST_F(ZoneListTest, FirstHomeZoneNameMakesTheHomeZone)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    TIME_ZONE_INFORMATION own{};
    const DWORD which = GetTimeZoneInformation(&own);
    const std::wstring expected =
        which == TIME_ZONE_ID_STANDARD ? own.StandardName : which == TIME_ZONE_ID_DAYLIGHT ? own.DaylightName : L"Local Zone";
    EXPECT_EQ(list.homeZoneName(catalogue), expected);
    ZoneRecord record;
    ASSERT_TRUE(list.readRecord(CZoneList::kHome, record));
    const long found = catalogue.findByStandardName(own.StandardName);
    EXPECT_EQ(record.catalogueIndex, static_cast<uint32_t>(found < 0 ? 0 : found));
    EXPECT_EQ(record.showInBar, 1u);
    EXPECT_EQ(record.atThisLocation, 1u);
    EXPECT_EQ(record.showWhenHere, 0u);
    EXPECT_FALSE(record.inBar());
    DWORD updated = 0;
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::kPath).readDword(L"TZUpdated", updated));
    EXPECT_EQ(list.homeZoneIndex(false, catalogue), static_cast<long>(record.catalogueIndex));
    EXPECT_EQ(list.homeZoneIndex(true, catalogue), found);

    // Once there, the stored name is used as it is.
    ASSERT_TRUE(list.save(CZoneList::kHome, false, L"Berlin", ZoneRecord{1, 1, 1, 0}));
    EXPECT_EQ(list.homeZoneName(catalogue), L"Berlin");
}

TEST_F(ZoneListTest, OlderLayoutIsConvertedOnce)
{
    const BYTE old1[16] = {4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    const BYTE oldHome[16] = {9, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::kPath).writeDword(L"TZNumber", 2));
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(1)).writeBinary(L"Tokyo office", old1, 16));
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(0)).writeBinary(L"Home town", oldHome, 16));
    // Zone 2 holds something that is not a record: it stays as it is.
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(2)).writeString(L"odd", L"text"));

    list.convertOlderLayout();
    std::wstring name;
    ZoneRecord record;
    ASSERT_TRUE(list.readName(1, name));
    EXPECT_EQ(name, L"Tokyo office");
    ASSERT_TRUE(list.readRecord(1, record));
    EXPECT_EQ(record.catalogueIndex, 4u);
    EXPECT_EQ(record.showWhenHere, 1u);
    ASSERT_TRUE(list.readName(CZoneList::kHome, name));
    EXPECT_EQ(name, L"Home town");
    std::vector<BYTE> gone;
    EXPECT_FALSE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(1)).readAnyAlloc(L"Tokyo office", gone));
    std::wstring odd;
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(2)).readString(L"odd", odd));

    // Once converted, a later run changes nothing.
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(1)).writeBinary(L"Another", old1, 16));
    list.convertOlderLayout();
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, CZoneList::subkeyPath(1)).readAnyAlloc(L"Another", gone));
}

} // namespace
