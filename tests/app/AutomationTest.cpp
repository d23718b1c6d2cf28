// The automation interface: its type library, its dispatch names, and the operations of
// this program, called through the interface as the pages and script clients do.

#include "ChronelAppFixture.h"
#include "CMessageBoxCapture.h"
#include "CRegistryKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using AutomationTest = ChronelAppFixture;

const wchar_t* const kDispatchNames[81] = {
    L"CorrectNow", L"ClearHistory", L"SetLogMaxSize", L"GetLogMaxSize", L"GetMeanCorrection",
    L"GetCorrectionCount", L"GetLogEntry", L"SetDefaultServers", L"SetInternetCheck", L"GetInternetCheck",
    L"GetServer", L"SetServer", L"SetAutocheck", L"GetAutocheck", L"GetLastCheckText", L"GetTimerCount",
    L"GetTimerText", L"AddTimer", L"GetTaskBarIcon", L"GetDailyUpdate", L"GetHours", L"GetNextCheckText",
    L"SetTaskBarIcon", L"SetDailyUpdate", L"SetHours", L"GetStatus", L"GetServerTime", L"GetServerDate",
    L"GetLocalTime", L"GetLocalDate", L"GetZoneTimeText", L"GetZoneDateText", L"GetExitOnCheck",
    L"SetExitOnCheck", L"GetZoneCount", L"GetZoneName", L"GetZoneCatalogueIndex", L"ShowTimeZoneBar",
    L"FireReminder", L"AddZone", L"DeleteZone", L"EditZone", L"GetAboutHtml", L"CompareClocks", L"IsBarShown",
    L"IsZoneInBar", L"GetAtThisLocation", L"SetAtThisLocation", L"GetHomeZoneIndex", L"EditReminder",
    L"DeleteReminder", L"GetReminderCount", L"GetReminderText", L"GetReminderNumber", L"GetHomeZoneName",
    L"GetRemainingText", L"GetInternetCheckText", L"GetLimitLog", L"SetLimitLog", L"GetRevision", L"ShowMessage",
    L"ApplyZone", L"GetReminderRevision", L"GetConfirmZoneChange", L"SetConfirmZoneChange", L"ShowHelp",
    L"IsHomeZoneInBar", L"MoveZone", L"GetShowDateInTooltip", L"SetShowDateInTooltip", L"GetReminderWhenText",
    L"GetReminderState", L"SetReminderState", L"GetBarAutoHide", L"GetBarAlwaysOnTop", L"SetBarAutoHide",
    L"SetBarAlwaysOnTop", L"ConnectCompanion", L"ConnectVault", L"IsProductPresent", L"GetReserved"};

// Operation n is dispatch id n, and the vtable holds it at slot 6 + n, after IDispatch.
TEST_F(AutomationTest, DispatchNamesAndOrder)
{
    IDispatch* dispatch = automation();
    ASSERT_NE(dispatch, nullptr);
    TComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, info.put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_IChronelProxyObj));
    EXPECT_EQ(attributes->cFuncs, 81 + 7) << "the dual interface lists IDispatch's methods too";
    info->ReleaseTypeAttr(attributes);

    // The vtable layout is the dual interface's own type information.
    HREFTYPE interfaceRef = 0;
    TComPtr<ITypeInfo> vtable;
    ASSERT_EQ(info->GetRefTypeOfImplType(-1, &interfaceRef), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(interfaceRef, vtable.put()), S_OK);
    TComPtr<ITypeInfo2> vtable2;
    ASSERT_EQ(vtable.queryInterface(IID_ITypeInfo2, vtable2), S_OK);

    for (int n = 1; n <= 81; ++n) {
        LPOLESTR name = const_cast<LPOLESTR>(kDispatchNames[n - 1]);
        DISPID id = 0;
        ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK) << kDispatchNames[n - 1];
        EXPECT_EQ(id, n) << kDispatchNames[n - 1];
        FUNCDESC* function = nullptr;
        UINT index = 0;
        ASSERT_EQ(vtable2->GetFuncIndexOfMemId(id, INVOKE_FUNC, &index), S_OK);
        ASSERT_EQ(vtable->GetFuncDesc(index, &function), S_OK);
        EXPECT_EQ(function->oVft / static_cast<SHORT>(sizeof(void*)), 6 + n) << kDispatchNames[n - 1];
        vtable->ReleaseFuncDesc(function);
    }
}

