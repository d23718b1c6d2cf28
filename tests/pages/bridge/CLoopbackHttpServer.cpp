#include "CLoopbackHttpServer.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr UINT WM_SOCKET = WM_APP + 1;
constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 50;
constexpr wchar_t kWindowClass[] = L"VelmoraLoopbackHttp";
// A request larger than this is refused: the pages send a method name and a few arguments.
constexpr size_t kMaxRequest = 1 << 20;

const char* reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    default: return "Internal Server Error";
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

CLoopbackHttpServer::CLoopbackHttpServer(Handler handler) : m_handler(std::move(handler))
{
    WSADATA data{};
    m_started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CLoopbackHttpServer::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc); // fails harmlessly when a second server registers it again
    m_window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (m_window)
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CLoopbackHttpServer::~CLoopbackHttpServer()
{
    for (auto& entry : m_connections)
        closesocket(entry.first);
    m_connections.clear();
    if (m_listener != INVALID_SOCKET)
        closesocket(m_listener);
    if (m_window) {
        KillTimer(m_window, kPollTimer);
        DestroyWindow(m_window);
    }
    if (m_started)
        WSACleanup();
}

bool CLoopbackHttpServer::listen(unsigned short port)
{
    if (!m_started || !m_window) {
        m_error = "Windows Sockets or the message window did not start";
        return false;
    }
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listener == INVALID_SOCKET) {
        m_error = "socket failed: " + std::to_string(WSAGetLastError());
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, SOMAXCONN) != 0) {
        m_error = "bind or listen failed: " + std::to_string(WSAGetLastError());
        return false;
    }
    int length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    if (WSAAsyncSelect(m_listener, m_window, WM_SOCKET, FD_ACCEPT) != 0) {
        m_error = "WSAAsyncSelect failed: " + std::to_string(WSAGetLastError());
        return false;
    }
    SetTimer(m_window, kPollTimer, kPollMs, nullptr);
    return true;
}

LRESULT CALLBACK CLoopbackHttpServer::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CLoopbackHttpServer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && (message == WM_SOCKET || (message == WM_TIMER && wParam == kPollTimer))) {
        try {
            if (message == WM_SOCKET)
                self->onSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
            else
                self->poll();
        } catch (...) {
            // A request that cannot be served loses its connection, never the server.
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CLoopbackHttpServer::onSocket(SOCKET socket, WORD event, WORD error)
{
    if (socket == m_listener) {
        acceptAll();
        serveReady();
        return;
    }
    auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    if (error != 0) {
        found->second->closed = true;
    } else if (event == FD_READ || event == FD_CLOSE) {
        // Whatever arrived before the peer closed is still read and answered.
        readAvailable(*found->second);
        if (event == FD_CLOSE)
            found->second->closed = true;
    }
    serveReady();
}

void CLoopbackHttpServer::poll()
{
    acceptAll();
    for (auto& entry : m_connections)
        readAvailable(*entry.second);
    serveReady();
}

void CLoopbackHttpServer::readAvailable(Connection& connection)
{
    if (connection.closed)
        return;
    char buffer[8192];
    for (;;) {
        const int got = recv(connection.socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            connection.received.append(buffer, static_cast<size_t>(got));
            if (connection.received.size() > kMaxRequest) {
                connection.closed = true;
                return;
            }
            continue;
        }
        if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            connection.closed = true;
        return;
    }
}

void CLoopbackHttpServer::acceptAll()
{
    for (;;) {
        SOCKET client = accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return; // WSAEWOULDBLOCK: no more waiting
        if (WSAAsyncSelect(client, m_window, WM_SOCKET, FD_READ | FD_CLOSE) != 0) {
            closesocket(client);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->socket = client;
        // The request may be there already.
        readAvailable(*connection);
        m_connections[client] = std::move(connection);
    }
}

void CLoopbackHttpServer::serveReady()
{
    if (m_serving)
        return;
    m_serving = true;
    bool served = true;
    while (served) {
        served = false;
        // The connections to serve are chosen first: a nested message loop inside a call may
        // add connections while one is answered, but none goes before sweep().
        std::vector<Connection*> ready;
        for (auto& entry : m_connections) {
            HttpRequest request;
            if (entry.second->socket != INVALID_SOCKET && complete(entry.second->received, request))
                ready.push_back(entry.second.get());
        }
        for (Connection* connection : ready) {
            HttpRequest request;
            complete(connection->received, request);
            answer(*connection, request);
            connection->received.clear();
            connection->closed = true;
            served = true;
        }
    }
    m_serving = false;
    sweep();
}

void CLoopbackHttpServer::sweep()
{
    if (m_serving)
        return;
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (it->second->closed) {
            closesocket(it->first);
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

bool CLoopbackHttpServer::complete(const std::string& received, HttpRequest& request)
{
    const size_t headerEnd = received.find("\r\n\r\n");
    if (headerEnd == std::string::npos)
        return false;
    const std::string head = received.substr(0, headerEnd);
    const size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const size_t first = line.find(' ');
    const size_t second = line.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return false;
    request.method = line.substr(0, first);
    std::string target = line.substr(first + 1, second - first - 1);
    const size_t question = target.find('?');
    request.path = target.substr(0, question);
    request.query = question == std::string::npos ? std::string() : target.substr(question + 1);

    size_t length = 0;
    size_t at = lineEnd;
    while (at != std::string::npos && at < head.size()) {
        const size_t next = head.find("\r\n", at + 2);
        std::string header = head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
        const size_t colon = header.find(':');
        if (colon != std::string::npos) {
            std::string name = header.substr(0, colon);
            for (char& c : name)
                c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            if (name == "content-length")
                length = static_cast<size_t>(strtoul(header.c_str() + colon + 1, nullptr, 10));
        }
        at = next;
    }
    if (received.size() < headerEnd + 4 + length)
        return false;
    request.body = received.substr(headerEnd + 4, length);
    return true;
}

void CLoopbackHttpServer::answer(Connection& connection, const HttpRequest& request)
{
    HttpResponse response;
    try {
        m_handler(request, response);
    } catch (...) {
        response.status = 500;
        response.contentType = "text/plain";
        response.body = "the request failed";
    }
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) +
                       "\r\nContent-Type: " + response.contentType +
                       "\r\nContent-Length: " + std::to_string(response.body.size()) +
                       "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    const std::string whole = head + response.body;
    // Back to a blocking socket for the answer: the async selection goes first.
    WSAAsyncSelect(connection.socket, m_window, 0, 0);
    u_long blocking = 0;
    ioctlsocket(connection.socket, FIONBIO, &blocking);
    size_t sent = 0;
    while (sent < whole.size()) {
        const int n = send(connection.socket, whole.data() + sent, static_cast<int>(whole.size() - sent), 0);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    shutdown(connection.socket, 1); // SD_SEND
}

std::string CLoopbackHttpServer::percentDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::multimap<std::string, std::string> CLoopbackHttpServer::decodeForm(const std::string& text)
{
    std::multimap<std::string, std::string> fields;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('&', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string pair = text.substr(at, end - at);
        if (!pair.empty()) {
            const size_t equals = pair.find('=');
            fields.emplace(percentDecode(pair.substr(0, equals)),
                           equals == std::string::npos ? std::string() : percentDecode(pair.substr(equals + 1)));
        }
        at = end + 1;
    }
    return fields;
}
