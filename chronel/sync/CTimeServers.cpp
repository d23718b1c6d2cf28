#include "CTimeServers.h"

#include "ChronelSettings.h"
#include "DefaultTimeServers.h"

static_assert(CTimeServers::kCount == settings::kServerCount);

bool CTimeServers::get(int k, std::wstring& host) const
{
    if (!valid(k))
        return false;
    host = settings::read(settings::server(k));
    return true;
}

bool CTimeServers::set(int k, const std::wstring& host)
{
    return valid(k) && settings::write(settings::server(k), host);
}

void CTimeServers::restoreDefaults()
{
    for (int k = 1; k <= kCount; ++k)
        settings::write(settings::server(k), kDefaultTimeServers[k - 1].hostName);
}
