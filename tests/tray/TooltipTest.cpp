#include "CTrayIcon.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct TooltipCase {
    const char* label;
    std::wstring displayName;
    std::wstring first;
    std::wstring refreshed;
};

// Test names and failure messages show the case's label.
void PrintTo(const TooltipCase& c, std::ostream* os) { *os << c.label; }

class TooltipTest : public ::testing::TestWithParam<TooltipCase> {};

TEST_P(TooltipTest, AmpersandsAndLengthLimits)
{
    const TooltipCase& c = GetParam();
    EXPECT_EQ(CTrayIcon::firstTooltip(c.displayName), c.first);
    EXPECT_EQ(CTrayIcon::refreshedTooltip(c.displayName), c.refreshed);
}

const std::wstring k70(70, L'x');
const std::wstring k140(140, L'y');

INSTANTIATE_TEST_SUITE_P(
    Names, TooltipTest,
    ::testing::Values(
        TooltipCase{"plain", L"Orvel.Cofferix", L"Orvel.Cofferix", L"Orvel.Cofferix"},
        TooltipCase{"ampersand", L"Orvel & Velmora", L"Orvel and Velmora", L"Orvel &&& Velmora"},
        TooltipCase{"adjacent", L"A&&B", L"AandandB", L"A&&&&&&B"},
        TooltipCase{"seventy", k70, std::wstring(63, L'x'), k70},
        TooltipCase{"hundred_forty", k140, std::wstring(63, L'y'), std::wstring(127, L'y')},
        // The cut comes after the replacement, so it may split the replacement.
        TooltipCase{"cut_inside_replacement", std::wstring(62, L'z') + L"&", std::wstring(62, L'z') + L"a",
                    std::wstring(62, L'z') + L"&&&"},
        TooltipCase{"refresh_cut", std::wstring(125, L'w') + L"&", std::wstring(63, L'w'),
                    std::wstring(125, L'w') + L"&&"},
        TooltipCase{"empty", L"", L"", L""}),
    [](const ::testing::TestParamInfo<TooltipCase>& info) { return std::string(info.param.label); });

} // namespace
