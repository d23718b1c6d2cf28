#pragma once
// An application object in the test process, as the program has one, with the clock
// stand-in and no way out to the Internet.

#include "CChronelApp.h"
#include "CChronelProxyObj.h"
#include "CClockSetterStub.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"
#include "ComTypes.h"

#include <memory>
#include <string>
#include <optional>

// A BSTR an operation returned, as a string; the BSTR is freed.
inline std::wstring takeText(BSTR text)
{
    CBstr owned;
    *owned.put() = text;
    return owned.str();
}

class ChronelAppFixture : public CSuiteRegistryTest {
protected:
    void SetUp() override
    {
        CSuiteRegistryTest::SetUp();
        ole.emplace();
        settings::write(settings::kInternetCheck, false);
        settings::write(settings::server(1), L"no-such-host.invalid");
        app = std::make_unique<CChronelApp>(clock);
    }
    void TearDown() override
    {
        app.reset();
        ole.reset();
        CSuiteRegistryTest::TearDown();
    }

    // The application's automation object, through its interface.
    IChronelProxyObj* automation() { return app->automationObject(); }

    std::optional<COleInit> ole;
    CClockSetterStub clock;
    std::unique_ptr<CChronelApp> app;
};
