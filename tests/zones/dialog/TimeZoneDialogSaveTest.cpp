// What OK and "Add Another" write to the user's zone list, what they say when the registry
// does not take it, and how the modal dialog ends.

#include "CMessageBoxCapture.h"
#include "CModalScript.h"
#include "CTimeZoneDialogTest.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <optional>
#include <ostream>
#include <utility>

namespace {

constexpr wchar_t kRegistryFailed[] =
    L"Orvel.Tempra was unable to update your registry.  It is likely that you have insufficient privileges.  Please "
    L"check with your network administrator.";

// A key this process may read but not change, until the object ends and gives the key its
// old security back (the base fixture must be able to delete it).
class CReadOnlyKey {
public:
    explicit CReadOnlyKey(const std::wstring& path)
    {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL | WRITE_DAC, m_key.put()) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(m_key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        m_old.resize(size);
        if (!size || RegGetKeySecurity(m_key.get(), DACL_SECURITY_INFORMATION, m_old.data(), &size) != ERROR_SUCCESS)
            return;

        BYTE everyone[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof everyone;
        CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
        std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sidSize);
        auto* list = reinterpret_cast<ACL*>(acl.data());
        SECURITY_DESCRIPTOR readOnly{};
        m_locked = InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION)
                   && AddAccessAllowedAce(list, ACL_REVISION, KEY_READ, everyone)
                   && InitializeSecurityDescriptor(&readOnly, SECURITY_DESCRIPTOR_REVISION)
                   && SetSecurityDescriptorDacl(&readOnly, TRUE, list, FALSE)
                   && RegSetKeySecurity(m_key.get(), DACL_SECURITY_INFORMATION, &readOnly) == ERROR_SUCCESS;
    }
    ~CReadOnlyKey()
    {
        if (m_locked)
            RegSetKeySecurity(m_key.get(), DACL_SECURITY_INFORMATION, m_old.data());
    }
    CReadOnlyKey(const CReadOnlyKey&) = delete;
    CReadOnlyKey& operator=(const CReadOnlyKey&) = delete;

    bool locked() const { return m_locked; }

private:
    CKeyHandle m_key;
    std::vector<BYTE> m_old;
    bool m_locked = false;
};

// Under a volatile key no lasting key can be made: the zone list cannot be created.
void makeSuiteKeyVolatile()
{
    CKeyHandle key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Orvel Software\\Velmora", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
}

} // namespace

struct SaveCase {
    const char* name;
    long number;                                   // kNew, or zone n (<= 0 the home zone)
    std::vector<std::pair<long, ZoneRecord>> before; // stored first, in this order
    std::optional<int> choose;
    std::optional<std::wstring> typed;
    std::optional<bool> inBar;
    std::optional<bool> hideHere;
    long savedAs;
    ZoneRecord record;
    std::wstring savedName;
    long count; // "TZNumber" afterwards
};

// Failures name the case, not its bytes.
void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.name; }

constexpr long kNew = -100;

