#pragma once
// What Chronel's command line asks for, read once: the framework's switches after "-" or "/"
// (RegServer, UnregServer, Embedding, Automation), the same two registration words standing
// alone, and Chronel's own switches, which are the whole trimmed line compared ignoring case.

#include <string>

struct CChronelCommandLine {
    enum class Command { Normal, Show, NoShow, Install, Remove, Uninstall };

    Command command = Command::Normal;
    bool regServer = false;
    bool unregServer = false;
    // Embedding or Automation: COM started the program to serve its automation object.
    bool startedByCom = false;

    static CChronelCommandLine read(const std::wstring& arguments);
    // Chronel's own switch of a command line; anything else is a normal start.
    static Command classify(const std::wstring& arguments);
};