TEST_F(AutomationTest, ServersThroughTheInterface)
{
    IChronelProxyObj* o = automation();
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(o->GetServer(6, &text), S_FALSE);
    EXPECT_EQ(text, nullptr) << "no text";
    EXPECT_EQ(o->GetServer(0, &text), S_FALSE);

    CBstr name(L"ntp.example.org");
    EXPECT_EQ(o->SetServer(3, name.get()), S_OK);
    EXPECT_EQ(o->SetServer(6, name.get()), S_OK);
    ASSERT_EQ(o->GetServer(3, &text), S_OK);
    EXPECT_EQ(takeText(text), L"ntp.example.org");
    ASSERT_EQ(o->GetServer(4, &text), S_OK);
    EXPECT_EQ(takeText(text), L"") << "missing reads as empty";
    std::wstring stored;
    EXPECT_FALSE(CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(L"Server6", stored));

    EXPECT_EQ(o->SetDefaultServers(), S_OK);
    ASSERT_EQ(o->GetServer(1, &text), S_OK);
    EXPECT_EQ(takeText(text), L"time-a-g.nist.gov");
    ASSERT_EQ(o->GetServer(5, &text), S_OK);
    EXPECT_EQ(takeText(text), L"ptbtime2.ptb.de");
}

// Flags and numbers: each getter gives its default when the value is missing and what its
// setter stored afterwards.
TEST_F(AutomationTest, SettingsWithTheirDefaults)
{
    IChronelProxyObj* o = automation();
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).deleteValue(settings::kInternetCheck.name);
    struct Case {
        const char* name;
        HRESULT (STDMETHODCALLTYPE IChronelProxyObj::*get)(LONG*);
        HRESULT (STDMETHODCALLTYPE IChronelProxyObj::*set)(LONG);
        LONG fallback;
        LONG value;
    };
    const Case cases[] = {
        {"InternetCheck", &IChronelProxyObj::GetInternetCheck, &IChronelProxyObj::SetInternetCheck, 1, 0},
        {"Autocheck", &IChronelProxyObj::GetAutocheck, &IChronelProxyObj::SetAutocheck, 1, 0},
        {"TaskBarIcon", &IChronelProxyObj::GetTaskBarIcon, &IChronelProxyObj::SetTaskBarIcon, 1, 0},
        {"DailyUpdate", &IChronelProxyObj::GetDailyUpdate, &IChronelProxyObj::SetDailyUpdate, 1, 0},
        {"Hours", &IChronelProxyObj::GetHours, &IChronelProxyObj::SetHours, 4, 12},
        {"ExitOnCheck", &IChronelProxyObj::GetExitOnCheck, &IChronelProxyObj::SetExitOnCheck, 0, 1},
        {"LimitLog", &IChronelProxyObj::GetLimitLog, &IChronelProxyObj::SetLimitLog, 0, 1},
        {"LogMaxSize", &IChronelProxyObj::GetLogMaxSize, &IChronelProxyObj::SetLogMaxSize, 0, 7},
        {"ShowDateInTooltip", &IChronelProxyObj::GetShowDateInTooltip, &IChronelProxyObj::SetShowDateInTooltip, 0,
         1},
    };
    for (const Case& c : cases) {
        LONG value = -5;
        ASSERT_EQ((o->*c.get)(&value), S_OK) << c.name;
        EXPECT_EQ(value, c.fallback) << c.name;
        ASSERT_EQ((o->*c.set)(c.value), S_OK) << c.name;
        ASSERT_EQ((o->*c.get)(&value), S_OK) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    LONG hours = 0;
    EXPECT_EQ(o->SetHours(0), S_OK);
    o->GetHours(&hours);
    EXPECT_EQ(hours, 1) << "at least one hour";
    EXPECT_EQ(o->SetLogMaxSize(-1), E_INVALIDARG);
    LONG reserved = 9;
    EXPECT_EQ(o->GetReserved(&reserved), S_OK);
    EXPECT_EQ(reserved, 0);
}

