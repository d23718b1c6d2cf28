// The real system under Wine: the Native API and its handle table are there, the FileInfo
// device is not.

#include "CInUseDetector.h"
#include "CSystemHandles.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(SystemHandlesTest, HandleTableListsOurOwnOpenFile)
{
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(GetTempFileNameW(folder, L"iu", 0, path), 0u);
    CFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(file.valid());

    CSystemHandles system;
    ASSERT_TRUE(system.bindNative());
    CInUseDetector detector(system);
    std::vector<fileinfo::SystemHandleEntry> entries;
    ASSERT_TRUE(detector.readHandleTable(entries));
    EXPECT_GT(entries.size(), 10u);

    // Read at the right stride, our process and the file's handle value are found together.
    const DWORD self = GetCurrentProcessId();
    const auto handle = static_cast<USHORT>(reinterpret_cast<ULONG_PTR>(file.get()));
    const bool found = std::any_of(entries.begin(), entries.end(), [&](const fileinfo::SystemHandleEntry& e) {
        return e.processId == self && e.handle == handle;
    });
    EXPECT_TRUE(found);
}

TEST(SystemHandlesTest, DetectFailsWithoutTheFileInfoDevice)
{
    CSystemHandles system;
    EXPECT_EQ(system.openDevice(fileinfo::kDevicePath), INVALID_HANDLE_VALUE);
    CInUseDetector detector(system);
    EXPECT_FALSE(detector.detect({L"\\Device\\SDisk3"}));
    EXPECT_TRUE(detector.programs().empty());
}

TEST(SystemHandlesTest, ProgramOfOurOwnProcess)
{
    CSystemHandles system;
    ASSERT_TRUE(system.bindProcessModules());
    HANDLE process = system.openProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, GetCurrentProcessId());
    ASSERT_NE(process, nullptr);
    HMODULE modules[4096 / sizeof(HMODULE)] = {};
    DWORD needed = 0;
    EXPECT_TRUE(system.enumProcessModules(process, modules, sizeof modules, &needed));
    wchar_t name[MAX_PATH] = {};
    const DWORD length = system.moduleFileName(process, modules[0], name, MAX_PATH);
    system.closeHandle(process);
    std::wstring program(name, length);
    CharLowerBuffW(program.data(), static_cast<DWORD>(program.size()));
    EXPECT_NE(program.find(L"inuse_tests.exe"), std::wstring::npos);
}

} // namespace
