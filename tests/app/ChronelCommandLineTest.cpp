// Chronel's command line, read once: its own switches and the registration and COM switches.

#include "CChronelCommandLine.h"

#include <gtest/gtest.h>

namespace {

// Chronel's own switches: the whole trimmed line, ignoring case; anything else starts
// normally.
TEST(ChronelCommandLineTest, ChronelSwitches)
{
    using Command = CChronelCommandLine::Command;
    const std::pair<const wchar_t*, Command> cases[] = {
        {L"show", Command::Show},          {L"  SHOW \t", Command::Show},     {L"noshow", Command::NoShow},
        {L"Install", Command::Install},    {L"REMOVE", Command::Remove},      {L"uninstall", Command::Uninstall},
        {L"show now", Command::Normal},    {L"", Command::Normal},            {L"-show", Command::Normal},
        {L"RegServer", Command::Normal},   {L"sh\0ow", Command::Normal},      {L"\"show\"", Command::Normal},
    };
    for (const auto& [line, command] : cases)
        EXPECT_EQ(CChronelCommandLine::classify(line), command) << line;
}

// The registration words count after "-" or "/" and standing alone; COM's switches only
// after them.
TEST(ChronelCommandLineTest, RegistrationAndComSwitches)
{
    struct Case {
        const wchar_t* line;
        bool regServer, unregServer, startedByCom;
    };
    const Case cases[] = {
        {L"RegServer", true, false, false},      {L" unregserver ", false, true, false},
        {L"/RegServer", true, false, false},     {L"-UnregServer", false, true, false},
        {L"-Embedding", false, false, true},     {L"/Automation", false, false, true},
        {L"Embedding", false, false, false},     {L"RegServer now", false, false, false},
        {L"show", false, false, false},
    };
    for (const Case& c : cases) {
        const CChronelCommandLine line = CChronelCommandLine::read(c.line);
        EXPECT_EQ(line.regServer, c.regServer) << c.line;
        EXPECT_EQ(line.unregServer, c.unregServer) << c.line;
        EXPECT_EQ(line.startedByCom, c.startedByCom) << c.line;
    }
    EXPECT_EQ(CChronelCommandLine::read(L"  Show ").command, CChronelCommandLine::Command::Show);
}

} // namespace