TEST_F(AutomationTest, HistoryThroughTheInterface)
{
    IChronelProxyObj* o = automation();
    BSTR text = nullptr;
    ASSERT_EQ(o->GetMeanCorrection(&text), S_OK);
    EXPECT_EQ(takeText(text), L"") << "empty while there is no mean";

    CRegistryKey logs(HKEY_CURRENT_USER, settings::kLogsPath);
    logs.writeString(L"1700000100", L"a#1.0s fast");
    logs.writeString(L"1700000200", L"b#2.0s slow");
    logs.writeString(L"1700000300", L"c#3.0s fast");
    settings::write(settings::kCorrectionCount, 3);
    settings::write(settings::kMeanCorrection, L"2.00");

    ASSERT_EQ(o->GetMeanCorrection(&text), S_OK);
    EXPECT_EQ(takeText(text), L"2.00s");
    LONG count = 0;
    o->GetCorrectionCount(&count);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(o->GetLogEntry(2, &text), S_OK);
    EXPECT_EQ(takeText(text), L"b#2.0s slow");
    EXPECT_EQ(o->GetLogEntry(4, &text), S_FALSE);
    EXPECT_EQ(text, nullptr);

    // A size above 0 trims at once; the limit flag alone does not.
    EXPECT_EQ(o->SetLimitLog(1), S_OK);
    EXPECT_EQ(logs.countValues(), 3u);
    EXPECT_EQ(o->SetLogMaxSize(2), S_OK);
    EXPECT_EQ(logs.countValues(), 2u);
    o->GetCorrectionCount(&count);
    EXPECT_EQ(count, 2);
    ASSERT_EQ(o->GetLogEntry(1, &text), S_OK);
    EXPECT_EQ(takeText(text), L"b#2.0s slow");

    EXPECT_EQ(o->ClearHistory(), S_OK);
    EXPECT_EQ(logs.countValues(), 0u);
    o->GetCorrectionCount(&count);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(o->GetMeanCorrection(&text), S_OK);
    EXPECT_EQ(takeText(text), L"0s");
}

TEST_F(AutomationTest, TextsProductFlagAndOperationsWithoutAMainWindow)
{
    IChronelProxyObj* o = automation();
    app->setDisplayName(L"Chronel & Co");
    BSTR text = nullptr;
    ASSERT_EQ(o->GetInternetCheckText(&text), S_OK);
    const std::wstring explanation = takeText(text);
    EXPECT_NE(explanation.find(L"do not want Chronel & Co provoking"), std::wstring::npos);
    ASSERT_EQ(o->GetLastCheckText(&text), S_OK);
    EXPECT_EQ(takeText(text), L"No Updates Made");

    LONG present = 7;
    EXPECT_EQ(o->IsProductPresent(&present), S_OK);
    EXPECT_EQ(present, 0);
    CRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\Orvel Software\\Products").writeDword(L"Tempra", 3);
    EXPECT_EQ(o->IsProductPresent(&present), S_OK);
    EXPECT_EQ(present, 1);
    CRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\Orvel Software\\Products").writeDword(L"Tempra", 2);
    o->IsProductPresent(&present);
    EXPECT_EQ(present, 0) << "bit 0 only";
    CRegistryKey::deleteTree(HKEY_LOCAL_MACHINE, L"Software\\Orvel Software");

    LONG number = 0;
    EXPECT_EQ(o->GetZoneCount(&number), S_OK);
    EXPECT_EQ(number, 0);
    // Reminders and timers without a main window: the stored ones are still counted.
    EXPECT_EQ(o->GetReminderCount(&number), S_OK);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(o->EditReminder(0, &number), S_OK);
    EXPECT_EQ(number, 0) << "no dialog without the main window";
    // The About text the update stored, with the display name for %s.
    ASSERT_EQ(o->GetAboutHtml(&text), S_OK);
    EXPECT_EQ(takeText(text).rfind(L"[]<br><a target=\"_blank\" href=\"", 0), 0u);
    ASSERT_TRUE(CRegistryKey(HKEY_CURRENT_USER, L"Software\\Orvel Software\\Velmora\\Updates")
                    .writeEnciphered(L"uioutn", L"About %s"));
    ASSERT_EQ(o->GetAboutHtml(&text), S_OK);
    EXPECT_EQ(takeText(text).rfind(L"About Chronel & Co<br><a target=", 0), 0u);
    EXPECT_EQ(o->IsBarShown(&number), S_OK);
    EXPECT_EQ(number, 0) << "no bar without the main window";
    EXPECT_EQ(o->ShowTimeZoneBar(1), S_OK);
    EXPECT_EQ(o->IsBarShown(&number), S_OK);
    EXPECT_EQ(number, 0);

    // Without Cofferctl or the companion the components stay missing.
    LONG exists = 5;
    EXPECT_EQ(o->ConnectVault(&exists), S_OK);
    EXPECT_EQ(exists, 0);
    EXPECT_EQ(o->ConnectCompanion(&exists), S_OK);
    EXPECT_EQ(exists, 0);
}

