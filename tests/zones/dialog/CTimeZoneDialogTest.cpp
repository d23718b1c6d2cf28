#include "CTimeZoneDialogTest.h"

#include "UniqueHandle.h"

#include <ostream>

namespace {

// Under the suite's key, so that the base fixture removes it with everything else.
constexpr wchar_t kDatabase[] = L"Software\\Orvel Software\\Zone Dialog Test\\Time Zones";

std::wstring ownStandardName()
{
    TIME_ZONE_INFORMATION own{};
    GetTimeZoneInformation(&own);
    return own.StandardName;
}

void writeText(HKEY key, const wchar_t* name, const std::wstring& text)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

} // namespace

const std::vector<std::wstring>& CTimeZoneDialogTest::displays()
{
    static const std::vector<std::wstring> list{
        L"(GMT-08:00) Pacific Time (US & Canada); Tijuana",
        L"(GMT-03:00) Brasilia",
        L"(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London",
        L"(GMT+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna",
        L"(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi",
        L"(GMT+09:00) Osaka, Sapporo, Tokyo",
        L"(GMT+10:00) Canberra, Melbourne, Sydney",
    };
    return list;
}

void CTimeZoneDialogTest::SetUp()
{
    CSuiteRegistryTest::SetUp();
    const std::wstring own = ownStandardName();
    ASSERT_FALSE(own.empty()) << "the computer's zone has no standard name to look for";
    // Written out of order: the catalogue sorts them by their offsets.
    for (int i : {4, 0, 6, 2, 5, 1, 3}) {
        CKeyHandle zone;
        const std::wstring path = std::wstring(kDatabase) + L"\\Zone " + std::to_wstring(i);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, zone.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        writeText(zone.get(), L"Display", displays()[static_cast<size_t>(i)]);
        writeText(zone.get(), L"Std", i == kOwnZone ? own : L"Test Standard Time " + std::to_wstring(i));
        writeText(zone.get(), L"Dlt", L"Test Daylight Time " + std::to_wstring(i));
    }
    catalogue.loadFrom(HKEY_CURRENT_USER, kDatabase);
    ASSERT_EQ(catalogue.count(), displays().size());
}

void CTimeZoneDialogTest::TearDown()
{
    m_dialog.reset();
    CSuiteRegistryTest::TearDown();
}

HWND CTimeZoneDialogTest::openNew()
{
    m_dialog = std::make_unique<CTimeZoneDialog>([this] { ++m_added; }, &catalogue);
    return show();
}

HWND CTimeZoneDialogTest::openZone(long n, const std::wstring& name)
{
    m_dialog = std::make_unique<CTimeZoneDialog>(n, name, [this] { ++m_added; }, &catalogue);
    return show();
}

HWND CTimeZoneDialogTest::show()
{
    if (!m_dialog->createModeless(nullptr))
        return nullptr;
    ShowWindow(dialog(), SW_SHOW);
    return dialog();
}

void CTimeZoneDialogTest::click(int id)
{
    SendMessageW(dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog(), id)));
}

void CTimeZoneDialogTest::setCheck(int id, bool on)
{
    SendDlgItemMessageW(dialog(), id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    click(id);
}

void CTimeZoneDialogTest::choose(int index)
{
    HWND box = GetDlgItem(dialog(), IDC_ZONE_CATALOGUE);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog(), WM_COMMAND, MAKEWPARAM(IDC_ZONE_CATALOGUE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void CTimeZoneDialogTest::type(const std::wstring& name) { SetDlgItemTextW(dialog(), IDC_ZONE_NAME, name.c_str()); }

std::wstring CTimeZoneDialogTest::text(int id) const
{
    HWND control = GetDlgItem(dialog(), id);
    std::wstring out(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    out.resize(static_cast<size_t>(GetWindowTextW(control, out.data(), static_cast<int>(out.size()))));
    return out;
}

std::vector<std::wstring> CTimeZoneDialogTest::comboItems() const
{
    std::vector<std::wstring> items;
    HWND box = GetDlgItem(dialog(), IDC_ZONE_CATALOGUE);
    const LRESULT count = SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<size_t>(SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, L'\0');
        item.resize(static_cast<size_t>(
            SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}

int CTimeZoneDialogTest::selection() const
{
    return static_cast<int>(SendDlgItemMessageW(dialog(), IDC_ZONE_CATALOGUE, CB_GETCURSEL, 0, 0));
}

void CTimeZoneDialogTest::storeZone(long n, const std::wstring& name, const ZoneRecord& record)
{
    const CZoneList list;
    ASSERT_TRUE(list.save(n, n != CZoneList::kHome && n > list.count(), name, record));
}

bool CTimeZoneDialogTest::storedZone(long n, std::wstring& name, ZoneRecord& record)
{
    const CZoneList list;
    return list.readRecord(n, record) && list.readName(n, name);
}

void PrintTo(const ZoneRecord& r, std::ostream* out)
{
    *out << "{" << r.catalogueIndex << ", " << r.showInBar << ", " << r.atThisLocation << ", " << r.showWhenHere << "}";
}
