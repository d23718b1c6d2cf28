#pragma once
// Fixture of the Time Zone dialog tests: a clean registry, a small zone database of the
// test's own (so that catalogue positions are known), and the dialog opened modeless so that
// a test drives it with messages as a user's clicks would and reads what it shows.

#include "CSuiteRegistryTest.h"
#include "CTimeZoneDialog.h"
#include "CZoneCatalogue.h"
#include "CZoneList.h"
#include "resource.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CTimeZoneDialogTest : public CSuiteRegistryTest {
public:
    static constexpr wchar_t kTitle[] = L"Orvel.Tempra";
    static constexpr wchar_t kNewZoneName[] = L"New Time Zone";
    static constexpr wchar_t kHomeLabel[] = L"Home Time Zone Name";
    // The test database in catalogue order; the zone at kOwnZone has the computer's own
    // standard name.
    static const std::vector<std::wstring>& displays();
    static constexpr int kOwnZone = 5;

    // The dialog for a new zone, or for zone n (n <= 0: the home zone) with its name; shown.
    HWND openNew();
    HWND openZone(long n, const std::wstring& name);
    HWND dialog() const { return m_dialog ? m_dialog->hwnd() : nullptr; }
    // How often "Add Another" has reported a saved zone.
    int addedCount() const { return m_added; }

    // What the user does.
    void click(int id);
    void setCheck(int id, bool on);
    void choose(int index);
    void type(const std::wstring& name);

    // What it shows.
    std::wstring text(int id) const;
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog(), id)) != FALSE; }
    bool visible(int id) const { return (GetWindowLongW(GetDlgItem(dialog(), id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool checked(int id) const { return IsDlgButtonChecked(dialog(), id) == BST_CHECKED; }
    std::vector<std::wstring> comboItems() const;
    int selection() const;

    // The user's zone list.
    static void storeZone(long n, const std::wstring& name, const ZoneRecord& record);
    static bool storedZone(long n, std::wstring& name, ZoneRecord& record);
    static long zoneCount() { return CZoneList().count(); }

    CZoneCatalogue catalogue;

protected:
    void SetUp() override;
    void TearDown() override;

private:
    HWND show();

    std::unique_ptr<CTimeZoneDialog> m_dialog;
    int m_added = 0;
};

inline bool operator==(const ZoneRecord& a, const ZoneRecord& b)
{
    return a.catalogueIndex == b.catalogueIndex && a.showInBar == b.showInBar && a.atThisLocation == b.atThisLocation
           && a.showWhenHere == b.showWhenHere;
}

void PrintTo(const ZoneRecord& r, std::ostream* out);