// Clock comparison: 1 while the server is unknown, -1 when the clocks read differently, 0
// when they agree or a check runs.
TEST_F(AutomationTest, CompareClocks)
{
    CChronelProxyObj* o = app->automationObject();
    struct Case {
        const wchar_t* serverTime;
        const wchar_t* serverDate;
        LONG expected;
    };
    const Case cases[] = {
        {L"Unknown", L"(Unable to connect to Internet)", 1},
        {L"Reading...", L"", 0},
        {L"10:00:00 AM", L"12/10/2026", 0},
        {L"10:00:01 AM", L"12/10/2026", -1},
        {L"10:00:00 AM", L"12/11/2026", -1},
    };
    for (const Case& c : cases) {
        PageDisplay display;
        display.localTime = L"10:00:00 AM";
        display.localDate = L"12/10/2026";
        display.serverTime = c.serverTime;
        display.serverDate = c.serverDate;
        o->push(display);
        LONG result = 9;
        EXPECT_EQ(o->CompareClocks(&result), S_OK);
        EXPECT_EQ(result, c.expected) << c.serverTime << " " << c.serverDate;
        BSTR text = nullptr;
        o->GetServerTime(&text);
        EXPECT_EQ(takeText(text), c.serverTime);
    }
}

// Through IDispatch, as a script calls: arguments are converted by the type information, and
// a wrong type is refused with a clear error.
TEST_F(AutomationTest, LateBoundCallsAndWrongArgumentTypes)
{
    IDispatch* dispatch = automation();
    LPOLESTR name = const_cast<LPOLESTR>(L"SetServer");
    DISPID setServer = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &setServer), S_OK);

    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[1].vt = VT_BSTR; // k given as text that is a number: converted
    args[1].bstrVal = SysAllocString(L"2");
    args[0].vt = VT_BSTR;
    args[0].bstrVal = SysAllocString(L"late.example.org");
    DISPPARAMS params{args, nullptr, 2, 0};
    EXPECT_EQ(dispatch->Invoke(setServer, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    std::wstring stored;
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(L"Server2", stored);
    EXPECT_EQ(stored, L"late.example.org");

    VariantClear(&args[1]);
    args[1].vt = VT_BSTR;
    args[1].bstrVal = SysAllocString(L"two");
    UINT badArgument = 99;
    EXPECT_EQ(dispatch->Invoke(setServer, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, &badArgument),
              DISP_E_TYPEMISMATCH);
    VariantClear(&args[0]);
    VariantClear(&args[1]);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(setServer, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
}

// The pages' plain confirmation: a real message box over the main window with the
// application's title, the buttons and icon asked for, and the button pressed as the result.
TEST_F(AutomationTest, ShowMessageAsksWithAMessageBox)
{
    ASSERT_TRUE(app->createMainWindow());
    IChronelProxyObj* o = automation();
    struct Case {
        LONG type;
        int press;
        UINT buttons;
        UINT icon;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONQUESTION, IDYES, MB_YESNO, MB_ICONQUESTION},
        {MB_YESNO | MB_ICONQUESTION, IDNO, MB_YESNO, MB_ICONQUESTION},
        {MB_OK | MB_ICONEXCLAMATION, IDOK, MB_OK, MB_ICONEXCLAMATION},
        // Only the button, icon and default-button bits reach the box.
        {static_cast<LONG>(MB_OKCANCEL | MB_ICONASTERISK | MB_SYSTEMMODAL | MB_SERVICE_NOTIFICATION), IDCANCEL,
         MB_OKCANCEL, MB_ICONASTERISK},
    };
    for (const Case& c : cases) {
        CMessageBoxCapture capture([&](const CapturedBox&) { return c.press; });
        CBstr question(L"Do you wish to continue and delete the data?");
        LONG button = 0;
        ASSERT_EQ(o->ShowMessage(question.get(), c.type, 0, &button), S_OK);
        EXPECT_EQ(button, c.press);
        const std::vector<CapturedBox> boxes = capture.boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"Orvel.Tempra");
        EXPECT_EQ(boxes[0].text, L"Do you wish to continue and delete the data?");
        EXPECT_EQ(boxes[0].buttons, c.buttons);
        EXPECT_EQ(boxes[0].icon, c.icon);
    }
    // The remembered confirmation, once the user asked not to be asked again, is no box at all.
    settings::write(settings::Dword{L"ChangeTimeZone", 0}, 1);
    CMessageBoxCapture none;
    CBstr text(L"Change the zone?");
    LONG button = 0;
    ASSERT_EQ(o->ShowMessage(text.get(), MB_YESNO, 1, &button), S_OK);
    EXPECT_EQ(button, 1);
    EXPECT_TRUE(none.boxes().empty());
    EXPECT_EQ(o->ShowMessage(text.get(), MB_YESNO, 0, nullptr), E_POINTER);
}

} // namespace
