#pragma once
// Shared set-up of the clock-check tests: a scripted NTP server on loopback named by Server1,
// a clock stand-in, and a notify window that records the private messages.

#include "CCheckSchedule.h"
#include "CClockSetterStub.h"
#include "CClockSync.h"
#include "CMessageWindow.h"
#include "CNtpResponder.h"
#include "CRegistryKey.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

constexpr uint64_t kNtpSecond = 1ull << 32;

class SyncTestFixture : public CSuiteRegistryTest {
protected:
    SyncTestFixture()
        : notify({WM_SYNC_FAILED, WM_SYNC_PROGRESS, WM_CLOCK_SET_FAILED}), sync(clock), schedule(sync)
    {
        sync.setDisplayName(L"Chronel Test");
        sync.setMainWindow(mainWindow.hwnd());
        // The loopback servers are reachable whatever the connectivity test would say here.
        sync.setOnlineTest([] { return true; });
        schedule.attach(mainWindow.hwnd());
        // Keep a copy of every sample announced, as the page host would read it.
        notify.setRecorder([this](const RecordedMessage& m) {
            if (m.message == WM_SYNC_RESULT)
                results.push_back(*reinterpret_cast<const SntpSample*>(m.lParam));
        });
    }

    // A server `lagSeconds` ahead of this machine (behind when negative), named by Server1.
    CNtpResponder& serveTime(double lagSeconds)
    {
        const auto lag = static_cast<uint64_t>(static_cast<int64_t>(lagSeconds * 4294967296.0));
        server = std::make_unique<CNtpResponder>("127.0.0.1", 0, [lag](const std::vector<BYTE>& request, int) {
            return CNtpResponder::serverReply(request, lag, 0);
        });
        useServer(L"127.0.0.1", server->port());
        return *server;
    }

    // Server1 names a host that does not resolve: every check fails at once.
    void serveNothing() { useServer(L"no-such-host.invalid", CSntpClient::kNtpPort); }

    void useServer(const wchar_t* host, unsigned short port)
    {
        settings::write(settings::server(1), host);
        sync.setPort(port);
    }

    // How far a measured offset may be from the truth: the exchange's one-way delay (the offset
    // takes both ways to be equally long, and a busy machine stamps the reply late), plus the
    // millisecond resolution of the stamps on both sides.
    static double offsetTolerance(const SntpSample& sample) { return sample.delay + 0.005; }

    static void writeDword(const wchar_t* name, DWORD value)
    {
        CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).writeDword(name, value);
    }
    static bool readDword(const wchar_t* name, DWORD& value)
    {
        return CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readDword(name, value);
    }
    static std::wstring readString(const wchar_t* name)
    {
        std::wstring text;
        CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(name, text);
        return text;
    }
    static std::vector<std::wstring> logEntries()
    {
        std::vector<std::wstring> entries;
        CRegistryKey logs(HKEY_CURRENT_USER, settings::kLogsPath);
        std::wstring data;
        for (DWORD cursor = 0; logs.nextStringValue(cursor, data);)
            entries.push_back(data);
        return entries;
    }
    static SntpSample sampleWithOffset(double offset)
    {
        SntpSample s;
        s.stratum = 2;
        s.originate = NtpTimestamp::now();
        s.receive = s.transmit = s.originate;
        s.arrival = NtpTimestamp::now();
        s.offset = offset;
        return s;
    }

    CClockSetterStub clock;
    CMessageWindow mainWindow;
    CMessageWindow notify;
    CClockSync sync;
    CCheckSchedule schedule;
    std::unique_ptr<CNtpResponder> server;
    std::vector<SntpSample> results;
};
