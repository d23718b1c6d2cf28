#pragma once
// A small HTTP/1.1 server on 127.0.0.1 that runs on the calling thread: its sockets report
// to a message-only window (WSAAsyncSelect), so requests are served by the thread's own
// message loop, one at a time, on the thread that owns the COM objects they reach. Every
// answer closes its connection.

#include <windows.h>
#include <winsock.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

struct HttpRequest {
    std::string method;
    std::string path;  // without the query
    std::string query; // after "?", still encoded
    std::string body;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
};

class CLoopbackHttpServer {
public:
    using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;

    explicit CLoopbackHttpServer(Handler handler);
    ~CLoopbackHttpServer();
    CLoopbackHttpServer(const CLoopbackHttpServer&) = delete;
    CLoopbackHttpServer& operator=(const CLoopbackHttpServer&) = delete;

    // Listens on 127.0.0.1 at `port` (0: any free port); false with the reason in error().
    bool listen(unsigned short port);
    unsigned short port() const { return m_port; }
    const std::string& error() const { return m_error; }

    // Form and query decoding: "a=1&b=x%20y" in order of appearance.
    static std::multimap<std::string, std::string> decodeForm(const std::string& text);
    static std::string percentDecode(const std::string& text);

private:
    struct Connection {
        SOCKET socket = INVALID_SOCKET;
        std::string received;
        bool closed = false; // the peer closed, or the connection failed
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void onSocket(SOCKET socket, WORD event, WORD error);
    void acceptAll();
    // Reads what has arrived without waiting; marks the connection closed at its end.
    void readAvailable(Connection& connection);
    // Looks at every socket again: Wine may not report data that arrived before the
    // connection's selection was made, so the timer does not rely on the notices alone.
    void poll();
    // Serves every connection whose request is complete, unless a request is being served
    // already (a message box inside a call dispatches messages: its requests wait).
    void serveReady();
    static bool complete(const std::string& received, HttpRequest& request);
    void answer(Connection& connection, const HttpRequest& request);
    // Closes the connections that are done with; never while a request is being served,
    // since a nested message loop may arrive here.
    void sweep();

    Handler m_handler;
    HWND m_window = nullptr;
    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_port = 0;
    std::string m_error;
    std::map<SOCKET, std::unique_ptr<Connection>> m_connections;
    bool m_serving = false;
    bool m_started = false;
};
