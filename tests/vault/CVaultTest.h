#pragma once
// Fixture of the vault tests: the suite's registry keys and the "CofferixKeys" key container
// are removed around each test, and each test gets a folder of its own for data files.

#include "CSecretBytes.h"
#include "CSuiteRegistryTest.h"

#include <cstdint>
#include <string>
#include <vector>

class CVaultTest : public CSuiteRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The test's folder, with a trailing backslash.
    const std::wstring& folder() const { return m_folder; }
    std::wstring pathOf(const std::wstring& name) const { return m_folder + name; }

    // A data file with `capacityMB` megabytes of disk image and keys made from these texts.
    std::wstring makeLockboxFile(const std::wstring& password, const std::wstring& question = L"",
                                 const std::wstring& answer = L"answer", unsigned capacityMB = 1);
    // The disk key that `password` unlocks, from a fresh read of the private area; empty when
    // it does not unlock.
    static CSecretBytes diskKeyOf(const std::wstring& dataFile, const std::wstring& password);

public:
    static std::vector<BYTE> readFile(const std::wstring& path);
    static bool writeFile(const std::wstring& path, const std::vector<BYTE>& bytes);
    static int64_t fileSize(const std::wstring& path); // -1 when missing
    static void removeKeyContainer();
    static bool keyExists(const std::wstring& path); // under HKEY_CURRENT_USER

private:
    std::wstring m_folder;
};
