#pragma once
// Names that Coffersvc shares with Cofferprep, which registers it as a service, starts it and
// waits for it.

namespace coffersvc {

// Device-instance key of the secure disk under HKEY_LOCAL_MACHINE: one subkey per instance.
inline constexpr char kDeviceKeyPath[] = "SYSTEM\\CurrentControlSet\\Enum\\SecureDisk\\Disk_AesEnc";

// Set by Coffersvc when it ends, whatever it achieved.
inline constexpr char kDoneEventName[] = "CoffersvcEvent";

// The first instance and eight prepared clones, numbered 2 to 9.
inline constexpr int kInstanceCount = 9;

} // namespace coffersvc
