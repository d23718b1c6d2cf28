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

class ChronelAppFixture : public CSuiteRegistryTest {
protected:
    void SetUp() override
    {
        CSuiteRegistryTest::SetUp();
        OleInitialize(nullptr);
        settings::writeDword(settings::kInternetCheck, 0);
        settings::writeString(L"Server1", L"no-such-host.invalid");
        app = std::make_unique<CChronelApp>(clock);
    }
    void TearDown() override
    {
        app.reset();
        OleUninitialize();
        CSuiteRegistryTest::TearDown();
    }

    // The application's automation object, through its interface.
    IChronelProxyObj* automation() { return app->automationObject(); }

    CClockSetterStub clock;
    std::unique_ptr<CChronelApp> app;
};
