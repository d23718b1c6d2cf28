#include "CRegistryKey.h"
#include "CSntpClient.h"
#include "CSuiteRegistryTest.h"
#include "ChronelSettings.h"
#include "DefaultTimeServers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Servers = std::vector<std::wstring>;

class ServerListTest : public CSuiteRegistryTest {
protected:
    static void setServer(int k, const std::wstring& text)
    {
        CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).writeString(settings::server(k).name, text);
    }
    static Servers build()
    {
        Servers list{L"stale"};
        CSntpClient::buildServerList(list);
        return list;
    }
};

// Default host names, in any letter case, become their substitute addresses: no name lookup
// is needed to reach them. Other texts are kept as they are.
TEST_F(ServerListTest, DefaultNamesAreReplacedByTheirAddresses)
{
    setServer(1, L"TIME-A-G.NIST.GOV");
    setServer(2, L"ntp.example.org");
    setServer(3, L"PtbTime2.Ptb.De");
    setServer(4, L"10.1.2.3");
    setServer(5, L"time-a-wwv.nist.gov");
    EXPECT_EQ(build(), (Servers{kDefaultTimeServers[0].substituteAddress, L"ntp.example.org",
                                kDefaultTimeServers[4].substituteAddress, L"10.1.2.3",
                                kDefaultTimeServers[1].substituteAddress}));
}

TEST_F(ServerListTest, MissingAndEmptyValuesMoveLaterServersUp)
{
    setServer(1, L"first.example");
    setServer(3, L"third.example");
    EXPECT_EQ(build(), (Servers{L"first.example", L"third.example"}));

    setServer(1, L"");
    const DWORD number = 5;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, settings::kRootPath, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"Server4", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(key);
    setServer(5, L"fifth.example");
    EXPECT_EQ(build(), (Servers{L"third.example", L"fifth.example"}));
}

TEST_F(ServerListTest, ExpandableServerNamesAreExpanded)
{
    SetEnvironmentVariableW(L"VELMORA_SITE", L"corp.example");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, settings::kRootPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const wchar_t text[] = L"ntp.%VELMORA_SITE%";
    RegSetValueExW(key, L"Server2", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(key);
    EXPECT_EQ(build(), (Servers{L"ntp.corp.example"}));
}

// With no server at all, the defaults are written to the settings and their fallback
// addresses are used, first to fifth.
TEST_F(ServerListTest, AllMissingWritesTheDefaults)
{
    Servers expected;
    for (const auto& server : kDefaultTimeServers)
        expected.push_back(server.fallbackAddress);
    EXPECT_EQ(build(), expected);

    CRegistryKey key(HKEY_CURRENT_USER, settings::kRootPath);
    for (int k = 1; k <= 5; ++k) {
        std::wstring stored;
        ASSERT_TRUE(key.readString(settings::server(k).name, stored));
        EXPECT_EQ(stored, kDefaultTimeServers[k - 1].hostName);
    }
    // Once written, the names lead to the substitute addresses.
    Servers substitutes;
    for (const auto& server : kDefaultTimeServers)
        substitutes.push_back(server.substituteAddress);
    EXPECT_EQ(build(), substitutes);
}

TEST_F(ServerListTest, AllEmptyCountsAsMissing)
{
    for (int k = 1; k <= 5; ++k)
        setServer(k, L"");
    EXPECT_EQ(build().size(), 5u);
    std::wstring stored;
    CRegistryKey(HKEY_CURRENT_USER, settings::kRootPath).readString(L"Server3", stored);
    EXPECT_EQ(stored, kDefaultTimeServers[2].hostName);
}

} // namespace
