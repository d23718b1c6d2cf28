// Coffersvc run as a program under Wine against instance keys the tests prepare in
// HKEY_LOCAL_MACHINE, as Windows leaves them after installing the first secure disk.

#include "CSetupMachineTest.h"
#include "CTestProcess.h"
#include "RegistryProbe.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace setuptest;
using testreg::Value;

namespace {

const std::wstring kFirst = L"1&2c4a7e1&0&01";

std::wstring instancePath(const std::wstring& name) { return kDeviceKey + L"\\" + name; }

std::wstring cloneName(int number)
{
    wchar_t digits[8];
    swprintf(digits, 8, L"%02d", number);
    return kFirst.substr(0, kFirst.size() - 2) + digits;
}

// The values Windows keeps for a disk instance, with every kind of data the copy must carry:
// texts, a list, numbers, a large binary block and the key's default value.
void putInstance(const std::wstring& name)
{
    const std::wstring path = instancePath(name);
    testreg::put(HKEY_LOCAL_MACHINE, path, L"DeviceDesc", testreg::text(L"Secure Disk"));
    testreg::put(HKEY_LOCAL_MACHINE, path, L"HardwareID",
                 Value{REG_MULTI_SZ, {'S', 0, 'D', 0, 0, 0, 'X', 0, 0, 0, 0, 0}});
    testreg::put(HKEY_LOCAL_MACHINE, path, L"ConfigFlags", testreg::dword(0));
    testreg::put(HKEY_LOCAL_MACHINE, path, L"Capabilities", testreg::dword(0x30));
    testreg::put(HKEY_LOCAL_MACHINE, path, L"Service", testreg::text(L"%SystemRoot%\\sdisk", REG_EXPAND_SZ));
    std::vector<BYTE> block(40000);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<BYTE>(i * 7 + 3);
    testreg::put(HKEY_LOCAL_MACHINE, path, L"Blob", Value{REG_BINARY, block});
    testreg::put(HKEY_LOCAL_MACHINE, path, L"", testreg::text(L"default"));
    testreg::put(HKEY_LOCAL_MACHINE, path + L"\\Device Parameters", L"Partmgr", testreg::dword(1));
    testreg::put(HKEY_LOCAL_MACHINE, path + L"\\Device Parameters", L"Label", testreg::text(L"lockbox"));
    testreg::createKey(HKEY_LOCAL_MACHINE, path + L"\\LogConf");
    testreg::put(HKEY_LOCAL_MACHINE, path + L"\\Device Parameters\\Deeper", L"Level", testreg::dword(2));
}

class CoffersvcTest : public CSetupMachineTest {
protected:
    void SetUp() override
    {
        CSetupMachineTest::SetUp();
        m_done.reset(CreateEventW(nullptr, FALSE, FALSE, L"CoffersvcEvent"));
        ASSERT_TRUE(m_done);
    }

    // Runs the program and checks what holds on every path: exit code 0 and the event set.
    void runCoffersvc()
    {
        testprocess::Outcome outcome = testprocess::run(testprocess::binFolder() + L"Coffersvc.exe");
        ASSERT_TRUE(outcome.finished);
        EXPECT_EQ(outcome.exitCode, 0u);
        EXPECT_EQ(WaitForSingleObject(m_done.get(), 0), WAIT_OBJECT_0) << "CoffersvcEvent was not set";
    }

    CHandle m_done;
};

// No instance, or the nine instances (and more) that a finished preparation leaves: nothing
// is added or changed, and the caller is still told.
TEST_F(CoffersvcTest, WritesNothingUnlessThereAreOneToEightInstances)
{
    for (int instances : {0, 9, 10}) {
        SCOPED_TRACE(instances);
        removeSetupTraces();
        testreg::createKey(HKEY_LOCAL_MACHINE, kDeviceKey);
        for (int i = 1; i <= instances; ++i) {
            wchar_t name[32];
            swprintf(name, 32, L"1&2c4a7e1&0&%02d", i);
            putInstance(name);
        }
        testreg::Tree before = testreg::tree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk");

        runCoffersvc();

        EXPECT_EQ(testreg::tree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk"), before);
    }
}

TEST_F(CoffersvcTest, ClonesTheFirstInstanceAsTwoToNineWithOneLevelOfSubkeys)
{
    putInstance(kFirst);
    testreg::Tree source = testreg::tree(HKEY_LOCAL_MACHINE, instancePath(kFirst));

    runCoffersvc();

    std::vector<std::wstring> expectedNames{kFirst};
    for (int number = 2; number <= 9; ++number) {
        SCOPED_TRACE(number);
        expectedNames.push_back(cloneName(number));
        testreg::Tree clone = testreg::tree(HKEY_LOCAL_MACHINE, instancePath(cloneName(number)));

        auto expected = source[L""];
        expected[L"UINumber"] = testreg::dword(number);
        EXPECT_EQ(clone[L""], expected);
        EXPECT_EQ(clone[L"Device Parameters"], source[L"Device Parameters"]);
        EXPECT_TRUE(clone.count(L"LogConf"));
        EXPECT_FALSE(clone.count(L"Device Parameters\\Deeper")) << "only one level of subkeys is copied";
        EXPECT_EQ(clone.size(), 3u);
    }
    EXPECT_EQ(testreg::subkeys(HKEY_LOCAL_MACHINE, kDeviceKey), expectedNames);
    EXPECT_EQ(testreg::tree(HKEY_LOCAL_MACHINE, instancePath(kFirst)), source) << "the source must not change";
}

// A clone left by an earlier run is overwritten value by value: values of the source win,
// others stay.
TEST_F(CoffersvcTest, OverwritesAnExistingCloneValueByValue)
{
    putInstance(kFirst);
    testreg::put(HKEY_LOCAL_MACHINE, instancePath(cloneName(2)), L"ConfigFlags", testreg::dword(99));
    testreg::put(HKEY_LOCAL_MACHINE, instancePath(cloneName(2)), L"Stale", testreg::dword(5));

    runCoffersvc();

    const std::wstring clone = instancePath(cloneName(2));
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, clone, L"ConfigFlags"), testreg::dword(0));
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, clone, L"Stale"), testreg::dword(5));
    EXPECT_EQ(testreg::get(HKEY_LOCAL_MACHINE, clone, L"UINumber"), testreg::dword(2));
}

// An instance named by a single character has no digits to replace; cutting two characters
// off its path would reach into the device key's own name.
TEST_F(CoffersvcTest, AnInstanceNameTooShortToNumberWritesNothing)
{
    putInstance(L"1");
    testreg::Tree before = testreg::tree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk");

    runCoffersvc();

    EXPECT_EQ(testreg::tree(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk"), before);
    EXPECT_FALSE(testreg::keyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\SecureDisk\\Disk_AesEn02"));
}

TEST_F(CoffersvcTest, OnWindows2000OnlySignals)
{
    testprocess::CWineVersionOverride win2k(L"Coffersvc.exe", L"win2k");
    putInstance(kFirst);

    runCoffersvc();

    EXPECT_EQ(testreg::subkeys(HKEY_LOCAL_MACHINE, kDeviceKey), std::vector<std::wstring>{kFirst});
}

} // namespace
