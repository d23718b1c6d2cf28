#pragma once
// Base fixture: the suite's registry keys are removed before and after every test, so each
// test starts from a fresh user profile.

#include <gtest/gtest.h>

#include <windows.h>

class CSuiteRegistryTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

public:
    static void removeSuiteKeys();
};
