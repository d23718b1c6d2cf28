#pragma once
// What the update tests share: a folder of their own on the loopback HTTP server the test
// script runs, with the requests that server saw for it, and the fixtures the build made.

#include "CSuiteRegistryTest.h"

#include <windows.h>

#include <string>
#include <vector>

struct ServedRequest {
    std::string path;
    std::string agent;
    std::string accept;
};

class CServedFolder {
public:
    // A new folder "<name>-<unique number>" under the server's root.
    explicit CServedFolder(const std::wstring& name);

    bool available() const { return !m_folder.empty(); }
    // "http://127.0.0.1:<port>/<folder>"
    std::wstring url() const { return m_url; }
    // "/<folder>"
    std::string urlPath() const;
    // The folder as a Windows path, ending in a backslash.
    const std::wstring& folder() const { return m_folder; }

    bool write(const std::wstring& relative, const std::vector<BYTE>& bytes) const;
    // UTF-16LE, as the update server keeps manifests.
    bool writeManifest(const std::wstring& relative, const std::wstring& text) const;
    bool copyIn(const std::wstring& source, const std::wstring& relative) const;
    // The requests for this folder, in their order.
    std::vector<ServedRequest> requests() const;

private:
    std::wstring m_name;
    std::wstring m_folder;
    std::wstring m_url;
};

// A file the build made for these tests (update-fixtures beside the test program) or built
// beside it.
std::wstring updateFixture(const std::wstring& name);
std::wstring besideTests(const std::wstring& name);

bool fileExists(const std::wstring& path);
std::vector<BYTE> readBytes(const std::wstring& path);
// The local date and time of a file's last write (or creation) time.
SYSTEMTIME localWriteTime(const std::wstring& path, bool creation = false);

// The suite's registry keys are fresh, and the server must run.
class CUpdateTest : public CSuiteRegistryTest {
protected:
    void SetUp() override;
    static void writeSetting(const wchar_t* path, const wchar_t* name, const std::wstring& text);
    static std::wstring readSetting(const wchar_t* path, const wchar_t* name);
};
