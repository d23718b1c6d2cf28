#include "CSuiteRegistryTest.h"

#include <shlwapi.h>

void CSuiteRegistryTest::removeSuiteKeys()
{
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Orvel Software");
}

void CSuiteRegistryTest::SetUp() { removeSuiteKeys(); }

void CSuiteRegistryTest::TearDown() { removeSuiteKeys(); }
