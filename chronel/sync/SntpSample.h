#pragma once

#include "NtpTimestamp.h"

#include <cstdint>

// The outcome of one SNTP exchange. A sample whose originate time is zero holds no result.
struct SntpSample {
    int32_t leap = 0;
    int32_t stratum = 0;
    NtpTimestamp originate; // T1: the request's transmit time, echoed by the server
    NtpTimestamp receive;   // T2: when the server received the request
    NtpTimestamp transmit;  // T3: when the server sent the reply
    NtpTimestamp arrival;   // T4: local time when the reply became readable
    double delay = 0;       // half the round trip, seconds
    double offset = 0;      // local clock minus true time, seconds; positive = fast

    bool hasResult() const { return !originate.isZero(); }

    // delay = ((T4 - T1) - (T3 - T2)) / 2; offset = T4 - (T3 + delay).
    void computeDelayAndOffset()
    {
        delay = (NtpTimestamp::difference(arrival, originate) - NtpTimestamp::difference(transmit, receive)) / 2;
        offset = NtpTimestamp::difference(arrival, transmit.plus(delay));
    }
};
