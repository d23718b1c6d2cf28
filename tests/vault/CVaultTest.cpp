#include "CVaultTest.h"

#include "CCryptoEngine.h"
#include "CDataFile.h"
#include "CKeyContainer.h"
#include "CLockboxKeys.h"
#include "UniqueHandle.h"

#include <shellapi.h>

void CVaultTest::removeKeyContainer()
{
    CCryptoEngine::instance().release();
    CKeyContainer::remove(CCryptoEngine::ContainerName);
}

void CVaultTest::SetUp()
{
    CSuiteRegistryTest::SetUp();
    removeKeyContainer();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = std::wstring(temp) + L"vault-test-" + std::to_wstring(GetCurrentProcessId()) + L"-"
        + std::to_wstring(GetTickCount()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(m_folder.c_str(), nullptr));
}

void CVaultTest::TearDown()
{
    removeKeyContainer();
    // SHFileOperation wants a list ending in two zeros and no trailing backslash.
    std::wstring list = m_folder.substr(0, m_folder.size() - 1);
    list.push_back(L'\0');
    list.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
    CSuiteRegistryTest::TearDown();
}

std::wstring CVaultTest::makeLockboxFile(const std::wstring& password, const std::wstring& question,
                                         const std::wstring& answer, unsigned capacityMB)
{
    CFileHandle file;
    std::wstring path;
    if (!CDataFile::create(m_folder, capacityMB, file, path))
        return {};
    CLockboxKeys keys(path, password);
    if (!keys.createKeys(password, question, answer, file.get()))
        return {};
    return path;
}

CSecretBytes CVaultTest::diskKeyOf(const std::wstring& dataFile, const std::wstring& password)
{
    CLockboxKeys keys(dataFile);
    CSecretBytes key;
    if (!keys.load() || !keys.unlockWithPassword(password, false, key))
        return {};
    return key;
}

std::vector<BYTE> CVaultTest::readFile(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        return bytes;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)
                           || got != bytes.size()))
        bytes.clear();
    return bytes;
}

bool CVaultTest::writeFile(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    return file
        && (bytes.empty()
            || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr)
                && done == bytes.size()));
}

int64_t CVaultTest::fileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CVaultTest::keyExists(const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
