// The stored reminder record, byte for byte, and the store's numbering and enumeration.

#include "CRegistryKey.h"
#include "CReminderStore.h"
#include "CSuiteRegistryTest.h"
#include "ReminderRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int32_t numberAt(const std::vector<BYTE>& bytes, size_t offset)
{
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

ReminderRecord sample()
{
    ReminderRecord r;
    r.text = L"Call the dentist \u00e9";
    r.isCountdown = true;
    r.isRecurring = false;
    r.when = 5400;
    r.start = 1765000000;
    r.intervalDays = 3;
    r.deleteWhenDone = true;
    r.state = 1;
    r.soundFile = L"C:\\Media\\chimes.wav";
    r.soundRepeat = 5;
    r.isSnooze = true;
    return r;
}

TEST(ReminderRecordTest, LayoutIsTheStoredOneOnEveryArchitecture)
{
    const std::vector<BYTE> bytes = sample().toBytes();
    ASSERT_EQ(bytes.size(), 1068u);
    EXPECT_EQ(bytes[0], 'C');
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(numberAt(bytes, 512), 1);
    EXPECT_EQ(numberAt(bytes, 516), 0);
    EXPECT_EQ(numberAt(bytes, 520), 5400);
    EXPECT_EQ(numberAt(bytes, 524), 1765000000);
    EXPECT_EQ(numberAt(bytes, 528), 3);
    EXPECT_EQ(numberAt(bytes, 532), 1);
    EXPECT_EQ(numberAt(bytes, 536), 1);
    EXPECT_EQ(bytes[540], 'C');
    EXPECT_EQ(numberAt(bytes, 1060), 5);
    EXPECT_EQ(numberAt(bytes, 1064), 1);

    const ReminderRecord back = ReminderRecord::fromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(back.text, sample().text);
    EXPECT_EQ(back.soundFile, sample().soundFile);
    EXPECT_EQ(back.when, 5400);
    EXPECT_EQ(back.start, 1765000000);
    EXPECT_TRUE(back.isCountdown && back.deleteWhenDone && back.isSnooze);
    EXPECT_EQ(back.due(), int64_t(1765000000) + 5400);
}

TEST(ReminderRecordTest, OverlongTextsKeepTheirTerminator)
{
    ReminderRecord r;
    r.text.assign(400, L'x');
    r.soundFile.assign(400, L'y');
    const std::vector<BYTE> bytes = r.toBytes();
    EXPECT_EQ(bytes[510], 0);
    EXPECT_EQ(bytes[511], 0);
    EXPECT_EQ(bytes[1058], 0);
    const ReminderRecord back = ReminderRecord::fromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(back.text.size(), 255u);
    EXPECT_EQ(back.soundFile.size(), 259u);
}

// Damaged values: read as far as they go, never past their end or a field's end.
TEST(ReminderRecordTest, ShortAndUnterminatedRecordsAreReadSafely)
{
    std::vector<BYTE> full = sample().toBytes();
    // Text filling its whole field without a terminator stops at the field's end.
    for (size_t i = 0; i < 512; i += 2) {
        full[i] = 'a';
        full[i + 1] = 0;
    }
    ReminderRecord r = ReminderRecord::fromBytes(full.data(), full.size());
    EXPECT_EQ(r.text, std::wstring(256, L'a'));
    EXPECT_EQ(r.when, 5400) << "the next field is not read as text";
    const int32_t when = 70000; // 0x00011170
    std::memcpy(full.data() + 520, &when, 4);

    struct Case {
        size_t size;
        size_t textChars;
        int32_t when;
        int32_t soundRepeat;
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {7, 3, 0, 0},     // a half character at the end is dropped
        {522, 256, 0x1170, 0}, // When cut in half: its low bytes are read, the rest is zero
        {1064, 256, 70000, 5},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.size));
        part.shrink_to_fit();
        r = ReminderRecord::fromBytes(part.empty() ? nullptr : part.data(), part.size());
        EXPECT_EQ(r.text.size(), c.textChars) << c.size;
        EXPECT_EQ(r.when, c.when) << c.size;
        EXPECT_EQ(r.soundRepeat, c.soundRepeat) << c.size;
        EXPECT_FALSE(r.isSnooze) << c.size;
    }
    // Only 0 or 1 counts as recurring.
    std::vector<BYTE> odd = sample().toBytes();
    odd[516] = 2;
    EXPECT_FALSE(ReminderRecord::fromBytes(odd.data(), odd.size()).isRecurring);
}

using ReminderStoreTest = CSuiteRegistryTest;

TEST_F(ReminderStoreTest, NumbersEnumerationAndValuesOfAnyType)
{
    CReminderStore store;
    EXPECT_EQ(store.count(), 0);
    long number = -1;
    EXPECT_FALSE(store.numberAt(1, number));

    EXPECT_EQ(store.nextNumber(), 1);
    EXPECT_EQ(store.nextNumber(), 2);
    ASSERT_TRUE(store.write(7, sample()));
    ASSERT_TRUE(store.write(12, sample()));
    EXPECT_EQ(store.count(), 2);
    EXPECT_TRUE(store.exists(7));
    EXPECT_FALSE(store.exists(2));

    // A value written by something else, short and of another type, is still a reminder.
    CRegistryKey key(HKEY_CURRENT_USER, CReminderStore::kPath);
    ASSERT_TRUE(key.writeString(L"30", L"hi"));
    ReminderRecord r;
    ASSERT_TRUE(store.read(30, r));
    EXPECT_EQ(r.text, L"hi");
    EXPECT_EQ(store.all().size(), 3u);

    std::vector<long> numbers;
    for (long i = 1; store.numberAt(i, number); ++i)
        numbers.push_back(number);
    EXPECT_EQ(numbers.size(), 3u);
    EXPECT_FALSE(store.numberAt(0, number));

    EXPECT_TRUE(store.remove(7));
    EXPECT_FALSE(store.read(7, r));
    EXPECT_EQ(store.nextNumber(), 3) << "numbers are never handed out twice";
    // A stored value under the next number is passed over, not written over.
    ASSERT_TRUE(store.write(4, sample()));
    ASSERT_TRUE(store.write(5, sample()));
    EXPECT_EQ(store.nextNumber(), 6);
    EXPECT_EQ(store.nextNumber(), 7);
}

} // namespace
