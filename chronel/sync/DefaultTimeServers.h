#pragma once
// The five built-in public time servers. A Server value that names one of them is queried at
// its substitute address without a name lookup; when no Server value exists at all the names
// are written to the settings and their fallback addresses are queried.

struct DefaultTimeServer {
    const wchar_t* hostName;
    const wchar_t* substituteAddress;
    const wchar_t* fallbackAddress;
};

// NIST's Gaithersburg, Fort Collins and Boulder servers and PTB's Braunschweig servers, all
// driven by national atomic clocks. Each fallback is a second address of the same service.
inline constexpr DefaultTimeServer kDefaultTimeServers[5] = {
    {L"time-a-g.nist.gov", L"129.6.15.28", L"129.6.15.29"},
    {L"time-a-wwv.nist.gov", L"132.163.97.1", L"132.163.97.2"},
    {L"time-a-b.nist.gov", L"132.163.96.1", L"132.163.96.2"},
    {L"ptbtime1.ptb.de", L"192.53.103.108", L"192.53.103.103"},
    {L"ptbtime2.ptb.de", L"192.53.103.104", L"129.6.15.30"},
};
