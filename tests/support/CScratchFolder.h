#pragma once
// A new empty folder under the temporary folder, removed with everything in it when the
// object ends. Programs under test are copied into one to run from a folder of their own.

#include <string>

class CScratchFolder {
public:
    // `name` may contain spaces; a unique number is added to it.
    explicit CScratchFolder(const std::wstring& name = L"velmora");
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    // Ends in a backslash.
    const std::wstring& path() const { return m_path; }

    // Copies `source` in as `relative`; creates the folders on the way. False on failure.
    bool copyIn(const std::wstring& source, const std::wstring& relative);
    bool write(const std::wstring& relative, const std::string& content);
    bool createFolder(const std::wstring& relative);

private:
    std::wstring m_path;
};
