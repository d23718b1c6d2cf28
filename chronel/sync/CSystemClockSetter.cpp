#include "IClockSetter.h"

#include "UniqueHandle.h"

namespace {

void enableSystemTimePrivilege()
{
    CHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

} // namespace

bool CSystemClockSetter::setSystemTime(const SYSTEMTIME& utc)
{
    enableSystemTimePrivilege();
    return SetSystemTime(&utc) != FALSE;
}
