#include "CHttpConnection.h"

namespace {

// The buffers InternetCrackUrlW fills: INTERNET_MAX_URL_LENGTH and its terminator.
constexpr DWORD kUrlBuffer = 2084;

const wchar_t* kAcceptTypes[] = {L"application/*", L"text/*", L"image/*", L"*/*", nullptr};

} // namespace

CHttpConnection::~CHttpConnection() { close(); }

void CHttpConnection::close()
{
    m_connection.reset();
    if (m_session)
        InternetSetStatusCallbackW(m_session.get(), nullptr);
    m_session.reset();
    m_path.clear();
}

std::wstring CHttpConnection::withScheme(const std::wstring& root)
{
    return root.find(L"http:") == std::wstring::npos ? L"http://" + root : root;
}

std::wstring CHttpConnection::objectFor(const std::wstring& file) const
{
    if (!file.empty() && (file.front() == L'\\' || file.front() == L'/'))
        return m_path + file;
    return m_path + L"/" + file;
}

bool CHttpConnection::open(const std::wstring& root, const wchar_t* agent, const wchar_t* user,
                           const wchar_t* password, StatusHandler status)
{
    if (m_session)
        return false;
    const std::wstring address = withScheme(root);
    std::wstring host(kUrlBuffer, L'\0'), path(kUrlBuffer, L'\0');
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host.data();
    parts.dwHostNameLength = kUrlBuffer;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = kUrlBuffer;
    if (!InternetCrackUrlW(address.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP)
        return false;
    host.resize(parts.dwHostNameLength);
    path.resize(parts.dwUrlPathLength);
    if (host.empty())
        return false;

    m_session.reset(InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_session)
        return false;
    m_status = std::move(status);
    // WinINet calls back only for handles made with a nonzero context.
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(this);
    if (m_status)
        InternetSetStatusCallbackW(m_session.get(), &CHttpConnection::onStatus);
    m_connection.reset(InternetConnectW(m_session.get(), host.c_str(), parts.nPort, user, password,
                                        INTERNET_SERVICE_HTTP, 0, m_status ? context : 0));
    if (!m_connection) {
        close();
        return false;
    }
    m_path = path;
    while (!m_path.empty() && m_path.back() == L'/')
        m_path.pop_back();
    return true;
}

void CALLBACK CHttpConnection::onStatus(HINTERNET, DWORD_PTR context, DWORD status, void* information,
                                        DWORD length)
{
    auto* self = reinterpret_cast<CHttpConnection*>(context);
    if (self && self->m_status)
        self->m_status(status, information, length);
}

bool CHttpConnection::get(const std::wstring& object, DWORD flags, DWORD step, const Sink& sink,
                          DWORD* expected)
{
    if (!m_connection || step == 0)
        return false;
    const DWORD_PTR context = m_status ? reinterpret_cast<DWORD_PTR>(this) : 0;
    CInternetHandle request(HttpOpenRequestW(m_connection.get(), L"GET", object.c_str(), nullptr, nullptr,
                                             kAcceptTypes, flags, context));
    if (!request.valid() || !HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0))
        return false;

    // An error page is not the file that was asked for.
    DWORD code = 0, size = sizeof(code), index = 0;
    if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, &index) ||
        code < 200 || code > 299)
        return false;
    if (expected) {
        DWORD length = 0;
        size = sizeof(length);
        index = 0;
        *expected = HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                                   &size, &index)
                        ? length
                        : 0;
    }
    std::vector<BYTE> buffer(step);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.get(), buffer.data(), step, &read))
            return false;
        if (read == 0)
            return true;
        if (!sink(buffer.data(), read))
            return false;
    }
}
