#pragma once
// Facts the test script hands to the test programs through environment variables.

#include <string>

namespace testenv {

// Port of the NTP server that the test script runs on 127.0.0.1 (VELMORA_NTP_PORT), or 0
// when the programs run without it.
unsigned short ntpServerPort();

std::wstring variable(const wchar_t* name);

// Port of the loopback HTTP server the test script runs (VELMORA_HTTP_PORT), or 0.
unsigned short httpServerPort();
// The folder that server serves (VELMORA_HTTP_ROOT, a host path), as a Windows path ending in
// a backslash; empty without the server.
std::wstring httpServerRoot();

} // namespace testenv
