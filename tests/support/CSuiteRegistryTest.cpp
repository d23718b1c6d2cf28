#include "CSuiteRegistryTest.h"

#include <shlwapi.h>

void CSuiteRegistryTest::removeSuiteKeys()
{
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvel Software");
    SHDeleteValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"OrvelAppCenter.exe");
}

void CSuiteRegistryTest::SetUp() { removeSuiteKeys(); }

void CSuiteRegistryTest::TearDown() { removeSuiteKeys(); }
