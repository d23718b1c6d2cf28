#pragma once
// Facts the test script hands to the test programs through environment variables.

#include <string>

namespace testenv {

// Port of the NTP server that the test script runs on 127.0.0.1 (VELMORA_NTP_PORT), or 0
// when the programs run without it.
unsigned short ntpServerPort();

std::wstring variable(const wchar_t* name);

} // namespace testenv
