#pragma once
// The driver-search policy under HKEY_LOCAL_MACHINE: while the drivers install, Windows must
// neither search Windows Update for them nor ask whether to. The values are put back as they
// were found when the installation ends, also a value that did not exist (it is deleted) or
// was of another type (its type and data come back).

#include "UniqueHandle.h"

#include <windows.h>

#include <vector>

class CDriverSearchPolicy {
public:
    // Opens the policy key, creating it when missing.
    explicit CDriverSearchPolicy(HKEY root = HKEY_LOCAL_MACHINE);
    ~CDriverSearchPolicy() { restore(); }
    CDriverSearchPolicy(const CDriverSearchPolicy&) = delete;
    CDriverSearchPolicy& operator=(const CDriverSearchPolicy&) = delete;

    // Remembers both values and sets each to 1.
    void suppressWindowsUpdate();
    // Puts back what suppressWindowsUpdate() changed; does nothing a second time.
    void restore();

private:
    struct Saved {
        bool changed = false; // we wrote 1 over it
        bool existed = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    CKeyHandle m_key;
    Saved m_saved[2];
};
