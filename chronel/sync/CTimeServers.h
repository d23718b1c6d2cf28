#pragma once
// The ordered list of time servers the user keeps: Server1 ... Server5 under the settings
// root.

#include <string>

class CTimeServers {
public:
    static constexpr int kCount = 5;
    static bool valid(int k) { return k >= 1 && k <= kCount; }

    // Server k, empty when missing; false for any k outside 1 ... 5.
    bool get(int k, std::wstring& host) const;
    // False, and nothing written, for any k outside 1 ... 5.
    bool set(int k, const std::wstring& host);
    // The five built-in public servers, by name.
    void restoreDefaults();
};
