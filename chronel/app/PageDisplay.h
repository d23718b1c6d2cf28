#pragma once
// What the page host shows, handed to the automation object after every change so that the
// pages can read it back.

#include "SntpSample.h"

#include <string>

struct PageDisplay {
    SntpSample sample;
    std::wstring serverDate;
    std::wstring serverTime;
    std::wstring status;
    std::wstring localTime;
    std::wstring localDate;
    bool correcting = false;
    bool hasResult = false;
};
