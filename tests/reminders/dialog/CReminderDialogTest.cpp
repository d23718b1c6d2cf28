#include "CReminderDialogTest.h"

#include "CRegistryKey.h"
#include "CReminderStore.h"
#include "ChronelSettings.h"

#include <commctrl.h>

namespace {

constexpr int64_t kEpochOffset = 11644473600; // 1601-01-01 to 1970-01-01 in seconds

} // namespace

void CReminderDialogTest::TearDown()
{
    m_dialog.reset();
    CSuiteRegistryTest::TearDown();
}

HWND CReminderDialogTest::open(long number)
{
    m_dialog = std::make_unique<CReminderDialog>(number, sound, [] { return kNow; });
    if (!m_dialog->createModeless(nullptr))
        return nullptr;
    ShowWindow(dialog(), SW_SHOW);
    return dialog();
}

void CReminderDialogTest::click(int id)
{
    SendMessageW(dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog(), id)));
}

void CReminderDialogTest::choose(int radioId)
{
    SendDlgItemMessageW(dialog(), radioId, BM_SETCHECK, BST_CHECKED, 0);
    click(radioId);
}

void CReminderDialogTest::setCheck(int id, bool on)
{
    SendDlgItemMessageW(dialog(), id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    click(id);
}

void CReminderDialogTest::selectRepeat(int choice)
{
    HWND box = GetDlgItem(dialog(), IDC_REMINDER_REPEAT);
    SendMessageW(box, CB_SETCURSEL, choice, 0);
    SendMessageW(dialog(), WM_COMMAND, MAKEWPARAM(IDC_REMINDER_REPEAT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void CReminderDialogTest::type(int id, const std::wstring& text) { SetDlgItemTextW(dialog(), id, text.c_str()); }

void CReminderDialogTest::setPicker(int id, int64_t seconds) { setPickerDate(id, local(seconds)); }

void CReminderDialogTest::setPickerDate(int id, const SYSTEMTIME& localTime)
{
    SendDlgItemMessageW(dialog(), id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&localTime));
}

std::wstring CReminderDialogTest::text(int id) const
{
    wchar_t buffer[1100] = {};
    GetDlgItemTextW(dialog(), id, buffer, 1100);
    return buffer;
}

SYSTEMTIME CReminderDialogTest::picker(int id) const
{
    SYSTEMTIME time{};
    SendDlgItemMessageW(dialog(), id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

std::vector<std::wstring> CReminderDialogTest::comboItems(int id) const
{
    std::vector<std::wstring> items;
    HWND box = GetDlgItem(dialog(), id);
    const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[300] = {};
        if (SendMessageW(box, CB_GETLBTEXTLEN, i, 0) < 300)
            SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    return items;
}

int CReminderDialogTest::selection(int id) const
{
    return static_cast<int>(SendDlgItemMessageW(dialog(), id, CB_GETCURSEL, 0, 0));
}

void CReminderDialogTest::store(long number, const ReminderRecord& record)
{
    ASSERT_TRUE(CReminderStore().write(number, record));
}

bool CReminderDialogTest::stored(long number, ReminderRecord& record) { return CReminderStore().read(number, record); }

DWORD CReminderDialogTest::lastNumber()
{
    DWORD value = 0;
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(L"ReminderNumber", value);
    return value;
}

void CReminderDialogTest::setLastNumber(DWORD number)
{
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).writeDword(L"ReminderNumber", number));
}

SYSTEMTIME CReminderDialogTest::local(int64_t seconds)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<uint64_t>(seconds + kEpochOffset) * 10000000;
    const FILETIME file{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utcTime{}, localTime{};
    FileTimeToSystemTime(&file, &utcTime);
    SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime);
    return localTime;
}

int64_t CReminderDialogTest::utc(const SYSTEMTIME& localTime)
{
    SYSTEMTIME utcTime{};
    TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime);
    FILETIME file{};
    SystemTimeToFileTime(&utcTime, &file);
    ULARGE_INTEGER ticks;
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    return static_cast<int64_t>(ticks.QuadPart / 10000000) - kEpochOffset;
}

bool CReminderDialogTest::sameDate(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

bool CReminderDialogTest::sameClock(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wHour == b.wHour && a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}
