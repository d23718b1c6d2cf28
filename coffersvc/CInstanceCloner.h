#pragma once
// Prepares the registry for further secure disks: the first disk's device-instance key is
// copied to the instance numbers 2 to 9, so that disks plugged into the bus later find their
// instance ready. Registry errors are not reported; a key that cannot be opened or created
// leaves its copy empty or missing and the run goes on.

#include <windows.h>

#include <string>

class CInstanceCloner {
public:
    // The first instance and eight prepared clones, numbered 2 to 9.
    static constexpr int kInstanceCount = 9;

    // `root` and `deviceKeyPath` name the device-instance key (HKEY_LOCAL_MACHINE and the
    // secure disk's Enum key in the product).
    CInstanceCloner(HKEY root, std::string deviceKeyPath);

    // Clones the first instance when there are between one and eight of them. On Windows 2000
    // the device-instance key is only opened.
    void run(bool windows2000);

    // Copies the instance key at `sourcePath` as instance `number`: its values, the values of
    // its direct subkeys (not deeper ones) and "UINumber" = number.
    void cloneInstance(const std::string& sourcePath, int number);

    // Path of clone `number` of `sourcePath`: the last two characters become the number as
    // two decimal digits.
    static std::string clonePath(const std::string& sourcePath, int number);

    // Copies every value of `source` to `destination` with its type and data.
    static void copyValues(HKEY source, HKEY destination);

private:
    HKEY m_root;
    std::string m_deviceKeyPath;
};
