#include "UpdateFixture.h"

#include "CModule.h"
#include "CRegistryKey.h"
#include "TestEnvironment.h"
#include "UniqueHandle.h"

#include <fstream>
#include <sstream>

namespace {

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += static_cast<char>(c < 128 ? c : '?');
    return out;
}

// The value of "key": "..." in one JSON line written by the server (json.dumps escapes
// nothing that these fields hold but quotes and backslashes).
std::string jsonField(const std::string& line, const std::string& key)
{
    const std::string marker = "\"" + key + "\": \"";
    size_t at = line.find(marker);
    if (at == std::string::npos)
        return {};
    std::string value;
    for (at += marker.size(); at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size())
            ++at;
        value += line[at];
    }
    return value;
}

} // namespace

CServedFolder::CServedFolder(const std::wstring& name)
{
    const std::wstring root = testenv::httpServerRoot();
    const unsigned short port = testenv::httpServerPort();
    if (root.empty() || port == 0)
        return;
    static LONG counter = 0;
    m_name = name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(InterlockedIncrement(&counter));
    const std::wstring folder = root + m_name + L"\\";
    if (!CreateDirectoryW(folder.c_str(), nullptr))
        return;
    m_folder = folder;
    m_url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/" + m_name;
}

std::string CServedFolder::urlPath() const
{
    std::string path = narrow(m_name);
    path.insert(path.begin(), '/');
    return path;
}

bool CServedFolder::write(const std::wstring& relative, const std::vector<BYTE>& bytes) const
{
    const std::wstring path = m_folder + relative;
    for (size_t slash = path.find(L'\\', m_folder.size()); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1))
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool CServedFolder::writeManifest(const std::wstring& relative, const std::wstring& text) const
{
    std::vector<BYTE> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>((c >> 8) & 0xFF));
    }
    return write(relative, bytes);
}

bool CServedFolder::copyIn(const std::wstring& source, const std::wstring& relative) const
{
    return CopyFileW(source.c_str(), (m_folder + relative).c_str(), FALSE) != FALSE;
}

std::vector<ServedRequest> CServedFolder::requests() const
{
    std::vector<ServedRequest> found;
    const std::wstring log = testenv::httpServerRoot() + L"requests.log";
    std::ifstream in(narrow(log).c_str());
    const std::string prefix = urlPath() + "/";
    std::string line;
    while (std::getline(in, line)) {
        ServedRequest request{jsonField(line, "path"), jsonField(line, "agent"), jsonField(line, "accept")};
        if (request.path.compare(0, prefix.size(), prefix) == 0)
            found.push_back(request);
    }
    return found;
}

std::wstring besideTests(const std::wstring& name) { return CModule::folder() + L"\\" + name; }

std::wstring updateFixture(const std::wstring& name) { return besideTests(L"update-fixtures\\" + name); }

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<BYTE> readBytes(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.valid())
        return bytes;
    const DWORD size = GetFileSize(file.get(), nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), size, &read, nullptr))
        read = 0;
    bytes.resize(read);
    return bytes;
}

SYSTEMTIME localWriteTime(const std::wstring& path, bool creation)
{
    SYSTEMTIME local{};
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME localFile{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
        FileTimeToLocalFileTime(creation ? &data.ftCreationTime : &data.ftLastWriteTime, &localFile))
        FileTimeToSystemTime(&localFile, &local);
    return local;
}

void CUpdateTest::SetUp()
{
    CSuiteRegistryTest::SetUp();
    ASSERT_NE(testenv::httpServerPort(), 0) << "VELMORA_HTTP_PORT is not set: run the tests through scripts/test";
}

void CUpdateTest::writeSetting(const wchar_t* path, const wchar_t* name, const std::wstring& text)
{
    CRegistryKey key(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(key.writeString(name, text));
}

std::wstring CUpdateTest::readSetting(const wchar_t* path, const wchar_t* name)
{
    CRegistryKey key(HKEY_CURRENT_USER, path);
    std::wstring text;
    key.readString(name, text);
    return text;
}
