#pragma once
// Files the setup tests put beside the programs under test.

#include <string>

namespace setuptest {

// An INF file that SetupAPI accepts for a root device of the bus's hardware id, with an
// empty installation section: under Wine it installs nothing and succeeds.
inline const std::string kBusInf =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=System\r\n"
    "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\n"
    "Provider=Velmora Tests\r\n"
    "\r\n"
    "[Manufacturer]\r\n"
    "Velmora Tests=Models\r\n"
    "\r\n"
    "[Models]\r\n"
    "Secure disk bus=BusInstall,root\\sbusenum\r\n"
    "\r\n"
    "[BusInstall]\r\n";

inline const std::wstring kFailureText = L"Cofferix was unable to automatically configure your computer to support "
                                         L"secure disk drives.  Please contact customer support.";
inline const std::wstring kCancelText =
    L"Cofferix is not yet fully installed.  Are you sure that you want to cancel the installation?";
inline const std::wstring kTitle = L"Orvel.Cofferix";

} // namespace setuptest