class CTimeZoneSaveTest : public CTimeZoneDialogTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(CTimeZoneSaveTest, OkWritesTheRecordAndNameUnderTheZonesNumberAndCloses)
{
    const SaveCase& c = GetParam();
    for (const auto& [n, record] : c.before)
        storeZone(n, L"Zone " + std::to_wstring(n), record);
    ASSERT_NE(c.number == kNew ? openNew() : openZone(c.number, L"Given name"), nullptr);
    if (c.choose)
        choose(*c.choose);
    if (c.typed)
        type(*c.typed);
    if (c.inBar)
        setCheck(IDC_ZONE_IN_BAR, *c.inBar);
    if (c.hideHere)
        setCheck(IDC_ZONE_HIDE_HERE, *c.hideHere);
    CMessageBoxCapture boxes;
    click(IDOK);

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(dialog(), nullptr) << "the dialog ends once the zone is saved";
    std::wstring name;
    ZoneRecord record;
    ASSERT_TRUE(storedZone(c.savedAs, name, record));
    EXPECT_EQ(record, c.record);
    EXPECT_EQ(name, c.savedName);
    EXPECT_EQ(zoneCount(), c.count);
    for (const auto& [n, before] : c.before) {
        if (n == c.savedAs)
            continue;
        ASSERT_TRUE(storedZone(n, name, record));
        EXPECT_EQ(record, before) << "zone " << n << " is not touched";
        EXPECT_EQ(name, L"Zone " + std::to_wstring(n));
    }
    EXPECT_EQ(addedCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, CTimeZoneSaveTest,
    ::testing::Values(
        SaveCase{"NewZoneAfterTwo", kNew, {{1, {0, 1, 0, 0}}, {2, {1, 1, 0, 0}}}, 2, L"Lisbon", {}, false, 3,
                 {2, 1, 0, 1}, L"Lisbon", 3},
        SaveCase{"NewZoneNamedByItsChoice", kNew, {}, 4, {}, false, {}, 1, {4, 0, 0, 0},
                 CTimeZoneDialogTest::displays()[4], 1},
        SaveCase{"NewZoneAsItOpened", kNew, {}, {}, {}, {}, {}, 1, {0, 1, 0, 0}, L"New Time Zone", 1},
        SaveCase{"StoredZoneKeepsWhetherTheUserIsThere",
                 2,
                 {{1, {0, 1, 0, 0}}, {2, {4, 1, 1, 1}}, {3, {5, 0, 0, 1}}},
                 6,
                 {},
                 false,
                 {},
                 2,
                 {6, 0, 1, 1},
                 L"Given name",
                 3},
        SaveCase{"StoredZoneRenamed", 1, {{1, {3, 1, 0, 1}}}, {}, L"Renamed", {}, true, 1, {3, 1, 0, 0}, L"Renamed", 1},
        SaveCase{"Home", 0, {{1, {0, 1, 0, 0}}, {CZoneList::kHome, {3, 1, 1, 0}}}, {}, L"Here", {}, false,
                 CZoneList::kHome, {3, 1, 1, 1}, L"Here", 1},
        SaveCase{"HomeWithoutARecordIsTheComputersZone", 0, {}, {}, {}, {}, {}, CZoneList::kHome,
                 {CTimeZoneDialogTest::kOwnZone, 1, 0, 0}, L"Given name", 0},
        SaveCase{"LongNameCutTo256", kNew, {}, {}, std::wstring(300, L'x'), {}, {}, 1, {0, 1, 0, 0},
                 std::wstring(256, L'x'), 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CTimeZoneDialogTest, AddAnotherSavesTheZoneAndStartsTheNextOneInTheSameDialog)
{
    storeZone(1, L"Zone 1", ZoneRecord{2, 1, 0, 0});
    ASSERT_NE(openNew(), nullptr);
    choose(5);
    type(L"Tokyo office");
    setCheck(IDC_ZONE_HIDE_HERE, false);
    CMessageBoxCapture boxes;
    click(IDC_ZONE_ADD_ANOTHER);

    ASSERT_NE(dialog(), nullptr) << "the dialog stays for the next zone";
    EXPECT_EQ(addedCount(), 1);
    std::wstring name;
    ZoneRecord record;
    ASSERT_TRUE(storedZone(2, name, record));
    EXPECT_EQ(record, (ZoneRecord{5, 1, 0, 1}));
    EXPECT_EQ(name, L"Tokyo office");
    EXPECT_EQ(zoneCount(), 2);

    // The next zone starts as a new one does, its name following the list again.
    EXPECT_EQ(text(IDC_ZONE_NAME), kNewZoneName);
    EXPECT_EQ(selection(), 0);
    EXPECT_TRUE(checked(IDC_ZONE_IN_BAR));
    EXPECT_TRUE(checked(IDC_ZONE_HIDE_HERE));
    EXPECT_TRUE(enabled(IDC_ZONE_HIDE_HERE));
    EXPECT_TRUE(visible(IDC_ZONE_ADD_ANOTHER));
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog(), IDC_ZONE_NAME));
    choose(3);
    EXPECT_EQ(text(IDC_ZONE_NAME), displays()[3]);
    setCheck(IDC_ZONE_IN_BAR, false);
    click(IDOK);

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_EQ(addedCount(), 1) << "OK is no Add Another";
    ASSERT_TRUE(storedZone(3, name, record));
    EXPECT_EQ(record, (ZoneRecord{3, 0, 0, 0}));
    EXPECT_EQ(name, displays()[3]);
    EXPECT_EQ(zoneCount(), 3);
    ASSERT_TRUE(storedZone(2, name, record));
    EXPECT_EQ(name, L"Tokyo office");
}

struct FailureCase {
    const char* name;
    long number; // kNew, or zone n (<= 0 the home zone)
    int button;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class CTimeZoneFailureTest : public CTimeZoneDialogTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(CTimeZoneFailureTest, ARegistryThatRefusesTheZoneIsReportedAndTheDialogStaysAsItWas)
{
    makeSuiteKeyVolatile();
    ASSERT_NE(GetParam().number == kNew ? openNew() : openZone(GetParam().number, L"Given name"), nullptr);
    choose(2);
    type(L"Typed name");
    CMessageBoxCapture boxes;
    click(GetParam().button);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, kRegistryFailed);
    EXPECT_EQ(boxes.boxes()[0].caption, kTitle);
    EXPECT_EQ(boxes.boxes()[0].icon, static_cast<UINT>(MB_ICONHAND));
    EXPECT_EQ(boxes.boxes()[0].buttons, static_cast<UINT>(MB_OK));
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(text(IDC_ZONE_NAME), L"Typed name");
    EXPECT_EQ(selection(), 2);
    EXPECT_EQ(addedCount(), 0);
    EXPECT_EQ(zoneCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Zones, CTimeZoneFailureTest,
                         ::testing::Values(FailureCase{"NewZoneOk", kNew, IDOK},
                                           FailureCase{"NewZoneAddAnother", kNew, IDC_ZONE_ADD_ANOTHER},
                                           FailureCase{"ZoneTwo", 2, IDOK},
                                           FailureCase{"Home", 0, IDOK}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CTimeZoneDialogTest, AStoredRecordThatCannotBeRemovedIsReportedAndKeptAsItWas)
{
    storeZone(1, L"Zone 1", ZoneRecord{1, 1, 0, 1});
    ASSERT_NE(openZone(1, L"Zone 1"), nullptr);
    choose(4);
    type(L"Renamed");
    CReadOnlyKey locked(CZoneList::subkeyPath(1));
    ASSERT_TRUE(locked.locked());
    CMessageBoxCapture boxes;
    click(IDOK);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, kRegistryFailed);
    EXPECT_EQ(boxes.boxes()[0].icon, static_cast<UINT>(MB_ICONHAND));
    ASSERT_NE(dialog(), nullptr);
    std::wstring name;
    ZoneRecord record;
    ASSERT_TRUE(storedZone(1, name, record));
    EXPECT_EQ(record, (ZoneRecord{1, 1, 0, 1}));
    EXPECT_EQ(name, L"Zone 1");
}

struct ModalCase {
    const char* name;
    std::vector<int> buttons; // pressed in order
    INT_PTR result;
    long count; // zones saved
    int added;
};

void PrintTo(const ModalCase& c, std::ostream* out) { *out << c.name; }

class CModalTimeZoneTest : public CTimeZoneDialogTest, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(CModalTimeZoneTest, TheModalDialogEndsWithIdokOnlyWhenItsLastSaveClosedIt)
{
    int added = 0;
    CTimeZoneDialog zone([&added] { ++added; }, &catalogue);
    CModalScript script(IDC_ZONE_CATALOGUE, [](HWND d) {
        for (int button : GetParam().buttons)
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, button)));
    });
    EXPECT_EQ(zone.doModal(nullptr), GetParam().result);
    EXPECT_TRUE(script.ran());
    EXPECT_EQ(zoneCount(), GetParam().count);
    EXPECT_EQ(added, GetParam().added);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, CModalTimeZoneTest,
    ::testing::Values(ModalCase{"Ok", {IDOK}, IDOK, 1, 0}, ModalCase{"Cancel", {IDCANCEL}, IDCANCEL, 0, 0},
                      ModalCase{"AddAnotherThenOk", {IDC_ZONE_ADD_ANOTHER, IDOK}, IDOK, 2, 1},
                      ModalCase{"AddAnotherThenCancel", {IDC_ZONE_ADD_ANOTHER, IDCANCEL}, IDCANCEL, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });
