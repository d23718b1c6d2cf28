// The automation object's time-zone operations as the pages call them: zone times, applying a
// zone, the zone list with its dialog and revision counter, and the remembered confirmation.

#include "CDialogAnswers.h"
#include "CMainWnd.h"
#include "CMessageBoxCapture.h"
#include "CRegistryKey.h"
#include "CTimeZoneBar.h"
#include "CTimeZoneSetterStub.h"
#include "CZoneList.h"
#include "ChronelAppFixture.h"
#include "ZoneBarSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

class ZoneAutomationTest : public ChronelAppFixture {
protected:
    void SetUp() override
    {
        ChronelAppFixture::SetUp();
        app->setTimeZoneSetter(zoneSetter);
        ASSERT_TRUE(app->createMainWindow());
        o = automation();
        for (long k = 1; k <= 3; ++k)
            ASSERT_TRUE(list.save(k, true, L"Zone " + std::to_wstring(k), ZoneRecord{uint32_t(10 * k), 1, 0, 1}));
    }
    void TearDown() override
    {
        if (app->mainWnd())
            app->mainWnd()->exitSequence();
        ChronelAppFixture::TearDown();
    }

    LONG revision()
    {
        LONG r = -1;
        EXPECT_EQ(o->GetRevision(0, &r), S_OK);
        return r;
    }

    CTimeZoneSetterStub zoneSetter;
    CDialogAnswers dialogs;
    CZoneList list;
    IChronelProxyObj* o = nullptr;
};

TEST_F(ZoneAutomationTest, ZoneTimesForCatalogueIndexes)
{
    BSTR text = nullptr;
    ASSERT_EQ(o->GetZoneTimeText(0, 0, &text), S_OK);
    const std::wstring withSeconds = takeText(text);
    ASSERT_EQ(o->GetZoneTimeText(0, TIME_NOSECONDS, &text), S_OK);
    const std::wstring withoutSeconds = takeText(text);
    EXPECT_FALSE(withoutSeconds.empty());
    EXPECT_LT(withoutSeconds.size(), withSeconds.size());
    ASSERT_EQ(o->GetZoneDateText(138, DATE_LONGDATE, &text), S_OK);
    EXPECT_FALSE(takeText(text).empty());
    for (LONG bad : {-2L, 139L, 100000L}) {
        ASSERT_EQ(o->GetZoneTimeText(bad, 0, &text), S_OK);
        EXPECT_EQ(takeText(text), L"") << bad;
        ASSERT_EQ(o->GetZoneDateText(bad, 0, &text), S_OK);
        EXPECT_EQ(takeText(text), L"") << bad;
    }
    // -1 is the page host's own clock, as it last pushed it.
    ASSERT_EQ(o->GetZoneTimeText(-1, 0, &text), S_OK);
    EXPECT_EQ(takeText(text), app->automationObject()->display().localTime);
}

TEST_F(ZoneAutomationTest, ApplyZoneSetsTheZoneOrSaysItCannot)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    CMessageBoxCapture boxes;
    ASSERT_EQ(o->ApplyZone(5), S_OK);
    ASSERT_EQ(zoneSetter.requests.size(), 1u);
    EXPECT_EQ(zoneSetter.requests[0].Bias, catalogue.at(5).information.Bias);
    EXPECT_STREQ(zoneSetter.requests[0].StandardName, catalogue.at(5).information.StandardName);
    EXPECT_TRUE(boxes.boxes().empty());

    ASSERT_EQ(o->ApplyZone(-1), S_OK);
    ASSERT_EQ(o->ApplyZone(139), S_OK);
    EXPECT_EQ(zoneSetter.requests.size(), 1u) << "indexes outside the catalogue are ignored";

    zoneSetter.refuse = true;
    ASSERT_EQ(o->ApplyZone(7), S_OK);
    ASSERT_EQ(boxes.boxes().size(), 1u) << "a refused change is reported";
    EXPECT_NE(boxes.boxes()[0].text.find(L"could not change the computer's time zone"), std::wstring::npos);
    EXPECT_EQ(boxes.boxes()[0].caption, L"Orvel.Tempra");
}

// The real call under Wine: refused for want of the time-zone privilege, as a user's would be.
TEST(ZoneSetterTest, TheSystemRefusesWithoutThePrivilege)
{
    CZoneCatalogue catalogue;
    catalogue.load();
    ASSERT_GT(catalogue.count(), 0u);
    CSystemTimeZoneSetter setter;
    SetLastError(0);
    EXPECT_FALSE(setter.setTimeZone(catalogue.at(0).information));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
}

TEST_F(ZoneAutomationTest, ListOperationsAndTheirOutOfRangeAnswers)
{
    LONG number = -1;
    ASSERT_EQ(o->GetZoneCount(&number), S_OK);
    EXPECT_EQ(number, 3);
    BSTR text = nullptr;
    ASSERT_EQ(o->GetZoneName(2, &text), S_OK);
    EXPECT_EQ(takeText(text), L"Zone 2");
    ASSERT_EQ(o->GetZoneCatalogueIndex(3, &number), S_OK);
    EXPECT_EQ(number, 30);
    ASSERT_EQ(o->IsZoneInBar(1, &number), S_OK);
    EXPECT_EQ(number, 1);

    CBstr none;
    for (LONG n : {0L, 4L, -1L}) {
        EXPECT_EQ(o->GetZoneName(n, &text), S_FALSE) << n;
        EXPECT_EQ(o->GetZoneCatalogueIndex(n, &number), S_FALSE) << n;
        EXPECT_EQ(o->IsZoneInBar(n, &number), S_FALSE) << n;
        EXPECT_EQ(o->DeleteZone(n), S_FALSE) << n;
        EXPECT_EQ(o->MoveZone(n, 1, &number), S_FALSE) << n;
    }
    EXPECT_EQ(o->GetAtThisLocation(none.get(), 4, &number), S_FALSE);
    EXPECT_EQ(o->GetAtThisLocation(none.get(), -1, &number), S_FALSE);
    EXPECT_EQ(o->SetAtThisLocation(4, 1), S_FALSE);
    EXPECT_EQ(revision(), 0) << "nothing changed";

    // Where the user is: the bar leaves the zone out unless it is to be shown there too.
    ASSERT_EQ(o->SetAtThisLocation(2, 1), S_OK);
    ASSERT_EQ(o->GetAtThisLocation(none.get(), 2, &number), S_OK);
    EXPECT_EQ(number, 1);
    ASSERT_EQ(o->IsZoneInBar(2, &number), S_OK);
    EXPECT_EQ(number, 1) << "ShowWhenHere is set";

    ASSERT_EQ(o->MoveZone(3, 1, &number), S_OK);
    EXPECT_EQ(number, 0);
    ASSERT_EQ(o->MoveZone(3, -1, &number), S_OK);
    EXPECT_EQ(number, 1);
    ASSERT_EQ(o->DeleteZone(1), S_OK);
    EXPECT_EQ(revision(), 2);
    ASSERT_EQ(o->GetRevision(1, &number), S_OK);
    EXPECT_EQ(number, 3);

    // The home zone, made on first sight, is where the user is and not in the bar.
    ASSERT_EQ(o->GetHomeZoneName(&text), S_OK);
    EXPECT_FALSE(takeText(text).empty());
    ASSERT_EQ(o->IsHomeZoneInBar(&number), S_OK);
    EXPECT_EQ(number, 0);
    ASSERT_EQ(o->GetAtThisLocation(none.get(), 0, &number), S_OK);
    EXPECT_EQ(number, 1);
}

TEST_F(ZoneAutomationTest, AddAndEditThroughTheDialog)
{
    CDialogAnswers::ZoneAnswer answer;
    answer.ok = true;
    answer.name = L"Auckland";
    answer.catalogueIndex = 138;
    dialogs.set(answer);
    LONG ok = -1;
    ASSERT_EQ(o->AddZone(&ok), S_OK);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(list.count(), 4);
    ZoneRecord record;
    ASSERT_TRUE(list.readRecord(4, record));
    EXPECT_EQ(record.catalogueIndex, 138u);
    EXPECT_EQ(revision(), 1);

    dialogs.set(CDialogAnswers::ZoneAnswer{}); // Cancel
    CBstr name(L"Zone 2");
    ASSERT_EQ(o->EditZone(name.get(), 2, &ok), S_OK);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(revision(), 1);
    EXPECT_EQ(dialogs.answered(), 2);
}

// remember = 1: the Confirm Message dialog, skipped once the user ticked its box; only a
// confirmation with remember = 1 stores the box.
TEST_F(ZoneAutomationTest, RememberedConfirmation)
{
    CBstr text(L"Change the computer's time zone?");
    LONG button = 0, confirm = -1;
    ASSERT_EQ(o->GetConfirmZoneChange(&confirm), S_OK);
    EXPECT_EQ(confirm, 1);

    dialogs.set(CDialogAnswers::ConfirmAnswer{false, true});
    ASSERT_EQ(o->ShowMessage(text.get(), MB_YESNO | MB_ICONQUESTION, 1, &button), S_OK);
    EXPECT_EQ(button, 2);
    ASSERT_EQ(o->GetConfirmZoneChange(&confirm), S_OK);
    EXPECT_EQ(confirm, 1) << "the second button stores nothing";

    dialogs.set(CDialogAnswers::ConfirmAnswer{true, true});
    ASSERT_EQ(o->ShowMessage(text.get(), MB_YESNO | MB_ICONQUESTION, 2, &button), S_OK);
    EXPECT_EQ(button, 1);
    ASSERT_EQ(o->GetConfirmZoneChange(&confirm), S_OK);
    EXPECT_EQ(confirm, 1) << "only remember = 1 stores the box";

    dialogs.set(CDialogAnswers::ConfirmAnswer{true, true});
    ASSERT_EQ(o->ShowMessage(text.get(), MB_YESNO | MB_ICONQUESTION, 1, &button), S_OK);
    EXPECT_EQ(button, 1);
    ASSERT_EQ(o->GetConfirmZoneChange(&confirm), S_OK);
    EXPECT_EQ(confirm, 0);
    EXPECT_EQ(dialogs.confirmations(), 3);

    ASSERT_EQ(o->ShowMessage(text.get(), MB_YESNO | MB_ICONQUESTION, 1, &button), S_OK);
    EXPECT_EQ(button, 1);
    EXPECT_EQ(dialogs.confirmations(), 3) << "not asked again";
    ASSERT_EQ(o->SetConfirmZoneChange(1), S_OK);
    ASSERT_EQ(o->GetConfirmZoneChange(&confirm), S_OK);
    EXPECT_EQ(confirm, 1);
}

// The bar through the automation object: switched on and off by the pages ("TimeZoneBar" as
// they set it), closed by the user (0), and closed by the application at exit (left alone).
TEST_F(ZoneAutomationTest, TimeZoneBarOnAndOff)
{
    LONG shown = -1;
    ASSERT_EQ(o->IsBarShown(&shown), S_OK);
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(o->ShowTimeZoneBar(1), S_OK);
    ASSERT_EQ(o->IsBarShown(&shown), S_OK);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(settings::read(settings::kTimeZoneBar));
    CTimeZoneBar* bar = app->timeZoneBar();
    ASSERT_NE(bar, nullptr);

    // The switches: automation's true (-1) turns one on, anything else off, and an open bar
    // follows at once.
    ASSERT_EQ(o->SetBarAutoHide(-1), S_OK);
    EXPECT_TRUE(settings::read(settings::kTimeZoneBarAutoHide));
    EXPECT_TRUE(bar->state().autoHide);
    LONG flag = -1;
    ASSERT_EQ(o->GetBarAutoHide(&flag), S_OK);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(o->SetBarAutoHide(1), S_OK);
    EXPECT_FALSE(bar->state().autoHide) << "1 is not automation's true";
    ASSERT_EQ(o->SetBarAlwaysOnTop(0), S_OK);
    ASSERT_EQ(o->GetBarAlwaysOnTop(&flag), S_OK);
    EXPECT_EQ(flag, 0);

    // Off from the pages: "TimeZoneBar" is what they wrote.
    ASSERT_EQ(o->ShowTimeZoneBar(0), S_OK);
    ASSERT_EQ(o->IsBarShown(&shown), S_OK);
    EXPECT_EQ(shown, 0);
    EXPECT_FALSE(settings::read(settings::kTimeZoneBar));
    std::vector<BYTE> data;
    EXPECT_TRUE(CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readAnyAlloc(settings::kTimeZoneBarData, data));
    EXPECT_EQ(data.size(), 48u);

    // Closed by its own close button: "TimeZoneBar" becomes 0.
    ASSERT_EQ(o->ShowTimeZoneBar(1), S_OK);
    ASSERT_NE(app->timeZoneBar(), nullptr);
    SendMessageW(app->timeZoneBar()->hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BAR_CLOSE, BN_CLICKED), 0);
    EXPECT_EQ(app->timeZoneBar(), nullptr);
    EXPECT_FALSE(settings::read(settings::kTimeZoneBar));

    // Closed by the application at exit: left alone, so the next start shows it again.
    ASSERT_EQ(o->ShowTimeZoneBar(1), S_OK);
    app->mainWnd()->exitSequence();
    EXPECT_EQ(app->timeZoneBar(), nullptr);
    EXPECT_TRUE(settings::read(settings::kTimeZoneBar));
}

} // namespace
